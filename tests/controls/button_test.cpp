// Labels and buttons against the stand-in manager: attributes, colour
// defaults, state images, activation and the mouse and keyboard rules.

#include <gtest/gtest.h>

#include "tests/controls/basic_controls_fixture.h"
#include "ui/controls/button.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/text.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

TEST(BasicControls, AlignAndEllipsisWordsSetTheTextStyle) {
  struct Case {
    const wchar_t* name;
    const wchar_t* value;
    UINT style;  // starting from the label's DT_VCENTER
  };
  const Case cases[] = {
      {L"align", L"left", DT_VCENTER},
      {L"align", L"center", DT_VCENTER | DT_CENTER},
      {L"align", L"right", DT_VCENTER | DT_RIGHT},
      {L"align", L"top", 0},
      {L"align", L"bottom", DT_BOTTOM},
      {L"align", L"vcenter", DT_VCENTER | DT_CENTER},       // holds "center" too
      {L"align", L"right vcenter", DT_VCENTER | DT_RIGHT},  // "right" is read after "center"
      {L"align", L"center bottom", DT_CENTER | DT_BOTTOM},
      {L"align", L"wrap", DT_VCENTER},
      {L"endellipsis", L"true", DT_VCENTER | DT_END_ELLIPSIS},
      {L"endellipsis", L"True", DT_VCENTER},
  };
  for (const Case& c : cases) {
    CLabelUI label;
    label.ApplyAttribute(c.name, c.value);
    EXPECT_EQ(c.style, label.GetTextStyle()) << c.name << "=" << c.value;
  }
  CLabelUI label;
  label.ApplyAttributeText(
      L"textcolor=\"0x00c8a500\" disabledtextcolor=\"#FF112233\" font=\"3\" "
      L"textpadding=\"1,2,3,4\" showhtml=\"true\" endellipsis=\"true\" endellipsis=\"no\"");
  EXPECT_EQ(0x00C8A500u, label.GetTextColor());
  EXPECT_EQ(0xFF112233u, label.GetDisabledTextColor());
  EXPECT_EQ(3, label.GetFont());
  EXPECT_EQ(CRectUI(1, 2, 3, 4), CRectUI(label.GetTextPadding()));
  EXPECT_TRUE(label.IsShowHtml());
  EXPECT_EQ(static_cast<UINT>(DT_VCENTER), label.GetTextStyle());

  // Each class starts from its own style and answers its own interfaces.
  CButtonUI button;
  COptionUI option;
  CTextUI text;
  CProgressUI progress;
  EXPECT_EQ((std::vector<UINT>{0x25, 0x25, 0x10, 0x21}),
            (std::vector<UINT>{button.GetTextStyle(), option.GetTextStyle(), text.GetTextStyle(),
                               progress.GetTextStyle()}));
  EXPECT_EQ(12, progress.GetFixedHeight());
  EXPECT_EQ(&option, option.InterfaceFor(L"Label"));  // asks its bases too
  EXPECT_EQ(nullptr, option.InterfaceFor(L"Text"));
}

TEST(BasicControls, ZeroTextColourTakesTheWindowDefaultAtTheFirstPaint) {
  CTestManager manager;
  CLabelUI label;
  label.BindManager(&manager, nullptr, false);
  label.ApplyAttributeText(L"textcolor=\"#00000000\" text=\"Scan\"");
  label.SetBounds(RECT{0, 0, 80, 20});
  EXPECT_EQ(0u, label.GetTextColor());
  Canvas canvas(80, 20, kPaper);
  PaintInto(label, canvas);
  EXPECT_EQ(manager.DefaultTextColor(), label.GetTextColor());
  EXPECT_EQ(manager.DisabledTextColor(), label.GetDisabledTextColor());
  EXPECT_GT(canvas.CountRgb(0x000000), 0);  // the text is drawn in the default black
}

class ButtonStates : public ::testing::Test {
 protected:
  void SetUp() override {
    AddStateImages(manager);
    parent.BindManager(&manager, nullptr, false);
    parent.SetBounds(RECT{0, 0, 100, 100});
    button.BindManager(&manager, &parent, false);
    button.SetBounds(RECT{10, 10, 50, 30});
    button.ApplyAttributeText(
        L"normalimage=\"normal.png\" hotimage=\"hot.png\" pushedimage=\"pushed.png\" "
        L"focusedimage=\"focused.png\"");
    manager.ClearRecords();
  }
  DWORD PaintedLook() {
    Canvas canvas(100, 100, kPaper);
    PaintInto(button, canvas);
    return canvas.Rgb(30, 20);
  }

  CTestManager manager;
  CControlUI parent;
  CButtonUI button;
};

TEST_F(ButtonStates, ImageOfTheFirstStateThatAppliesIsShown) {
  EXPECT_EQ(Rgb(kNormalLook), PaintedLook());
  Send(button, EventSetFocus);
  EXPECT_EQ(Rgb(kFocusedLook), PaintedLook());
  Send(button, EventMouseEnter, {30, 20});
  EXPECT_EQ(Rgb(kHotLook), PaintedLook());
  Send(button, EventButtonDown, {30, 20});
  EXPECT_EQ(Rgb(kPushedLook), PaintedLook());

  // Disabled without a disabled image: the normal image, never hot or pushed.
  button.SetEnabled(false);
  EXPECT_EQ(0u, button.GetButtonState());
  Send(button, EventMouseEnter, {30, 20});
  EXPECT_EQ(Rgb(kNormalLook), PaintedLook());
  EXPECT_EQ(ButtonState::kDisabled | ButtonState::kFocused, button.GetButtonState());
  button.SetDisabledImage(L"disabled.png");
  EXPECT_EQ(Rgb(kDisabledLook), PaintedLook());

  // An image that cannot be drawn is dropped and the normal image shows.
  button.SetEnabled(true);
  button.SetHotImage(L"missing.png");
  Send(button, EventKillFocus);
  Send(button, EventMouseEnter, {30, 20});
  EXPECT_EQ(Rgb(kNormalLook), PaintedLook());
  EXPECT_TRUE(button.GetHotImage().IsEmpty());
}

// Records what reaches the parent.
class ProbeParent : public CControlUI {
 public:
  void HandleEvent(TControlEvent& event) override { kinds.push_back(event.kind); }
  std::vector<int> kinds;
};

TEST(BasicControls, FlagsMenuCursorAndMouseForwardingFollowTheButtonRules) {
  CTestManager manager;
  ProbeParent parent;
  CButtonUI button;
  button.BindManager(&manager, &parent, false);
  button.SetBounds(RECT{0, 0, 40, 20});
  EXPECT_EQ(ControlFlagTabStop | ControlFlagSetCursor, button.ControlFlags());
  button.SetKeyboardEnabled(false);
  EXPECT_EQ(ControlFlagSetCursor, button.ControlFlags());
  button.SetKeyboardEnabled(true);
  button.SetEnabled(false);
  EXPECT_EQ(ControlFlagTabStop, button.ControlFlags());
  button.SetEnabled(true);
  TControlEvent menu = MakeEvent(EventContextMenu, {5, 5});
  menu.wParam = 7;
  menu.lParam = 9;
  button.RouteEvent(menu);
  EXPECT_TRUE(manager.notifications.empty());  // context menu not enabled
  button.ApplyAttribute(L"menu", L"true");
  button.RouteEvent(menu);
  ASSERT_EQ(1u, manager.notifications.size());
  EXPECT_EQ(L"menu", manager.notifications[0].type);
  EXPECT_EQ(7u, manager.notifications[0].wParam);
  EXPECT_EQ(9, manager.notifications[0].lParam);

  Send(button, EventSetCursor, {5, 5});
  EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), GetCursor());

  button.SetMouseEnabled(false);
  Send(button, EventButtonDown, {5, 5});
  Send(button, EventKeyDown, {}, VK_SPACE);  // keyboard still works
  EXPECT_EQ(std::vector<int>{EventButtonDown}, parent.kinds);
  EXPECT_EQ(0u, button.GetButtonState());
  EXPECT_EQ(2u, manager.notifications.size());
}

TEST(BasicControls, EstimatedSizesAddAMarginToTheFontHeight) {
  CTestManager manager;
  const int fontHeight = manager.FontInfoAt(-1)->metrics.tmHeight;
  ASSERT_GT(fontHeight, 0);
  CLabelUI label;
  CButtonUI button;
  label.BindManager(&manager, nullptr, false);
  button.BindManager(&manager, nullptr, false);
  label.SetFixedWidth(70);
  EXPECT_EQ(70, label.PreferredSize(CSizeUI(500, 500)).cx);
  EXPECT_EQ(fontHeight + 4, label.PreferredSize(CSizeUI(500, 500)).cy);
  EXPECT_EQ(fontHeight + 8, button.PreferredSize(CSizeUI(500, 500)).cy);
  button.SetFixedHeight(30);
  EXPECT_EQ(30, button.PreferredSize(CSizeUI(500, 500)).cy);
}

}  // namespace
}  // namespace SkinUITest

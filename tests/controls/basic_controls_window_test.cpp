// Buttons and text links in a real window under Xvfb, driven by the messages
// a user's mouse and keyboard produce; looks are read back from the screen.

#include <gtest/gtest.h>

#include "tests/controls/basic_controls_fixture.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_panel.h"
#include "tests/support/window_harness.h"
#include "ui/controls/button.h"
#include "ui/controls/text.h"
#include "ui/markup/skin_resources.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

class BasicControlsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    SetResourceFolder((scratch.path() + L"\\").c_str());
    for (auto [name, color] : {std::pair{L"normal.png", kNormalLook},
                               {L"hot.png", kHotLook},
                               {L"pushed.png", kPushedLook}}) {
      ASSERT_TRUE(WritePng(scratch.File(name), 4, 4, std::vector<DWORD>(16, color)));
    }
    button->ApplyAttributeText(
        L"pos=\"10,10,90,40\" normalimage=\"normal.png\" hotimage=\"hot.png\" "
        L"pushedimage=\"pushed.png\"");
    text->ApplyAttributeText(
        L"pos=\"10,50,190,90\" showhtml=\"true\" text=\"Read <a notes>the notes</a> first\"");
    panel->Add(button);
    panel->Add(text);
    window.Install(panel);
  }
  void TearDown() override { SetResourceFolder(L""); }
  DWORD LookAt(int x, int y) {
    window.Paint();
    return window.ReadScreen()->Rgb(x, y);
  }
  std::vector<std::wstring> Sent() { return window.Notifications().Types(); }

  ScratchFolder scratch;
  CHarnessWindow window{200, 100};
  CTestPanelUI* panel = new CTestPanelUI;
  CButtonUI* button = new CButtonUI;
  CTextUI* text = new CTextUI;
};

TEST_F(BasicControlsWindow, PressInsideAndReleaseOutsideSendsNoClickAndLooksNormalAgain) {
  EXPECT_EQ(Rgb(kNormalLook), LookAt(50, 25));
  window.Mouse(WM_MOUSEMOVE, 50, 25);
  EXPECT_EQ(Rgb(kHotLook), LookAt(50, 25));
  window.Mouse(WM_LBUTTONDOWN, 50, 25, MK_LBUTTON);
  EXPECT_EQ(Rgb(kPushedLook), LookAt(50, 25));
  window.Mouse(WM_MOUSEMOVE, 150, 25, MK_LBUTTON);
  EXPECT_EQ(Rgb(kNormalLook), LookAt(50, 25));  // left: neither pushed nor hot
  window.Mouse(WM_MOUSEMOVE, 50, 25, MK_LBUTTON);
  EXPECT_EQ(Rgb(kPushedLook), LookAt(50, 25));  // back inside while held
  window.Mouse(WM_MOUSEMOVE, 150, 25, MK_LBUTTON);
  window.Mouse(WM_LBUTTONUP, 150, 25);
  window.Pump();
  EXPECT_EQ(0, window.Notifications().Count(L"click"));
  EXPECT_EQ(Rgb(kNormalLook), LookAt(50, 25));

  window.Mouse(WM_MOUSEMOVE, 50, 25);
  window.Mouse(WM_LBUTTONDOWN, 50, 25, MK_LBUTTON);
  window.Mouse(WM_LBUTTONUP, 50, 25);
  EXPECT_EQ(1, window.Notifications().Count(L"click"));
  EXPECT_EQ(Rgb(kHotLook), LookAt(50, 25));
}

TEST_F(BasicControlsWindow, SpaceAndEnterClickTheFocusedKeyboardButton) {
  ASSERT_EQ(button, window.Manager().FocusControl());  // the first tab stop
  window.Key(WM_KEYDOWN, VK_SPACE);
  window.Key(WM_KEYUP, VK_SPACE);
  window.Key(WM_KEYDOWN, VK_RETURN);
  window.Key(WM_KEYDOWN, 'A');
  EXPECT_EQ(2, window.Notifications().Count(L"click"));

  button->SetKeyboardEnabled(false);
  window.Key(WM_KEYDOWN, VK_SPACE);
  button->SetKeyboardEnabled(true);
  button->SetEnabled(false);
  window.Key(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(2, window.Notifications().Count(L"click"));
}

TEST_F(BasicControlsWindow, LinkShowsTheHandAndReportsOnRelease) {
  ASSERT_EQ(1, text->LinkCount());
  const RECT link = text->LinkRects()[0];
  const POINT over = {(link.left + link.right) / 2, (link.top + link.bottom) / 2};
  window.Mouse(WM_MOUSEMOVE, over.x, over.y);
  EXPECT_EQ(0, text->HotLink());
  const POINT screen = window.ToScreen(over.x, over.y);
  SetCursorPos(screen.x, screen.y);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SendMessageW(window.GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHWND()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), GetCursor());

  window.Mouse(WM_LBUTTONDOWN, over.x, over.y, MK_LBUTTON);
  window.Mouse(WM_LBUTTONUP, over.x, over.y);
  window.Mouse(WM_LBUTTONDOWN, 180, 85, MK_LBUTTON);
  window.Mouse(WM_LBUTTONUP, 180, 85);
  ASSERT_EQ(1, window.Notifications().Count(L"link"));
  const auto& sent = window.Notifications().entries;
  EXPECT_EQ(0u, std::find_if(sent.begin(), sent.end(), [](auto& e) {
                  return e.type == L"link";
                })->wParam);
}

}  // namespace
}  // namespace SkinUITest

// Containers, scroll bars and layouts in a real window under Xvfb, driven by
// the messages a user's mouse, wheel and keys produce and by the window's
// own timer messages.

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/window_harness.h"
#include "ui/controls/box_layout.h"
#include "ui/controls/press_behavior.h"
#include "ui/controls/scroll_bar.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

// Sees each WM_TIMER before the window manager and writes down where the
// watched bar stood at that moment, so the cadence is read tick by tick
// however fast the ticks come.
class TickWatcher : public IMessageFilterUI {
 public:
  explicit TickWatcher(CScrollBarUI*& bar) : bar_(bar) {}
  LRESULT FilterMessage(UINT message, WPARAM, LPARAM, bool&) override {
    if (message == WM_TIMER && bar_ != nullptr) before.push_back(bar_->GetScrollPos());
    return 0;
  }
  std::vector<int> before;

 private:
  CScrollBarUI*& bar_;
};

class ContainersWindow : public ::testing::Test {
 protected:
  ContainersWindow() : window(240, 340) {}
  void SetUp() override { window.Manager().AddFilter(&ticks); }

  // A root container holding one bar of its own (no owner), as a float child.
  CScrollBarUI* ShowOwnerlessBar(const wchar_t* attributes) {
    auto* root = new CContainerUI;
    bar = new CScrollBarUI;
    bar->ApplyAttributeText(attributes);
    root->Add(bar);
    window.Install(root);
    return bar;
  }
  bool WaitForTicks(size_t count) {
    return window.PumpUntil([&] { return ticks.before.size() >= count; });
  }
  void Click(int message, int x, int y) {
    window.Mouse(message, x, y, message == WM_LBUTTONUP ? 0 : MK_LBUTTON);
  }

  CHarnessWindow window;
  CScrollBarUI* bar = nullptr;
  TickWatcher ticks{bar};
};

TEST_F(ContainersWindow, HeldArrowAndRailRepeatOnTheWindowsTimerMessages) {
  ShowOwnerlessBar(L"float=\"true\" pos=\"10,10,26,310\" range=\"1000\" linesize=\"8\"");
  window.Mouse(WM_MOUSEMOVE, 18, 300);
  EXPECT_TRUE(ButtonState::Has(bar->Button1State(), ButtonState::kHot));  // both arrows
  EXPECT_TRUE(ButtonState::Has(bar->Button2State(), ButtonState::kHot));
  Click(WM_LBUTTONDOWN, 18, 300);
  EXPECT_EQ(8, bar->GetScrollPos());
  ASSERT_TRUE(WaitForTicks(8));
  Click(WM_LBUTTONUP, 18, 300);
  // One step at once, five quiet ticks, then one step per tick.
  EXPECT_EQ((std::vector<int>{8, 8, 8, 8, 8, 8, 16, 24}),
            std::vector<int>(ticks.before.begin(), ticks.before.begin() + 8));
  const int atRelease = bar->GetScrollPos();
  const size_t ticksAtRelease = ticks.before.size();
  window.Pump(200);
  EXPECT_EQ(ticksAtRelease, ticks.before.size());  // the timer stopped with the release
  EXPECT_EQ(1 + (atRelease - 8) / 8, window.Notifications().Count(L"scroll"));
  bar->SetEnabled(false);  // disabled: no state, and presses do nothing
  EXPECT_EQ(0u, bar->Button1State() | bar->Button2State() | bar->ThumbState());
  Click(WM_LBUTTONDOWN, 18, 300);
  Click(WM_LBUTTONUP, 18, 300);
  EXPECT_EQ(atRelease, bar->GetScrollPos());

  // A held rail pages toward the real pointer until the thumb is under it.
  ShowOwnerlessBar(L"float=\"true\" pos=\"10,10,26,310\" range=\"1000\"");
  window.Notifications().Clear();
  ticks.before.clear();
  window.PointerAt(18, 250);
  Click(WM_LBUTTONDOWN, 18, 250);
  EXPECT_EQ(300, bar->GetScrollPos());  // a page is the bar's length
  ASSERT_TRUE(WaitForTicks(12));
  Click(WM_LBUTTONUP, 18, 250);
  CHarnessWindow::ParkPointer();
  EXPECT_EQ(900, bar->GetScrollPos());
  EXPECT_LE(bar->ThumbRect().top, 250);
  EXPECT_GT(bar->ThumbRect().bottom, 250);
  EXPECT_EQ(3, window.Notifications().Count(L"scroll"));  // the press and two pages
}

TEST_F(ContainersWindow, ThumbDragIsAppliedOnTicksFromThePositionAtTheGrab) {
  struct Case {
    const wchar_t* bar;
    int expected;
  };
  // 151 px, no buttons: range 300 moves 5 px x 300 / 69; range 10 has a
  // thumb longer than the specified track and must still follow the pointer.
  const Case cases[] = {
      {L"float=\"true\" pos=\"10,10,26,161\" showbutton1=\"false\" showbutton2=\"false\" "
       L"range=\"300\" value=\"150\"",
       171},
      {L"float=\"true\" pos=\"10,10,26,161\" showbutton1=\"false\" showbutton2=\"false\" "
       L"range=\"10\" value=\"5\"",
       10},
  };
  for (const Case& c : cases) {
    ShowOwnerlessBar(c.bar);
    const RECT thumb = bar->ThumbRect();
    const int grab = thumb.top + 10;
    Click(WM_LBUTTONDOWN, 18, grab);
    const size_t before = ticks.before.size();
    window.Mouse(WM_MOUSEMOVE, 18, grab + 5, MK_LBUTTON);
    EXPECT_EQ(c.expected == 10 ? 5 : 150, bar->GetScrollPos());  // not before a tick
    ASSERT_TRUE(WaitForTicks(before + 2));
    EXPECT_EQ(c.expected, bar->GetScrollPos());
    Click(WM_LBUTTONUP, 18, grab + 5);
  }
}

// Rows of 40 alternating between two colours, in a layout with a bar.
class ScrolledRows : public ContainersWindow {
 protected:
  static constexpr DWORD kEven = 0xFF2040C0;
  static constexpr DWORD kOdd = 0xFFE0E0E0;

  void SetUp() override {
    ContainersWindow::SetUp();
    window.Manager().Resources().AddClassDefaults(L"VScrollBar",
                                                  L"showbutton1=\"false\" linesize=\"3\"");
    list = new CVerticalLayoutUI;
    // As the skin builder does: attributes arrive once the window is known.
    list->BindManager(&window.Manager(), nullptr, false);
    list->ApplyAttribute(L"vscrollbar", L"true");
    for (int i = 0; i < 20; ++i) {
      auto* row = new CControlUI;
      row->ApplyAttribute(L"height", L"40");
      row->SetBkColor(i % 2 == 0 ? kEven : kOdd);
      list->Add(row);
    }
    window.Install(list);
    bar = list->VerticalScrollBar();
  }
  // The colour the window shows at the top left of the list.
  DWORD TopColour() {
    window.Paint();
    return window.ReadScreen()->Rgb(5, 1);
  }
  DWORD RowColourAt(int pos) {
    return ((pos + 1) / 40) % 2 == 0 ? kEven & 0xFFFFFF : kOdd & 0xFFFFFF;
  }

  CVerticalLayoutUI* list = nullptr;
};

TEST_F(ScrolledRows, WheelKeysAndTheOwnedBarScrollTheLayoutAndRemovalWaits) {
  ASSERT_NE(nullptr, bar);
  EXPECT_FALSE(bar->IsShowButton1());  // the window's class defaults reached the bar
  EXPECT_EQ(800 - 340, bar->GetScrollRange());
  const int line = window.Manager().Resources().DefaultFontInfo()->metrics.tmHeight + 8;

  window.Mouse(WM_MOUSEWHEEL, 50, 50, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
  EXPECT_EQ(line, list->GetScrollPos().cy);
  window.Mouse(WM_MOUSEWHEEL, 50, 50, MAKEWPARAM(0, WHEEL_DELTA));
  EXPECT_EQ(0, list->GetScrollPos().cy);

  Click(WM_LBUTTONDOWN, 50, 50);  // a row takes the focus and hands keys up
  Click(WM_LBUTTONUP, 50, 50);
  window.Key(WM_KEYDOWN, VK_NEXT);
  window.Key(WM_KEYUP, VK_NEXT);
  EXPECT_EQ(340, list->GetScrollPos().cy);
  EXPECT_EQ(RowColourAt(340), TopColour());
  window.Key(WM_KEYDOWN, VK_END);
  EXPECT_EQ(460, list->GetScrollPos().cy);
  EXPECT_EQ(RowColourAt(460), TopColour());
  window.Key(WM_KEYDOWN, VK_UP);
  EXPECT_EQ(460 - line, list->GetScrollPos().cy);
  window.Key(WM_KEYDOWN, VK_HOME);
  EXPECT_EQ(0, list->GetScrollPos().cy);
  EXPECT_EQ(kEven & 0xFFFFFF, TopColour());

  const RECT button2 = bar->Button2Rect();  // the bar's own arrow scrolls by a line
  Click(WM_LBUTTONDOWN, button2.left + 4, button2.top + 4);
  Click(WM_LBUTTONUP, button2.left + 4, button2.top + 4);
  EXPECT_EQ(line, list->GetScrollPos().cy);
  EXPECT_EQ(0, window.Notifications().Count(L"scroll"));

  // A removed row goes only after the message that removed it.
  CControlUI* first = list->ChildAt(0);
  bool gone = false;
  first->DestroyHooks().Add([&](void*) { return gone = true; });
  ASSERT_TRUE(list->Remove(first));
  EXPECT_FALSE(gone);
  window.Pump();
  EXPECT_TRUE(gone);
  EXPECT_EQ(19, list->GetCount());
}

TEST_F(ContainersWindow, DraggingASeparatorResizesBetweenItsLimits) {
  auto* row = new CHorizontalLayoutUI;
  auto* sized = new CHorizontalLayoutUI;
  sized->ApplyAttributeText(
      L"width=\"100\" sepwidth=\"4\" minwidth=\"40\" maxwidth=\"150\" bkcolor=\"#FF2040C0\"");
  auto* rest = new CControlUI;
  rest->SetBkColor(0xFFE0E0E0);
  row->Add(sized);
  row->Add(rest);
  window.Install(row);

  window.PointerAt(98, 20);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  window.Mouse(WM_MOUSEMOVE, 98, 20);
  SendMessageW(window.GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHWND()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(LoadCursorW(nullptr, IDC_SIZEWE), GetCursor());
  CHarnessWindow::ParkPointer();

  Click(WM_LBUTTONDOWN, 98, 20);
  window.Mouse(WM_MOUSEMOVE, 230, 20, MK_LBUTTON);
  window.InvalidateAll();
  window.Paint();
  auto dragging = window.ReadScreen();
  EXPECT_EQ(100, sized->GetWidth());                // only the band follows until the release
  EXPECT_LT(dragging->Rgb(148, 20) & 0xFF, 0x80u);  // the dark band at 146 ... 150
  EXPECT_EQ(0xE0E0E0u, dragging->Rgb(160, 20));
  Click(WM_LBUTTONUP, 230, 20);
  window.Paint();
  EXPECT_EQ(150, sized->GetWidth());  // held at the maximum
  EXPECT_EQ(0x2040C0u, window.ReadScreen()->Rgb(148, 20));

  Click(WM_LBUTTONDOWN, 148, 20);
  window.Mouse(WM_MOUSEMOVE, 0, 20, MK_LBUTTON);
  Click(WM_LBUTTONUP, 0, 20);
  window.Paint();
  EXPECT_EQ(40, sized->GetWidth());  // and at the minimum
  EXPECT_EQ(CRectUI(40, 0, 240, 340), CRectUI(rest->Bounds()));
  EXPECT_EQ(0xE0E0E0u, window.ReadScreen()->Rgb(45, 20));
}

}  // namespace
}  // namespace SkinUITest

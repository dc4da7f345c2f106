// Mouse, cursor, keyboard and tooltip handling of the window manager, driven
// with real messages sent to a real window.

#include <windows.h>
#include <commctrl.h>

#include "tests/window/window_scene.h"
#include "ui/controls/control.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;
using Entries = std::vector<std::string>;

class ManagerInput : public WindowScene {
 protected:
  void SetUp() override {
    a = AddProbe(L"a", 10, 10, 60, 40);
    b = AddProbe(L"b", 100, 10, 60, 40);
    Show();
  }
  DWORD ArmedHoverTime() {
    TRACKMOUSEEVENT query = {sizeof(query), TME_QUERY, nullptr, 0};
    _TrackMouseEvent(&query);
    return query.dwHoverTime;
  }
  CProbeControlUI* a = nullptr;
  CProbeControlUI* b = nullptr;
};

TEST_F(ManagerInput, MovingBetweenControlsLeavesTheOldThenEntersAndMovesTheNew) {
  window.Mouse(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ((Entries{Ev("a", EventMouseEnter), Ev("a", EventMouseMove)}), log.Entries());
  log.Clear();
  window.Mouse(WM_MOUSEMOVE, 110, 20);
  EXPECT_EQ((Entries{Ev("a", EventMouseLeave), Ev("b", EventMouseEnter), Ev("b", EventMouseMove)}),
            log.Entries());
  EXPECT_EQ(110, log.Last(L"b", EventMouseMove)->point.x);
  EXPECT_EQ(b, log.Last(L"b", EventMouseMove)->sender);
  EXPECT_EQ(b, manager().ControlAt(POINT{110, 20}));
  EXPECT_EQ(panel, manager().ControlAt(POINT{80, 20}));
}

TEST_F(ManagerInput, PressedControlHoldsTheCaptureAndGetsTheMovesUntilRelease) {
  window.Mouse(WM_MOUSEMOVE, 20, 20);
  window.Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_TRUE(manager().HasMouseCapture());
  EXPECT_EQ(window.GetHWND(), GetCapture());
  EXPECT_EQ(a, manager().FocusControl());
  EXPECT_EQ(MK_LBUTTON, log.Last(L"a", EventButtonDown)->keyState);

  log.Clear();
  window.Mouse(WM_MOUSEMOVE, 110, 20, MK_LBUTTON);
  EXPECT_EQ((Entries{Ev("a", EventMouseLeave), Ev("b", EventMouseEnter), Ev("a", EventMouseMove)}),
            log.Entries());
  window.Mouse(WM_LBUTTONUP, 110, 20);
  EXPECT_EQ(Ev("a", EventButtonUp), log.Entries().back());
  EXPECT_FALSE(manager().HasMouseCapture());
  EXPECT_EQ(nullptr, GetCapture());

  // Nothing is pressed any more: the next move goes to the control under it.
  log.Clear();
  window.Mouse(WM_MOUSEMOVE, 112, 20);
  EXPECT_EQ((Entries{Ev("b", EventMouseMove)}), log.Entries());
}

TEST_F(ManagerInput, LeavingTheWindowTellsTheHoveredControl) {
  window.Mouse(WM_MOUSEMOVE, 20, 20);
  log.Clear();
  window.Send(WM_MOUSELEAVE);
  EXPECT_EQ((Entries{Ev("a", EventMouseLeave)}), log.Entries());
  EXPECT_EQ(-1, manager().LastMousePos().x);
  EXPECT_EQ(-1, manager().LastMousePos().y);

  // The platform's own notice, when the real pointer leaves the window.
  window.quietMouse = false;
  window.PointerAt(110, 20);
  window.Mouse(WM_MOUSEMOVE, 110, 20);
  window.Pump(50);
  EXPECT_EQ(0, log.Count(L"b", EventMouseLeave));
  CHarnessWindow::ParkPointer();
  EXPECT_TRUE(window.PumpUntil([&] { return log.Count(L"b", EventMouseLeave) == 1; }));
}

TEST_F(ManagerInput, DoubleClickContextMenuAndWheelReachTheRightControls) {
  window.Mouse(WM_LBUTTONDBLCLK, 110, 20, MK_LBUTTON);
  EXPECT_EQ((Entries{Ev("b", EventDoubleClick)}), log.Entries());
  EXPECT_TRUE(manager().HasMouseCapture());
  EXPECT_EQ(nullptr, manager().FocusControl());  // a double click moves no focus
  window.Mouse(WM_LBUTTONUP, 110, 20);
  EXPECT_EQ(Ev("b", EventButtonUp), log.Entries().back());

  log.Clear();
  window.Mouse(WM_RBUTTONDOWN, 20, 20, MK_RBUTTON);
  window.Mouse(WM_CONTEXTMENU, 20, 20);
  EXPECT_EQ(
      (Entries{Ev("a", EventSetFocus), Ev("a", EventRightButtonDown), Ev("a", EventContextMenu)}),
      log.Entries());
  EXPECT_EQ(reinterpret_cast<LPARAM>(a), log.Last(L"a", EventContextMenu)->lParam);
  EXPECT_EQ(20, log.Last(L"a", EventContextMenu)->point.x);
  EXPECT_FALSE(manager().HasMouseCapture());

  // The wheel is followed by a move, so the hover state follows the content.
  window.Mouse(WM_MOUSEMOVE, 20, 20);
  log.Clear();
  window.Mouse(WM_MOUSEWHEEL, 110, 20, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
  EXPECT_EQ((Entries{Ev("b", EventScrollWheel), Ev("a", EventMouseLeave), Ev("b", EventMouseEnter),
                     Ev("b", EventMouseMove)}),
            log.Entries());
  EXPECT_EQ(1u, log.Last(L"b", EventScrollWheel)->wParam);  // towards the user
  window.Mouse(WM_MOUSEWHEEL, 110, 20, MAKEWPARAM(0, WHEEL_DELTA));
  EXPECT_EQ(0u, log.Last(L"b", EventScrollWheel)->wParam);
}

TEST_F(ManagerInput, ControlsOfAnotherWindowHearNothingFromThisOne) {
  CWindowManagerUI other;
  b->BindManager(&other, panel, false);
  window.Mouse(WM_MOUSEMOVE, 20, 20);
  window.Mouse(WM_MOUSEMOVE, 110, 20);
  window.Mouse(WM_LBUTTONDOWN, 110, 20, MK_LBUTTON);
  window.Mouse(WM_LBUTTONDBLCLK, 110, 20, MK_LBUTTON);
  window.Mouse(WM_MOUSEWHEEL, 110, 20, MAKEWPARAM(0, WHEEL_DELTA));
  EXPECT_TRUE(log.KindsOf(L"b").empty());
  EXPECT_EQ(0, log.Count(L"a", EventMouseLeave));  // the move over b stopped short
  EXPECT_FALSE(manager().HasMouseCapture());
  b->BindManager(&manager(), panel, false);
}

TEST_F(ManagerInput, OnlyCursorSettingControlsSetTheCursorInTheClientArea) {
  b->flags = ControlFlagSetCursor;
  const POINT overA = window.ToScreen(20, 20);
  const POINT overB = window.ToScreen(110, 20);
  SetCursorPos(overB.x, overB.y);
  window.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHWND()),
              MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
  EXPECT_EQ(0, log.Count(L"b", EventSetCursor));
  window.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHWND()),
              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  ASSERT_EQ(1, log.Count(L"b", EventSetCursor));
  EXPECT_EQ(nullptr, log.Last(L"b", EventSetCursor)->sender);
  EXPECT_EQ(110, log.Last(L"b", EventSetCursor)->point.x);
  const size_t ownBefore = window.ownMessages.size();

  SetCursorPos(overA.x, overA.y);
  window.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHWND()),
              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(0, log.Count(L"a", EventSetCursor));
  EXPECT_EQ(ownBefore + 1, window.ownMessages.size());  // the window's class cursor applies
  SetCursorPos(1270, 1015);
}

TEST_F(ManagerInput, KeysGoToTheFocusAndKeyUpToWhereTheKeyWentDown) {
  window.Key(WM_KEYDOWN, 'X');
  EXPECT_TRUE(log.records.empty());  // no focus, nobody hears it

  a->SetFocus();
  log.Clear();
  window.Key(WM_KEYDOWN, 'X');
  b->SetFocus();
  window.Key(WM_KEYUP, 'X');
  window.Key(WM_CHAR, L'x');
  EXPECT_EQ(Ev("a", EventKeyDown), log.Entries().front());
  EXPECT_EQ(1, log.Count(L"a", EventKeyUp));
  EXPECT_EQ(0, log.Count(L"b", EventKeyUp));
  ASSERT_EQ(1, log.Count(L"b", EventChar));
  EXPECT_EQ(L'x', log.Last(L"b", EventChar)->key);
  EXPECT_EQ(nullptr, log.Last(L"b", EventChar)->sender);
  EXPECT_EQ(L'X', log.Last(L"a", EventKeyDown)->key);
}

TEST_F(ManagerInput, TooltipShowsOnHoverAndHidesWhenTheMouseLeaves) {
  // The platform tracks the pointer only while it is over the window.
  window.PointerAt(20, 20);
  window.Mouse(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(400u, ArmedHoverTime());
  window.ownMessages.clear();
  window.Send(WM_MOUSEHOVER, 0, MAKELPARAM(20, 20));
  EXPECT_TRUE(window.ownMessages.empty());  // handled, though there is no tip text
  EXPECT_EQ(nullptr, window.FindToolTip());

  b->SetToolTip(L"Scan for updates");
  window.Mouse(WM_MOUSEMOVE, 110, 20);
  log.Clear();
  window.Send(WM_MOUSEHOVER, 0, MAKELPARAM(110, 20));
  EXPECT_EQ((Entries{Ev("b", EventMouseHover)}), log.Entries());
  HWND tip = window.FindToolTip();
  ASSERT_NE(nullptr, tip);
  EXPECT_TRUE(IsWindowVisible(tip));
  TTTOOLINFOW info = {};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  wchar_t text[64] = {};
  info.lpszText = text;
  ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_STREQ(L"Scan for updates", text);
  EXPECT_EQ(CRectUI(b->Bounds()), info.rect);

  window.Send(WM_MOUSELEAVE);
  EXPECT_FALSE(IsWindowVisible(tip));

  // Once the tip exists, hover notices wait for its initial delay.
  SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 123);
  window.Mouse(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(123u, ArmedHoverTime());
}

}  // namespace
}  // namespace SkinUITest

// The window's own life as the manager sees it: closing, resizing, message
// filters, the program's message loop and printing child windows.

#include "tests/window/window_scene.h"
#include "ui/controls/control.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

// Answers one message itself and lets everything else through.
class SwallowingFilter : public IMessageFilterUI {
 public:
  explicit SwallowingFilter(UINT swallowed) : swallowed_(swallowed) {}
  LRESULT FilterMessage(UINT message, WPARAM, LPARAM, bool& handled) override {
    handled = message == swallowed_;
    return handled ? 77 : 0;
  }

 private:
  UINT swallowed_;
};

class ManagerWindow : public WindowScene {
 protected:
  void SetUp() override {
    a = AddProbe(L"a", 10, 10, 60, 40, ControlFlagTabStop);
    b = AddProbe(L"b", 100, 10, 60, 40);
  }
  CProbeControlUI* a = nullptr;
  CProbeControlUI* b = nullptr;
};

TEST_F(ManagerWindow, ClosingEndsHoverPressAndFocusThenDeletesEverything) {
  Show();
  window.Mouse(WM_MOUSEMOVE, 20, 20);
  window.Mouse(WM_LBUTTONDOWN, 110, 20, MK_LBUTTON);
  auto* waiting = new CProbeControlUI(L"waiting", &log);
  manager().BindControlTree(waiting);
  manager().DeleteLater(waiting);
  manager().SendNotification(a, L"pending", 0, 0, true);
  log.Clear();
  notes().Clear();

  window.Send(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window.GetHWND()));  // the window's own handling went on
  const std::vector<std::string> entries = log.Entries();
  ASSERT_GE(entries.size(), 3u);
  EXPECT_EQ(Ev("a", EventMouseLeave), entries[0]);
  EXPECT_EQ(Ev("b", EventButtonUp), entries[1]);
  EXPECT_EQ(Ev("b", EventKillFocus), entries[2]);
  EXPECT_EQ(1, notes().Count(L"pending"));  // drained before the close was handled
  for (const wchar_t* name : {L"waiting", L"a", L"b"}) {
    EXPECT_EQ(1, log.Count(name, kProbeDestroyed)) << "destroyed once: " << name[0];
  }
}

TEST_F(ManagerWindow, ResizingTellsTheFocusAndLaysTheTreeOutAtTheNewSize) {
  panel->SetBkColor(0xFF2040C0);
  Show();
  ASSERT_EQ(a, manager().FocusControl());
  SetWindowPos(window.GetHWND(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(1, log.Count(L"a", EventWindowSize));
  window.Paint();
  EXPECT_EQ(CRectUI(0, 0, 300, 200), CRectUI(panel->Bounds()));
  EXPECT_EQ(0x2040C0u, window.ReadScreen()->Rgb(290, 190));
  EXPECT_EQ(1, notes().Count(L"windowinit"));
}

TEST_F(ManagerWindow, FiltersSeeMessagesFirstAndMayKeepThem) {
  Show();
  SwallowingFilter keepsMoves(WM_MOUSEMOVE);
  manager().AddFilter(&keepsMoves);
  EXPECT_EQ(77, window.Mouse(WM_MOUSEMOVE, 20, 20));
  EXPECT_TRUE(log.records.empty());
  EXPECT_TRUE(manager().RemoveFilter(&keepsMoves));
  EXPECT_FALSE(manager().RemoveFilter(&keepsMoves));
  window.Mouse(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(1, log.Count(L"a", EventMouseEnter));

  // A dispatch filter takes keys before the manager's own Tab handling.
  SwallowingFilter keepsKeys(WM_KEYDOWN);
  manager().AddDispatchFilter(&keepsKeys);
  MSG tab = {window.GetHWND(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_TRUE(CWindowManagerUI::RouteBeforeDispatch(tab));
  EXPECT_EQ(a, manager().FocusControl());
  manager().RemoveDispatchFilter(&keepsKeys);
}

TEST_F(ManagerWindow, TheMessageLoopRoutesKeysUntilQuit) {
  b->SetShortcut(L'b');
  Show();
  PostMessageW(window.GetHWND(), WM_SYSCHAR, L'B', 0);
  PostMessageW(window.GetHWND(), WM_KEYDOWN, VK_TAB, 0);
  PostQuitMessage(0);
  CWindowManagerUI::RunMessageLoop();
  EXPECT_EQ(1, b->activations);
  EXPECT_EQ(a, manager().FocusControl());  // Tab moved on from b and wrapped
}

UINT g_printFlags = 0;

LRESULT CALLBACK PrintedChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PRINT) g_printFlags = static_cast<UINT>(lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(ManagerWindow, PrintingWithChildrenAsksEachChildWindowToPrint) {
  Show();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = PrintedChildProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"SkinUITestPrintedChild";
  RegisterClassW(&wc);
  CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 150, 90, 30, 30,
                  window.GetHWND(), nullptr, wc.hInstance, nullptr);
  Canvas canvas(240, 160);
  window.Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT | PRF_CHILDREN);
  EXPECT_EQ(static_cast<UINT>(PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT), g_printFlags);
  POINT origin = {};
  GetWindowOrgEx(canvas.dc(), &origin);
  EXPECT_EQ(0, origin.x);  // the context's state is given back
}

}  // namespace
}  // namespace SkinUITest

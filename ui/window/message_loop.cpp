// CWindowManagerUI: the program's message loop, which lets every manager see
// keyboard messages before they are translated and dispatched.

#include "ui/window/window_manager.h"

namespace SkinUI {

namespace {

bool IsChildWindow(HWND window) {
  return (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
}

}  // namespace

bool CWindowManagerUI::RouteBeforeDispatch(const MSG& msg) {
  // A manager may end while it filters (a shortcut can close its window), so
  // the list is copied and each entry checked before it is asked.
  const std::vector<CWindowManagerUI*> managers = LiveManagers();
  for (CWindowManagerUI* manager : managers) {
    if (!IsLive(manager)) continue;
    HWND target = manager->window;
    if (target == nullptr) continue;
    const bool forThisWindow = msg.hwnd == target;
    const bool forItsChild =
        msg.hwnd != nullptr && GetParent(msg.hwnd) == target && IsChildWindow(msg.hwnd);
    if (!forThisWindow && !forItsChild) continue;
    LRESULT result = 0;
    if (manager->FilterBeforeDispatch(msg.message, msg.wParam, msg.lParam, result)) return true;
  }
  return false;
}

void CWindowManagerUI::RunMessageLoop() {
  MSG msg = {};
  // GetMessageW answers -1 on failure; only a positive answer is a message.
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (RouteBeforeDispatch(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace SkinUI

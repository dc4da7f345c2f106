// CControlUI: event delivery and the events every control understands.

#include "ui/controls/control.h"

namespace SkinUI {

void CControlUI::RouteEvent(TControlEvent& event) {
  if (!eventHooks.Invoke(&event)) return;
  HandleEvent(event);
}

void CControlUI::HandleEvent(TControlEvent& event) {
  switch (event.kind) {
    case EventContextMenu:
      if (menuUsed && manager != nullptr) {
        manager->SendNotification(this, NotifyType::kMenu, event.wParam, event.lParam);
        return;
      }
      break;
    case EventKillFocus:
      focused = false;
      Invalidate();
      return;
    case EventSetFocus:
      focused = true;
      Invalidate();
      return;
    case EventSetCursor:
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return;
    case EventTimer:
      if (manager != nullptr) {
        manager->SendNotification(this, NotifyType::kTimer, event.wParam, event.lParam);
      }
      return;
    default:
      break;
  }
  if (parent != nullptr) {
    parent->HandleEvent(event);
  } else if (IsKeyboardEvent(event.kind)) {
    event.unanswered = true;
  }
}

}  // namespace SkinUI

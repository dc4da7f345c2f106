// CWindowManagerUI: notifications to the application, delivered at once or
// queued until the window handles its next message.

#include "ui/window/window_manager.h"

#include "ui/controls/control.h"

namespace SkinUI {

void CWindowManagerUI::SendNotification(TNotifyMsg& msg, bool async) {
  msg.point = lastMousePoint;
  msg.time = GetTickCount();
  if (async) {
    notificationQueue.push_back(std::make_unique<TNotifyMsg>(msg));
    return;
  }
  Deliver(msg);
}

// The sender's hooks come first; the listeners hear it even when a hook
// refuses. Once a listener has closed the window the others belonged to a
// window that is gone, and hear nothing more.
bool CWindowManagerUI::Deliver(TNotifyMsg& msg) {
  const auto state = dispatch;
  if (msg.sender != nullptr && !msg.sender->NotifyHooks().IsEmpty()) {
    msg.sender->NotifyHooks().Invoke(&msg);
    if (state->managerGone) return false;
  }
  // A listener added while this one is delivered hears only later ones.
  const std::vector<INotifyUI*> receivers = listeners;
  for (INotifyUI* listener : receivers) {
    listener->Receive(msg);
    if (state->managerGone) return false;
  }
  return true;
}

bool CWindowManagerUI::Notify(CControlUI* sender, const wchar_t* type) {
  const auto state = dispatch;
  SendNotification(sender, type);
  return !state->managerGone;
}

// Oldest first; each entry leaves the queue before it is delivered, so a
// listener may queue more.
bool CWindowManagerUI::DrainNotificationQueue() {
  while (!notificationQueue.empty()) {
    std::unique_ptr<TNotifyMsg> msg = std::move(notificationQueue.front());
    notificationQueue.pop_front();
    if (!Deliver(*msg)) return false;
  }
  return true;
}

}  // namespace SkinUI

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
// refuses.
void CWindowManagerUI::Deliver(TNotifyMsg& msg) {
  if (msg.sender != nullptr && !msg.sender->NotifyHooks().IsEmpty()) {
    msg.sender->NotifyHooks().Invoke(&msg);
  }
  // A listener added while this one is delivered hears only later ones.
  const std::vector<INotifyUI*> receivers = listeners;
  for (INotifyUI* listener : receivers) listener->Receive(msg);
}

// Oldest first; each entry leaves the queue before it is delivered, so a
// listener may queue more.
void CWindowManagerUI::DrainNotificationQueue() {
  while (!notificationQueue.empty()) {
    std::unique_ptr<TNotifyMsg> msg = std::move(notificationQueue.front());
    notificationQueue.pop_front();
    Deliver(*msg);
  }
}

}  // namespace SkinUI

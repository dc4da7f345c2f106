// CWindowManagerUI: per-control timers. Native ids come from a counter that
// starts at 17 and wraps through 0 after 254; a stopped timer keeps its
// record and its id for a later restart.

#include "ui/window/window_manager.h"

#include <algorithm>

#include "ui/controls/control.h"

namespace SkinUI {

namespace {

constexpr UINT kTimerIdModulus = 255;

}  // namespace

TimerRecord* CWindowManagerUI::FindTimer(CControlUI* control, UINT key, bool runningOnly) {
  for (auto& record : timers) {
    if (record->control != control || record->window != window || record->key != key) continue;
    if (runningOnly && record->stopped) continue;
    return record.get();
  }
  return nullptr;
}

void CWindowManagerUI::KillRunningTimer(TimerRecord& record) {
  if (!record.stopped && IsWindow(record.window)) KillTimer(record.window, record.nativeId);
}

bool CWindowManagerUI::StartControlTimer(CControlUI* control, UINT key, UINT intervalMs) {
  // Without a window the platform would make a thread timer nobody receives.
  if (control == nullptr || window == nullptr) return false;
  if (TimerRecord* record = FindTimer(control, key, false)) {
    if (!record->stopped) return false;
    if (SetTimer(window, record->nativeId, intervalMs, nullptr) == 0) return false;
    record->stopped = false;
    return true;
  }
  timerIdCounter = (timerIdCounter + 1) % kTimerIdModulus;
  if (SetTimer(window, timerIdCounter, intervalMs, nullptr) == 0) return false;
  auto record = std::make_unique<TimerRecord>();
  record->control = control;
  record->key = key;
  record->window = window;
  record->nativeId = timerIdCounter;
  timers.push_back(std::move(record));
  return true;
}

bool CWindowManagerUI::StopControlTimer(CControlUI* control, UINT key) {
  TimerRecord* record = FindTimer(control, key, true);
  if (record == nullptr) return false;
  KillRunningTimer(*record);
  record->stopped = true;
  return true;
}

void CWindowManagerUI::StopControlTimers(CControlUI* control) {
  auto ofControl = [this, control](const std::unique_ptr<TimerRecord>& record) {
    if (record->control != control || record->window != window) return false;
    KillRunningTimer(*record);
    return true;
  };
  timers.erase(std::remove_if(timers.begin(), timers.end(), ofControl), timers.end());
}

void CWindowManagerUI::StopAllTimers() {
  for (auto& record : timers) {
    if (record->window == window) KillRunningTimer(*record);
  }
  timers.clear();
}

void CWindowManagerUI::OnTimer(WPARAM nativeId) {
  for (auto& record : timers) {
    if (record->window != window || record->nativeId != nativeId || record->stopped) continue;
    TControlEvent event;
    event.kind = EventTimer;
    event.sender = record->control;
    event.wParam = record->key;
    Deliver(record->control, event);
    return;
  }
}

}  // namespace SkinUI

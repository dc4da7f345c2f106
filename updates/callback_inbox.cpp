#include "updates/callback_inbox.h"

#include <utility>

CCallbackInbox::CCallbackInbox(LONGLONG jobToken)
    : jobToken_(jobToken), signal_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void CCallbackInbox::Push(TCallbackEvent event) {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back(std::move(event));
  SetEvent(signal_.get());
}

std::deque<TCallbackEvent> CCallbackInbox::TakeAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::deque<TCallbackEvent> taken;
  taken.swap(events_);
  ResetEvent(signal_.get());
  return taken;
}

bool CCallbackInbox::IsOwnJobState(const VARIANT& state) const {
  return state.vt == VT_I8 && state.llVal == jobToken_;
}

#pragma once
// The one step both completion callbacks take: note which job completed, and
// whether its state names the client that began it, for the agent thread.

#include <memory>

#include "platform/com_values.h"
#include "updates/callback_inbox.h"

template <typename Job>
void LeaveJobCompleted(const std::weak_ptr<CCallbackInbox>& weakInbox, Job* job,
                       AgentJobKind kind) noexcept {
  try {
    const std::shared_ptr<CCallbackInbox> inbox = weakInbox.lock();
    if (!inbox) return;
    UniqueVariant state;
    const bool own =
        job && SUCCEEDED(job->get_AsyncState(state.Out())) && inbox->IsOwnJobState(state.Get());
    inbox->Push(TJobCompleted{kind, own});
  } catch (...) {
  }
}

#pragma once

#include <memory>

#include "updates/agent_callback.h"
#include "updates/callback_inbox.h"

// Tells the client that its installation job completed; the client ends it
// outside the callback.
class CMyInstallCompleteCallBack final
    : public AgentCallback<CMyInstallCompleteCallBack, IInstallationCompletedCallback> {
 public:
  explicit CMyInstallCompleteCallBack(std::weak_ptr<CCallbackInbox> inbox)
      : inbox_(std::move(inbox)) {}

  HRESULT STDMETHODCALLTYPE Invoke(IInstallationJob* installationJob,
                                   IInstallationCompletedCallbackArgs* callbackArgs) override;

 private:
  const std::weak_ptr<CCallbackInbox> inbox_;
};

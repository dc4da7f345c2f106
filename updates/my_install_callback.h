#pragma once

#include <memory>

#include "updates/agent_callback.h"
#include "updates/callback_inbox.h"

// Copies the agent's installation progress into the client's inbox.
class CMyInstallCallback final
    : public AgentCallback<CMyInstallCallback, IInstallationProgressChangedCallback> {
 public:
  explicit CMyInstallCallback(std::weak_ptr<CCallbackInbox> inbox) : inbox_(std::move(inbox)) {}

  HRESULT STDMETHODCALLTYPE Invoke(IInstallationJob* installationJob,
                                   IInstallationProgressChangedCallbackArgs* callbackArgs) override;

 private:
  const std::weak_ptr<CCallbackInbox> inbox_;
};

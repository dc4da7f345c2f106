#pragma once

#include <atomic>

#include "updates/agent_callback.h"

class UpdateAgentClient;

// Ends the installation on the client that began it.
class CMyInstallCompleteCallBack final
    : public AgentCallback<CMyInstallCompleteCallBack, IInstallationCompletedCallback> {
 public:
  explicit CMyInstallCompleteCallBack(UpdateAgentClient* owner) : owner_(owner) {}

  HRESULT STDMETHODCALLTYPE Invoke(IInstallationJob* installationJob,
                                   IInstallationCompletedCallbackArgs* callbackArgs) override;

  // The agent may keep this object after its client is gone.
  void Detach() { owner_.store(nullptr); }

 private:
  std::atomic<UpdateAgentClient*> owner_;
};

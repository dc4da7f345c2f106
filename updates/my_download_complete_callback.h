#pragma once

#include <atomic>

#include "updates/agent_callback.h"

class UpdateAgentClient;

// Ends the download and begins the installation on the client that began it.
class CMyDownloadCompleteCallBack final
    : public AgentCallback<CMyDownloadCompleteCallBack, IDownloadCompletedCallback> {
 public:
  explicit CMyDownloadCompleteCallBack(UpdateAgentClient* owner) : owner_(owner) {}

  HRESULT STDMETHODCALLTYPE Invoke(IDownloadJob* downloadJob,
                                   IDownloadCompletedCallbackArgs* callbackArgs) override;

  // The agent may keep this object after its client is gone.
  void Detach() { owner_.store(nullptr); }

 private:
  std::atomic<UpdateAgentClient*> owner_;
};

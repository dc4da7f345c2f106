#pragma once

#include <memory>

#include "updates/agent_callback.h"
#include "updates/callback_inbox.h"

// Copies the agent's download progress into the client's inbox.
class CMyDownProgressCallback final
    : public AgentCallback<CMyDownProgressCallback, IDownloadProgressChangedCallback> {
 public:
  explicit CMyDownProgressCallback(std::weak_ptr<CCallbackInbox> inbox)
      : inbox_(std::move(inbox)) {}

  HRESULT STDMETHODCALLTYPE Invoke(IDownloadJob* downloadJob,
                                   IDownloadProgressChangedCallbackArgs* callbackArgs) override;

 private:
  const std::weak_ptr<CCallbackInbox> inbox_;
};

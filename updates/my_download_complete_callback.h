#pragma once

#include <memory>

#include "updates/agent_callback.h"
#include "updates/callback_inbox.h"

// Tells the client that its download job completed; the client ends it and
// begins the installation outside the callback.
class CMyDownloadCompleteCallBack final
    : public AgentCallback<CMyDownloadCompleteCallBack, IDownloadCompletedCallback> {
 public:
  explicit CMyDownloadCompleteCallBack(std::weak_ptr<CCallbackInbox> inbox)
      : inbox_(std::move(inbox)) {}

  HRESULT STDMETHODCALLTYPE Invoke(IDownloadJob* downloadJob,
                                   IDownloadCompletedCallbackArgs* callbackArgs) override;

 private:
  const std::weak_ptr<CCallbackInbox> inbox_;
};

#pragma once

#include <memory>

#include "agent_seam/agent_interfaces.h"
#include "agent_seam/com_object.h"
#include "updates/callback_inbox.h"

// Tells the client that its download job completed; the client ends it and
// begins the installation outside the callback.
class CMyDownloadCompleteCallBack final
    : public CComObject<CMyDownloadCompleteCallBack, IDownloadCompletedCallback> {
 public:
  explicit CMyDownloadCompleteCallBack(std::weak_ptr<CCallbackInbox> inbox)
      : inbox_(std::move(inbox)) {}

  HRESULT STDMETHODCALLTYPE Invoke(IDownloadJob* downloadJob,
                                   IDownloadCompletedCallbackArgs* callbackArgs) override;

 private:
  const std::weak_ptr<CCallbackInbox> inbox_;
};

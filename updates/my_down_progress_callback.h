#pragma once

#include <memory>

#include "agent_seam/agent_interfaces.h"
#include "agent_seam/com_object.h"
#include "updates/callback_inbox.h"

// Copies the agent's download progress into the client's inbox.
class CMyDownProgressCallback final
    : public CComObject<CMyDownProgressCallback, IDownloadProgressChangedCallback> {
 public:
  explicit CMyDownProgressCallback(std::weak_ptr<CCallbackInbox> inbox)
      : inbox_(std::move(inbox)) {}

  HRESULT STDMETHODCALLTYPE Invoke(IDownloadJob* downloadJob,
                                   IDownloadProgressChangedCallbackArgs* callbackArgs) override;

 private:
  const std::weak_ptr<CCallbackInbox> inbox_;
};

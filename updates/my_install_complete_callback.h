#pragma once

#include <memory>

#include "agent_seam/agent_interfaces.h"
#include "agent_seam/com_object.h"
#include "updates/callback_inbox.h"

// Tells the client that its installation job completed; the client ends it
// outside the callback.
class CMyInstallCompleteCallBack final
    : public CComObject<CMyInstallCompleteCallBack, IInstallationCompletedCallback> {
 public:
  explicit CMyInstallCompleteCallBack(std::weak_ptr<CCallbackInbox> inbox)
      : inbox_(std::move(inbox)) {}

  HRESULT STDMETHODCALLTYPE Invoke(IInstallationJob* installationJob,
                                   IInstallationCompletedCallbackArgs* callbackArgs) override;

 private:
  const std::weak_ptr<CCallbackInbox> inbox_;
};

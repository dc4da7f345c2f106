#pragma once

#include <memory>

#include "agent_seam/agent_interfaces.h"
#include "agent_seam/com_object.h"
#include "updates/callback_inbox.h"

// Copies the agent's installation progress into the client's inbox.
class CMyInstallCallback final
    : public CComObject<CMyInstallCallback, IInstallationProgressChangedCallback> {
 public:
  explicit CMyInstallCallback(std::weak_ptr<CCallbackInbox> inbox) : inbox_(std::move(inbox)) {}

  HRESULT STDMETHODCALLTYPE Invoke(IInstallationJob* installationJob,
                                   IInstallationProgressChangedCallbackArgs* callbackArgs) override;

 private:
  const std::weak_ptr<CCallbackInbox> inbox_;
};

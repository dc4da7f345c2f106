#pragma once

#include <atomic>

#include "updates/agent_callback.h"
#include "updates/progress_handlers.h"

// Forwards the agent's installation progress to the window's handler and
// remembers whether the final (100 percent) report has been delivered.
class CMyInstallCallback final
    : public AgentCallback<CMyInstallCallback, IInstallationProgressChangedCallback> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(IInstallationJob* installationJob,
                                   IInstallationProgressChangedCallbackArgs* callbackArgs) override;

  void SetHandler(InstallProgressHandler handler) { handler_.store(handler); }
  bool FinalReportDelivered() const { return finalReportDelivered_.load(); }
  void ForgetFinalReport() { finalReportDelivered_.store(false); }

 private:
  std::atomic<InstallProgressHandler> handler_{nullptr};
  std::atomic<bool> finalReportDelivered_{false};
};

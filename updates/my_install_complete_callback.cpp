#include "updates/my_install_complete_callback.h"

#include "updates/job_completion.h"

HRESULT STDMETHODCALLTYPE CMyInstallCompleteCallBack::Invoke(
    IInstallationJob* installationJob, IInstallationCompletedCallbackArgs* /*callbackArgs*/) {
  LeaveJobCompleted(inbox_, installationJob, AgentJobKind::kInstallation);
  return S_OK;
}

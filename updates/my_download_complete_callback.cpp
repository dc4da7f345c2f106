#include "updates/my_download_complete_callback.h"

#include "updates/job_completion.h"

HRESULT STDMETHODCALLTYPE CMyDownloadCompleteCallBack::Invoke(
    IDownloadJob* downloadJob, IDownloadCompletedCallbackArgs* /*callbackArgs*/) {
  LeaveJobCompleted(inbox_, downloadJob, AgentJobKind::kDownload);
  return S_OK;
}

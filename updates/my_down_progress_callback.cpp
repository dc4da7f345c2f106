#include "updates/my_down_progress_callback.h"

#include <wrl/client.h>

#include "updates/callbacks_closing.h"
#include "platform/com_values.h"
#include "updates/update_reads.h"

using Microsoft::WRL::ComPtr;

namespace {

struct DownloadReport {
  UniqueBstr title;
  UniqueBstr updateId;
  DECIMAL bytesDownloaded{};
  DECIMAL bytesToDownload{};
  LONG currentPercent = 0;
  LONG overallPercent = 0;
  LONG index = 0;
  LONG resultCode = 0;
  HRESULT result = S_OK;
};

bool ReadProgress(IDownloadProgressChangedCallbackArgs* args, DownloadReport& report) {
  ComPtr<IDownloadProgress> progress;
  if (FAILED(args->get_Progress(&progress)) || !progress) return false;
  return SUCCEEDED(progress->get_CurrentUpdateBytesDownloaded(&report.bytesDownloaded)) &&
         SUCCEEDED(progress->get_CurrentUpdateBytesToDownload(&report.bytesToDownload)) &&
         SUCCEEDED(progress->get_PercentComplete(&report.overallPercent)) &&
         SUCCEEDED(progress->get_CurrentUpdatePercentComplete(&report.currentPercent)) &&
         SUCCEEDED(progress->get_CurrentUpdateIndex(&report.index)) &&
         ReadUpdateResult<IUpdateDownloadResult>(progress.Get(), report.index, report.resultCode,
                                                 report.result);
}

bool ReadCurrentUpdate(IDownloadJob* job, DownloadReport& report) {
  ComPtr<IUpdateCollection> updates;
  if (FAILED(job->get_Updates(&updates)) || !updates) return false;
  return ReadUpdateAt(updates.Get(), report.index, report.title, report.updateId);
}

}  // namespace

// A report that cannot be read completely is dropped; the next one follows.
HRESULT STDMETHODCALLTYPE CMyDownProgressCallback::Invoke(
    IDownloadJob* downloadJob, IDownloadProgressChangedCallbackArgs* callbackArgs) {
  if (AgentCallbacksClosing()) return S_OK;
  const DownloadProgressHandler handler = handler_.load();
  if (!handler || !downloadJob || !callbackArgs) return S_OK;
  try {
    DownloadReport report;
    if (!ReadProgress(callbackArgs, report) || !ReadCurrentUpdate(downloadJob, report)) {
      return S_OK;
    }
    handler(report.title.Text(), report.updateId.Text(), report.bytesDownloaded,
            report.bytesToDownload, report.currentPercent, report.overallPercent, report.resultCode,
            report.result);
  } catch (...) {
  }
  return S_OK;
}

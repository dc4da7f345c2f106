#include "updates/my_down_progress_callback.h"

#include <wrl/client.h>

#include "platform/com_values.h"
#include "updates/update_reads.h"

using Microsoft::WRL::ComPtr;

namespace {

struct DownloadReading {
  UniqueBstr title;
  UniqueBstr updateId;
  DECIMAL bytesDownloaded{};
  DECIMAL bytesToDownload{};
  LONG currentPercent = 0;
  LONG overallPercent = 0;
  LONG index = 0;
  LONG resultCode = 0;
  HRESULT result = S_OK;

  TDownloadReport Report() const {
    return TDownloadReport{title.Text(),         updateId.Text(), bytesDownloaded.Lo64,
                           bytesToDownload.Lo64, currentPercent,  overallPercent,
                           resultCode,           result};
  }
};

bool ReadProgress(IDownloadProgressChangedCallbackArgs* args, DownloadReading& report) {
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

bool ReadCurrentUpdate(IDownloadJob* job, DownloadReading& report) {
  ComPtr<IUpdateCollection> updates;
  if (FAILED(job->get_Updates(&updates)) || !updates) return false;
  return ReadUpdateAt(updates.Get(), report.index, report.title, report.updateId);
}

}  // namespace

// A report that cannot be read completely is dropped; the next one follows.
HRESULT STDMETHODCALLTYPE CMyDownProgressCallback::Invoke(
    IDownloadJob* downloadJob, IDownloadProgressChangedCallbackArgs* callbackArgs) {
  if (!downloadJob || !callbackArgs) return S_OK;
  try {
    const std::shared_ptr<CCallbackInbox> inbox = inbox_.lock();
    if (!inbox) return S_OK;
    DownloadReading reading;
    if (!ReadProgress(callbackArgs, reading) || !ReadCurrentUpdate(downloadJob, reading)) {
      return S_OK;
    }
    inbox->Push(reading.Report());
  } catch (...) {
  }
  return S_OK;
}

#include "updates/my_install_callback.h"

#include <wrl/client.h>

#include "platform/com_values.h"
#include "updates/update_reads.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr LONG kFinalPercent = 100;

struct InstallReading {
  ComPtr<IUpdateCollection> updates;
  UniqueBstr title;
  UniqueBstr updateId;
  LONG currentPercent = 0;
  LONG overallPercent = 0;
  LONG index = 0;
  LONG count = 0;
  LONG resultCode = 0;
  HRESULT result = S_OK;

  TInstallReport Report() const {
    return TInstallReport{title.Text(),    updateId.Text(), index + 1,  count,
                          currentPercent,  overallPercent,  resultCode, result,
                          std::vector<TUpdateOutcome>()};
  }
};

bool ReadProgress(IInstallationProgress* progress, InstallReading& report) {
  return SUCCEEDED(progress->get_CurrentUpdatePercentComplete(&report.currentPercent)) &&
         SUCCEEDED(progress->get_PercentComplete(&report.overallPercent)) &&
         SUCCEEDED(progress->get_CurrentUpdateIndex(&report.index)) &&
         ReadUpdateResult<IUpdateInstallationResult>(progress, report.index, report.resultCode,
                                                     report.result);
}

bool ReadCurrentUpdate(IInstallationJob* job, InstallReading& report) {
  if (FAILED(job->get_Updates(&report.updates)) || !report.updates) return false;
  if (FAILED(report.updates->get_Count(&report.count))) return false;
  return ReadUpdateAt(report.updates.Get(), report.index, report.title, report.updateId);
}

// The final report carries the verdict for the whole installation, so an
// earlier update's failure must not be hidden behind the last one's success.
void TakeEarlierFailure(IInstallationProgress* progress, InstallReading& report) {
  const bool currentSucceeded =
      (report.resultCode == orcInProgress || report.resultCode == orcSucceeded) &&
      report.result >= 0;
  if (!currentSucceeded) return;
  for (LONG i = 0; i < report.count; ++i) {
    if (i == report.index) continue;
    ComPtr<IUpdateInstallationResult> result;
    if (FAILED(progress->GetUpdateResult(i, &result)) || !result) continue;
    OperationResultCode code = orcNotStarted;
    LONG hr = S_OK;
    const bool codeRead = SUCCEEDED(result->get_ResultCode(&code));
    const bool hrRead = SUCCEEDED(result->get_HResult(&hr));
    const bool codeFailed = codeRead && code >= orcSucceededWithErrors;
    const bool hrFailed = hrRead && hr < 0;
    if (!codeFailed && !hrFailed) continue;
    report.resultCode = codeRead ? code : orcFailed;
    report.result = hrRead ? hr : S_OK;
    return;
  }
}

}  // namespace

// A report that cannot be read completely is dropped; the next one follows.
HRESULT STDMETHODCALLTYPE CMyInstallCallback::Invoke(
    IInstallationJob* installationJob, IInstallationProgressChangedCallbackArgs* callbackArgs) {
  if (!installationJob || !callbackArgs) return S_OK;
  try {
    const std::shared_ptr<CCallbackInbox> inbox = inbox_.lock();
    if (!inbox) return S_OK;
    ComPtr<IInstallationProgress> progress;
    if (FAILED(callbackArgs->get_Progress(&progress)) || !progress) return S_OK;
    InstallReading reading;
    if (!ReadProgress(progress.Get(), reading) || !ReadCurrentUpdate(installationJob, reading)) {
      return S_OK;
    }
    TInstallReport report = reading.Report();
    if (reading.overallPercent == kFinalPercent) {
      TakeEarlierFailure(progress.Get(), reading);
      report = reading.Report();
      report.outcomes =
          ReadOutcomes<IUpdateInstallationResult>(progress.Get(), reading.updates.Get());
    }
    inbox->Push(std::move(report));
  } catch (...) {
  }
  return S_OK;
}

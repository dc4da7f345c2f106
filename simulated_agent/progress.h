#pragma once
// What a job reports: progress snapshots, per-update results, the final
// results of EndDownload/EndInstall and the argument objects of the callbacks.

#include "agent_seam/agent_interfaces.h"
#include "simulated_agent/catalogue.h"
#include "simulated_agent/dispatch_object.h"

#include <vector>

namespace simulated_agent {

struct TUpdateResult {
  LONG resultCode = orcNotStarted;
  HRESULT hresult = S_OK;
  bool rebootRequired = false;
};

// The state of a job at one moment.
struct TJobSnapshot {
  LONG currentIndex = 0;
  LONG currentPercent = 0;
  LONG percent = 0;
  std::vector<TUpdateResult> results;
  std::vector<ULONGLONG> sizes;
  // Step by step: the current update's bytes as the test gave them, and the
  // reads that fail (SimulatedProgressRead bits).
  bool bytesGiven = false;
  ULONGLONG bytesDone = 0;
  ULONGLONG bytesToDo = 0;
  unsigned failingReads = 0;
  ULONG sizeHighBits = 0;
};

// The result of a whole job from the results of its updates.
TUpdateResult SummariseJob(const std::vector<TUpdateResult>& results, bool aborted);

// The final results of a job, and what is reported for it as a whole.
struct TJobResults {
  std::vector<TUpdateResult> updates;
  TUpdateResult summary;
};

class CUpdateDownloadResult final : public CDispatchObject<IUpdateDownloadResult> {
 public:
  explicit CUpdateDownloadResult(TUpdateResult result) : result_(result) {}
  STDMETHODIMP get_HResult(LONG* retval) override;
  STDMETHODIMP get_ResultCode(OperationResultCode* retval) override;

 private:
  TUpdateResult result_;
};

class CUpdateInstallationResult final : public CDispatchObject<IUpdateInstallationResult> {
 public:
  explicit CUpdateInstallationResult(TUpdateResult result) : result_(result) {}
  STDMETHODIMP get_HResult(LONG* retval) override;
  STDMETHODIMP get_RebootRequired(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_ResultCode(OperationResultCode* retval) override;

 private:
  TUpdateResult result_;
};

// A read of the snapshot, or E_FAIL when the test made it fail.
HRESULT ReadOrFail(const TJobSnapshot& snapshot, unsigned read, LONG value, LONG* out);

class CDownloadProgress final : public CDispatchObject<IDownloadProgress> {
 public:
  explicit CDownloadProgress(TJobSnapshot snapshot) : snapshot_(std::move(snapshot)) {}
  STDMETHODIMP get_CurrentUpdateBytesDownloaded(DECIMAL* retval) override;
  STDMETHODIMP get_CurrentUpdateBytesToDownload(DECIMAL* retval) override;
  STDMETHODIMP get_CurrentUpdateIndex(LONG* retval) override;
  STDMETHODIMP get_PercentComplete(LONG* retval) override;
  STDMETHODIMP get_TotalBytesDownloaded(DECIMAL* retval) override;
  STDMETHODIMP get_TotalBytesToDownload(DECIMAL* retval) override;
  STDMETHODIMP GetUpdateResult(LONG updateIndex, IUpdateDownloadResult** retval) override;
  STDMETHODIMP get_CurrentUpdateDownloadPhase(DownloadPhase* retval) override;
  STDMETHODIMP get_CurrentUpdatePercentComplete(LONG* retval) override;

 private:
  ULONGLONG CurrentSize() const;
  ULONGLONG BytesDone(size_t index) const;
  HRESULT CopyBytes(unsigned read, ULONGLONG value, DECIMAL* out) const;

  TJobSnapshot snapshot_;
};

class CInstallationProgress final : public CDispatchObject<IInstallationProgress> {
 public:
  explicit CInstallationProgress(TJobSnapshot snapshot) : snapshot_(std::move(snapshot)) {}
  STDMETHODIMP get_CurrentUpdateIndex(LONG* retval) override;
  STDMETHODIMP get_CurrentUpdatePercentComplete(LONG* retval) override;
  STDMETHODIMP get_PercentComplete(LONG* retval) override;
  STDMETHODIMP GetUpdateResult(LONG updateIndex, IUpdateInstallationResult** retval) override;

 private:
  TJobSnapshot snapshot_;
};

class CDownloadResult final : public CDispatchObject<IDownloadResult> {
 public:
  explicit CDownloadResult(TJobResults results)
      : results_(std::move(results.updates)), summary_(results.summary) {}
  STDMETHODIMP get_HResult(LONG* retval) override;
  STDMETHODIMP get_ResultCode(OperationResultCode* retval) override;
  STDMETHODIMP GetUpdateResult(LONG updateIndex, IUpdateDownloadResult** retval) override;

 private:
  std::vector<TUpdateResult> results_;
  TUpdateResult summary_;
};

class CInstallationResult final : public CDispatchObject<IInstallationResult> {
 public:
  explicit CInstallationResult(TJobResults results)
      : results_(std::move(results.updates)), summary_(results.summary) {}
  STDMETHODIMP get_HResult(LONG* retval) override;
  STDMETHODIMP get_RebootRequired(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_ResultCode(OperationResultCode* retval) override;
  STDMETHODIMP GetUpdateResult(LONG updateIndex, IUpdateInstallationResult** retval) override;

 private:
  std::vector<TUpdateResult> results_;
  TUpdateResult summary_;
};

template <typename Progress, typename ProgressObject>
class CProgressChangedArgs final : public CDispatchObject<Progress> {
 public:
  explicit CProgressChangedArgs(ComPtr<ProgressObject> progress,
                                SimulatedFault fault = SimulatedFault::kNone)
      : progress_(std::move(progress)), fault_(fault) {}
  STDMETHODIMP get_Progress(ProgressObject** retval) override {
    if (const HRESULT refused = this->ApartmentRefusal()) return refused;
    if (fault_ == SimulatedFault::kFails) return E_FAIL;
    if (fault_ == SimulatedFault::kEmpty) return HandOutNothing(retval);
    return HandOut(progress_, retval);
  }

 private:
  ComPtr<ProgressObject> progress_;
  const SimulatedFault fault_;
};

using CDownloadProgressChangedArgs =
    CProgressChangedArgs<IDownloadProgressChangedCallbackArgs, IDownloadProgress>;
using CInstallationProgressChangedArgs =
    CProgressChangedArgs<IInstallationProgressChangedCallbackArgs, IInstallationProgress>;

template <typename Args>
class CCompletedArgs final : public CDispatchObject<Args> {};

using CDownloadCompletedArgs = CCompletedArgs<IDownloadCompletedCallbackArgs>;
using CInstallationCompletedArgs = CCompletedArgs<IInstallationCompletedCallbackArgs>;

}  // namespace simulated_agent

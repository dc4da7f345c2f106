#include "simulated_agent/progress.h"

#include "simulated_agent/job_steps.h"

namespace simulated_agent {

namespace {

bool Succeeded(const TUpdateResult& result) {
  return result.resultCode == orcSucceeded || result.resultCode == orcSucceededWithErrors;
}

HRESULT CopyLong(LONG value, LONG* out) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

HRESULT CopyCode(LONG value, OperationResultCode* out) {
  if (!out) return E_POINTER;
  *out = static_cast<OperationResultCode>(value);
  return S_OK;
}

HRESULT CopyBool(bool value, VARIANT_BOOL* out) {
  if (!out) return E_POINTER;
  *out = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <typename ResultObject, typename Interface>
HRESULT HandOutResult(const std::vector<TUpdateResult>& results, LONG index, Interface** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (index < 0 || static_cast<size_t>(index) >= results.size()) return E_INVALIDARG;
  return Guarded([&] { return HandOut(MakeObject<ResultObject>(results[index]), out); });
}

}  // namespace

HRESULT ReadOrFail(const TJobSnapshot& snapshot, unsigned read, LONG value, LONG* out) {
  if ((snapshot.failingReads & read) != 0) return E_FAIL;
  return CopyLong(value, out);
}

TUpdateResult SummariseJob(const std::vector<TUpdateResult>& results, bool aborted) {
  TUpdateResult summary;
  summary.resultCode = orcSucceeded;
  if (aborted) {
    summary.resultCode = orcAborted;
    return summary;
  }
  size_t succeeded = 0;
  size_t whole = 0;
  const TUpdateResult* firstFailure = nullptr;
  for (const auto& result : results) {
    if (Succeeded(result)) ++succeeded;
    if (result.resultCode == orcSucceeded) ++whole;
    if (!Succeeded(result) && !firstFailure) firstFailure = &result;
    if (Succeeded(result) && result.rebootRequired) summary.rebootRequired = true;
  }
  if (whole == results.size()) return summary;
  if (succeeded == 0) {
    summary.resultCode = orcFailed;
    summary.hresult =
        firstFailure && FAILED(firstFailure->hresult) ? firstFailure->hresult : E_FAIL;
    return summary;
  }
  summary.resultCode = orcSucceededWithErrors;
  return summary;
}

STDMETHODIMP CUpdateDownloadResult::get_HResult(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyLong(result_.hresult, retval);
}

STDMETHODIMP CUpdateDownloadResult::get_ResultCode(OperationResultCode* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyCode(result_.resultCode, retval);
}

STDMETHODIMP CUpdateInstallationResult::get_HResult(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyLong(result_.hresult, retval);
}

STDMETHODIMP CUpdateInstallationResult::get_RebootRequired(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyBool(Succeeded(result_) && result_.rebootRequired, retval);
}

STDMETHODIMP CUpdateInstallationResult::get_ResultCode(OperationResultCode* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyCode(result_.resultCode, retval);
}

ULONGLONG CDownloadProgress::CurrentSize() const {
  const size_t index = static_cast<size_t>(snapshot_.currentIndex);
  return index < snapshot_.sizes.size() ? snapshot_.sizes[index] : 0;
}

// Updates before the current one are done, later ones not begun.
ULONGLONG CDownloadProgress::BytesDone(size_t index) const {
  const size_t current = static_cast<size_t>(snapshot_.currentIndex);
  if (index < current) return snapshot_.sizes[index];
  if (index > current) return 0;
  return snapshot_.sizes[index] / 100 * snapshot_.currentPercent +
         snapshot_.sizes[index] % 100 * snapshot_.currentPercent / 100;
}

HRESULT CDownloadProgress::CopyBytes(unsigned read, ULONGLONG value, DECIMAL* out) const {
  if ((snapshot_.failingReads & read) != 0) return E_FAIL;
  const HRESULT hr = CopyDecimal(value, out);
  if (SUCCEEDED(hr)) out->Hi32 = snapshot_.sizeHighBits;
  return hr;
}

STDMETHODIMP CDownloadProgress::get_CurrentUpdateBytesDownloaded(DECIMAL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (snapshot_.bytesGiven) return CopyBytes(kProgressReadBytesDone, snapshot_.bytesDone, retval);
  const size_t index = static_cast<size_t>(snapshot_.currentIndex);
  return CopyBytes(kProgressReadBytesDone, index < snapshot_.sizes.size() ? BytesDone(index) : 0,
                   retval);
}

STDMETHODIMP CDownloadProgress::get_CurrentUpdateBytesToDownload(DECIMAL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  const ULONGLONG bytes = snapshot_.bytesGiven ? snapshot_.bytesToDo : CurrentSize();
  return CopyBytes(kProgressReadBytesToDo, bytes, retval);
}

STDMETHODIMP CDownloadProgress::get_CurrentUpdateIndex(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return ReadOrFail(snapshot_, kProgressReadIndex, snapshot_.currentIndex, retval);
}

STDMETHODIMP CDownloadProgress::get_PercentComplete(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return ReadOrFail(snapshot_, kProgressReadPercent, snapshot_.percent, retval);
}

STDMETHODIMP CDownloadProgress::get_TotalBytesDownloaded(DECIMAL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  ULONGLONG total = 0;
  for (size_t i = 0; i < snapshot_.sizes.size(); ++i) total += BytesDone(i);
  return CopyBytes(kProgressReadNothing, total, retval);
}

STDMETHODIMP CDownloadProgress::get_TotalBytesToDownload(DECIMAL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  ULONGLONG total = 0;
  for (ULONGLONG size : snapshot_.sizes) total += size;
  return CopyBytes(kProgressReadNothing, total, retval);
}

STDMETHODIMP CDownloadProgress::GetUpdateResult(LONG updateIndex, IUpdateDownloadResult** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if ((snapshot_.failingReads & kProgressReadUpdateResult) != 0) return E_FAIL;
  return HandOutResult<CUpdateDownloadResult>(snapshot_.results, updateIndex, retval);
}

STDMETHODIMP CDownloadProgress::get_CurrentUpdateDownloadPhase(DownloadPhase* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = snapshot_.currentPercent >= 100 ? dphVerifying : dphDownloading;
  return S_OK;
}

STDMETHODIMP CDownloadProgress::get_CurrentUpdatePercentComplete(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return ReadOrFail(snapshot_, kProgressReadCurrentPercent, snapshot_.currentPercent, retval);
}

STDMETHODIMP CInstallationProgress::get_CurrentUpdateIndex(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return ReadOrFail(snapshot_, kProgressReadIndex, snapshot_.currentIndex, retval);
}

STDMETHODIMP CInstallationProgress::get_CurrentUpdatePercentComplete(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return ReadOrFail(snapshot_, kProgressReadCurrentPercent, snapshot_.currentPercent, retval);
}

STDMETHODIMP CInstallationProgress::get_PercentComplete(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return ReadOrFail(snapshot_, kProgressReadPercent, snapshot_.percent, retval);
}

STDMETHODIMP CInstallationProgress::GetUpdateResult(LONG updateIndex,
                                                    IUpdateInstallationResult** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if ((snapshot_.failingReads & kProgressReadUpdateResult) != 0) return E_FAIL;
  return HandOutResult<CUpdateInstallationResult>(snapshot_.results, updateIndex, retval);
}

STDMETHODIMP CDownloadResult::get_HResult(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyLong(summary_.hresult, retval);
}

STDMETHODIMP CDownloadResult::get_ResultCode(OperationResultCode* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyCode(summary_.resultCode, retval);
}

STDMETHODIMP CDownloadResult::GetUpdateResult(LONG updateIndex, IUpdateDownloadResult** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return HandOutResult<CUpdateDownloadResult>(results_, updateIndex, retval);
}

STDMETHODIMP CInstallationResult::get_HResult(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyLong(summary_.hresult, retval);
}

STDMETHODIMP CInstallationResult::get_RebootRequired(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyBool(summary_.rebootRequired, retval);
}

STDMETHODIMP CInstallationResult::get_ResultCode(OperationResultCode* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyCode(summary_.resultCode, retval);
}

STDMETHODIMP CInstallationResult::GetUpdateResult(LONG updateIndex,
                                                  IUpdateInstallationResult** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return HandOutResult<CUpdateInstallationResult>(results_, updateIndex, retval);
}

}  // namespace simulated_agent

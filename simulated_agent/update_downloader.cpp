#include "simulated_agent/update_downloader.h"

#include "simulated_agent/progress.h"

namespace simulated_agent {

CUpdateDownloader::CUpdateDownloader(AgentState agent) : CJobStarter(std::move(agent)) {}

STDMETHODIMP CUpdateDownloader::get_Priority(DownloadPriority* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = priority_;
  return S_OK;
}

STDMETHODIMP CUpdateDownloader::put_Priority(DownloadPriority value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (value < dpLow || value > dpHigh) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(mutex_);
  priority_ = value;
  return S_OK;
}

STDMETHODIMP CUpdateDownloader::BeginDownload(IUnknown* onProgressChanged, IUnknown* onCompleted,
                                              VARIANT state, IDownloadJob** retval) {
  return BeginOverUpdates(L"BeginDownload", agent_->Failures().beginDownload, onProgressChanged,
                          onCompleted, state, retval);
}

STDMETHODIMP CUpdateDownloader::EndDownload(IDownloadJob* value, IDownloadResult** retval) {
  return EndWithResults<CDownloadResult>(L"EndDownload", agent_->Failures().endDownload, value,
                                         retval);
}

}  // namespace simulated_agent

#include "simulated_agent/update_downloader.h"

#include "simulated_agent/paced_job.h"

namespace simulated_agent {

CUpdateDownloader::CUpdateDownloader(AgentState agent)
    : agent_(std::move(agent)), serial_(NextOwnerSerial()) {}

STDMETHODIMP CUpdateDownloader::get_ClientApplicationID(BSTR* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  return CopyBstr(clientApplicationId_.c_str(), retval);
}

STDMETHODIMP CUpdateDownloader::put_ClientApplicationID(BSTR value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return Guarded([&] {
    std::lock_guard<std::mutex> lock(mutex_);
    clientApplicationId_.assign(value ? value : L"", SysStringLen(value));
    return S_OK;
  });
}

STDMETHODIMP CUpdateDownloader::get_IsForced(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = isForced_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CUpdateDownloader::put_IsForced(VARIANT_BOOL value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  isForced_ = value != VARIANT_FALSE;
  return S_OK;
}

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

STDMETHODIMP CUpdateDownloader::get_Updates(IUpdateCollection** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!updates_) {
    if (retval) *retval = nullptr;
    return retval ? S_OK : E_POINTER;
  }
  return HandOut(updates_, retval);
}

STDMETHODIMP CUpdateDownloader::put_Updates(IUpdateCollection* value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!value) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(mutex_);
  updates_ = value;
  return S_OK;
}

STDMETHODIMP CUpdateDownloader::BeginDownload(IUnknown* onProgressChanged, IUnknown* onCompleted,
                                              VARIANT state, IDownloadJob** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  const HRESULT failure = agent_->Failures().beginDownload;
  if (FAILED(failure)) return agent_->Answer(L"BeginDownload", failure);
  ComPtr<IUpdateCollection> updates;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    updates = updates_;
  }
  const HRESULT hr = BeginJob<TDownloadKind>(agent_, serial_, updates.Get(), onProgressChanged,
                                             onCompleted, state, retval);
  return agent_->Answer(L"BeginDownload", hr);
}

STDMETHODIMP CUpdateDownloader::EndDownload(IDownloadJob* value, IDownloadResult** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  const HRESULT failure = agent_->Failures().endDownload;
  if (FAILED(failure)) return agent_->Answer(L"EndDownload", failure);
  return agent_->Answer(L"EndDownload", Guarded([&]() -> HRESULT {
                          TJobResults results;
                          const HRESULT hr = EndJob<TDownloadKind>(serial_, value, results);
                          if (FAILED(hr)) return hr;
                          return HandOut(MakeObject<CDownloadResult>(std::move(results)), retval);
                        }));
}

}  // namespace simulated_agent

#include "simulated_agent/update_installer.h"

#include "simulated_agent/paced_job.h"

namespace simulated_agent {

CUpdateInstaller::CUpdateInstaller(AgentState agent)
    : agent_(std::move(agent)), serial_(NextOwnerSerial()) {}

STDMETHODIMP CUpdateInstaller::get_ClientApplicationID(BSTR* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  return CopyBstr(clientApplicationId_.c_str(), retval);
}

STDMETHODIMP CUpdateInstaller::put_ClientApplicationID(BSTR value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return Guarded([&] {
    std::lock_guard<std::mutex> lock(mutex_);
    clientApplicationId_.assign(value ? value : L"", SysStringLen(value));
    return S_OK;
  });
}

STDMETHODIMP CUpdateInstaller::get_IsForced(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = isForced_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CUpdateInstaller::put_IsForced(VARIANT_BOOL value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  isForced_ = value != VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CUpdateInstaller::get_ParentHwnd(HWND* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = parentHwnd_;
  return S_OK;
}

STDMETHODIMP CUpdateInstaller::put_ParentHwnd(HWND value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  parentHwnd_ = value;
  return S_OK;
}

STDMETHODIMP CUpdateInstaller::get_Updates(IUpdateCollection** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!updates_) {
    if (retval) *retval = nullptr;
    return retval ? S_OK : E_POINTER;
  }
  return HandOut(updates_, retval);
}

STDMETHODIMP CUpdateInstaller::put_Updates(IUpdateCollection* value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!value) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(mutex_);
  updates_ = value;
  return S_OK;
}

STDMETHODIMP CUpdateInstaller::BeginInstall(IUnknown* onProgressChanged, IUnknown* onCompleted,
                                            VARIANT state, IInstallationJob** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  const HRESULT failure = agent_->Failures().beginInstall;
  if (FAILED(failure)) return agent_->Answer(L"BeginInstall", failure);
  ComPtr<IUpdateCollection> updates;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    updates = updates_;
  }
  const HRESULT hr = BeginJob<TInstallationKind>(agent_, serial_, updates.Get(), onProgressChanged,
                                                 onCompleted, state, retval);
  return agent_->Answer(L"BeginInstall", hr);
}

STDMETHODIMP CUpdateInstaller::EndInstall(IInstallationJob* value, IInstallationResult** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  const HRESULT failure = agent_->Failures().endInstall;
  if (FAILED(failure)) return agent_->Answer(L"EndInstall", failure);
  return agent_->Answer(L"EndInstall", Guarded([&]() -> HRESULT {
                          TJobResults results;
                          const HRESULT hr = EndJob<TInstallationKind>(serial_, value, results);
                          if (FAILED(hr)) return hr;
                          return HandOut(MakeObject<CInstallationResult>(std::move(results)),
                                         retval);
                        }));
}

STDMETHODIMP CUpdateInstaller::get_AllowSourcePrompts(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = allowSourcePrompts_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CUpdateInstaller::put_AllowSourcePrompts(VARIANT_BOOL value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  allowSourcePrompts_ = value != VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CUpdateInstaller::get_RebootRequiredBeforeInstallation(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = VARIANT_FALSE;
  return S_OK;
}

}  // namespace simulated_agent

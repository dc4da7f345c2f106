#include "simulated_agent/update_installer.h"

#include "simulated_agent/progress.h"

namespace simulated_agent {

CUpdateInstaller::CUpdateInstaller(AgentState agent) : CJobStarter(std::move(agent)) {}

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

STDMETHODIMP CUpdateInstaller::BeginInstall(IUnknown* onProgressChanged, IUnknown* onCompleted,
                                            VARIANT state, IInstallationJob** retval) {
  return BeginOverUpdates(L"BeginInstall", agent_->Failures().beginInstall, onProgressChanged,
                          onCompleted, state, retval);
}

STDMETHODIMP CUpdateInstaller::EndInstall(IInstallationJob* value, IInstallationResult** retval) {
  return EndWithResults<CInstallationResult>(L"EndInstall", agent_->Failures().endInstall, value,
                                             retval);
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

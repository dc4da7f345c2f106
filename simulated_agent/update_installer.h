#pragma once
// Installs the updates it is given, asynchronously.

#include "agent_seam/agent_interfaces.h"
#include "simulated_agent/agent_state.h"
#include "simulated_agent/dispatch_object.h"

namespace simulated_agent {

class CUpdateInstaller final : public CDispatchObject<IUpdateInstaller> {
 public:
  explicit CUpdateInstaller(AgentState agent);

  STDMETHODIMP get_ClientApplicationID(BSTR* retval) override;
  STDMETHODIMP put_ClientApplicationID(BSTR value) override;
  STDMETHODIMP get_IsForced(VARIANT_BOOL* retval) override;
  STDMETHODIMP put_IsForced(VARIANT_BOOL value) override;
  STDMETHODIMP get_ParentHwnd(HWND* retval) override;
  STDMETHODIMP put_ParentHwnd(HWND value) override;
  STDMETHODIMP put_ParentWindow(IUnknown*) override { return NotImplemented(); }
  STDMETHODIMP get_ParentWindow(IUnknown**) override { return NotImplemented(); }
  STDMETHODIMP get_Updates(IUpdateCollection** retval) override;
  STDMETHODIMP put_Updates(IUpdateCollection* value) override;
  STDMETHODIMP BeginInstall(IUnknown* onProgressChanged, IUnknown* onCompleted, VARIANT state,
                            IInstallationJob** retval) override;
  STDMETHODIMP BeginUninstall(IUnknown*, IUnknown*, VARIANT, IInstallationJob**) override {
    return NotImplemented();
  }
  STDMETHODIMP EndInstall(IInstallationJob* value, IInstallationResult** retval) override;
  STDMETHODIMP EndUninstall(IInstallationJob*, IInstallationResult**) override {
    return NotImplemented();
  }
  STDMETHODIMP Install(IInstallationResult**) override { return NotImplemented(); }
  STDMETHODIMP RunWizard(BSTR, IInstallationResult**) override { return NotImplemented(); }
  STDMETHODIMP get_IsBusy(VARIANT_BOOL*) override { return NotImplemented(); }
  STDMETHODIMP Uninstall(IInstallationResult**) override { return NotImplemented(); }
  STDMETHODIMP get_AllowSourcePrompts(VARIANT_BOOL* retval) override;
  STDMETHODIMP put_AllowSourcePrompts(VARIANT_BOOL value) override;
  STDMETHODIMP get_RebootRequiredBeforeInstallation(VARIANT_BOOL* retval) override;

 private:
  HRESULT Begin(IUnknown* onProgressChanged, IUnknown* onCompleted, const VARIANT& state,
                IInstallationJob** retval);

  AgentState agent_;
  const LONG serial_;
  std::mutex mutex_;
  std::wstring clientApplicationId_;
  bool isForced_ = false;
  bool allowSourcePrompts_ = true;
  HWND parentHwnd_ = nullptr;
  ComPtr<IUpdateCollection> updates_;
};

}  // namespace simulated_agent

#pragma once
// Installs the updates it is given, asynchronously.

#include "simulated_agent/job_starter.h"

namespace simulated_agent {

class CUpdateInstaller final : public CJobStarter<IUpdateInstaller, TInstallationKind> {
 public:
  explicit CUpdateInstaller(AgentState agent);

  STDMETHODIMP get_ParentHwnd(HWND* retval) override;
  STDMETHODIMP put_ParentHwnd(HWND value) override;
  STDMETHODIMP put_ParentWindow(IUnknown*) override { return NotImplemented(); }
  STDMETHODIMP get_ParentWindow(IUnknown**) override { return NotImplemented(); }
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
  bool allowSourcePrompts_ = true;
  HWND parentHwnd_ = nullptr;
};

}  // namespace simulated_agent

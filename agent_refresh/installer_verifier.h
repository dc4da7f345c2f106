#pragma once
// Decides whether a downloaded agent installer may be run. The product checks
// the Authenticode signature and its signer; tests may stand in their own.
//
// To replace: derive from IInstallerVerifier, SetInstallerVerifier(&yours),
// and SetInstallerVerifier(nullptr) to return to the system check. The
// replacement is not owned and must outlive every refresh.

#include <windows.h>

class IInstallerVerifier {
 public:
  // `file` is the installer, held open against change while this runs.
  virtual bool IsTrustedInstaller(HANDLE file, const char* path) = 0;

 protected:
  ~IInstallerVerifier() = default;
};

IInstallerVerifier& InstallerVerifier();
IInstallerVerifier& SystemInstallerVerifier();
void SetInstallerVerifier(IInstallerVerifier* replacement);

#pragma once
// Decides whether a downloaded file (the catalogue cabinet, the agent
// installer) comes from the platform vendor. The product checks the
// Authenticode signature and its signer; tests may stand in their own.
//
// To replace: derive from IVendorSignatureVerifier,
// SetVendorSignatureVerifier(&yours), and SetVendorSignatureVerifier(nullptr)
// to return to the system check. The replacement is not owned and must
// outlive every refresh.

#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

class IVendorSignatureVerifier {
 public:
  // `file` is open on `path` and held against change while this runs.
  virtual bool IsVendorSigned(HANDLE file, const char* path) = 0;

 protected:
  ~IVendorSignatureVerifier() = default;
};

IVendorSignatureVerifier& VendorSignatureVerifier();
IVendorSignatureVerifier& SystemVendorSignatureVerifier();
void SetVendorSignatureVerifier(IVendorSignatureVerifier* replacement);

// Opens the file for reading with read sharing only, so that nobody can
// change, replace or delete it while the handle lives, and returns that
// handle if the file is vendor signed; an empty handle otherwise.
UniqueHandle OpenVendorSigned(const std::string& path);

#include "agent_refresh/vendor_signature_verifier.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cwchar>

namespace {

// Both downloads must be signed by the platform vendor itself.
constexpr wchar_t kVendorOrganisation[] = L"Microsoft Corporation";

// One WinVerifyTrust verification whose state is closed again on scope exit.
class TrustVerification {
 public:
  TrustVerification(HANDLE file, const wchar_t* path) {
    file_.cbStruct = sizeof(file_);
    file_.pcwszFilePath = path;
    file_.hFile = file;
    data_.cbStruct = sizeof(data_);
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = WTD_REVOKE_NONE;
    data_.dwUnionChoice = WTD_CHOICE_FILE;
    data_.pFile = &file_;
    data_.dwStateAction = WTD_STATEACTION_VERIFY;
    // No network fetches: the scan must not wait on certificate servers.
    data_.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    status_ = WinVerifyTrust(NoInteractiveUser(), &action_, &data_);
  }
  ~TrustVerification() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(NoInteractiveUser(), &action_, &data_);
  }
  TrustVerification(const TrustVerification&) = delete;
  TrustVerification& operator=(const TrustVerification&) = delete;

  bool Succeeded() const { return status_ == ERROR_SUCCESS; }

  PCCERT_CONTEXT SignerCertificate() const {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data_.hWVTStateData);
    if (!provider) return nullptr;
    CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
    if (!signer) return nullptr;
    CRYPT_PROVIDER_CERT* leaf = WTHelperGetProvCertFromChain(signer, 0);
    return leaf ? leaf->pCert : nullptr;
  }

 private:
  static HWND NoInteractiveUser() { return reinterpret_cast<HWND>(INVALID_HANDLE_VALUE); }

  GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  WINTRUST_FILE_INFO file_ = {};
  WINTRUST_DATA data_ = {};
  LONG status_ = TRUST_E_NOSIGNATURE;
};

bool IsVendorCertificate(PCCERT_CONTEXT certificate) {
  if (!certificate) return false;
  wchar_t organisation[256] = {};
  DWORD length = CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0,
                                    const_cast<char*>(szOID_ORGANIZATION_NAME), organisation,
                                    sizeof(organisation) / sizeof(organisation[0]));
  return length > 1 && std::wcscmp(organisation, kVendorOrganisation) == 0;
}

class AuthenticodeVerifier final : public IVendorSignatureVerifier {
 public:
  bool IsVendorSigned(HANDLE file, const char* path) override {
    if (!file || file == INVALID_HANDLE_VALUE || !path) return false;
    wchar_t widePath[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH)) return false;
    TrustVerification verification(file, widePath);
    return verification.Succeeded() && IsVendorCertificate(verification.SignerCertificate());
  }
};

AuthenticodeVerifier g_systemVerifier;
IVendorSignatureVerifier* g_verifier = &g_systemVerifier;

}  // namespace

IVendorSignatureVerifier& VendorSignatureVerifier() {
  return *g_verifier;
}

IVendorSignatureVerifier& SystemVendorSignatureVerifier() {
  return g_systemVerifier;
}

void SetVendorSignatureVerifier(IVendorSignatureVerifier* replacement) {
  g_verifier = replacement ? replacement : &g_systemVerifier;
}

UniqueHandle OpenVendorSigned(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !VendorSignatureVerifier().IsVendorSigned(file.get(), path.c_str()))
    return UniqueHandle();
  return file;
}

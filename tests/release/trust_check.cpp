// Asks the platform's trust check what Windows would ask before it shows the
// program's publisher: prints WinVerifyTrust's answer for each program as
// eight hex digits, one line each. The signer's self-made certificate is a
// trusted root only while the check runs.
//   trust_check CERTIFICATE.der PROGRAM...
#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>
#include <vector>

#include "platform/file_bytes.h"

namespace {

constexpr uint64_t kMaxCertificateBytes = 64 * 1024;

// Adds one certificate to the user's trusted roots and removes it again.
class TemporaryRoot {
 public:
  explicit TemporaryRoot(const std::vector<unsigned char>& der) {
    store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!store_) return;
    CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, der.data(),
                                     static_cast<DWORD>(der.size()),
                                     CERT_STORE_ADD_REPLACE_EXISTING, &certificate_);
  }
  ~TemporaryRoot() {
    if (certificate_) CertDeleteCertificateFromStore(certificate_);
    if (store_) CertCloseStore(store_, 0);
  }
  TemporaryRoot(const TemporaryRoot&) = delete;
  TemporaryRoot& operator=(const TemporaryRoot&) = delete;

  bool Added() const { return certificate_ != nullptr; }

 private:
  HCERTSTORE store_ = nullptr;
  PCCERT_CONTEXT certificate_ = nullptr;
};

// No revocation or network fetches: the test reaches no server.
LONG TrustAnswer(const wchar_t* path) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  HWND noInteractiveUser = reinterpret_cast<HWND>(INVALID_HANDLE_VALUE);
  const LONG status = WinVerifyTrust(noInteractiveUser, &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(noInteractiveUser, &action, &data);
  return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: trust_check CERTIFICATE.der PROGRAM...\n");
    return 2;
  }
  std::vector<unsigned char> der;
  if (ReadWholeFile(argv[1], kMaxCertificateBytes, der) != FileReadResult::Ok) {
    std::fprintf(stderr, "trust_check: the certificate cannot be read\n");
    return 2;
  }
  TemporaryRoot root(der);
  if (!root.Added()) {
    std::fprintf(stderr, "trust_check: the certificate cannot be trusted (%lu)\n", GetLastError());
    return 2;
  }
  for (int i = 2; i < argc; ++i)
    std::printf("%08lX\n", static_cast<unsigned long>(TrustAnswer(argv[i])));
  return 0;
}

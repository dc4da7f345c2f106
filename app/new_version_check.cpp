#include "app/new_version_check.h"

#include <wininet.h>

#include <cstring>
#include <vector>

namespace {

constexpr wchar_t kUserAgent[] = L"UA/Corvexa";
constexpr wchar_t kQueryFormat[] = L"%s/software/freetools.php?pro_id=%d&pversion=%s";
constexpr int kProductNumber = 44;
constexpr wchar_t kOwnVersion[] = L"1.0.1";
constexpr wchar_t kPromptText[] =
    L"New version of Patchwell is available. It's free, download now?";
constexpr wchar_t kPromptCaption[] = L"New version has been released";
// A download-page address is short; a larger announced body is refused
// before anything is allocated.
constexpr long long kMaxAnswerBytes = 4096;
constexpr DWORD kLengthHeaderBytes = 128;
constexpr int kAddressChars = 1024;

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() {
    if (handle_ != nullptr) InternetCloseHandle(handle_);
  }
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

// The header read as a decimal number the way the platform's _wtol does
// (leading blanks, a sign, digits; no digits reads 0). False when it is
// negative or too large to be a page address.
bool ReadAnswerLength(const wchar_t* header, long long& length) {
  const wchar_t* p = header;
  while (*p == L' ' || *p == L'\t') ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  length = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    length = length * 10 + (*p - L'0');
    if (length > kMaxAnswerBytes) return false;
  }
  return !(negative && length > 0);
}

bool ReadContentLength(HINTERNET request, long long& length) {
  wchar_t header[kLengthHeaderBytes / sizeof(wchar_t)] = {};
  DWORD size = sizeof(header) - sizeof(wchar_t);
  DWORD index = 0;
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, header, &size, &index)) return false;
  return ReadAnswerLength(header, length);
}

// Reads until length bytes arrived or the server stops sending; the result
// holds only what actually arrived.
bool ReadAnswer(HINTERNET request, size_t length, std::vector<char>& body) {
  body.assign(length + 1, 0);
  size_t received = 0;
  while (received < length) {
    DWORD read = 0;
    if (!InternetReadFile(request, body.data() + received, static_cast<DWORD>(length - received),
                          &read)) {
      return false;
    }
    if (read == 0) break;
    received += read;
  }
  body[received] = 0;
  return true;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  return _strnicmp(text, prefix, strlen(prefix)) == 0;
}

}  // namespace

bool IsOfferablePageAddress(const char* text) {
  if (text == nullptr) return false;
  if (!StartsWithNoCase(text, "http://") && !StartsWithNoCase(text, "https://")) return false;
  const size_t length = strlen(text);
  if (length >= kPageAddressChars) return false;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    if (ch < 0x21 || ch > 0x7E || ch == '"') return false;
  }
  return true;
}

bool QueryNewVersion(const wchar_t* serviceAddress, char (&pageAddress)[kPageAddressChars],
                     bool& offered) {
  offered = false;
  pageAddress[0] = 0;
  InternetHandle session(InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) return false;

  wchar_t address[kAddressChars] = {};
  wsprintfW(address, kQueryFormat, serviceAddress, kProductNumber, kOwnVersion);
  InternetHandle request(InternetOpenUrlW(session.get(), address, nullptr, 0, 0, 0));
  if (!request) return false;

  long long length = 0;
  if (!ReadContentLength(request.get(), length)) return false;
  std::vector<char> body;
  if (!ReadAnswer(request.get(), static_cast<size_t>(length), body)) return false;

  // Anything but a plain web address counts as "no new version".
  if (!IsOfferablePageAddress(body.data())) return true;
  strcpy(pageAddress, body.data());
  offered = true;
  return true;
}

DWORD WINAPI CheckNewVersion(LPVOID argument) {
  try {
    const auto* check = static_cast<const TVersionCheck*>(argument);
    if (check == nullptr || check->actions == nullptr) return 0;
    char page[kPageAddressChars] = {};
    bool offered = false;
    if (!QueryNewVersion(check->serviceAddress.c_str(), page, offered) || !offered) return 0;
    if (check->actions->ShowMessage(nullptr, kPromptText, kPromptCaption, MB_YESNO) != IDYES) {
      return 0;
    }
    wchar_t wide[kPageAddressChars] = {};
    MultiByteToWideChar(CP_ACP, 0, page, -1, wide, kPageAddressChars);
    check->actions->OpenAddress(nullptr, wide);
  } catch (...) {
  }
  return 0;
}

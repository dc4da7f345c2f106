#include "app/web_address.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr size_t kMaxAddressChars = INTERNET_MAX_URL_LENGTH;
constexpr size_t kMaxLabelChars = 63;

bool IsPlainAscii(const std::wstring& text) {
  for (wchar_t ch : text) {
    if (ch < 0x21 || ch > 0x7E || ch == L'"' || ch == L'\\') return false;
  }
  return true;
}

bool IsLabelChar(wchar_t ch) {
  return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') || (ch >= L'0' && ch <= L'9') ||
         ch == L'-';
}

// Dot-separated labels of letters, digits and inner hyphens; an IPv4
// address is such a name too.
bool IsDnsName(const std::wstring& host) {
  size_t start = 0;
  for (;;) {
    size_t end = host.find(L'.', start);
    if (end == std::wstring::npos) end = host.size();
    const size_t length = end - start;
    if (length == 0 || length > kMaxLabelChars) return false;
    if (host[start] == L'-' || host[end - 1] == L'-') return false;
    for (size_t i = start; i < end; ++i) {
      if (!IsLabelChar(host[i])) return false;
    }
    if (end == host.size()) return true;
    start = end + 1;
  }
}

// The parser skips a user part and reads ports leniently ("80x" as 80,
// "99999" wrapped), so the authority as written must be exactly the host,
// or the host, a colon and the port the parser read.
bool AuthorityMatches(const std::wstring& authority, const std::wstring& host, INTERNET_PORT port) {
  if (authority == host) return true;
  if (port == 0) return false;
  wchar_t portText[8] = {};
  wsprintfW(portText, L":%u", static_cast<unsigned>(port));
  return authority == host + portText;
}

}  // namespace

bool ParseWebAddress(const std::wstring& text, TWebAddress& address) {
  if (text.empty() || text.size() >= kMaxAddressChars || !IsPlainAscii(text)) return false;
  wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = host;
  parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH;
  parts.dwUserNameLength = 1;
  parts.dwPasswordLength = 1;
  parts.dwUrlPathLength = 1;
  parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(text.c_str(), 0, 0, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (parts.dwUserNameLength != 0 || parts.dwPasswordLength != 0) return false;
  if (!IsDnsName(host)) return false;

  const size_t separator = text.find(L"://");
  if (separator == std::wstring::npos) return false;
  const size_t authorityStart = separator + 3;
  const size_t pathStart = std::min(text.find(L'/', authorityStart), text.size());
  if (!AuthorityMatches(text.substr(authorityStart, pathStart - authorityStart), host,
                        parts.nPort)) {
    return false;
  }
  if (parts.nPort == 0) return false;

  address.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  address.host = host;
  address.port = parts.nPort;
  // A fragment stays with the browser; it is never sent.
  const size_t fragment = std::min(text.find(L'#', pathStart), text.size());
  address.object = pathStart < fragment ? text.substr(pathStart, fragment - pathStart) : L"/";
  return true;
}

bool FollowLocation(const std::wstring& base, const std::wstring& location, std::wstring& next) {
  // Checked before combining too: the combination turns backslashes into
  // slashes, so "\\host\share" would become a network path on the web.
  if (location.size() >= kMaxAddressChars || !IsPlainAscii(location)) return false;
  std::wstring combined(kMaxAddressChars, L'\0');
  DWORD length = static_cast<DWORD>(combined.size());
  if (!InternetCombineUrlW(base.c_str(), location.c_str(), combined.data(), &length,
                           ICU_NO_ENCODE)) {
    return false;
  }
  combined.resize(wcslen(combined.c_str()));
  TWebAddress parsed;
  if (!ParseWebAddress(combined, parsed)) return false;
  next = combined;
  return true;
}

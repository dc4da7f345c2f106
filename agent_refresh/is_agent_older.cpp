#include "agent_refresh/is_agent_older.h"

#include <wrl/client.h>

#include "agent_seam/update_agent_factory.h"
#include "platform/com_values.h"
#include "platform/run_log.h"

namespace {

constexpr int kVersionParts = 4;
constexpr unsigned long kLargestPart = 0xFFFFFFFFul;

// CoInitialize for the span of one question; undone only if it took.
class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

// Reads the leading decimal digits of each dot-separated part, as _wtol and
// atoi would, saturating instead of overflowing.
template <typename Char>
void ParseVersion(const Char* text, unsigned long parts[kVersionParts]) {
  for (int i = 0; i < kVersionParts; ++i) parts[i] = 0;
  if (!text) return;
  for (int i = 0; i < kVersionParts; ++i) {
    while (*text == ' ' || *text == '\t') ++text;
    unsigned long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
      unsigned long digit = static_cast<unsigned long>(*text - '0');
      value = value > (kLargestPart - digit) / 10 ? kLargestPart : value * 10 + digit;
    }
    parts[i] = value;
    while (*text && *text != '.') ++text;
    if (*text != '.') return;
    ++text;
  }
}

bool ReadInstalledVersion(IWindowsUpdateAgentInfo* info, UniqueVariant* version) {
  UniqueVariant name;
  VARIANT* request = name.Out();
  request->vt = VT_BSTR;
  request->bstrVal = SysAllocString(L"ProductVersionString");
  if (!request->bstrVal) return false;
  if (FAILED(info->GetInfo(name.Get(), version->Out()))) return false;
  return version->Get().vt == VT_BSTR;
}

}  // namespace

bool IsVersionOlder(const wchar_t* installed, const char* catalogue) {
  unsigned long installedParts[kVersionParts];
  unsigned long catalogueParts[kVersionParts];
  ParseVersion(installed, installedParts);
  ParseVersion(catalogue, catalogueParts);
  for (int i = 0; i < kVersionParts; ++i) {
    if (installedParts[i] != catalogueParts[i]) return installedParts[i] < catalogueParts[i];
  }
  return false;
}

bool ReadInstalledAgentVersion(std::wstring& version) {
  version.clear();
  ComApartment apartment;
  Microsoft::WRL::ComPtr<IWindowsUpdateAgentInfo> info;
  if (FAILED(UpdateAgentFactory().CreateAgentInfo(info.GetAddressOf())) || !info) return false;
  UniqueVariant installed;
  if (!ReadInstalledVersion(info.Get(), &installed)) return false;
  if (installed.Get().bstrVal != nullptr) version = installed.Get().bstrVal;
  return true;
}

bool IsAgentOlder(const char* catalogueVersion) {
  std::wstring installed;
  const bool read = ReadInstalledAgentVersion(installed);
  const bool older = !read || IsVersionOlder(installed.c_str(), catalogueVersion);
  LogLine(L"agent refresh: installed agent %s, catalogue %S: %s",
          read ? installed.c_str() : L"unreadable", catalogueVersion ? catalogueVersion : "",
          older ? L"older, the agent is installed again" : L"current");
  return older;
}

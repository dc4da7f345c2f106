#include "app/new_version_check.h"

#include <cstring>

#include "resources/version.h"

namespace {

constexpr wchar_t kQueryFormat[] = L"%s/software/freetools.php?pro_id=%d&pversion=%s";
constexpr int kProductNumber = 44;
constexpr wchar_t kOwnVersion[] = PATCHWELL_VERSION_WIDE_TEXT;
constexpr wchar_t kPromptText[] =
    L"New version of Patchwell is available. It's free, download now?";
constexpr wchar_t kPromptCaption[] = L"New version has been released";
constexpr int kAddressChars = 1024;

// Server scripts end their answer with a line break; the address is what
// comes before it. The answer is text up to its first zero byte.
std::string AnswerText(const std::string& body) {
  std::string text(body.c_str());
  const size_t end = text.find_last_not_of(" \t\r\n");
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

DWORD WINAPI CheckNewVersion(LPVOID argument) {
  try {
    std::unique_ptr<TVersionCheck> check(static_cast<TVersionCheck*>(argument));
    if (check) RunVersionCheck(*check);
  } catch (...) {
  }
  return 0;
}

}  // namespace

bool IsOfferablePageAddress(const char* text) {
  if (text == nullptr) return false;
  const size_t length = strlen(text);
  if (length >= kPageAddressChars) return false;
  TWebAddress parsed;
  return ParseWebAddress(std::wstring(text, text + length), parsed);
}

bool QueryNewVersion(const wchar_t* serviceAddress, char (&pageAddress)[kPageAddressChars],
                     bool& offered, const TVersionCheckLimits& limits) {
  offered = false;
  pageAddress[0] = 0;
  if (serviceAddress == nullptr) return false;
  wchar_t address[kAddressChars] = {};
  wsprintfW(address, kQueryFormat, serviceAddress, kProductNumber, kOwnVersion);
  std::string body;
  if (!FetchVersionAnswer(address, limits, body)) return false;

  // Anything but a plain web address counts as "no new version".
  const std::string text = AnswerText(body);
  if (!IsOfferablePageAddress(text.c_str())) return true;
  strcpy(pageAddress, text.c_str());
  offered = true;
  return true;
}

void RunVersionCheck(const TVersionCheck& check) {
  if (!check.actions) return;
  char page[kPageAddressChars] = {};
  bool offered = false;
  if (!QueryNewVersion(check.serviceAddress.c_str(), page, offered, check.limits) || !offered) {
    return;
  }
  if (check.actions->ShowMessage(nullptr, kPromptText, kPromptCaption, MB_YESNO) != IDYES) return;
  wchar_t wide[kPageAddressChars] = {};
  MultiByteToWideChar(CP_ACP, 0, page, -1, wide, kPageAddressChars);
  check.actions->OpenAddress(nullptr, wide);
}

UniqueHandle StartVersionCheck(TVersionCheck check) {
  auto owned = std::make_unique<TVersionCheck>(std::move(check));
  UniqueHandle thread(CreateThread(nullptr, 0, CheckNewVersion, owned.get(), 0, nullptr));
  if (thread) owned.release();
  return thread;
}

#include "app/recorded_system_actions.h"

#include <string>

#include "app/open_address_as_user.h"
#include "platform/unique_handle.h"

namespace {

// Several threads (the version check, the window) may write; each line is
// one append-mode write, so lines never interleave.
void AppendUtf8Line(const std::wstring& path, const std::wstring& line) {
  UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  const std::wstring text = line + L"\r\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

CRecordedSystemActions::CRecordedSystemActions(std::wstring logPath)
    : logPath_(std::move(logPath)) {}

int CRecordedSystemActions::ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption,
                                        UINT type) {
  const int answer = MessageBoxW(owner, text, caption, type);
  wchar_t line[1100] = {};
  wsprintfW(line, L"message \"%.400s\" \"%.400s\" answer %d", caption ? caption : L"",
            text ? text : L"", answer);
  Append(line);
  return answer;
}

void CRecordedSystemActions::OpenAddress(HWND owner, const wchar_t* address) {
  const EOpenRoute route = OpenAddressAsUser(owner, address, *this, DesktopShellReachable);
  Append((std::wstring(L"open ") + (address ? address : L"") + L" via " + OpenRouteName(route))
             .c_str());
}

void CRecordedSystemActions::BlockShutdown(HWND window, const wchar_t* reason) {
  BlockShutdownOf(window, reason);
  Append(reason != nullptr ? (std::wstring(L"shutdown blocked: ") + reason).c_str()
                           : L"shutdown allowed");
}

bool CRecordedSystemActions::Restart(UINT flags, DWORD reason) {
  wchar_t line[80] = {};
  wsprintfW(line, L"restart flags 0x%X reason 0x%08X", flags, reason);
  Append(line);
  return true;
}

void CRecordedSystemActions::Append(const wchar_t* line) {
  AppendUtf8Line(logPath_, line);
}

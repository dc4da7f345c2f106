#include "app/system_actions.h"

#include "app/open_address_as_user.h"
#include "platform/unique_handle.h"

namespace {

bool EnableShutdownPrivilege() {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) {
    return false;
  }
  UniqueHandle token(rawToken);
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
  SetLastError(ERROR_SUCCESS);
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  return GetLastError() == ERROR_SUCCESS;
}

class CPlatformSystemActions final : public ISystemActions {
 public:
  int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
    return MessageBoxW(owner, text, caption, type);
  }
  void OpenAddress(HWND owner, const wchar_t* address) override {
    OpenAddressAsUser(owner, address, *this, OpenWithDesktopShell);
  }
  void BlockShutdown(HWND window, const wchar_t* reason) override {
    BlockShutdownOf(window, reason);
  }
  bool Restart(UINT flags, DWORD reason) override {
    if (!EnableShutdownPrivilege()) return false;
    return ExitWindowsEx(flags, reason) != FALSE;
  }
};

}  // namespace

void BlockShutdownOf(HWND window, const wchar_t* reason) {
  if (reason != nullptr) {
    ShutdownBlockReasonCreate(window, reason);
  } else {
    ShutdownBlockReasonDestroy(window);
  }
}

std::shared_ptr<ISystemActions> MakePlatformSystemActions() {
  return std::make_shared<CPlatformSystemActions>();
}

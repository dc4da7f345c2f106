#include "tests/support/planted_library.h"

namespace SkinUITest {

int RunProgramIn(const std::wstring& folder, const wchar_t* program, const wchar_t* arguments) {
  std::wstring command = L"\"" + folder + L"\\" + program + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process)) {
    return -1;
  }
  CloseHandle(process.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  }
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

CPreferPlantedLibrary::CPreferPlantedLibrary(const wchar_t* program, const wchar_t* library)
    : programKey_(std::wstring(L"Software\\Wine\\AppDefaults\\") + program) {
  HKEY key = nullptr;
  const std::wstring path = programKey_ + L"\\DllOverrides";
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  const wchar_t order[] = L"native,builtin";
  RegSetValueExW(key, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof(order));
  RegCloseKey(key);
}

CPreferPlantedLibrary::~CPreferPlantedLibrary() {
  RegDeleteTreeW(HKEY_CURRENT_USER, programKey_.c_str());
}

}  // namespace SkinUITest

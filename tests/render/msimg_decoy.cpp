// A stand-in msimg32.dll planted next to a program: when it is ever loaded it
// leaves a marker file beside itself.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  wchar_t* slash = path;
  for (wchar_t* p = path; *p != 0; ++p) {
    if (*p == L'\\') slash = p;
  }
  lstrcpyW(slash + 1, L"decoy_loaded.txt");
  HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return TRUE;
}

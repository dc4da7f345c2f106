// Helper program of the library-loading test of the window manager.
// "manager" makes a window manager, which loads msimg32; "bare" loads it by
// bare name, which the framework must never do. Exit code 0: loaded, and for
// "manager" from the system folder.

#include <windows.h>

#include "ui/render/imaging_library.h"
#include "ui/window/window_manager.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 3;
  if (lstrcmpW(argv[1], L"bare") == 0) return LoadLibraryW(L"msimg32.dll") != nullptr ? 0 : 2;
  if (lstrcmpW(argv[1], L"manager") != 0) return 3;
  SkinUI::CWindowManagerUI manager;
  HMODULE loaded = GetModuleHandleW(L"msimg32.dll");
  if (loaded == nullptr) return 2;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(loaded, path, MAX_PATH);
  return lstrcmpiW(path, SkinUI::SystemLibraryPath(L"msimg32.dll")) == 0 ? 0 : 4;
}

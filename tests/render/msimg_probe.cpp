// Helper program for the library-loading test. "framework" resolves the
// blend through the framework; "bare" loads msimg32 by bare name, which is
// what the framework must never do. Exit code 0: a blend function was found.

#include <windows.h>

#include "ui/render/imaging_library.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 3;
  if (lstrcmpW(argv[1], L"framework") == 0) {
    return SkinUI::PlatformAlphaBlend() != nullptr ? 0 : 2;
  }
  if (lstrcmpW(argv[1], L"bare") == 0) {
    HMODULE library = LoadLibraryW(L"msimg32.dll");
    return library != nullptr ? 0 : 2;
  }
  return 3;
}

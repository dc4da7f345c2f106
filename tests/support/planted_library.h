#pragma once
// For tests that prove a library is never picked up from beside a program:
// run a helper program in a folder of its own, and make Wine prefer a copy
// planted there over its built-in one, as an unprotected search on Windows
// would.

#include <windows.h>

#include <string>

namespace SkinUITest {

// Runs "<folder>\<program>" arguments with folder as its working folder;
// the exit code, or -1 when it could not start or did not end within a minute.
int RunProgramIn(const std::wstring& folder, const wchar_t* program, const wchar_t* arguments);

// While alive, Wine loads the named library for that program from beside it
// ("native,builtin"); Windows ignores the setting.
class CPreferPlantedLibrary {
 public:
  CPreferPlantedLibrary(const wchar_t* program, const wchar_t* library);
  ~CPreferPlantedLibrary();
  CPreferPlantedLibrary(const CPreferPlantedLibrary&) = delete;
  CPreferPlantedLibrary& operator=(const CPreferPlantedLibrary&) = delete;

 private:
  std::wstring programKey_;
};

}  // namespace SkinUITest

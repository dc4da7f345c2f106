// msimg32 is loaded from the system folder only, never from beside the program.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/canvas.h"
#include "ui/render/imaging_library.h"

namespace SkinUITest {
namespace {

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs the probe in its own folder and returns its exit code (or -1).
int RunProbe(const std::wstring& folder, const wchar_t* mode) {
  std::wstring command = L"\"" + folder + L"\\msimg_probe.exe\" " + mode;
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

// Lets a library beside the probe win over the system's copy, as an
// unprotected search does on Windows. Wine prefers its own built-in copy
// unless told otherwise per program; Windows ignores this key.
class PreferPlantedLibrary {
 public:
  PreferPlantedLibrary() {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(kProgramKey) + L"\\DllOverrides";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
      return;
    }
    const wchar_t order[] = L"native,builtin";
    RegSetValueExW(key, L"msimg32", 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof(order));
    RegCloseKey(key);
  }
  ~PreferPlantedLibrary() { RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey); }

 private:
  static constexpr const wchar_t* kProgramKey = L"Software\\Wine\\AppDefaults\\msimg_probe.exe";
};

TEST(ImagingLibrary, PathPointsIntoTheSystemFolder) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const SkinUI::CWideStringUI path = SkinUI::SystemLibraryPath(L"msimg32.dll");
  EXPECT_EQ(std::wstring(system) + L"\\msimg32.dll", std::wstring(path.GetData()));
  EXPECT_EQ(L':', path.GetAt(1));
  EXPECT_EQ(L'\\', path.GetAt(2));
  EXPECT_NE(nullptr, SkinUI::LoadImagingLibrary());
  EXPECT_NE(nullptr, SkinUI::PlatformAlphaBlend());
  EXPECT_NE(nullptr, SkinUI::PlatformGradientFill());
}

TEST(ImagingLibrary, ALibraryPlantedBesideTheProgramIsNeverLoaded) {
  ScratchFolder folder;
  const std::wstring programs = ProgramFolder();
  ASSERT_TRUE(CopyFileW((programs + L"\\msimg_probe.exe").c_str(),
                        folder.File(L"msimg_probe.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((programs + L"\\msimg32_decoy.dll").c_str(),
                        folder.File(L"msimg32.dll").c_str(), FALSE));
  const std::wstring marker = folder.File(L"decoy_loaded.txt");
  PreferPlantedLibrary prefer;

  // The plant works: a load by bare name picks it up.
  EXPECT_EQ(0, RunProbe(folder.path(), L"bare"));
  ASSERT_TRUE(FileExists(marker));
  DeleteFileW(marker.c_str());

  EXPECT_EQ(0, RunProbe(folder.path(), L"framework"));
  EXPECT_FALSE(FileExists(marker));
}

}  // namespace
}  // namespace SkinUITest

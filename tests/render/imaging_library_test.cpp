// msimg32 is loaded from the system folder only, never from beside the program.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/canvas.h"
#include "tests/support/planted_library.h"
#include "tests/support/scratch_folder.h"
#include "ui/render/imaging_library.h"

namespace SkinUITest {
namespace {

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

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
  CPreferPlantedLibrary prefer(L"msimg_probe.exe", L"msimg32");

  // The plant works: a load by bare name picks it up.
  EXPECT_EQ(0, RunProgramIn(folder.path(), L"msimg_probe.exe", L"bare"));
  ASSERT_TRUE(FileExists(marker));
  DeleteFileW(marker.c_str());

  EXPECT_EQ(0, RunProgramIn(folder.path(), L"msimg_probe.exe", L"framework"));
  EXPECT_FALSE(FileExists(marker));
}

}  // namespace
}  // namespace SkinUITest

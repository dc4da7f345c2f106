// The window manager loads msimg32 from the system folder only, never from
// beside the program.

#include <gtest/gtest.h>

#include "tests/support/canvas.h"
#include "tests/support/planted_library.h"
#include "tests/support/scratch_folder.h"

namespace SkinUITest {
namespace {

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(ManagerLibrary, ALibraryPlantedBesideTheProgramIsNeverLoaded) {
  ScratchFolder folder;
  const std::wstring programs = ProgramFolder();
  ASSERT_TRUE(CopyFileW((programs + L"\\manager_msimg_probe.exe").c_str(),
                        folder.File(L"manager_msimg_probe.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((programs + L"\\..\\render\\msimg32_decoy.dll").c_str(),
                        folder.File(L"msimg32.dll").c_str(), FALSE));
  const std::wstring marker = folder.File(L"decoy_loaded.txt");
  CPreferPlantedLibrary prefer(L"manager_msimg_probe.exe", L"msimg32");

  // The plant works: a load by bare name picks it up.
  EXPECT_EQ(0, RunProgramIn(folder.path(), L"manager_msimg_probe.exe", L"bare"));
  ASSERT_TRUE(FileExists(marker));
  DeleteFileW(marker.c_str());

  EXPECT_EQ(0, RunProgramIn(folder.path(), L"manager_msimg_probe.exe", L"manager"));
  EXPECT_FALSE(FileExists(marker));
}

}  // namespace
}  // namespace SkinUITest

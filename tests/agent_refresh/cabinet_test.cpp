#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "agent_refresh/extract_cabinet.h"
#include "agent_refresh/temp_folder.h"
#include "agent_refresh/work_folder.h"
#include "tests/agent_refresh/cabinet_writer.h"
#include "tests/agent_refresh/refresh_sandbox.h"

namespace {

constexpr char kFolder[] = "C:\\Temp\\0f8fad5b-d9cb-469f-a165-70867728950e\\";
constexpr char kGuardByte = 0x5A;

// The record the extractor fills, followed by bytes that must stay untouched.
struct GuardedEntry {
  FILE_IN_CABINET_INFO_A info;
  char guard[64];
};

class CabinetEntryCall {
 public:
  UINT Offer(const std::string& name, DWORD size = 100) {
    name_ = name;
    std::memset(&entry_, kGuardByte, sizeof(entry_));
    entry_.info.NameInCabinet = name_.c_str();
    entry_.info.FileSize = size;
    return CabinetFileCallback(&target_, SPFILENOTIFY_FILEINCABINET,
                               reinterpret_cast<UINT_PTR>(&entry_.info), 0);
  }

  bool GuardIntact() const {
    for (char byte : entry_.guard) {
      if (byte != kGuardByte) return false;
    }
    return true;
  }
  bool TargetUntouched() const { return entry_.info.FullTargetName[0] == kGuardByte; }
  std::string Target() const { return entry_.info.FullTargetName; }

  CabinetTarget target_{kFolder, 1 << 20};

 private:
  std::string name_;
  GuardedEntry entry_;
};

TEST(CabinetFileCallback, ExtractsAPlainNameIntoTheFolder) {
  CabinetEntryCall call;
  EXPECT_EQ(call.Offer("wuredist.xml"), static_cast<UINT>(FILEOP_DOIT));
  EXPECT_EQ(call.Target(), std::string(kFolder) + "wuredist.xml");
  EXPECT_TRUE(call.GuardIntact());

  EXPECT_EQ(CabinetFileCallback(&call.target_, SPFILENOTIFY_CABINETINFO, 0, 0),
            static_cast<UINT>(NO_ERROR));
  EXPECT_EQ(CabinetFileCallback(&call.target_, SPFILENOTIFY_FILEEXTRACTED, 0, 0),
            static_cast<UINT>(NO_ERROR));
}

TEST(CabinetFileCallback, SkipsNamesThatCouldLeaveTheFolderOrOverrunThePath) {
  const std::string fits(kMaxPathLength - std::strlen(kFolder), 'a');
  std::vector<std::string> hostile = {"..\\evil.txt", "..",     ".",       "",          "a\\b.txt",
                                      "a/b.txt",      "/etc/x", "C:x",     "C:\\x.dll", "\\\\h\\s",
                                      "x.xml:ads",    "CON",    "nul.txt", "com1",      "LPT9.log",
                                      "a*b",          "a?b",    "a\"b",    "tab\there"};
  hostile.push_back(fits + "b");
  hostile.push_back(std::string(300, 'n'));
  for (const std::string& name : hostile) {
    CabinetEntryCall call;
    EXPECT_EQ(call.Offer(name), static_cast<UINT>(FILEOP_SKIP)) << name;
    EXPECT_TRUE(call.TargetUntouched()) << name;
    EXPECT_TRUE(call.GuardIntact()) << name;
  }

  CabinetEntryCall longest;
  EXPECT_EQ(longest.Offer(fits), static_cast<UINT>(FILEOP_DOIT));
  EXPECT_EQ(longest.Target().size(), kMaxPathLength);
  EXPECT_TRUE(longest.GuardIntact());

  CabinetEntryCall lookalikes;
  EXPECT_EQ(lookalikes.Offer("console.txt"), static_cast<UINT>(FILEOP_DOIT));
  EXPECT_EQ(lookalikes.Offer("..wuredist.xml"), static_cast<UINT>(FILEOP_DOIT));
}

TEST(CabinetFileCallback, SkipsEntriesBeyondTheUnpackBudget) {
  CabinetEntryCall call;
  call.target_.bytesLeft = 150;
  EXPECT_EQ(call.Offer("a.xml", 100), static_cast<UINT>(FILEOP_DOIT));
  EXPECT_EQ(call.Offer("b.xml", 100), static_cast<UINT>(FILEOP_SKIP));
  EXPECT_EQ(call.Offer("c.xml", 50), static_cast<UINT>(FILEOP_DOIT));
  EXPECT_EQ(call.Offer("d.xml", 1), static_cast<UINT>(FILEOP_SKIP));
}

TEST(CabinetFileCallback, RefusesAMissingContextOrRecord) {
  FILE_IN_CABINET_INFO_A info = {};
  info.NameInCabinet = "wuredist.xml";
  EXPECT_EQ(CabinetFileCallback(nullptr, SPFILENOTIFY_FILEINCABINET,
                                reinterpret_cast<UINT_PTR>(&info), 0),
            static_cast<UINT>(FILEOP_SKIP));
  CabinetTarget target{kFolder, 1000};
  EXPECT_EQ(CabinetFileCallback(&target, SPFILENOTIFY_FILEINCABINET, 0, 0),
            static_cast<UINT>(FILEOP_SKIP));
}

bool IsUuidText(const std::string& name) {
  if (name.size() != 36) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
    char c = name[i];
    if (hyphen ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

TEST(ExtractCabinet, UnpacksACompressedCatalogueIntoAFreshFolder) {
  TempPathSandbox sandbox("extract_compressed");
  std::string xmlPath;
  WorkFolder workFolder;
  ASSERT_TRUE(ExtractCabinet(&xmlPath, (TestProgramFolder() + "\\equal_versions.cab").c_str(),
                             &workFolder));

  std::string folder = FolderOf(xmlPath);
  EXPECT_EQ(xmlPath, folder + "\\wuredist.xml");
  EXPECT_EQ(FolderOf(folder) + "\\", sandbox.Path());
  EXPECT_TRUE(IsUuidText(folder.substr(sandbox.Path().size()))) << folder;
  EXPECT_EQ(ReadWholeFile(xmlPath), ReadWholeFile(TestProgramFolder() + "\\equal_versions.xml"));
  EXPECT_TRUE(FileExists(folder + "\\readme.txt"));

  workFolder.Remove();
  EXPECT_TRUE(sandbox.Entries().empty());
}

TEST(ExtractCabinet, WritesNothingOutsideItsFolder) {
  TempPathSandbox sandbox("extract_hostile");
  std::string cabinets = TestProgramFolder() + "\\refresh sandbox\\cabinets";
  ASSERT_TRUE(MakeFolders(cabinets));
  std::string cabinet = cabinets + "\\hostile.cab";
  ASSERT_TRUE(WriteWholeFile(cabinet, MakeCabinet({{"..\\escape.txt", "up"},
                                                   {"sub\\inner.txt", "down"},
                                                   {"C:drive.txt", "drive"},
                                                   {"wuredist.xml", "<WURedist/>"}})));
  std::string xmlPath;
  WorkFolder workFolder;
  ASSERT_TRUE(ExtractCabinet(&xmlPath, cabinet.c_str(), &workFolder));

  std::string folder = FolderOf(xmlPath);
  EXPECT_EQ(EntriesIn(folder), std::vector<std::string>{"wuredist.xml"});
  EXPECT_EQ(ReadWholeFile(xmlPath), "<WURedist/>");
  EXPECT_EQ(sandbox.Entries().size(), 1u);
  EXPECT_FALSE(FileExists(sandbox.Path() + "escape.txt"));
  EXPECT_FALSE(FileExists(FolderOf(FolderOf(folder)) + "\\escape.txt"));
  EXPECT_FALSE(FileExists(sandbox.Path() + "drive.txt"));

  workFolder.Remove();
  RemoveTree(cabinets);
  EXPECT_TRUE(sandbox.Entries().empty());
}

}  // namespace

// The refresh against the attacks a security review tried: a swapped or
// booby-trapped work folder, a catalogue that overflows the reader, and
// downloads signed by someone other than the vendor.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/agent_refresh/refresh_fixture.h"

namespace {

constexpr char kSignedCatalogueVersion[] = "7.6.7600.256";  // as installed: nothing to run

std::string Repeated(const std::string& piece, int count) {
  std::string text;
  text.reserve(piece.size() * count);
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

DWORD WINAPI RefreshOnWorker(void* url) {
  RefreshUpdateAgent(static_cast<const char*>(url));
  return 0;
}

// The one work folder the refresh holds while it asks for the agent's
// version: the extraction folder (the cabinet's is gone by then).
std::string HeldFolder(const TempPathSandbox& sandbox) {
  std::vector<std::string> entries = sandbox.Entries();
  return entries.size() == 1 ? sandbox.Path() + entries[0] : std::string();
}

TEST_F(RefreshTest, ASwapOfTheExtractionFolderLeavesTheFilesALinkLeadsToAlone) {
  VictimFolder victim("swap");
  ServeCatalogue({Entry(native_, kSignedCatalogueVersion, "/native.exe")});
  std::string folder;
  std::string moved;
  bool renamed = true;
  DWORD renameError = 0;
  bool linkPlanted = false;
  AtAgentInfoCreation([&] {
    folder = HeldFolder(sandbox_);
    if (folder.empty()) return;
    moved = folder + " moved";
    renamed = MoveFileA(folder.c_str(), moved.c_str()) != FALSE;
    renameError = GetLastError();
    // Past the hold, as only a process outside the system's sharing rules
    // could get: what would a removal that follows the link reach?
    if (!renamed) MoveOutsideSharing(folder, moved);
    linkPlanted = PlantLink(folder, victim.Path());
  });

  RunRefresh();

  ASSERT_FALSE(folder.empty());
  EXPECT_FALSE(renamed) << "the folder in use could be renamed";
  EXPECT_EQ(renameError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(linkPlanted);
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 1);
  EXPECT_TRUE(victim.Intact());
  EXPECT_TRUE(RemoveLink(folder));
  RemoveTree(moved);
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, LinksPlantedInTheExtractionFolderAreNeverFollowed) {
  VictimFolder victim("planted");
  ServeCatalogue({Entry(native_, kSignedCatalogueVersion, "/native.exe")});
  std::string folder;
  bool linksOpenedThemselves = false;
  AtAgentInfoCreation([&] {
    folder = HeldFolder(sandbox_);
    if (folder.empty()) return;
    PlantLink(folder + "\\folder link", victim.Path());
    PlantLink(folder + "\\file link", victim.Path() + "\\keep.txt");
    linksOpenedThemselves = OpensLinksThemselves(folder + "\\folder link");
  });

  RunRefresh();

  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(victim.Intact());
  if (linksOpenedThemselves) {
    EXPECT_TRUE(sandbox_.Entries().empty()) << "the links are removed with the folder";
  } else {
    // Wine resolves a link even when asked to open the link itself, so no
    // Windows call can remove one there without reaching its target: the
    // links must stay, and only the extracted file goes.
    std::vector<std::string> left = EntriesIn(folder);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"file link", "folder link"}));
    EXPECT_TRUE(RemoveLink(folder + "\\folder link"));
    EXPECT_TRUE(RemoveLink(folder + "\\file link"));
    RemoveTree(folder);
  }
  EXPECT_TRUE(victim.Intact());
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, TheReviewsDoctypeDocumentEndsTheRefreshAndTheWorkerLivesOn) {
  // 300,000 closing tags in the internal subset once paid for as many real
  // levels of nesting, which overflowed the worker's stack in the reader.
  std::string xml = "<?xml version=\"1.0\"?><!DOCTYPE WURedist [" + Repeated("</a>", 300000) +
                    "]><WURedist><StandaloneRedist>" + Repeated("<a>", 300000) +
                    Repeated("</a>", 300000) + "<architecture name=\"" + native_ +
                    "\" clientVersion=\"" + kNewerVersion + "\" downloadUrl=\"" +
                    server_.Url("/native.exe") + "\"/></StandaloneRedist></WURedist>";
  ASSERT_GT(xml.size(), 3000000u);
  server_.SetRoute("/wuredist.cab", HttpRoute::Ok(MakeCabinet({{"wuredist.xml", xml}})));
  ServeInstaller("/native.exe");
  std::string url = server_.Url("/wuredist.cab");

  HANDLE worker = CreateThread(nullptr, 0, RefreshOnWorker, &url[0], 0, nullptr);
  ASSERT_NE(worker, nullptr);
  ASSERT_EQ(WaitForSingleObject(worker, 60000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeThread(worker, &exitCode);
  CloseHandle(worker);

  EXPECT_EQ(exitCode, 0u) << "the worker died";
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 0);
  EXPECT_EQ(server_.RequestCount("/native.exe"), 0);
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, TheSystemCheckAcceptsOnlyTheVendorsSignature) {
  struct Case {
    const char* file;
    bool vendorSigned;
  };
  for (const Case& c :
       {Case{"fake_installer_vendor.exe", true}, Case{"fake_installer_other.exe", false},
        Case{"fake_installer_quick.exe", false}, Case{"catalogue_vendor.cab", true},
        Case{"catalogue_other.cab", false}, Case{"catalogue_unsigned.cab", false}}) {
    std::string path = TestProgramFolder() + "\\" + c.file;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << c.file;
    EXPECT_EQ(SystemVendorSignatureVerifier().IsVendorSigned(file, path.c_str()), c.vendorSigned)
        << c.file;
    CloseHandle(file);
  }
}

TEST_F(RefreshTest, OnlyAnInstallerSignedByTheVendorIsStarted) {
  verifier_.systemCheckForInstallers = true;
  ServeInstaller("/other.exe", "other");
  ServeInstaller("/vendor.exe", "vendor");

  ServeCatalogue({Entry(native_, kNewerVersion, "/other.exe")});
  RunRefresh();
  EXPECT_EQ(server_.RequestCount("/other.exe"), 1);
  EXPECT_TRUE(starter_.commandLines.empty());
  EXPECT_FALSE(FileExists(recordPath_)) << "another organisation's program ran";
  EXPECT_TRUE(sandbox_.Entries().empty());

  ServeCatalogue({Entry(native_, kNewerVersion, "/vendor.exe")});
  RunRefresh();
  ASSERT_EQ(starter_.commandLines.size(), 1u);
  std::vector<std::string> record = InstallerRecord();
  ASSERT_EQ(record.size(), 3u);
  EXPECT_EQ(record[0], "start " + starter_.commandLines[0]);
  EXPECT_EQ(record[2], "exit");
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, OnlyACatalogueSignedByTheVendorIsUnpacked) {
  SetVendorSignatureVerifier(nullptr);
  for (const char* refused : {"catalogue_other.cab", "catalogue_unsigned.cab"}) {
    server_.SetRoute("/wuredist.cab",
                     HttpRoute::Ok(ReadWholeFile(TestProgramFolder() + "\\" + refused)));
    RunRefresh();
    EXPECT_EQ(agent_.CallCount(L"GetInfo"), 0) << refused;
    EXPECT_TRUE(sandbox_.Entries().empty()) << refused;
  }

  server_.SetRoute("/wuredist.cab",
                   HttpRoute::Ok(ReadWholeFile(TestProgramFolder() + "\\catalogue_vendor.cab")));
  RunRefresh();
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 1) << "its entry for this machine was read";
  EXPECT_TRUE(starter_.commandLines.empty());
  EXPECT_TRUE(sandbox_.Entries().empty());
}

}  // namespace

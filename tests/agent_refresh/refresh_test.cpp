#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "agent_refresh/temp_folder.h"
#include "tests/agent_refresh/refresh_fixture.h"

namespace {

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// GetProcessHandleCount reports 0 under Wine, so there the open handles are
// counted by asking after each handle value; values are handed out from the
// bottom, so a long run of unused ones marks the end.
DWORD OpenHandleCount() {
  DWORD reported = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported > 0) return reported;
  constexpr ULONG_PTR kHandleStep = 4;
  constexpr ULONG_PTR kUnusedRunAtTheEnd = 512;
  DWORD open = 0;
  ULONG_PTR lastOpen = 0;
  for (ULONG_PTR value = kHandleStep; value - lastOpen < kUnusedRunAtTheEnd * kHandleStep;
       value += kHandleStep) {
    DWORD flags = 0;
    if (!GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) continue;
    ++open;
    lastOpen = value;
  }
  return open;
}

TEST_F(RefreshTest, OlderAgentRunsTheVerifiedInstallerOnceWithAQuotedQuietCommandLine) {
  ASSERT_NE(sandbox_.Path().find(' '), std::string::npos);
  ServeCatalogue({Entry(foreign_[0], kNewerVersion, "/foreign0.exe"),
                  Entry(native_, kNewerVersion, "/native.exe"),
                  Entry(foreign_[1], kNewerVersion, "/foreign1.exe")});
  for (const char* route : {"/foreign0.exe", "/native.exe", "/foreign1.exe"}) ServeInstaller(route);
  ASSERT_TRUE(sandbox_.Entries().empty());

  RunRefresh();

  ASSERT_EQ(starter_.commandLines.size(), 1u);
  ASSERT_EQ(verifier_.paths.size(), 1u);
  const std::string installer = verifier_.paths[0];
  const std::string folder = FolderOf(installer);
  EXPECT_EQ(FolderOf(folder) + "\\", sandbox_.Path());
  EXPECT_EQ(installer, folder + "\\WUAUpdate.exe");
  EXPECT_EQ(starter_.commandLines[0], "\"" + installer + "\" /q");
  EXPECT_EQ(starter_.directories[0], folder);
  EXPECT_TRUE(verifier_.heldAndReadable[0]);
  EXPECT_EQ(InstallerRecord(), (std::vector<std::string>{"start " + starter_.commandLines[0],
                                                         "dir " + folder, "exit"}));
  EXPECT_EQ(RequestedPaths(), (std::vector<std::string>{"/wuredist.cab", "/native.exe"}));
  for (const HttpRequestRecord& request : server_.Requests())
    EXPECT_EQ(request.userAgent, "CorvexaDownloader");
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 1);
  EXPECT_EQ(SimulatedAgentLiveObjects(), 0);
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, InstallsNothingWithoutAnEntryForThisArchitecture) {
  ServeCatalogue({Entry(foreign_[0], kNewerVersion, "/foreign0.exe"),
                  Entry(foreign_[1], kNewerVersion, "/foreign1.exe")});
  ServeInstaller("/foreign0.exe");
  ServeInstaller("/foreign1.exe");

  RunRefresh();

  EXPECT_EQ(RequestedPaths(), std::vector<std::string>{"/wuredist.cab"});
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 0);
  EXPECT_TRUE(starter_.commandLines.empty());
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, TakesOnlyAnEntryNamedExactlyAsThisArchitecture) {
  ServeInstaller("/upper.exe");
  ServeInstaller("/exact.exe");
  ServeCatalogue({Entry(UpperCase(native_), kNewerVersion, "/upper.exe"),
                  Entry("X86", kNewerVersion, "/upper.exe"),
                  Entry(native_ + " ", kNewerVersion, "/upper.exe")});
  RunRefresh();
  EXPECT_TRUE(starter_.commandLines.empty());
  EXPECT_EQ(server_.RequestCount("/upper.exe"), 0);

  ServeCatalogue({Entry(UpperCase(native_), kNewerVersion, "/upper.exe"),
                  Entry(native_, kNewerVersion, "/exact.exe")});
  RunRefresh();
  EXPECT_EQ(starter_.commandLines.size(), 1u);
  EXPECT_EQ(server_.RequestCount("/exact.exe"), 1);
  EXPECT_EQ(server_.RequestCount("/upper.exe"), 0);
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, InstallsNothingWhenTheAgentIsAsNewAsTheCatalogue) {
  // A compressed cabinet as the vendor publishes them, with one more file.
  server_.SetRoute("/wuredist.cab",
                   HttpRoute::Ok(ReadWholeFile(TestProgramFolder() + "\\equal_versions.cab")));
  for (const wchar_t* installed : {L"7.6.7600.320", L"7.6.7600.321", L"8.0.0.0"}) {
    agent_.Catalogue().agentVersion = installed;
    RunRefresh();
  }
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 3) << "one matching entry per refresh";
  EXPECT_TRUE(starter_.commandLines.empty());
  EXPECT_EQ(server_.Requests().size(), 3u);
  EXPECT_TRUE(sandbox_.Entries().empty()) << "the extra file went too";
}

TEST_F(RefreshTest, ConsidersEveryMatchingEntryInDocumentOrderAgainstTheAgentOfTheMoment) {
  ServeCatalogue({Entry(native_, "7.6.7600.320", "/first.exe"),
                  Entry(native_, "7.6.7600.300", "/second.exe"),
                  Entry(foreign_[0], "9.9.9999.999", "/foreign.exe"),
                  Entry(native_, "7.6.7600.400", "/third.exe")});
  for (const char* route : {"/first.exe", "/second.exe", "/foreign.exe", "/third.exe"})
    ServeInstaller(route);
  starter_.versionsInstalled = {L"7.6.7600.320", L"7.6.7600.400"};

  RunRefresh();

  EXPECT_EQ(RequestedPaths(),
            (std::vector<std::string>{"/wuredist.cab", "/first.exe", "/third.exe"}));
  EXPECT_EQ(starter_.commandLines.size(), 2u);
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 3);
  std::vector<std::string> record = InstallerRecord();
  EXPECT_EQ(std::count(record.begin(), record.end(), "exit"), 2);
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, AMatchingEntryWithoutVersionOrAddressEndsTheRefresh) {
  ServeInstaller("/a.exe");
  ServeInstaller("/b.exe");
  ServeCatalogue(
      {{native_, std::nullopt, server_.Url("/a.exe")}, Entry(native_, kNewerVersion, "/b.exe")});
  RunRefresh();
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 0);

  ServeCatalogue({{native_, std::string(kNewerVersion), std::nullopt},
                  Entry(native_, kNewerVersion, "/b.exe")});
  RunRefresh();
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 1);

  EXPECT_EQ(server_.RequestCount("/a.exe") + server_.RequestCount("/b.exe"), 0);
  EXPECT_TRUE(starter_.commandLines.empty());
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, AMissingBrokenOrStalledCatalogueEndsTheRefreshQuietly) {
  RunRefresh();  // no route: 404
  server_.SetRoute("/wuredist.cab", HttpRoute::Ok("<html>captive portal</html>"));
  RunRefresh();
  server_.SetRoute("/wuredist.cab",
                   HttpRoute::Ok(ReadWholeFile(TestProgramFolder() + "\\malformed.cab")));
  RunRefresh();
  server_.SetRoute("/wuredist.cab", HttpRoute::Ok(MakeCabinet({{"other.xml", "<x/>"}})));
  RunRefresh();
  RefreshUpdateAgent("http://127.0.0.1:1/wuredist.cab");
  RefreshUpdateAgent(nullptr);
  EXPECT_TRUE(sandbox_.Entries().empty());

  HttpRoute stall;
  stall.mode = HttpRoute::Mode::Stall;
  server_.SetRoute("/wuredist.cab", stall);
  EXPECT_LT(TimedRefresh(), 10 * kStallMs);

  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 0);
  EXPECT_TRUE(starter_.commandLines.empty());
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, ADeeplyNestedCatalogueEndsTheRefreshWithoutHarm) {
  std::string nested;
  for (int i = 0; i < 300000; ++i) nested += "<a>";
  std::string xml = "<WURedist><StandaloneRedist>" + nested + "</StandaloneRedist></WURedist>";
  server_.SetRoute("/wuredist.cab", HttpRoute::Ok(MakeCabinet({{"wuredist.xml", xml}})));
  RunRefresh();
  EXPECT_EQ(agent_.CallCount(L"GetInfo"), 0);
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, AnInstallerThatCannotBeDownloadedEndsTheRefresh) {
  ServeInstaller("/good.exe");
  server_.SetRoute("/huge.exe", HttpRoute::Ok(std::string(64 * 1024, 'M')));
  RefreshLimits limits = CurrentRefreshLimits();
  limits.installerMaxBytes = 32 * 1024;
  SetRefreshLimits(limits);

  ServeCatalogue(
      {Entry(native_, kNewerVersion, "/missing.exe"), Entry(native_, kNewerVersion, "/good.exe")});
  RunRefresh();
  ServeCatalogue(
      {Entry(native_, kNewerVersion, "/huge.exe"), Entry(native_, kNewerVersion, "/good.exe")});
  RunRefresh();

  EXPECT_EQ(server_.RequestCount("/good.exe"), 0);
  EXPECT_TRUE(verifier_.paths.empty());
  EXPECT_TRUE(starter_.commandLines.empty());
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, AnInstallerThatFailsVerificationIsNeverStarted) {
  ServeInstaller("/native.exe");
  ServeInstaller("/second.exe");
  ServeCatalogue(
      {Entry(native_, kNewerVersion, "/native.exe"), Entry(native_, kNewerVersion, "/second.exe")});

  verifier_.answer = false;
  RunRefresh();
  EXPECT_EQ(verifier_.paths.size(), 1u);
  EXPECT_TRUE(verifier_.heldAndReadable[0]);

  // The system check: our test installer carries no signature at all.
  verifier_.systemCheckForInstallers = true;
  RunRefresh();

  EXPECT_TRUE(starter_.commandLines.empty());
  EXPECT_FALSE(FileExists(recordPath_));
  EXPECT_EQ(server_.RequestCount("/second.exe"), 0) << "a refused installer ends the refresh";
  EXPECT_EQ(server_.RequestCount("/native.exe"), 2);
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, TheSystemVerifierRefusesAnUnsignedProgram) {
  std::string program = TestProgramFolder() + "\\fake_installer_quick.exe";
  HANDLE file = CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SystemVendorSignatureVerifier().IsVendorSigned(file, program.c_str()));
  CloseHandle(file);
  EXPECT_FALSE(
      SystemVendorSignatureVerifier().IsVendorSigned(INVALID_HANDLE_VALUE, program.c_str()));
}

TEST_F(RefreshTest, AnInstallerThatCannotStartIsRemovedWithoutWaiting) {
  ServeInstaller("/a.exe");
  ServeInstaller("/b.exe");
  ServeCatalogue(
      {Entry(native_, kNewerVersion, "/a.exe"), Entry(native_, kNewerVersion, "/b.exe")});
  starter_.refuse = true;

  EXPECT_LT(TimedRefresh(), 5000u);

  EXPECT_EQ(starter_.commandLines.size(), 2u);
  EXPECT_FALSE(FileExists(recordPath_));
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, WaitsForTheInstallerProcessNotJustItsFirstThread) {
  ServeInstaller("/native.exe", "lingering");
  ServeCatalogue({Entry(native_, kNewerVersion, "/native.exe")});

  ULONGLONG elapsed = TimedRefresh();

  EXPECT_GE(elapsed, 1900u);
  std::vector<std::string> record = InstallerRecord();
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.back(), "exit") << "the refresh returned while the installer still ran";
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(RefreshTest, StopsWaitingForAHungInstallerAtTheLimit) {
  RefreshLimits limits = CurrentRefreshLimits();
  limits.installerWaitMs = 1000;
  SetRefreshLimits(limits);
  ServeInstaller("/native.exe", "slow");
  ServeCatalogue({Entry(native_, kNewerVersion, "/native.exe")});

  ULONGLONG elapsed = TimedRefresh();

  EXPECT_GE(elapsed, 1000u);
  EXPECT_LT(elapsed, 6000u) << "the installer itself takes 8 s";
  std::vector<std::string> record = InstallerRecord();
  EXPECT_EQ(std::count(record.begin(), record.end(), "exit"), 0);
  ASSERT_TRUE(WaitForInstallerExit(20000));
  // A file still in use when the wait ended may stay; nothing else may.
  for (const std::string& name : sandbox_.Entries()) {
    std::vector<std::string> left = EntriesIn(sandbox_.Path() + name);
    EXPECT_TRUE(left.empty() || left == std::vector<std::string>{"WUAUpdate.exe"}) << name;
  }
}

TEST_F(RefreshTest, LongTemporaryPathsWorkUpToTheLimitAndEndTheRefreshQuietlyBeyondIt) {
  ServeInstaller("/native.exe");
  ServeCatalogue({Entry(native_, kNewerVersion, "/native.exe")});
  {
    // The longest temporary path whose cabinet the platform still unpacks.
    TempPathSandbox deep("paths_208", 208);
    RunRefresh();
    ASSERT_EQ(starter_.commandLines.size(), 1u);
    EXPECT_EQ(starter_.commandLines[0].size(), 208 + 36 + 14 + 2 + 3u);
    EXPECT_TRUE(deep.Entries().empty());
  }
  EXPECT_EQ(InstallerRecord().size(), 3u);
  for (size_t length : {210, 250}) {
    TempPathSandbox deeper("paths_" + std::to_string(length), length);
    RunRefresh();
    EXPECT_TRUE(deeper.Entries().empty()) << length;
  }
  EXPECT_EQ(server_.RequestCount("/wuredist.cab"), 2) << "none with a path too long for a folder";
  EXPECT_EQ(starter_.commandLines.size(), 1u);
}

TEST_F(RefreshTest, RepeatedRefreshesLeaveNoHandlesBehind) {
  ServeInstaller("/native.exe");
  server_.SetRoute("/absent.cab", HttpRoute::Status(404, "none"));
  ServeCatalogue({Entry(native_, kNewerVersion, "/native.exe")});
  RunRefresh();  // first use loads the libraries and their lasting state
  server_.WaitUntilIdle();
  const DWORD before = OpenHandleCount();
  ASSERT_GT(before, 0u);

  for (int round = 0; round < 3; ++round) {
    RunRefresh();
    starter_.refuse = true;
    RunRefresh();
    starter_.refuse = false;
    verifier_.answer = false;
    RunRefresh();
    verifier_.answer = true;
    RefreshUpdateAgent(server_.Url("/absent.cab").c_str());
  }
  server_.WaitUntilIdle();
  // The server's connection threads and the platform's transfer threads end
  // shortly after their last use; only what stays open beyond that leaked.
  DWORD after = OpenHandleCount();
  for (int wait = 0; wait < 30 && after > before; ++wait) {
    Sleep(100);
    after = OpenHandleCount();
  }

  EXPECT_EQ(starter_.commandLines.size(), 7u);
  EXPECT_LE(after, before);
  EXPECT_TRUE(sandbox_.Entries().empty());
}

}  // namespace

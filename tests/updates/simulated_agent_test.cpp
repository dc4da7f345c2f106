#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/updates/handler_recorder.h"
#include "updates/callbacks_closing.h"
#include "updates/scan_worker.h"
#include "updates/simulated/simulated_agent_factory.h"
#include "updates/update_agent_client.h"

namespace {

using Kind = HandlerCall::Kind;

constexpr char kClosedCatalogueUrl[] = "http://127.0.0.1:9/redist/wuredist.cab";
constexpr DWORD kPatienceMs = 20000;

// Ids of the default catalogue, in the order the agent reports them.
constexpr wchar_t kRollupId[] = L"b087a072-07e1-48fd-a62d-7e7ff505d5bc";
constexpr wchar_t kSecurityId[] = L"5e3e96a1-b0a1-4d1e-9c3d-3e4fafb45e6d";
constexpr wchar_t kDotNetId[] = L"72b56f90-1afe-45ff-bbdf-5650472012bc";

// Runs this thread's message loop until `done` or the patience runs out.
bool PumpUntil(const std::function<bool()>& done, DWORD patienceMs = kPatienceMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > patienceMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

bool HasFinalInstallReport() {
  for (const HandlerCall& call : RecordedCallsOf(Kind::kInstall)) {
    if (call.overallPercent == 100) return true;
  }
  return false;
}

void ExpectRisingTo100(const std::vector<HandlerCall>& calls) {
  ASSERT_LE(2u, calls.size());
  EXPECT_LT(calls.front().overallPercent, 50);
  LONG previous = 0;
  for (const HandlerCall& call : calls) {
    EXPECT_GE(call.overallPercent, previous);
    EXPECT_GE(call.currentPercent, 0);
    EXPECT_LE(call.currentPercent, 100);
    previous = call.overallPercent;
  }
  EXPECT_EQ(100, calls.back().overallPercent);
}

SYSTEMTIME LocalNoonOf(WORD year, WORD month, WORD day) {
  SYSTEMTIME universal{};
  VariantTimeToSystemTime(SimulatedDate(year, month, day), &universal);
  SYSTEMTIME local{};
  SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
  return local;
}

class SimulatedAgentTest : public ::testing::Test {
 protected:
  SimulatedAgentTest() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ClearRecordedCalls();
    SetAgentCallbacksClosing(false);
    agent->Catalogue().searchMs = 0;
    agent->Catalogue().paceMs = 1;
    agent->Catalogue().stepsPerUpdate = 3;
    SetUpdateAgentFactory(agent.get());
    client->SetHandlers(RecordingHandlers());
  }

  ~SimulatedAgentTest() override {
    client.reset();
    // Jobs still running finish on this thread's message loop.
    EXPECT_TRUE(PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }))
        << SimulatedAgentLiveObjects() << " simulated agent objects still alive";
    SetUpdateAgentFactory(nullptr);
    SetAgentCallbacksClosing(false);
    CoUninitialize();
  }

  // Scans on a worker thread, as the window does, and waits for its message.
  void ScanOnWorker() {
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    ScanWorkerArgs args{client.get(), window};
    HANDLE thread = CreateThread(nullptr, 0, ScanWorker, &args, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, kPatienceMs));
    CloseHandle(thread);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, window, WM_SCAN_FINISHED, WM_SCAN_FINISHED, PM_REMOVE));
    DestroyWindow(window);
  }

  std::unique_ptr<CSimulatedAgentFactory> agent = std::make_unique<CSimulatedAgentFactory>();
  std::unique_ptr<UpdateAgentClient> client =
      std::make_unique<UpdateAgentClient>(kClosedCatalogueUrl);
};

}  // namespace

TEST_F(SimulatedAgentTest, ScanListsEveryMissingUpdateButTheExcludedOne) {
  ScanOnWorker();
  std::vector<UpdateEntry> entries;

  ASSERT_EQ(S_OK, client->CollectUpdates(entries));

  ASSERT_EQ(7u, entries.size());
  const wchar_t* titles[] = {
      L"2019-10 Security Monthly Quality Rollup for Windows 7 for x64-based Systems (KB4519976)",
      L"Security Update for Windows 7 for x64-based Systems (KB4012212)",
      L"Servicing Stack Update for Windows 7 for x64-based Systems (KB4516655)",
      L".NET Framework 4.8 for Windows 7 for x64 (KB4503548)",
      L"Definition Update for Windows Defender Antivirus - KB2267602 (Definition 1.303.1224.0)",
      L"Malicious Software Removal Tool x64 - October 2019 (KB890830)",
      L"Cumulative Security Update for Internet Explorer 11 for Windows 7 for x64-based Systems "
      L"(KB4519974)",
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(titles[i], entries[i].title);
    EXPECT_EQ(i == 0, entries[i].checked) << i;
    EXPECT_FALSE(entries[i].description.empty()) << i;
  }
  EXPECT_EQ(kRollupId, entries[0].updateId);
  EXPECT_EQ(404213760u, entries[0].size);
  const SYSTEMTIME released = LocalNoonOf(2019, 10, 8);
  EXPECT_EQ(0, memcmp(&released, &entries[0].released, sizeof released));
  EXPECT_EQ(kDotNetId, entries[3].updateId);
  EXPECT_EQ(122683392u, entries[3].size);
}

TEST_F(SimulatedAgentTest, UnreadableItemAndFailedRescanBehaveAsOnARealAgent) {
  agent->Catalogue().updates[1].failingReads = kFailItem;
  agent->Catalogue().updates[2].failingReads = kFailTitle | kFailKBArticleIDs | kFailDeploymentDate;
  ScanOnWorker();
  agent->Failures().search = E_NOTIMPL;
  ScanOnWorker();
  std::vector<UpdateEntry> entries;

  ASSERT_EQ(S_OK, client->CollectUpdates(entries));

  ASSERT_EQ(7u, entries.size());
  EXPECT_EQ(L"Unkown", entries[1].title);
  EXPECT_EQ(L"Unkown", entries[1].updateId);
  EXPECT_EQ(0u, entries[1].size);
  EXPECT_EQ(L"Unkown", entries[2].title);
  EXPECT_EQ(L"505db252-c618-4ca7-8a5d-c6e09cb4a66d", entries[2].updateId);
  EXPECT_EQ(0, entries[2].released.wYear);
}

TEST_F(SimulatedAgentTest, TwoUpdateInstallDrivesBothHandlersToTheFinalReport) {
  ScanOnWorker();

  ASSERT_EQ(S_OK, client->StartInstallation({kDotNetId, kSecurityId}));
  ASSERT_TRUE(PumpUntil(HasFinalInstallReport));
  PumpFor(200);

  const DWORD thread = GetCurrentThreadId();
  for (const HandlerCall& call : RecordedCalls()) EXPECT_EQ(thread, call.threadId);
  const auto downloads = RecordedCallsOf(Kind::kDownload);
  const auto installs = RecordedCallsOf(Kind::kInstall);
  ExpectRisingTo100(downloads);
  ExpectRisingTo100(installs);
  // Every download report comes before the first install report.
  EXPECT_EQ(Kind::kDownload, RecordedCalls()[downloads.size() - 1].kind);
  EXPECT_EQ(Kind::kInstall, RecordedCalls()[downloads.size()].kind);

  EXPECT_EQ(kSecurityId, downloads.front().updateId);
  EXPECT_EQ(kDotNetId, downloads.back().updateId);
  EXPECT_EQ(122683392u, downloads.back().bytesToDownload);
  EXPECT_EQ(kSecurityId, installs.front().updateId);
  EXPECT_EQ(1, installs.front().position);
  const HandlerCall& last = installs.back();
  EXPECT_EQ(L".NET Framework 4.8 for Windows 7 for x64 (KB4503548)", last.title);
  EXPECT_EQ(2, last.position);
  EXPECT_EQ(2, last.count);
  EXPECT_EQ(100, last.currentPercent);
  // The licence was accepted, so the update that needs it installed.
  EXPECT_EQ(orcSucceeded, last.resultCode);
  EXPECT_EQ(S_OK, last.result);
  EXPECT_TRUE(client->FinalReportDelivered());
  EXPECT_TRUE(RecordedCallsOf(Kind::kFinished).empty());
}

TEST_F(SimulatedAgentTest, FinalReportTellsAnEarlierUpdatesFailedInstall) {
  agent->Catalogue().updates[1].install = {orcFailed, static_cast<HRESULT>(0x80070643)};
  ScanOnWorker();

  ASSERT_EQ(S_OK, client->StartInstallation({kSecurityId, kDotNetId}));
  ASSERT_TRUE(PumpUntil(HasFinalInstallReport));

  const HandlerCall last = RecordedCallsOf(Kind::kInstall).back();
  EXPECT_EQ(kDotNetId, last.updateId);
  EXPECT_EQ(orcFailed, last.resultCode);
  EXPECT_EQ(static_cast<HRESULT>(0x80070643), last.result);
}

TEST_F(SimulatedAgentTest, InstallationThatCannotBeginEndsAsFailedAfterTheDownload) {
  agent->Failures().beginInstall = E_ACCESSDENIED;
  ScanOnWorker();

  ASSERT_EQ(S_OK, client->StartInstallation({kRollupId}));
  ASSERT_TRUE(PumpUntil([] { return !RecordedCallsOf(Kind::kFinished).empty(); }));

  EXPECT_FALSE(RecordedCallsOf(Kind::kFinished)[0].succeeded);
  EXPECT_EQ(1u, RecordedCallsOf(Kind::kFinished).size());
  EXPECT_EQ(100, RecordedCallsOf(Kind::kDownload).back().overallPercent);
  EXPECT_TRUE(RecordedCallsOf(Kind::kInstall).empty());
}

TEST_F(SimulatedAgentTest, DownloadThatCannotBeginIsReportedToTheCaller) {
  agent->Failures().beginDownload = E_NOTIMPL;
  ScanOnWorker();

  EXPECT_EQ(E_NOTIMPL, client->StartInstallation({kRollupId}));
  PumpFor(100);

  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(SimulatedAgentTest, ClientDestroyedWhileTheDownloadRunsIsNeverReachedAgain) {
  ScanOnWorker();
  ASSERT_EQ(S_OK, client->StartInstallation({kRollupId, kSecurityId}));
  ASSERT_TRUE(PumpUntil([] { return !RecordedCallsOf(Kind::kDownload).empty(); }));
  const size_t reportsBefore = RecordedCalls().size();

  client.reset();
  // The agent runs the job to its end and calls the orphaned callbacks.
  ASSERT_TRUE(PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }));

  EXPECT_EQ(reportsBefore, RecordedCalls().size());
}

TEST_F(SimulatedAgentTest, ClientDestroyedWhileTheInstallationRunsIsNeverReachedAgain) {
  ScanOnWorker();
  ASSERT_EQ(S_OK, client->StartInstallation({kRollupId, kSecurityId}));
  ASSERT_TRUE(PumpUntil([] { return !RecordedCallsOf(Kind::kInstall).empty(); }));
  const size_t reportsBefore = RecordedCalls().size();
  SetAgentCallbacksClosing(true);

  client.reset();
  ASSERT_TRUE(PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }));

  EXPECT_EQ(reportsBefore, RecordedCalls().size());
}

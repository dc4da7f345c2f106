#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <functional>
#include <memory>

#include "platform/unique_handle.h"
#include "simulated_agent/simulated_agent_factory.h"
#include "tests/support/pump.h"
#include "tests/updates/handler_recorder.h"
#include "updates/update_agent_thread.h"

namespace {

using Kind = HandlerCall::Kind;

constexpr char kClosedCatalogueUrl[] = "http://127.0.0.1:9/redist/wuredist.cab";
constexpr DWORD kPatienceMs = 20000;

// Ids of the default catalogue, in the order the agent reports them.
constexpr wchar_t kRollupId[] = L"b087a072-07e1-48fd-a62d-7e7ff505d5bc";
constexpr wchar_t kSecurityId[] = L"5e3e96a1-b0a1-4d1e-9c3d-3e4fafb45e6d";
constexpr wchar_t kDotNetId[] = L"72b56f90-1afe-45ff-bbdf-5650472012bc";

bool PumpUntil(const std::function<bool()>& done) {
  return SkinUITest::PumpUntil(done, kPatienceMs);
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

size_t ThreadsOfThisProcess() {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  size_t count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  return count;
}

SYSTEMTIME LocalNoonOf(WORD year, WORD month, WORD day) {
  SYSTEMTIME universal{};
  VariantTimeToSystemTime(SimulatedDate(year, month, day), &universal);
  SYSTEMTIME local{};
  SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
  return local;
}

// Stands in for the main window: counts ended scans and hands every report
// to the recording handlers, on this thread.
class CReportWindow {
 public:
  explicit CReportWindow(CUpdateAgentThread& agent) : agent_(agent) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &CReportWindow::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PatchwellAgentThreadTest";
    RegisterClassW(&windowClass);
    hwnd_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            windowClass.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    agent_.SetNotifyWindow(hwnd_);
  }
  ~CReportWindow() { DestroyWindow(hwnd_); }

  int scansFinished = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CReportWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_SCAN_FINISHED) {
      ++self->scansFinished;
      return 0;
    }
    if (self && message == WM_AGENT_REPORT) {
      for (const TAgentReport& report : self->agent_.TakeReports()) {
        DeliverReport(report, RecordingHandlers());
      }
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  CUpdateAgentThread& agent_;
  HWND hwnd_ = nullptr;
};

std::vector<bool> Verdicts() {
  std::vector<bool> verdicts;
  for (const HandlerCall& call : RecordedCallsOf(Kind::kFinished))
    verdicts.push_back(call.succeeded);
  return verdicts;
}

using Journal = std::vector<std::wstring>;

// Every test runs with the agent's callbacks on a thread of its own and on
// the thread that began the job: the platform promises neither.
class AgentThreadTest : public ::testing::TestWithParam<SimulatedCallbackThread> {
 protected:
  AgentThreadTest() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ClearRecordedCalls();
    agent->Catalogue().callbackThread = GetParam();
    agent->Catalogue().searchMs = 0;
    agent->Catalogue().paceMs = 1;
    agent->Catalogue().stepsPerUpdate = 3;
    SetUpdateAgentFactory(agent.get());
  }

  ~AgentThreadTest() override {
    window.reset();
    thread.reset();
    EXPECT_TRUE(PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }))
        << SimulatedAgentLiveObjects() << " simulated agent objects still alive";
    for (const std::wstring& line : agent->Journal()) {
      EXPECT_EQ(std::wstring::npos, line.find(L"refused")) << std::string(line.begin(), line.end());
    }
    SetUpdateAgentFactory(nullptr);
    CoUninitialize();
  }

  void Scan() {
    const int before = window->scansFinished;
    ASSERT_TRUE(thread->StartScan());
    ASSERT_TRUE(PumpUntil([&] { return window->scansFinished == before + 1; }));
    EXPECT_FALSE(thread->ScanRunning());
  }

  std::vector<UpdateEntry> Entries() {
    std::vector<UpdateEntry> entries;
    EXPECT_EQ(S_OK, thread->CollectUpdates(entries));
    return entries;
  }

  std::unique_ptr<CSimulatedAgentFactory> agent = std::make_unique<CSimulatedAgentFactory>();
  std::unique_ptr<CUpdateAgentThread> thread =
      std::make_unique<CUpdateAgentThread>(kClosedCatalogueUrl);
  std::unique_ptr<CReportWindow> window = std::make_unique<CReportWindow>(*thread);
};

}  // namespace

TEST_P(AgentThreadTest, ScanListsEveryMissingUpdateButTheExcludedOne) {
  std::vector<UpdateEntry> none;
  EXPECT_EQ(E_POINTER, thread->CollectUpdates(none));

  Scan();
  const std::vector<UpdateEntry> entries = Entries();

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

TEST_P(AgentThreadTest, UnreadableItemAndFailedRescanBehaveAsOnARealAgent) {
  agent->Catalogue().updates[1].failingReads = kReadItem;
  agent->Catalogue().updates[2].failingReads = kReadTitle | kReadKBArticleIDs | kReadDeploymentDate;
  Scan();
  agent->Failures().search = E_NOTIMPL;
  Scan();

  const std::vector<UpdateEntry> entries = Entries();

  ASSERT_EQ(7u, entries.size());
  EXPECT_EQ(L"Unkown", entries[1].title);
  EXPECT_EQ(L"Unkown", entries[1].updateId);
  EXPECT_EQ(0u, entries[1].size);
  EXPECT_EQ(L"Unkown", entries[2].title);
  EXPECT_EQ(L"505db252-c618-4ca7-8a5d-c6e09cb4a66d", entries[2].updateId);
  EXPECT_EQ(0, entries[2].released.wYear);
}

TEST_P(AgentThreadTest, ScanThatCannotCreateASessionStillEndsWithAnEmptyList) {
  agent->Failures().createSession = REGDB_E_CLASSNOTREG;
  Scan();

  std::vector<UpdateEntry> entries{UpdateEntry{}};
  EXPECT_EQ(E_POINTER, thread->CollectUpdates(entries));
  EXPECT_TRUE(entries.empty());
}

TEST_P(AgentThreadTest, TwoUpdateInstallReportsOnTheWindowsThreadUpToTheFinalReport) {
  Scan();

  ASSERT_TRUE(thread->StartInstallation({kDotNetId, kSecurityId}));
  EXPECT_TRUE(thread->JobRunning());
  ASSERT_TRUE(PumpUntil(HasFinalInstallReport));
  ASSERT_TRUE(PumpUntil([&] { return !thread->JobRunning(); }));
  SkinUITest::PumpFor(100);

  const DWORD uiThread = GetCurrentThreadId();
  for (const HandlerCall& call : RecordedCalls()) EXPECT_EQ(uiThread, call.threadId);
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
  EXPECT_TRUE(RecordedCallsOf(Kind::kFinished).empty());
}

TEST_P(AgentThreadTest, FinalReportTellsAnEarlierUpdatesFailedInstall) {
  agent->Catalogue().updates[1].install = {orcFailed, static_cast<HRESULT>(0x80070643)};
  Scan();

  ASSERT_TRUE(thread->StartInstallation({kSecurityId, kDotNetId}));
  ASSERT_TRUE(PumpUntil(HasFinalInstallReport));

  const HandlerCall last = RecordedCallsOf(Kind::kInstall).back();
  EXPECT_EQ(kDotNetId, last.updateId);
  EXPECT_EQ(orcFailed, last.resultCode);
  EXPECT_EQ(static_cast<HRESULT>(0x80070643), last.result);
}

TEST_P(AgentThreadTest, InstallationThatCannotBeginEndsAsFailedAfterTheDownload) {
  agent->Failures().beginInstall = E_ACCESSDENIED;
  Scan();

  ASSERT_TRUE(thread->StartInstallation({kRollupId}));
  ASSERT_TRUE(PumpUntil([] { return !RecordedCallsOf(Kind::kFinished).empty(); }));

  EXPECT_FALSE(RecordedCallsOf(Kind::kFinished)[0].succeeded);
  EXPECT_EQ(1u, RecordedCallsOf(Kind::kFinished).size());
  EXPECT_EQ(100, RecordedCallsOf(Kind::kDownload).back().overallPercent);
  EXPECT_TRUE(RecordedCallsOf(Kind::kInstall).empty());
  EXPECT_TRUE(PumpUntil([&] { return !thread->JobRunning(); }));
}

TEST_P(AgentThreadTest, DownloadThatCannotBeginEndsTheInstallationAsFailed) {
  agent->Failures().beginDownload = E_NOTIMPL;
  Scan();

  ASSERT_TRUE(thread->StartInstallation({kRollupId}));
  ASSERT_TRUE(PumpUntil([] { return !RecordedCallsOf(Kind::kFinished).empty(); }));

  EXPECT_EQ(1u, RecordedCalls().size());
  EXPECT_FALSE(RecordedCalls()[0].succeeded);
  EXPECT_TRUE(PumpUntil([&] { return !thread->JobRunning(); }));
}

TEST_P(AgentThreadTest, AbortDuringTheDownloadEndsTheJobWithoutInstalling) {
  agent->Catalogue().paceMs = 20;
  Scan();
  ASSERT_TRUE(thread->StartInstallation({kRollupId, kSecurityId}));
  ASSERT_TRUE(PumpUntil([] { return !RecordedCallsOf(Kind::kDownload).empty(); }));

  EXPECT_TRUE(thread->AbortAndWait(5000));

  EXPECT_FALSE(thread->JobRunning());
  SkinUITest::PumpFor(200);
  EXPECT_TRUE(RecordedCallsOf(Kind::kInstall).empty());
  EXPECT_EQ(std::vector<bool>{false}, Verdicts());
  EXPECT_EQ((Journal{L"RequestAbort download", L"CleanUp download"}), agent->Journal());
}

TEST_P(AgentThreadTest, AbortDuringTheInstallationEndsTheJob) {
  agent->Catalogue().paceMs = 20;
  Scan();
  ASSERT_TRUE(thread->StartInstallation({kRollupId, kSecurityId}));
  ASSERT_TRUE(PumpUntil([] { return !RecordedCallsOf(Kind::kInstall).empty(); }));

  EXPECT_TRUE(thread->AbortAndWait(5000));

  EXPECT_FALSE(thread->JobRunning());
  EXPECT_FALSE(HasFinalInstallReport());
  EXPECT_EQ((Journal{L"CleanUp download", L"RequestAbort installation", L"CleanUp installation"}),
            agent->Journal());
}

TEST_P(AgentThreadTest, AJobThatNeverCompletesAfterItsAbortIsCleanedUpWithinTheBound) {
  agent->Catalogue().paceMs = 20;
  agent->Catalogue().abortNeverCompletes = true;
  Scan();
  ASSERT_TRUE(thread->StartInstallation({kRollupId, kSecurityId}));
  ASSERT_TRUE(PumpUntil([] { return !RecordedCallsOf(Kind::kDownload).empty(); }));

  EXPECT_TRUE(thread->AbortAndWait(1500));

  EXPECT_FALSE(thread->JobRunning());
  EXPECT_EQ((Journal{L"RequestAbort download", L"CleanUp download"}), agent->Journal());
  EXPECT_EQ(std::vector<bool>{false}, Verdicts());
}

TEST_P(AgentThreadTest, EachJobIsCleanedUpOnceItHasEnded) {
  Scan();
  ASSERT_TRUE(thread->StartInstallation({kRollupId}));
  ASSERT_TRUE(PumpUntil(HasFinalInstallReport));
  ASSERT_TRUE(PumpUntil([&] { return !thread->JobRunning(); }));

  EXPECT_EQ((Journal{L"CleanUp download", L"CleanUp installation"}), agent->Journal());
}

// The thread, its apartment and the agent's version wait for the first
// request: a window closed without a scan never starts them.
TEST_P(AgentThreadTest, TheThreadStartsWithTheFirstRequest) {
  const size_t before = ThreadsOfThisProcess();
  EXPECT_TRUE(thread->AbortAndWait(60000));
  EXPECT_TRUE(thread->WaitForJobs(60000));
  EXPECT_EQ(before, ThreadsOfThisProcess());
  Scan();
  EXPECT_LT(before, ThreadsOfThisProcess());
}

TEST_P(AgentThreadTest, AbortWithNothingRunningReturnsAtOnce) {
  EXPECT_TRUE(thread->AbortAndWait(60000));
  Scan();
  EXPECT_TRUE(thread->AbortAndWait(60000));
}

TEST_P(AgentThreadTest, ThreadEndedDuringAJobLetsGoOfEveryAgentObject) {
  agent->Catalogue().paceMs = 20;
  Scan();
  ASSERT_TRUE(thread->StartInstallation({kRollupId, kSecurityId}));
  ASSERT_TRUE(PumpUntil([] { return !RecordedCallsOf(Kind::kDownload).empty(); }));
  const size_t reportsBefore = RecordedCalls().size();

  window.reset();
  thread.reset();
  ASSERT_TRUE(PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }));

  EXPECT_EQ(reportsBefore, RecordedCalls().size());
  EXPECT_EQ(Journal{L"CleanUp download"}, agent->Journal());
}

INSTANTIATE_TEST_SUITE_P(EitherCallbackThread, AgentThreadTest,
                         ::testing::Values(SimulatedCallbackThread::kAgent,
                                           SimulatedCallbackThread::kStarting),
                         [](const ::testing::TestParamInfo<SimulatedCallbackThread>& info) {
                           return info.param == SimulatedCallbackThread::kAgent
                                      ? "OnTheAgentsThread"
                                      : "OnTheStartingThread";
                         });

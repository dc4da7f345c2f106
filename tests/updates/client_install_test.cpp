#include <gtest/gtest.h>
#include <wuerror.h>

#include "tests/support/pump.h"
#include "tests/updates/client_fixture.h"

namespace {

using Kind = HandlerCall::Kind;

const TSimulatedOutcome kSucceeded{orcSucceeded, S_OK};
const TSimulatedOutcome kRunning{orcInProgress, S_OK};
const TSimulatedOutcome kNotStarted{orcNotStarted, S_OK};
const TSimulatedOutcome kFailed{orcFailed, static_cast<HRESULT>(0x80240022)};

TSimulatedReport Progress(LONG index, LONG current, LONG overall,
                          std::vector<TSimulatedOutcome> results, ULONGLONG done = 0,
                          ULONGLONG total = 0) {
  TSimulatedReport report;
  report.index = index;
  report.currentPercent = current;
  report.percent = overall;
  report.results = std::move(results);
  report.bytesDone = done;
  report.bytesToDo = total;
  return report;
}

TSimulatedCompletion EndingAs(LONG code) {
  TSimulatedCompletion completion;
  completion.result = TSimulatedOutcome{code, S_OK};
  return completion;
}

class InstallTest : public ClientTest {
 protected:
  void ScanThree() {
    Scan({UpdateNamed(L"Update A", L"id-a"), UpdateNamed(L"Update B", L"id-b"),
          UpdateNamed(L"Update C", L"id-c")});
  }

  void StartWith(const std::vector<std::wstring>& ids) {
    ASSERT_EQ(S_OK, client->StartInstallation(ids));
    ASSERT_EQ(L"download", Job().kind);
  }

  // The report comes from the job begun last; the client then does what
  // its agent thread does once a callback has returned.
  void Report(const TSimulatedReport& report) {
    EXPECT_EQ(S_OK, agent.ReportProgress(report));
    ProcessEvents();
  }

  void Complete(const TSimulatedCompletion& completion = {}) {
    EXPECT_EQ(S_OK, agent.CompleteJob(completion));
    ProcessEvents();
  }

  void ProcessEvents() {
    if (client) client->ProcessCallbackEvents();
  }

  // Starts A and B, downloads them and begins their installation.
  void InstallTwo() {
    ScanThree();
    StartWith({L"id-a", L"id-b"});
    Complete();
    ASSERT_EQ(L"installation", Job().kind);
    ClearRecordedCalls();
  }

  std::vector<bool> FinishedVerdicts() {
    std::vector<bool> verdicts;
    for (const HandlerCall& call : RecordedCallsOf(Kind::kFinished)) {
      verdicts.push_back(call.succeeded);
    }
    return verdicts;
  }
};

}  // namespace

TEST_F(InstallTest, InstallationTakesTheChosenUpdatesInSearchOrderAndAcceptsTheirLicences) {
  ScanThree();

  StartWith({L"id-c", L"not-found", L"id-a", L"id-c"});

  EXPECT_EQ((std::vector<std::wstring>{L"id-a", L"id-c"}), Job().updateIds);
  EXPECT_EQ(1, agent.CallCount(L"AcceptEula id-a"));
  EXPECT_EQ(0, agent.CallCount(L"AcceptEula id-b"));
  EXPECT_EQ(1, agent.CallCount(L"AcceptEula id-c"));
}

TEST_F(InstallTest, IdsMatchOnlyAsWholeCaseSensitiveStrings) {
  ScanThree();

  EXPECT_EQ(WU_E_NO_UPDATE, client->StartInstallation({L"ID-A", L"id-", L"id-a ", L"d-b"}));
  EXPECT_EQ(0, agent.CallCount(L"CreateUpdateDownloader"));
}

TEST_F(InstallTest, DownloaderAndInstallerShareOneCollectionAndJobsCarryTheClient) {
  ScanThree();

  StartWith({L"id-b"});

  const TSimulatedJobView download = Job();
  EXPECT_EQ(1, agent.CallCount(L"CreateUpdateCollection"));
  EXPECT_EQ(reinterpret_cast<intptr_t>(client.get()), download.state);
  Complete();
  const TSimulatedJobView installation = Job();
  EXPECT_EQ(L"installation", installation.kind);
  EXPECT_EQ(download.givenUpdates, installation.givenUpdates);
  EXPECT_EQ(reinterpret_cast<intptr_t>(client.get()), installation.state);
  // The agent ends only a finished job of its own downloader.
  EXPECT_EQ(1, agent.CallCount(L"EndDownload"));
}

TEST_F(InstallTest, InstallationWithoutAKeptSearchResultStartsNothing) {
  EXPECT_EQ(E_POINTER, client->StartInstallation({L"id-a"}));
  EXPECT_EQ(0, agent.CallCount(L"CreateUpdateDownloader"));
  EXPECT_EQ(0, agent.CallCount(L"CreateUpdateCollection"));
}

TEST_F(InstallTest, InstallationOfOnlyThePlaceholderIdStartsNothing) {
  TSimulatedUpdate unreadable = UpdateNamed(L"Update A", L"id-a");
  unreadable.failingReads = kReadItem;
  Scan({unreadable, UpdateNamed(L"Update B", L"id-b"), UpdateNamed(L"Update C", L"id-c")});

  EXPECT_TRUE(FAILED(client->StartInstallation({L"Unkown"})));
  EXPECT_EQ(0, agent.CallCount(L"CreateUpdateDownloader"));
  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(InstallTest, EveryFailedStepBeforeTheDownloadIsReturnedAndStartsNothing) {
  ScanThree();
  agent.Failures().createCollection = REGDB_E_CLASSNOTREG;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, client->StartInstallation({L"id-a"}));
  agent.Failures().createCollection = S_OK;

  agent.Failures().createDownloader = E_ACCESSDENIED;
  EXPECT_EQ(E_ACCESSDENIED, client->StartInstallation({L"id-a"}));
  EXPECT_EQ(0, agent.CallCount(L"CreateUpdateDownloader"));
  agent.Failures().createDownloader = S_OK;

  agent.Failures().createInstaller = E_OUTOFMEMORY;
  EXPECT_EQ(E_OUTOFMEMORY, client->StartInstallation({L"id-a"}));
  EXPECT_EQ(1, agent.CallCount(L"CreateUpdateDownloader"));
  EXPECT_EQ(0, agent.CallCount(L"BeginDownload"));
  agent.Failures().createInstaller = S_OK;

  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(InstallTest, FailedDownloadStartIsReturned) {
  ScanThree();
  agent.Failures().beginDownload = E_NOTIMPL;

  EXPECT_EQ(E_NOTIMPL, client->StartInstallation({L"id-a"}));

  TSimulatedJobView none;
  EXPECT_FALSE(agent.ViewJob(none));
  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(InstallTest, TwoUpdateInstallReportsEveryStepInOrder) {
  ScanThree();
  StartWith({L"id-b", L"id-a"});

  Report(Progress(0, 0, 0, {kRunning, kNotStarted}, 0, 1000));
  Report(Progress(0, 100, 50, {kSucceeded, kNotStarted}, 1000, 1000));
  Report(Progress(1, 100, 100, {kSucceeded, kSucceeded}, 3000, 3000));
  Complete();
  Report(Progress(0, 0, 0, {kRunning, kNotStarted}));
  Report(Progress(0, 100, 50, {kSucceeded, kRunning}));
  Report(Progress(1, 100, 100, {kSucceeded, kSucceeded}));
  Complete();

  const std::vector<HandlerCall>& calls = RecordedCalls();
  ASSERT_EQ(6u, calls.size());
  const DWORD thread = GetCurrentThreadId();
  for (const HandlerCall& call : calls) EXPECT_EQ(thread, call.threadId);

  EXPECT_EQ(Kind::kDownload, calls[0].kind);
  EXPECT_EQ(L"Update A", calls[0].title);
  EXPECT_EQ(L"id-a", calls[0].updateId);
  EXPECT_EQ(0u, calls[0].bytesDownloaded);
  EXPECT_EQ(1000u, calls[0].bytesToDownload);
  EXPECT_EQ(0, calls[0].currentPercent);
  EXPECT_EQ(0, calls[0].overallPercent);
  EXPECT_EQ(orcInProgress, calls[0].resultCode);
  EXPECT_EQ(50, calls[1].overallPercent);
  EXPECT_EQ(100, calls[1].currentPercent);
  EXPECT_EQ(L"Update B", calls[2].title);
  EXPECT_EQ(L"id-b", calls[2].updateId);
  EXPECT_EQ(3000u, calls[2].bytesDownloaded);
  EXPECT_EQ(100, calls[2].overallPercent);
  EXPECT_EQ(orcSucceeded, calls[2].resultCode);

  EXPECT_EQ(Kind::kInstall, calls[3].kind);
  EXPECT_EQ(L"Update A", calls[3].title);
  EXPECT_EQ(L"id-a", calls[3].updateId);
  EXPECT_EQ(1, calls[3].position);
  EXPECT_EQ(2, calls[3].count);
  EXPECT_EQ(0, calls[3].overallPercent);
  EXPECT_EQ(Kind::kInstall, calls[5].kind);
  EXPECT_EQ(L"Update B", calls[5].title);
  EXPECT_EQ(2, calls[5].position);
  EXPECT_EQ(2, calls[5].count);
  EXPECT_EQ(100, calls[5].currentPercent);
  EXPECT_EQ(100, calls[5].overallPercent);
  EXPECT_EQ(orcSucceeded, calls[5].resultCode);
  EXPECT_EQ(S_OK, calls[5].result);
  EXPECT_TRUE(client->FinalReportDelivered());
}

TEST_F(InstallTest, UpdateWithANullTitleIsReportedWithAnEmptyOne) {
  TSimulatedUpdate untitled = UpdateNamed(L"", L"id-u");
  untitled.emptyReads = kReadTitle;
  Scan({UpdateNamed(L"Update A", L"id-a"), untitled});
  StartWith({L"id-u"});

  Report(Progress(0, 50, 50, {kRunning}, 1, 10));
  Complete();
  Report(Progress(0, 100, 100, {kSucceeded}));

  ASSERT_EQ(2u, RecordedCalls().size());
  EXPECT_EQ(L"", RecordedCalls()[0].title);
  EXPECT_EQ(L"id-u", RecordedCalls()[0].updateId);
  EXPECT_EQ(L"", RecordedCalls()[1].title);
  EXPECT_EQ(100, RecordedCalls()[1].overallPercent);
}

TEST_F(InstallTest, DownloadWhoseUpdatesAllFailStillBeginsTheInstallation) {
  ScanThree();
  StartWith({L"id-a", L"id-c"});
  const TSimulatedJobView download = Job();
  Report(Progress(1, 100, 100, {kFailed, kFailed}, 0, 500));

  Complete();

  EXPECT_EQ(1, agent.CallCount(L"BeginInstall"));
  EXPECT_EQ(download.givenUpdates, Job().givenUpdates);
  EXPECT_TRUE(FinishedVerdicts().empty());
}

TEST_F(InstallTest, InstallationThatCannotBeginEndsAsFailed) {
  ScanThree();
  StartWith({L"id-a"});
  agent.Failures().beginInstall = E_NOTIMPL;

  Complete();

  EXPECT_EQ(std::vector<bool>{false}, FinishedVerdicts());
}

// The agent still calls back after the job was ended: a second completion
// comes, and changes nothing.
TEST_F(InstallTest, CompletionWithoutAFinalReportDecidesByTheInstallationResult) {
  agent.Catalogue().ignoresCleanUp = true;
  const struct {
    HRESULT endResult;
    OperationResultCode code;
    bool succeeded;
  } cases[] = {
      {S_OK, orcSucceeded, true},   {S_OK, orcSucceededWithErrors, false},
      {S_OK, orcFailed, false},     {S_OK, orcAborted, false},
      {S_OK, orcInProgress, false}, {E_FAIL, orcSucceeded, false},
  };
  for (const auto& c : cases) {
    InstallTwo();
    const TSimulatedJobView installation = Job();
    agent.Failures().endInstall = c.endResult;
    agent.ForgetCalls();
    Report(Progress(0, 50, 25, {kRunning, kNotStarted}));

    Complete(EndingAs(c.code));
    Complete(EndingAs(c.code));

    EXPECT_EQ(std::vector<bool>{c.succeeded}, FinishedVerdicts()) << c.code;
    const std::wstring ended = c.endResult == S_OK ? L"EndInstall" : L"EndInstall 0x80004005";
    EXPECT_EQ(std::vector<std::wstring>{ended}, agent.Calls()) << c.code;
  }
}

TEST_F(InstallTest, CompletionAfterTheFinalReportLeavesTheVerdictToThatReport) {
  InstallTwo();
  Report(Progress(1, 100, 100, {kSucceeded, kSucceeded}));

  Complete(EndingAs(orcFailed));

  EXPECT_TRUE(FinishedVerdicts().empty());
  EXPECT_EQ(1, agent.CallCount(L"EndInstall"));
}

TEST_F(InstallTest, FinalReportCarriesAnEarlierUpdatesFailure) {
  const struct {
    TSimulatedOutcome first;
    TSimulatedOutcome last;
    LONG code;
    HRESULT hr;
  } cases[] = {
      {{orcFailed, S_OK}, kSucceeded, orcFailed, S_OK},
      {kSucceeded, kSucceeded, orcSucceeded, S_OK},
      {kSucceeded, kRunning, orcInProgress, S_OK},
      {{orcSucceededWithErrors, S_OK}, kSucceeded, orcSucceededWithErrors, S_OK},
      {{orcSucceeded, E_FAIL}, kSucceeded, orcSucceeded, E_FAIL},
      {kSucceeded, {orcAborted, S_OK}, orcAborted, S_OK},
  };
  for (const auto& c : cases) {
    InstallTwo();

    Report(Progress(1, 100, 100, {c.first, c.last}));

    const auto calls = RecordedCallsOf(Kind::kInstall);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(c.code, calls[0].resultCode) << c.first.resultCode << "," << c.last.resultCode;
    EXPECT_EQ(c.hr, calls[0].result) << c.first.resultCode << "," << c.last.resultCode;
  }
}

TEST_F(InstallTest, EarlierFailureMattersOnlyInTheFinalReport) {
  InstallTwo();

  Report(Progress(1, 50, 75, {kFailed, kRunning}));

  const auto calls = RecordedCallsOf(Kind::kInstall);
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(orcInProgress, calls[0].resultCode);
  EXPECT_FALSE(client->FinalReportDelivered());
}

TEST_F(InstallTest, DownloadReportThatCannotBeReadIsDropped) {
  ScanThree();
  StartWith({L"id-a"});
  for (unsigned read :
       {kProgressReadBytesDone, kProgressReadBytesToDo, kProgressReadIndex, kProgressReadPercent,
        kProgressReadCurrentPercent, kProgressReadUpdateResult}) {
    TSimulatedReport report = Progress(0, 10, 10, {kRunning}, 1, 10);
    report.failingReads = read;
    Report(report);
  }
  for (SimulatedFault fault : {SimulatedFault::kFails, SimulatedFault::kEmpty}) {
    TSimulatedReport report = Progress(0, 10, 10, {kRunning}, 1, 10);
    report.progress = fault;
    Report(report);
    agent.Catalogue().readFaults.jobUpdates = fault;
    Report(Progress(0, 10, 10, {kRunning}, 1, 10));
    agent.Catalogue().readFaults.jobUpdates = SimulatedFault::kNone;
  }
  Report(Progress(3, 10, 10, {kRunning, kRunning, kRunning, kRunning}, 1, 10));
  Report(Progress(0, 10, 10, {}, 1, 10));
  EXPECT_TRUE(RecordedCalls().empty());

  Report(Progress(0, 10, 10, {kRunning}, 1, 10));
  EXPECT_EQ(1u, RecordedCalls().size());
}

TEST_F(InstallTest, InstallReportThatCannotBeReadIsDropped) {
  InstallTwo();
  for (unsigned read : {kProgressReadIndex, kProgressReadPercent, kProgressReadCurrentPercent,
                        kProgressReadUpdateResult}) {
    TSimulatedReport report = Progress(1, 100, 100, {kSucceeded, kSucceeded});
    report.failingReads = read;
    Report(report);
  }
  for (SimulatedFault fault : {SimulatedFault::kFails, SimulatedFault::kEmpty}) {
    TSimulatedReport report = Progress(1, 100, 100, {kSucceeded, kSucceeded});
    report.progress = fault;
    Report(report);
    agent.Catalogue().readFaults.jobUpdates = fault;
    Report(Progress(1, 100, 100, {kSucceeded, kSucceeded}));
    agent.Catalogue().readFaults.jobUpdates = SimulatedFault::kNone;
  }
  EXPECT_TRUE(RecordedCalls().empty());
  EXPECT_FALSE(client->FinalReportDelivered());

  // With no final report delivered, the completion still ends the installation.
  Complete(EndingAs(orcSucceeded));
  EXPECT_EQ(std::vector<bool>{true}, FinishedVerdicts());
}

TEST_F(InstallTest, CompletionWithAnUnusableJobStateBeginsNothingAndEndsAsFailed) {
  TSimulatedReadFaults& faults = agent.Catalogue().readFaults;
  for (SimulatedFault fault : {SimulatedFault::kFails, SimulatedFault::kEmpty}) {
    ScanThree();
    StartWith({L"id-a"});
    faults.jobState = fault;

    Complete();

    faults.jobState = SimulatedFault::kNone;
    EXPECT_EQ(0, agent.CallCount(L"BeginInstall"));
    EXPECT_EQ(std::vector<bool>{false}, FinishedVerdicts());
    ClearRecordedCalls();
  }

  ScanThree();
  StartWith({L"id-a"});
  faults.jobStateShift = 8;  // some other address
  Complete();
  faults.jobStateShift = 0;
  EXPECT_EQ(0, agent.CallCount(L"BeginInstall"));
  EXPECT_EQ(std::vector<bool>{false}, FinishedVerdicts());

  InstallTwo();
  faults.jobState = SimulatedFault::kEmpty;
  Complete();
  faults.jobState = SimulatedFault::kNone;
  EXPECT_EQ(0, agent.CallCount(L"EndInstall"));
  EXPECT_EQ(std::vector<bool>{false}, FinishedVerdicts());
}

TEST_F(InstallTest, NewInstallationStartsWithNoVerdictDelivered) {
  InstallTwo();
  Report(Progress(1, 100, 100, {kSucceeded, kSucceeded}));
  ASSERT_TRUE(client->FinalReportDelivered());

  InstallTwo();

  EXPECT_FALSE(client->FinalReportDelivered());
  Complete(EndingAs(orcSucceeded));
  EXPECT_EQ(std::vector<bool>{true}, FinishedVerdicts());
}

// An agent that goes on calling back once the client has ended its jobs.
TEST_F(InstallTest, DestroyedClientLeavesItsCallbacksHarmless) {
  agent.Catalogue().ignoresCleanUp = true;
  ScanThree();
  StartWith({L"id-a", L"id-b"});
  const TSimulatedJobView download = Job();

  client.reset();

  EXPECT_EQ(S_OK, agent.ReportProgress(Progress(0, 10, 10, {kRunning}, 1, 10)));
  EXPECT_EQ(S_OK, agent.CompleteJob());
  EXPECT_EQ(0, agent.CallCount(L"BeginInstall"));
  EXPECT_TRUE(RecordedCalls().empty());
}

// The client holds the last reference to the installation job, which
// reports its end from its teardown while the client is being destroyed.
TEST_F(InstallTest, JobReportingWhileItIsReleasedDoesNotReachTheDestroyedClient) {
  agent.Catalogue().ignoresCleanUp = true;
  agent.Catalogue().reportsWhenReleased = true;
  InstallTwo();
  agent.ForgetJournal();

  client.reset();

  EXPECT_EQ((std::vector<std::wstring>{L"CleanUp installation",
                                       L"Release installation: reported its end"}),
            agent.Journal());
  EXPECT_EQ(1, agent.CallCount(L"BeginInstall"));
  EXPECT_EQ(0, agent.CallCount(L"EndInstall"));
  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(InstallTest, CallbackObjectsAreFreedWithTheirLastReference) {
  ScanThree();
  StartWith({L"id-a", L"id-b"});
  std::vector<IUnknown*> callbacks;
  const auto keep = [&](const TSimulatedJobView& job) {
    for (IUnknown* callback : {job.onProgress.Get(), job.onCompleted.Get()}) {
      callback->AddRef();
      callbacks.push_back(callback);
    }
  };
  keep(Job());
  Complete();
  keep(Job());

  client.reset();
  ASSERT_TRUE(SkinUITest::PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }));

  for (IUnknown* callback : callbacks) EXPECT_EQ(0u, callback->Release());
}

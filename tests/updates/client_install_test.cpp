#include <gtest/gtest.h>
#include <wuerror.h>

#include "tests/updates/fake_agent_fixture.h"

namespace {

using Kind = HandlerCall::Kind;

class InstallTest : public FakeAgentTest {
 protected:
  InstallTest() {
    updateA = UpdateNamed(L"Update A", L"id-a");
    updateB = UpdateNamed(L"Update B", L"id-b");
    updateC = UpdateNamed(L"Update C", L"id-c");
  }

  void ScanThree() { Scan({updateA, updateB, updateC}); }

  void StartWith(const std::vector<std::wstring>& ids) {
    ASSERT_EQ(S_OK, client->StartInstallation(ids));
    ASSERT_TRUE(agent->session->downloader);
    ASSERT_TRUE(agent->session->downloader->job);
  }

  FakeDownloader& Downloader() { return *agent->session->downloader.Get(); }
  FakeInstaller& Installer() { return *agent->session->installer.Get(); }

  static ComPtr<FakeDownloadProgressArgs> DownloadArgs(LONG index, LONG current, LONG overall,
                                                       uint64_t done, uint64_t total,
                                                       std::vector<FakeResult> results) {
    ComPtr<FakeDownloadProgressArgs> args = new FakeDownloadProgressArgs();
    args->progress = new FakeDownloadProgress();
    args->progress->index = index;
    args->progress->currentPercent = current;
    args->progress->percent = overall;
    args->progress->bytesDownloaded = done;
    args->progress->bytesToDownload = total;
    args->progress->results = std::move(results);
    return args;
  }

  static ComPtr<FakeInstallationProgressArgs> InstallArgs(LONG index, LONG current, LONG overall,
                                                          std::vector<FakeResult> results) {
    ComPtr<FakeInstallationProgressArgs> args = new FakeInstallationProgressArgs();
    args->progress = new FakeInstallationProgress();
    args->progress->index = index;
    args->progress->currentPercent = current;
    args->progress->percent = overall;
    args->progress->results = std::move(results);
    return args;
  }

  void ReportDownload(FakeDownloadProgressArgs* args) {
    EXPECT_EQ(S_OK, Downloader().progressCallback->Invoke(Downloader().job.Get(), args));
    ProcessEvents();
  }

  void ReportDownload(LONG index, LONG current, LONG overall, uint64_t done, uint64_t total,
                      std::vector<FakeResult> results) {
    ReportDownload(DownloadArgs(index, current, overall, done, total, std::move(results)).Get());
  }

  void CompleteDownload() {
    ComPtr<IDownloadCompletedCallbackArgs> args = new StubDownloadCompletedArgs();
    EXPECT_EQ(S_OK, Downloader().completedCallback->Invoke(Downloader().job.Get(), args.Get()));
    ProcessEvents();
  }

  void ReportInstall(FakeInstallationProgressArgs* args) {
    EXPECT_EQ(S_OK, Installer().progressCallback->Invoke(Installer().job.Get(), args));
    ProcessEvents();
  }

  void ReportInstall(LONG index, LONG current, LONG overall, std::vector<FakeResult> results) {
    ReportInstall(InstallArgs(index, current, overall, std::move(results)).Get());
  }

  void CompleteInstall() {
    ComPtr<IInstallationCompletedCallbackArgs> args = new StubInstallationCompletedArgs();
    EXPECT_EQ(S_OK, Installer().completedCallback->Invoke(Installer().job.Get(), args.Get()));
    ProcessEvents();
  }

  // What the agent thread does once a callback has returned.
  void ProcessEvents() {
    if (client) client->ProcessCallbackEvents();
  }

  // Starts A and B, downloads them and begins their installation.
  void InstallTwo() {
    ScanThree();
    StartWith({L"id-a", L"id-b"});
    CompleteDownload();
    ASSERT_TRUE(Installer().job);
    ClearRecordedCalls();
  }

  std::vector<bool> FinishedVerdicts() {
    std::vector<bool> verdicts;
    for (const HandlerCall& call : RecordedCallsOf(Kind::kFinished)) {
      verdicts.push_back(call.succeeded);
    }
    return verdicts;
  }

  ComPtr<FakeUpdate> updateA;
  ComPtr<FakeUpdate> updateB;
  ComPtr<FakeUpdate> updateC;
};

const FakeResult kSucceeded{orcSucceeded, S_OK};
const FakeResult kRunning{orcInProgress, S_OK};
const FakeResult kNotStarted{orcNotStarted, S_OK};
const FakeResult kFailed{orcFailed, static_cast<HRESULT>(0x80240022)};

std::vector<std::wstring> IdsOf(IUpdateCollection* collection) {
  std::vector<std::wstring> ids;
  auto* fake = static_cast<FakeCollection*>(collection);
  for (const auto& update : fake->items)
    ids.push_back(static_cast<FakeUpdate*>(update.Get())->Id());
  return ids;
}

}  // namespace

TEST_F(InstallTest, InstallationTakesTheChosenUpdatesInSearchOrderAndAcceptsTheirLicences) {
  ScanThree();

  StartWith({L"id-c", L"not-found", L"id-a", L"id-c"});

  EXPECT_EQ((std::vector<std::wstring>{L"id-a", L"id-c"}), IdsOf(Downloader().updates.Get()));
  EXPECT_EQ(1, updateA->eulaAccepted);
  EXPECT_EQ(0, updateB->eulaAccepted);
  EXPECT_EQ(1, updateC->eulaAccepted);
}

TEST_F(InstallTest, IdsMatchOnlyAsWholeCaseSensitiveStrings) {
  ScanThree();

  EXPECT_EQ(WU_E_NO_UPDATE, client->StartInstallation({L"ID-A", L"id-", L"id-a ", L"d-b"}));
  EXPECT_FALSE(agent->session->downloader);
}

TEST_F(InstallTest, DownloaderAndInstallerShareOneCollectionAndJobsCarryTheClient) {
  ScanThree();

  StartWith({L"id-b"});

  EXPECT_EQ(agent->lastCollection.Get(), Downloader().updates.Get());
  EXPECT_EQ(agent->lastCollection.Get(), Installer().updates.Get());
  EXPECT_EQ(VT_I8, Downloader().beganWithState.vt);
  EXPECT_EQ(reinterpret_cast<intptr_t>(client.get()), Downloader().beganWithState.llVal);
  CompleteDownload();
  EXPECT_EQ(VT_I8, Installer().beganWithState.vt);
  EXPECT_EQ(reinterpret_cast<intptr_t>(client.get()), Installer().beganWithState.llVal);
  EXPECT_EQ(1u, Downloader().endedJobs.size());
  EXPECT_EQ(Downloader().job.Get(), Downloader().endedJobs[0]);
}

TEST_F(InstallTest, InstallationWithoutAKeptSearchResultStartsNothing) {
  EXPECT_EQ(E_POINTER, client->StartInstallation({L"id-a"}));
  EXPECT_FALSE(agent->session->downloader);
  EXPECT_FALSE(agent->lastCollection);
}

TEST_F(InstallTest, InstallationOfOnlyThePlaceholderIdStartsNothing) {
  ScanThree();
  agent->session->found->failingItems = {0};

  EXPECT_TRUE(FAILED(client->StartInstallation({L"Unkown"})));
  EXPECT_FALSE(agent->session->downloader);
  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(InstallTest, EveryFailedStepBeforeTheDownloadIsReturnedAndStartsNothing) {
  ScanThree();
  agent->createCollectionResult = REGDB_E_CLASSNOTREG;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, client->StartInstallation({L"id-a"}));
  agent->createCollectionResult = S_OK;

  agent->session->createDownloaderResult = E_ACCESSDENIED;
  EXPECT_EQ(E_ACCESSDENIED, client->StartInstallation({L"id-a"}));
  EXPECT_FALSE(agent->session->downloader);
  agent->session->createDownloaderResult = S_OK;

  agent->session->createInstallerResult = E_OUTOFMEMORY;
  EXPECT_EQ(E_OUTOFMEMORY, client->StartInstallation({L"id-a"}));
  EXPECT_FALSE(Downloader().job);
  agent->session->createInstallerResult = S_OK;

  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(InstallTest, FailedDownloadStartIsReturned) {
  ScanThree();
  agent->session->beginDownloadResult = E_NOTIMPL;

  EXPECT_EQ(E_NOTIMPL, client->StartInstallation({L"id-a"}));

  EXPECT_FALSE(Downloader().job);
  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(InstallTest, TwoUpdateInstallReportsEveryStepInOrder) {
  ScanThree();
  StartWith({L"id-b", L"id-a"});

  ReportDownload(0, 0, 0, 0, 1000, {kRunning, kNotStarted});
  ReportDownload(0, 100, 50, 1000, 1000, {kSucceeded, kNotStarted});
  ReportDownload(1, 100, 100, 3000, 3000, {kSucceeded, kSucceeded});
  CompleteDownload();
  ReportInstall(0, 0, 0, {kRunning, kNotStarted});
  ReportInstall(0, 100, 50, {kSucceeded, kRunning});
  ReportInstall(1, 100, 100, {kSucceeded, kSucceeded});
  CompleteInstall();

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
  FakeUpdateData untitled;
  untitled.id = L"id-u";
  untitled.faults = {{"Title", ReadFault::kNull}};
  Scan({updateA, MakeUpdate(untitled)});
  StartWith({L"id-u"});

  ReportDownload(0, 50, 50, 1, 10, {kRunning});
  CompleteDownload();
  ReportInstall(0, 100, 100, {kSucceeded});

  ASSERT_EQ(2u, RecordedCalls().size());
  EXPECT_EQ(L"", RecordedCalls()[0].title);
  EXPECT_EQ(L"id-u", RecordedCalls()[0].updateId);
  EXPECT_EQ(L"", RecordedCalls()[1].title);
  EXPECT_EQ(100, RecordedCalls()[1].overallPercent);
}

TEST_F(InstallTest, DownloadWhoseUpdatesAllFailStillBeginsTheInstallation) {
  ScanThree();
  StartWith({L"id-a", L"id-c"});
  ReportDownload(1, 100, 100, 0, 500, {kFailed, kFailed});

  CompleteDownload();

  EXPECT_EQ(1, Installer().beginCount);
  ASSERT_TRUE(Installer().job);
  EXPECT_EQ(Downloader().updates.Get(), Installer().job->updates.Get());
  EXPECT_TRUE(FinishedVerdicts().empty());
}

TEST_F(InstallTest, InstallationThatCannotBeginEndsAsFailed) {
  ScanThree();
  StartWith({L"id-a"});
  Installer().beginResult = E_NOTIMPL;

  CompleteDownload();

  EXPECT_EQ(std::vector<bool>{false}, FinishedVerdicts());
}

TEST_F(InstallTest, CompletionWithoutAFinalReportDecidesByTheInstallationResult) {
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
    Installer().endResult = c.endResult;
    Installer().endCode = c.code;
    ReportInstall(0, 50, 25, {kRunning, kNotStarted});

    CompleteInstall();
    CompleteInstall();

    EXPECT_EQ(std::vector<bool>{c.succeeded}, FinishedVerdicts()) << c.code;
    EXPECT_EQ(Installer().job.Get(), Installer().endedJobs.at(0));
  }
}

TEST_F(InstallTest, CompletionAfterTheFinalReportLeavesTheVerdictToThatReport) {
  InstallTwo();
  Installer().endCode = orcFailed;
  ReportInstall(1, 100, 100, {kSucceeded, kSucceeded});

  CompleteInstall();

  EXPECT_TRUE(FinishedVerdicts().empty());
  EXPECT_EQ(1u, Installer().endedJobs.size());
}

TEST_F(InstallTest, FinalReportCarriesAnEarlierUpdatesFailure) {
  const struct {
    FakeResult first;
    FakeResult last;
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

    ReportInstall(1, 100, 100, {c.first, c.last});

    const auto calls = RecordedCallsOf(Kind::kInstall);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(c.code, calls[0].resultCode) << c.first.code << "," << c.last.code;
    EXPECT_EQ(c.hr, calls[0].result) << c.first.code << "," << c.last.code;
  }
}

TEST_F(InstallTest, EarlierFailureMattersOnlyInTheFinalReport) {
  InstallTwo();

  ReportInstall(1, 50, 75, {kFailed, kRunning});

  const auto calls = RecordedCallsOf(Kind::kInstall);
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(orcInProgress, calls[0].resultCode);
  EXPECT_FALSE(client->FinalReportDelivered());
}

TEST_F(InstallTest, DownloadReportThatCannotBeReadIsDropped) {
  ScanThree();
  StartWith({L"id-a"});
  for (const char* failing :
       {"BytesDownloaded", "BytesToDownload", "CurrentUpdateIndex", "PercentComplete",
        "CurrentUpdatePercentComplete", "GetUpdateResult"}) {
    auto args = DownloadArgs(0, 10, 10, 1, 10, {kRunning});
    args->progress->failing = failing;
    ReportDownload(args.Get());
  }
  for (ReadFault fault : {ReadFault::kFails, ReadFault::kNull}) {
    auto args = DownloadArgs(0, 10, 10, 1, 10, {kRunning});
    args->fault = fault;
    ReportDownload(args.Get());
    Downloader().job->updatesFault = fault;
    ReportDownload(DownloadArgs(0, 10, 10, 1, 10, {kRunning}).Get());
    Downloader().job->updatesFault = ReadFault::kNone;
  }
  ReportDownload(DownloadArgs(3, 10, 10, 1, 10, {kRunning, kRunning, kRunning, kRunning}).Get());
  ReportDownload(DownloadArgs(0, 10, 10, 1, 10, {}).Get());
  EXPECT_TRUE(RecordedCalls().empty());

  ReportDownload(DownloadArgs(0, 10, 10, 1, 10, {kRunning}).Get());
  EXPECT_EQ(1u, RecordedCalls().size());
}

TEST_F(InstallTest, InstallReportThatCannotBeReadIsDropped) {
  InstallTwo();
  for (const char* failing : {"CurrentUpdateIndex", "PercentComplete",
                              "CurrentUpdatePercentComplete", "GetUpdateResult"}) {
    auto args = InstallArgs(1, 100, 100, {kSucceeded, kSucceeded});
    args->progress->failing = failing;
    ReportInstall(args.Get());
  }
  for (ReadFault fault : {ReadFault::kFails, ReadFault::kNull}) {
    auto args = InstallArgs(1, 100, 100, {kSucceeded, kSucceeded});
    args->fault = fault;
    ReportInstall(args.Get());
    Installer().job->updatesFault = fault;
    ReportInstall(InstallArgs(1, 100, 100, {kSucceeded, kSucceeded}).Get());
    Installer().job->updatesFault = ReadFault::kNone;
  }
  EXPECT_TRUE(RecordedCalls().empty());
  EXPECT_FALSE(client->FinalReportDelivered());

  // With no final report delivered, the completion still ends the installation.
  CompleteInstall();
  EXPECT_EQ(std::vector<bool>{true}, FinishedVerdicts());
}

TEST_F(InstallTest, CompletionWithAnUnusableJobStateBeginsNothingAndEndsAsFailed) {
  for (ReadFault fault : {ReadFault::kFails, ReadFault::kNull}) {
    ScanThree();
    StartWith({L"id-a"});
    Downloader().job->stateFault = fault;

    CompleteDownload();

    EXPECT_EQ(0, Installer().beginCount);
    EXPECT_EQ(std::vector<bool>{false}, FinishedVerdicts());
    ClearRecordedCalls();
  }

  ScanThree();
  StartWith({L"id-a"});
  Downloader().job->state.llVal += 8;  // some other address
  CompleteDownload();
  EXPECT_EQ(0, Installer().beginCount);
  EXPECT_EQ(std::vector<bool>{false}, FinishedVerdicts());

  InstallTwo();
  Installer().job->stateFault = ReadFault::kNull;
  CompleteInstall();
  EXPECT_TRUE(Installer().endedJobs.empty());
  EXPECT_EQ(std::vector<bool>{false}, FinishedVerdicts());
}

TEST_F(InstallTest, NewInstallationStartsWithNoVerdictDelivered) {
  InstallTwo();
  ReportInstall(1, 100, 100, {kSucceeded, kSucceeded});
  ASSERT_TRUE(client->FinalReportDelivered());

  InstallTwo();

  EXPECT_FALSE(client->FinalReportDelivered());
  CompleteInstall();
  EXPECT_EQ(std::vector<bool>{true}, FinishedVerdicts());
}

TEST_F(InstallTest, DestroyedClientLeavesItsCallbacksHarmless) {
  ScanThree();
  StartWith({L"id-a", L"id-b"});
  ComPtr<FakeDownloader> downloader = agent->session->downloader;
  ComPtr<FakeInstaller> installer = agent->session->installer;

  client.reset();

  ReportDownload(0, 10, 10, 1, 10, {kRunning});
  CompleteDownload();
  EXPECT_EQ(0, installer->beginCount);
  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(InstallTest, JobReportingWhileItIsReleasedDoesNotReachTheDestroyedClient) {
  InstallTwo();
  ComPtr<IDownloadProgressChangedCallback> downloadProgress = Downloader().progressCallback;
  ComPtr<IDownloadCompletedCallback> downloadCompleted = Downloader().completedCallback;
  ComPtr<IInstallationProgressChangedCallback> installProgress = Installer().progressCallback;
  ComPtr<IInstallationCompletedCallback> installCompleted = Installer().completedCallback;
  int hooksRun = 0;
  Downloader().job->onFinalRelease = [&](FakeDownloadJob* job) {
    ++hooksRun;
    downloadProgress->Invoke(job, DownloadArgs(0, 10, 10, 1, 10, {kRunning}).Get());
    ComPtr<IDownloadCompletedCallbackArgs> args = new StubDownloadCompletedArgs();
    downloadCompleted->Invoke(job, args.Get());
  };
  Installer().job->onFinalRelease = [&](FakeInstallationJob* job) {
    ++hooksRun;
    installProgress->Invoke(job, InstallArgs(1, 100, 100, {kSucceeded, kSucceeded}).Get());
    ComPtr<IInstallationCompletedCallbackArgs> args = new StubInstallationCompletedArgs();
    installCompleted->Invoke(job, args.Get());
  };
  ComPtr<FakeInstaller> installer = agent->session->installer;
  // The client now holds the last reference to each job.
  Downloader().job.Reset();
  Installer().job.Reset();

  client.reset();

  EXPECT_EQ(2, hooksRun);
  EXPECT_EQ(1, installer->beginCount);
  EXPECT_TRUE(installer->endedJobs.empty());
  EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(InstallTest, CallbackObjectsAreFreedWithTheirLastReference) {
  InstallTwo();
  IUnknown* callbacks[] = {Downloader().progressCallback.Get(),
                           Downloader().completedCallback.Get(), Installer().progressCallback.Get(),
                           Installer().completedCallback.Get()};
  for (IUnknown* callback : callbacks) callback->AddRef();

  client.reset();
  agent.reset();

  for (IUnknown* callback : callbacks) EXPECT_EQ(0u, callback->Release());
}

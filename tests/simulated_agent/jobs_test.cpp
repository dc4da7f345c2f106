#include "tests/simulated_agent/agent_test_support.h"

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

const HRESULT kInstallFailure = static_cast<HRESULT>(0x80070643);
const HRESULT kDownloadFailure = static_cast<HRESULT>(0x80240022);
const LONGLONG kState = 0x1234567890ll;

TSimulatedUpdate Update(const wchar_t* title, const wchar_t* id, ULONGLONG size) {
  TSimulatedUpdate update;
  update.title = title;
  update.updateId = id;
  update.kbArticleIds = {L"1"};
  update.sizeBytes = size;
  update.deployed = SimulatedDate(2021, 6, 8);
  return update;
}

class Jobs : public PreparedJobTest {
 protected:
  void SetUp() override {
    PreparedJobTest::SetUp();
    agent_.Catalogue().updates = {Update(L"First", L"id-1", 1000), Update(L"Second", L"id-2", 2000),
                                  Update(L"Third", L"id-3", 4001)};
  }
};

using JobsOnEitherThread = OnEitherCallbackThread<Jobs>;

LONG ResultCodeOf(IDownloadResult* result) {
  OperationResultCode code = orcNotStarted;
  result->get_ResultCode(&code);
  return code;
}

LONG ResultCodeOf(IInstallationResult* result) {
  OperationResultCode code = orcNotStarted;
  result->get_ResultCode(&code);
  return code;
}

template <typename Result, typename UpdateResult>
std::vector<LONG> UpdateCodesOf(Result* result, LONG count) {
  std::vector<LONG> codes;
  for (LONG i = 0; i < count; ++i) {
    ComPtr<UpdateResult> one;
    OperationResultCode code = orcNotStarted;
    if (SUCCEEDED(result->GetUpdateResult(i, &one))) one->get_ResultCode(&code);
    codes.push_back(code);
  }
  return codes;
}

// What report k of a job over `sizes` with four steps per update must say.
void ExpectStep(const TReport& report, size_t k, size_t updates, const std::vector<LONG>& finals) {
  const LONG index = static_cast<LONG>(k / 4);
  const LONG current = static_cast<LONG>((k % 4 + 1) * 25);
  EXPECT_EQ(index, report.index);
  EXPECT_EQ(current, report.currentPercent);
  EXPECT_EQ(static_cast<LONG>((k + 1) * 100 / (updates * 4)), report.percent);
  ASSERT_EQ(updates, report.codes.size());
  for (LONG i = 0; i < static_cast<LONG>(updates); ++i) {
    LONG expected = orcNotStarted;
    if (i < index || (i == index && current == 100)) expected = finals[i];
    if (i == index && current < 100) expected = orcInProgress;
    EXPECT_EQ(expected, report.codes[i]) << "update " << i;
  }
  EXPECT_EQ(report.codes[index], report.resultCode);
}

}  // namespace

TEST_P(JobsOnEitherThread, DownloadThenInstallReportEveryStepWithCompletionLast) {
  agent_.Catalogue().updates[1].install = {orcFailed, kInstallFailure};
  agent_.Catalogue().updates[0].rebootRequired = true;
  Prepare({0, 1, 2});
  CJobRecorder recorder;

  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get(), kState));
  ASSERT_TRUE(recorder.WaitForInstallation());

  const auto reports = recorder.Reports();
  ASSERT_EQ(26u, reports.size());
  const DWORD here = GetCurrentThreadId();
  for (const TReport& report : reports) {
    // On another thread a callback may overlap the end of Begin*, but Begin*
    // itself never calls one.
    if (report.thread == here) {
      EXPECT_FALSE(report.duringBegin);
    }
    EXPECT_EQ(kState, report.state);
    const DWORD jobThread =
        report.kind <= TReport::kDownloadCompleted ? reports.front().thread : reports.back().thread;
    EXPECT_EQ(jobThread, report.thread) << "every callback of one job on one thread";
    if (GetParam() == SimulatedCallbackThread::kAgent) {
      EXPECT_NE(here, report.thread);
    } else {
      EXPECT_EQ(here, report.thread);
    }
  }
  EXPECT_EQ(TReport::kDownloadCompleted, reports[12].kind);
  EXPECT_EQ(TReport::kInstallCompleted, reports[25].kind);

  const std::vector<ULONGLONG> sizes = {1000, 2000, 4001};
  const wchar_t* titles[] = {L"First", L"Second", L"Third"};
  const auto downloads = ReportsOfKind(reports, TReport::kDownloadProgress);
  ASSERT_EQ(12u, downloads.size());
  for (size_t k = 0; k < downloads.size(); ++k) {
    SCOPED_TRACE(k);
    ExpectStep(downloads[k], k, 3, {orcSucceeded, orcSucceeded, orcSucceeded});
    EXPECT_EQ(titles[k / 4], downloads[k].title);
    EXPECT_EQ(sizes[k / 4], downloads[k].bytesToDo);
    EXPECT_EQ(sizes[k / 4] * downloads[k].currentPercent / 100, downloads[k].bytesDone);
  }
  EXPECT_EQ(100, downloads.back().percent);

  const auto installs = ReportsOfKind(reports, TReport::kInstallProgress);
  ASSERT_EQ(12u, installs.size());
  for (size_t k = 0; k < installs.size(); ++k) {
    SCOPED_TRACE(k);
    ExpectStep(installs[k], k, 3, {orcSucceeded, orcFailed, orcSucceeded});
    EXPECT_EQ(titles[k / 4], installs[k].title);
  }
  EXPECT_EQ(kInstallFailure, installs[7].hresult);
  EXPECT_EQ(100, installs.back().percent);
  EXPECT_EQ(orcSucceeded, installs.back().resultCode);

  EXPECT_EQ(S_OK, recorder.endDownload);
  EXPECT_EQ(orcSucceeded, ResultCodeOf(recorder.downloadResult.Get()));
  EXPECT_EQ(S_OK, recorder.endInstall);
  ASSERT_TRUE(recorder.installationResult);
  EXPECT_EQ(orcSucceededWithErrors, ResultCodeOf(recorder.installationResult.Get()));
  EXPECT_EQ((std::vector<LONG>{orcSucceeded, orcFailed, orcSucceeded}),
            (UpdateCodesOf<IInstallationResult, IUpdateInstallationResult>(
                recorder.installationResult.Get(), 3)));
  VARIANT_BOOL reboot = VARIANT_FALSE;
  EXPECT_EQ(S_OK, recorder.installationResult->get_RebootRequired(&reboot));
  EXPECT_EQ(VARIANT_TRUE, reboot);

  VARIANT_BOOL completed = VARIANT_FALSE;
  EXPECT_EQ(S_OK, recorder.downloadJob->get_IsCompleted(&completed));
  EXPECT_EQ(VARIANT_TRUE, completed);
  // The jobs let go of the callbacks once they completed, on the thread that
  // delivered them.
  EXPECT_TRUE(PumpUntil([&] {
    return recorder.downloadProgress->References() == 1 &&
           recorder.downloadCompleted->References() == 1 &&
           recorder.installProgress->References() == 1 &&
           recorder.installCompleted->References() == 1;
  }));
  const auto releasedOn = [](const std::vector<DWORD>& threads, DWORD expected) {
    return !threads.empty() &&
           std::all_of(threads.begin(), threads.end(), [&](DWORD id) { return id == expected; });
  };
  EXPECT_TRUE(releasedOn(recorder.downloadProgress->ReleaseThreads(), reports.front().thread));
  EXPECT_TRUE(releasedOn(recorder.downloadCompleted->ReleaseThreads(), reports.front().thread));
  EXPECT_TRUE(releasedOn(recorder.installProgress->ReleaseThreads(), reports.back().thread));
  EXPECT_TRUE(releasedOn(recorder.installCompleted->ReleaseThreads(), reports.back().thread));
}

TEST_P(JobsOnEitherThread, ARunningJobHoldsItsCallbacksUntilItCompletes) {
  Prepare({0});
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  EXPECT_EQ(2, recorder.downloadProgress->References());
  EXPECT_EQ(2, recorder.downloadCompleted->References());
  ASSERT_TRUE(recorder.WaitForDownload());
  EXPECT_TRUE(PumpUntil([&] {
    return recorder.downloadProgress->References() == 1 &&
           recorder.downloadCompleted->References() == 1;
  }));
}

TEST_P(JobsOnEitherThread, OneStepPerUpdateStillEndsAtOneHundredPercent) {
  agent_.Catalogue().stepsPerUpdate = 1;
  Prepare({0, 2});
  CJobRecorder recorder;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ASSERT_TRUE(recorder.WaitForInstallation());
  const auto installs = ReportsOfKind(recorder.Reports(), TReport::kInstallProgress);
  ASSERT_EQ(2u, installs.size());
  EXPECT_EQ(0, installs[0].index);
  EXPECT_EQ(100, installs[0].currentPercent);
  EXPECT_EQ(50, installs[0].percent);
  EXPECT_EQ(1, installs[1].index);
  EXPECT_EQ(100, installs[1].percent);
  EXPECT_EQ(L"Third", installs[1].title);
}

TEST_F(Jobs, InTheSecondModeCallbacksArriveOnTheWorkerThatBeganTheJob) {
  agent_.Catalogue().callbackThread = SimulatedCallbackThread::kStarting;
  std::vector<TReport> reports;
  DWORD workerId = 0;
  bool finished = false;
  RunOnThread(COINIT_APARTMENTTHREADED, [&] {
    workerId = GetCurrentThreadId();
    Prepare({0, 1});
    {
      CJobRecorder recorder;
      if (SUCCEEDED(recorder.BeginDownload(downloader_.Get(), installer_.Get()))) {
        finished = recorder.WaitForInstallation();
      }
      reports = recorder.Reports();
    }
    installer_.Reset();
    downloader_.Reset();
    chosen_.Reset();
    found_.Reset();
    session_.Reset();
  });
  ASSERT_TRUE(finished);
  ASSERT_EQ(18u, reports.size());
  for (const TReport& report : reports) EXPECT_EQ(workerId, report.thread);
  EXPECT_NE(GetCurrentThreadId(), workerId);
}

TEST_P(JobsOnEitherThread, DownloadsThatAllFailStillCompleteAndTheInstallationFollows) {
  for (auto& update : agent_.Catalogue().updates) update.download = {orcFailed, kDownloadFailure};
  Prepare({0, 1});
  CJobRecorder recorder;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ASSERT_TRUE(recorder.WaitForInstallation());

  ASSERT_TRUE(recorder.downloadResult);
  EXPECT_EQ(orcFailed, ResultCodeOf(recorder.downloadResult.Get()));
  LONG hr = S_OK;
  EXPECT_EQ(S_OK, recorder.downloadResult->get_HResult(&hr));
  EXPECT_EQ(kDownloadFailure, hr);
  EXPECT_EQ(S_OK, recorder.beginInstall);
  EXPECT_EQ(orcSucceeded, ResultCodeOf(recorder.installationResult.Get()));
}

TEST_P(JobsOnEitherThread, ReleasingEveryAgentObjectDuringAJobLeavesTheJobRunningSafely) {
  Prepare({0, 1});
  std::vector<std::wstring> titles;
  std::atomic<int> completions{0};
  auto progress = CDownloadProgressCallback::Make(
      [&](IDownloadJob* job, IDownloadProgressChangedCallbackArgs* args) {
        ComPtr<IDownloadProgress> values;
        LONG index = -1;
        ComPtr<IUpdateCollection> updates;
        if (SUCCEEDED(args->get_Progress(&values)) &&
            SUCCEEDED(values->get_CurrentUpdateIndex(&index)) &&
            SUCCEEDED(job->get_Updates(&updates))) {
          titles.push_back(ReadTitle(ItemOf(updates.Get(), index).Get()));
        }
      });
  auto completed = CDownloadCompletedCallback::Make(
      [&](IDownloadJob*, IDownloadCompletedCallbackArgs*) { ++completions; });
  ComPtr<IDownloadJob> job;
  VARIANT state;
  VariantInit(&state);
  ASSERT_EQ(S_OK, downloader_->BeginDownload(progress.Get(), completed.Get(), state, &job));

  job.Reset();
  downloader_.Reset();
  installer_.Reset();
  chosen_.Reset();
  found_.Reset();
  session_.Reset();
  ASSERT_GT(SimulatedAgentLiveObjects(), 0);

  ASSERT_TRUE(PumpUntil([&] { return completions == 1; }));
  EXPECT_EQ(8u, titles.size());
  EXPECT_EQ(L"First", titles.front());
  EXPECT_EQ(L"Second", titles.back());
  EXPECT_TRUE(PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }, 2000));
  EXPECT_EQ(1, progress->References());
  EXPECT_EQ(1, completed->References());
}

TEST_P(JobsOnEitherThread, TheAgentMayBeUninstalledAndDestroyedBeforeItsObjects) {
  auto agent = std::make_unique<CSimulatedAgentFactory>(FastCatalogue());
  SetUpdateAgentFactory(agent.get());
  Prepare({0, 1});
  SetUpdateAgentFactory(nullptr);
  agent.reset();

  CJobRecorder recorder;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ASSERT_TRUE(recorder.WaitForInstallation());
  EXPECT_EQ(18u, recorder.ReportCount());
  EXPECT_EQ(orcSucceeded, ResultCodeOf(recorder.installationResult.Get()));
}

TEST_P(JobsOnEitherThread, ANestedMessageLoopInsideACallbackGetsNoNestedReport) {
  Prepare({0, 1});
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  bool inHook = false;
  int nested = 0;
  recorder.duringDownloadProgress = [&](IDownloadJob*) {
    if (inHook) {
      ++nested;
      return;
    }
    inHook = true;
    PumpFor(60);
    inHook = false;
  };
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ASSERT_TRUE(recorder.WaitForDownload());
  EXPECT_EQ(0, nested);
  EXPECT_EQ(9u, recorder.ReportCount());
}

TEST_F(Jobs, EndRefusesUnfinishedAndForeignJobs) {
  Prepare({0});
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ComPtr<IDownloadResult> result;
  EXPECT_EQ(WU_E_INVALID_OPERATION, downloader_->EndDownload(recorder.downloadJob.Get(), &result));
  EXPECT_FALSE(result);

  ComPtr<IUpdateDownloader> other;
  ASSERT_EQ(S_OK, session_->CreateUpdateDownloader(&other));
  EXPECT_EQ(E_INVALIDARG, other->EndDownload(recorder.downloadJob.Get(), &result));
  EXPECT_EQ(E_INVALIDARG, downloader_->EndDownload(nullptr, &result));
  ASSERT_TRUE(recorder.WaitForDownload());

  // An installer cannot end a download job either.
  ComPtr<IInstallationResult> installed;
  ComPtr<IInstallationJob> notAnInstallation;
  EXPECT_EQ(E_NOINTERFACE, recorder.downloadJob.As(&notAnInstallation));
  EXPECT_EQ(E_INVALIDARG, installer_->EndInstall(nullptr, &installed));
}

TEST_F(Jobs, BeginRefusesAnEmptyListAndObjectsThatAreNotCallbacks) {
  session_ = NewSession();
  ComPtr<IUpdateDownloader> downloader;
  ComPtr<IUpdateInstaller> installer;
  ASSERT_EQ(S_OK, session_->CreateUpdateDownloader(&downloader));
  ASSERT_EQ(S_OK, session_->CreateUpdateInstaller(&installer));
  CJobRecorder recorder;
  EXPECT_EQ(WU_E_NO_UPDATE, recorder.BeginDownload(downloader.Get(), installer.Get()));
  EXPECT_EQ(WU_E_NO_UPDATE, recorder.BeginInstall(installer.Get()));

  ComPtr<IUpdateCollection> empty;
  ASSERT_EQ(S_OK, UpdateAgentFactory().CreateUpdateCollection(&empty));
  ASSERT_EQ(S_OK, downloader->put_Updates(empty.Get()));
  EXPECT_EQ(WU_E_NO_UPDATE, recorder.BeginDownload(downloader.Get(), installer.Get()));
  EXPECT_FALSE(recorder.downloadJob);

  found_ = SearchMissing(session_.Get());
  ASSERT_EQ(S_OK, downloader->put_Updates(found_.Get()));
  VARIANT state;
  VariantInit(&state);
  ComPtr<IDownloadJob> job;
  EXPECT_EQ(E_NOINTERFACE, downloader->BeginDownload(found_.Get(), nullptr, state, &job));
  EXPECT_FALSE(job);

  // Without callbacks the job still runs to its end.
  ASSERT_EQ(S_OK, downloader->BeginDownload(nullptr, nullptr, state, &job));
  EXPECT_TRUE(PumpUntil([&] {
    VARIANT_BOOL done = VARIANT_FALSE;
    job->get_IsCompleted(&done);
    return done == VARIANT_TRUE;
  }));
  EXPECT_EQ(0u, recorder.ReportCount());
}

TEST_F(Jobs, AnUpdateWhoseLicenceWasNotAcceptedFailsToInstall) {
  for (auto& update : agent_.Catalogue().updates) update.eulaRequired = true;
  session_ = NewSession();
  found_ = SearchMissing(session_.Get());
  ComPtr<IUpdateCollection> chosen;
  ASSERT_EQ(S_OK, UpdateAgentFactory().CreateUpdateCollection(&chosen));
  VARIANT_BOOL accepted = VARIANT_TRUE;
  EXPECT_EQ(S_OK, ItemOf(found_.Get(), 0)->get_EulaAccepted(&accepted));
  EXPECT_EQ(VARIANT_FALSE, accepted);
  EXPECT_EQ(S_OK, ItemOf(found_.Get(), 1)->AcceptEula());
  chosen->Add(ItemOf(found_.Get(), 0).Get(), nullptr);
  chosen->Add(ItemOf(found_.Get(), 1).Get(), nullptr);
  MakeDownloaderAndInstaller(session_.Get(), chosen.Get(), downloader_, installer_);

  CJobRecorder recorder;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ASSERT_TRUE(recorder.WaitForInstallation());
  const auto installs = ReportsOfKind(recorder.Reports(), TReport::kInstallProgress);
  ASSERT_EQ(8u, installs.size());
  EXPECT_EQ(orcFailed, installs[3].resultCode);
  EXPECT_EQ(WU_E_EULAS_DECLINED, installs[3].hresult);
  EXPECT_EQ(orcSucceeded, installs[7].resultCode);
}

TEST_F(Jobs, InstalledUpdatesAreNotFoundAgain) {
  agent_.Catalogue().updates[1].install = {orcFailed, kInstallFailure};
  Prepare({0, 1});
  CJobRecorder recorder;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ASSERT_TRUE(recorder.WaitForInstallation());

  VARIANT_BOOL flag = VARIANT_FALSE;
  EXPECT_EQ(S_OK, ItemOf(found_.Get(), 0)->get_IsInstalled(&flag));
  EXPECT_EQ(VARIANT_TRUE, flag);
  EXPECT_EQ(S_OK, ItemOf(found_.Get(), 1)->get_IsDownloaded(&flag));
  EXPECT_EQ(VARIANT_TRUE, flag);
  EXPECT_EQ(S_OK, ItemOf(found_.Get(), 2)->get_IsDownloaded(&flag));
  EXPECT_EQ(VARIANT_FALSE, flag);

  auto again = SearchMissing(session_.Get());
  ASSERT_EQ(2, CountOf(again.Get()));
  EXPECT_EQ(L"Second", ReadTitle(ItemOf(again.Get(), 0).Get()));
  EXPECT_EQ(L"Third", ReadTitle(ItemOf(again.Get(), 1).Get()));

  agent_.ForgetInstalledUpdates();
  EXPECT_EQ(3, CountOf(SearchMissing(session_.Get()).Get()));
}

TEST_F(Jobs, ProgressCanBeAskedOfTheJobAtAnyTime) {
  Prepare({0, 2});
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ComPtr<IDownloadProgress> progress;
  ASSERT_EQ(S_OK, recorder.downloadJob->GetProgress(&progress));
  LONG value = -1;
  progress->get_PercentComplete(&value);
  EXPECT_EQ(0, value);
  DECIMAL total;
  progress->get_TotalBytesToDownload(&total);
  EXPECT_EQ(5001u, total.Lo64);
  ComPtr<IUpdateDownloadResult> first;
  ASSERT_EQ(S_OK, progress->GetUpdateResult(0, &first));
  OperationResultCode code = orcFailed;
  first->get_ResultCode(&code);
  EXPECT_EQ(orcNotStarted, code);
  EXPECT_EQ(E_INVALIDARG, progress->GetUpdateResult(2, &first));

  ASSERT_TRUE(recorder.WaitForDownload());
  ASSERT_EQ(S_OK, recorder.downloadJob->GetProgress(&progress));
  progress->get_PercentComplete(&value);
  EXPECT_EQ(100, value);
  progress->get_TotalBytesDownloaded(&total);
  EXPECT_EQ(5001u, total.Lo64);
}

INSTANTIATE_TEST_SUITE_P(, JobsOnEitherThread, EitherCallbackThread(), CallbackThreadName);

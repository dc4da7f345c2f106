#include "tests/simulated_agent/agent_test_support.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace {

using Lines = std::vector<std::wstring>;

TSimulatedUpdate Update(const wchar_t* title, const wchar_t* id) {
  TSimulatedUpdate update;
  update.title = title;
  update.updateId = id;
  update.kbArticleIds = {L"1"};
  update.sizeBytes = 1000;
  return update;
}

class JobControl : public PreparedJobTest {
 protected:
  void SetUp() override {
    PreparedJobTest::SetUp();
    agent_.Catalogue().updates = {Update(L"First", L"id-1"), Update(L"Second", L"id-2"),
                                  Update(L"Third", L"id-3")};
    Prepare({0, 1, 2});
    recorder_ = std::make_unique<CJobRecorder>();
    recorder_->installAfterDownload = false;
  }

  void TearDown() override {
    recorder_.reset();
    PreparedJobTest::TearDown();
  }

  // Begins the download only; its completion ends it on this thread.
  HRESULT BeginDownload() { return recorder_->BeginDownload(downloader_.Get(), installer_.Get()); }

  ComPtr<IDownloadResult> EndDownload(HRESULT expected = S_OK) {
    ComPtr<IDownloadResult> result;
    EXPECT_EQ(expected, downloader_->EndDownload(recorder_->downloadJob.Get(), &result));
    return result;
  }

  bool IsCompleted() {
    VARIANT_BOOL completed = VARIANT_FALSE;
    EXPECT_EQ(S_OK, recorder_->downloadJob->get_IsCompleted(&completed));
    return completed == VARIANT_TRUE;
  }

  std::unique_ptr<CJobRecorder> recorder_;
};

using JobControlOnEitherThread = OnEitherCallbackThread<JobControl>;

struct TCodes {
  std::vector<LONG> codes;
  std::vector<HRESULT> hresults;
};

TCodes UpdateResultsOf(IDownloadResult* result, LONG count) {
  TCodes read;
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IUpdateDownloadResult> one;
    OperationResultCode code = orcNotStarted;
    LONG hr = S_OK;
    if (SUCCEEDED(result->GetUpdateResult(i, &one))) {
      one->get_ResultCode(&code);
      one->get_HResult(&hr);
    }
    read.codes.push_back(code);
    read.hresults.push_back(hr);
  }
  return read;
}

LONG ResultCodeOf(IDownloadResult* result) {
  OperationResultCode code = orcNotStarted;
  if (result) result->get_ResultCode(&code);
  return code;
}

size_t CountOfKind(const std::vector<TReport>& reports, TReport::Kind kind) {
  return ReportsOfKind(reports, kind).size();
}

}  // namespace

TEST_P(JobControlOnEitherThread, AbortAskedInsideACallbackCompletesTheJobOnceWithAbortedUpdates) {
  CJobRecorder& recorder = *recorder_;
  std::atomic<HRESULT> abort{E_PENDING};
  // Report 5 is the first of the second update, the first one being done.
  recorder.duringDownloadProgress = [&](IDownloadJob* job) {
    if (recorder.ReportCount() == 5) abort = job->RequestAbort();
  };
  ASSERT_EQ(S_OK, BeginDownload());
  ASSERT_TRUE(recorder.WaitForDownload());
  PumpFor(60);

  EXPECT_EQ(S_OK, abort.load());
  const auto reports = recorder.Reports();
  ASSERT_EQ(6u, reports.size()) << "no progress after the abort, one completion";
  EXPECT_EQ(TReport::kDownloadCompleted, reports.back().kind);
  EXPECT_EQ(1u, CountOfKind(reports, TReport::kDownloadCompleted));
  EXPECT_EQ(S_OK, recorder.endDownload);
  EXPECT_EQ(orcAborted, ResultCodeOf(recorder.downloadResult.Get()));
  const TCodes results = UpdateResultsOf(recorder.downloadResult.Get(), 3);
  EXPECT_EQ((std::vector<LONG>{orcSucceeded, orcAborted, orcAborted}), results.codes);
  EXPECT_EQ(WU_E_CALL_CANCELLED, results.hresults[1]);
  EXPECT_TRUE(IsCompleted());
  EXPECT_EQ((Lines{L"RequestAbort download"}), agent_.Journal());
}

TEST_P(JobControlOnEitherThread, AbortAskedByTheOwningThreadCompletesAtTheNextStep) {
  CJobRecorder& recorder = *recorder_;
  ASSERT_EQ(S_OK, BeginDownload());
  ASSERT_TRUE(recorder.Pump([&] { return recorder.ReportCount() >= 1; }));
  ASSERT_EQ(S_OK, recorder.downloadJob->RequestAbort());
  ASSERT_TRUE(recorder.WaitForDownload());

  const auto reports = recorder.Reports();
  EXPECT_EQ(TReport::kDownloadCompleted, reports.back().kind);
  EXPECT_EQ(1u, CountOfKind(reports, TReport::kDownloadCompleted));
  EXPECT_LT(reports.size(), 13u);
  EXPECT_EQ(orcAborted, ResultCodeOf(recorder.downloadResult.Get()));
  EXPECT_EQ(orcAborted, UpdateResultsOf(recorder.downloadResult.Get(), 3).codes.back());
  // Asking again once it has completed changes nothing.
  EXPECT_EQ(S_OK, recorder.downloadJob->RequestAbort());
  EXPECT_EQ((Lines{L"RequestAbort download", L"RequestAbort download"}), agent_.Journal());
}

TEST_P(JobControlOnEitherThread, CleanUpStopsEveryCallbackAndLetsGoOfThemAtOnce) {
  CJobRecorder& recorder = *recorder_;
  ASSERT_EQ(S_OK, BeginDownload());
  ASSERT_TRUE(recorder.Pump([&] { return recorder.ReportCount() >= 2; }));
  ASSERT_EQ(S_OK, recorder.downloadJob->CleanUp());
  const size_t seen = recorder.ReportCount();
  EXPECT_EQ(1, recorder.downloadProgress->References());
  EXPECT_EQ(1, recorder.downloadCompleted->References());

  recorder.Pump([] { return false; }, 100);
  EXPECT_EQ(seen, recorder.ReportCount());
  EXPECT_EQ(0u, CountOfKind(recorder.Reports(), TReport::kDownloadCompleted));
  EXPECT_TRUE(IsCompleted());
  auto result = EndDownload();
  EXPECT_EQ(orcAborted, ResultCodeOf(result.Get()));
  EXPECT_EQ((Lines{L"CleanUp download"}), agent_.Journal());
}

TEST_P(JobControlOnEitherThread, CleanUpInsideOneOfTheJobsOwnCallbacksIsRefusedAndRecorded) {
  CJobRecorder& recorder = *recorder_;
  std::atomic<HRESULT> duringProgress{E_PENDING};
  std::atomic<HRESULT> duringCompletion{E_PENDING};
  recorder.duringDownloadProgress = [&](IDownloadJob* job) {
    if (recorder.ReportCount() == 2) duringProgress = job->CleanUp();
  };
  recorder.duringDownloadCompleted = [&](IDownloadJob* job) { duringCompletion = job->CleanUp(); };
  ASSERT_EQ(S_OK, BeginDownload());
  ASSERT_TRUE(recorder.WaitForDownload());

  EXPECT_EQ(WU_E_INVALID_OPERATION, duringProgress.load());
  EXPECT_EQ(WU_E_INVALID_OPERATION, duringCompletion.load());
  EXPECT_EQ(13u, recorder.ReportCount()) << "the refused CleanUp stopped nothing";
  EXPECT_EQ(orcSucceeded, ResultCodeOf(recorder.downloadResult.Get()));
  const std::wstring refused = L"CleanUp download refused (inside its own callback)";
  EXPECT_EQ((Lines{refused, refused}), agent_.Journal());
}

TEST_P(JobControlOnEitherThread, AJobAskedToAbortCanBeMadeToNeverCompleteUntilCleanUp) {
  agent_.Catalogue().abortNeverCompletes = true;
  CJobRecorder& recorder = *recorder_;
  ASSERT_EQ(S_OK, BeginDownload());
  ASSERT_TRUE(recorder.Pump([&] { return recorder.ReportCount() >= 1; }));
  ASSERT_EQ(S_OK, recorder.downloadJob->RequestAbort());
  const size_t seen = recorder.ReportCount();

  EXPECT_FALSE(recorder.WaitForDownload(300)) << "a completion came after all";
  EXPECT_EQ(seen, recorder.ReportCount());
  EXPECT_FALSE(IsCompleted());
  EndDownload(WU_E_INVALID_OPERATION);
  EXPECT_EQ(2, recorder.downloadCompleted->References()) << "the job still holds its callbacks";

  ASSERT_EQ(S_OK, recorder.downloadJob->CleanUp());
  EXPECT_EQ(1, recorder.downloadProgress->References());
  EXPECT_EQ(1, recorder.downloadCompleted->References());
  EXPECT_TRUE(IsCompleted());
  EXPECT_EQ(orcAborted, ResultCodeOf(EndDownload().Get()));
  recorder.Pump([] { return false; }, 60);
  EXPECT_EQ(seen, recorder.ReportCount());
  EXPECT_EQ((Lines{L"RequestAbort download", L"CleanUp download"}), agent_.Journal());
}

INSTANTIATE_TEST_SUITE_P(, JobControlOnEitherThread, EitherCallbackThread(), CallbackThreadName);

// A caller that frees what its callbacks use once CleanUp has returned must
// not find one of them still running on the agent's thread.
TEST_F(JobControl, CleanUpWaitsForACallbackRunningOnTheAgentsThread) {
  CJobRecorder& recorder = *recorder_;
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> left{false};
  recorder.duringDownloadProgress = [&](IDownloadJob*) {
    if (recorder.ReportCount() != 1) return;
    SetEvent(entered);
    Sleep(200);
    left = true;
  };
  ASSERT_EQ(S_OK, BeginDownload());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered, 5000));
  ASSERT_EQ(S_OK, recorder.downloadJob->CleanUp());
  EXPECT_TRUE(left) << "CleanUp returned while a callback was still running";
  EXPECT_EQ(1, recorder.downloadProgress->References());
  recorder.Pump([] { return false; }, 60);
  EXPECT_EQ(1u, recorder.ReportCount());
  CloseHandle(entered);
}

TEST_F(JobControl, TheJournalKeepsEveryCallInOrderAndHandsEachLineToItsSink) {
  std::mutex mutex;
  Lines sunk;
  agent_.SetJournalSink([&](const std::wstring& line) {
    std::lock_guard<std::mutex> lock(mutex);
    sunk.push_back(line);
  });
  CJobRecorder& recorder = *recorder_;
  recorder.installAfterDownload = true;
  bool refusedOnce = false;
  recorder.duringInstallProgress = [&](IInstallationJob* job) {
    if (refusedOnce) return;
    refusedOnce = true;
    job->CleanUp();
  };
  ASSERT_EQ(S_OK, BeginDownload());
  HRESULT elsewhere = E_PENDING;
  RunOnThread(COINIT_APARTMENTTHREADED, [&] { elsewhere = recorder.downloadJob->RequestAbort(); });
  EXPECT_EQ(RPC_E_WRONG_THREAD, elsewhere);
  ASSERT_EQ(S_OK, recorder.downloadJob->RequestAbort());
  ASSERT_TRUE(recorder.WaitForInstallation());
  EXPECT_EQ(S_OK, recorder.downloadJob->CleanUp());
  EXPECT_EQ(S_OK, recorder.installationJob->CleanUp());
  RunOnThread(-1, [&] { elsewhere = recorder.installationJob->CleanUp(); });
  EXPECT_EQ(CO_E_NOTINITIALIZED, elsewhere);

  const Lines expected = {
      L"RequestAbort download refused (0x8001010E)",
      L"RequestAbort download",
      L"CleanUp installation refused (inside its own callback)",
      L"CleanUp download",
      L"CleanUp installation",
      L"CleanUp installation refused (0x800401F0)",
  };
  EXPECT_EQ(expected, agent_.Journal());
  {
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(expected, sunk);
  }

  agent_.SetJournalSink(nullptr);
  recorder.downloadJob->RequestAbort();
  EXPECT_EQ(expected.size() + 1, agent_.Journal().size());
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(expected.size(), sunk.size());
}

// Step by step the job waits for the test, on the test's thread, and tells it
// what it holds; only CleanUp ends it, unless the agent ignores that too.
TEST_F(JobControl, AStepByStepJobReportsWhatTheTestSaysOnlyWhenAskedAndEndsOnlyWithCleanUp) {
  agent_.Catalogue().stepByStep = true;
  CJobRecorder& recorder = *recorder_;
  ASSERT_EQ(S_OK, BeginDownload());
  recorder.Pump([] { return false; }, 60);
  EXPECT_EQ(0u, recorder.ReportCount());
  TSimulatedJobView view;
  ASSERT_TRUE(agent_.ViewJob(view));
  EXPECT_EQ((Lines{L"id-1", L"id-2", L"id-3"}), view.updateIds);
  EXPECT_EQ(0x1234567890ll, view.state);
  view = TSimulatedJobView();

  TSimulatedReport report;
  report.index = 1;
  report.currentPercent = 40;
  report.percent = 47;
  report.bytesDone = 400;
  report.bytesToDo = 1000;
  report.results = {{orcSucceeded, S_OK}, {orcInProgress, S_OK}, {orcNotStarted, S_OK}};
  EXPECT_EQ(S_OK, agent_.ReportProgress(report));
  report.failingReads = kProgressReadPercent;
  EXPECT_EQ(S_OK, agent_.ReportProgress(report));
  const std::vector<TReport> reports = recorder.Reports();
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ(GetCurrentThreadId(), reports[0].thread);
  EXPECT_EQ(1, reports[0].index);
  EXPECT_EQ(40, reports[0].currentPercent);
  EXPECT_EQ(47, reports[0].percent);
  EXPECT_EQ(400u, reports[0].bytesDone);
  EXPECT_EQ(1000u, reports[0].bytesToDo);
  EXPECT_EQ(-1, reports[1].percent);

  TSimulatedCompletion completion;
  completion.result = TSimulatedOutcome{orcSucceededWithErrors, S_OK};
  EXPECT_EQ(S_OK, agent_.CompleteJob(completion));
  EXPECT_EQ(orcSucceededWithErrors, ResultCodeOf(EndDownload().Get()));
  EXPECT_EQ(S_OK, agent_.CompleteJob());
  EXPECT_EQ(S_OK, recorder.downloadJob->CleanUp());
  EXPECT_EQ(WU_E_INVALID_OPERATION, agent_.ReportProgress(report));
  EXPECT_EQ(WU_E_INVALID_OPERATION, agent_.CompleteJob());
  EXPECT_EQ(1, recorder.downloadProgress->References());
  EXPECT_EQ(1, agent_.CallCount(L"EndDownload"));
}

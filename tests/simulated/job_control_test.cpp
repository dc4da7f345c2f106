#include "tests/simulated/agent_test_support.h"

#include <atomic>
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

class JobControl : public SimulatedAgentTest {
 protected:
  void SetUp() override {
    SimulatedAgentTest::SetUp();
    agent_.Catalogue().updates = {Update(L"First", L"id-1"), Update(L"Second", L"id-2"),
                                  Update(L"Third", L"id-3")};
  }

  void TearDown() override {
    installer_.Reset();
    downloader_.Reset();
    chosen_.Reset();
    found_.Reset();
    session_.Reset();
    SimulatedAgentTest::TearDown();
  }

  void Prepare() {
    session_ = NewSession();
    found_ = SearchMissing(session_.Get());
    chosen_ = Choose(found_.Get(), {0, 1, 2});
    MakeDownloaderAndInstaller(session_.Get(), chosen_.Get(), downloader_, installer_);
  }

  ComPtr<IDownloadResult> EndDownload(CJobRecorder& recorder, HRESULT expected = S_OK) {
    ComPtr<IDownloadResult> result;
    EXPECT_EQ(expected, downloader_->EndDownload(recorder.downloadJob.Get(), &result));
    return result;
  }

  bool IsCompleted(IDownloadJob* job) {
    VARIANT_BOOL completed = VARIANT_FALSE;
    EXPECT_EQ(S_OK, job->get_IsCompleted(&completed));
    return completed == VARIANT_TRUE;
  }

  ComPtr<IUpdateSession> session_;
  ComPtr<IUpdateCollection> found_;
  ComPtr<IUpdateCollection> chosen_;
  ComPtr<IUpdateDownloader> downloader_;
  ComPtr<IUpdateInstaller> installer_;
};

class JobControlOnEitherThread : public JobControl,
                                 public ::testing::WithParamInterface<SimulatedCallbackThread> {
 protected:
  void SetUp() override {
    JobControl::SetUp();
    agent_.Catalogue().callbackThread = GetParam();
  }
};

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
  size_t count = 0;
  for (const auto& report : reports) count += report.kind == kind ? 1 : 0;
  return count;
}

}  // namespace

TEST_P(JobControlOnEitherThread, AbortAskedInsideACallbackCompletesTheJobOnceWithAbortedUpdates) {
  Prepare();
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  std::atomic<HRESULT> abort{E_PENDING};
  // Report 5 is the first of the second update, the first one being done.
  recorder.duringDownloadProgress = [&](IDownloadJob* job) {
    if (recorder.ReportCount() == 5) abort = job->RequestAbort();
  };
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
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
  EXPECT_TRUE(IsCompleted(recorder.downloadJob.Get()));
  EXPECT_EQ((Lines{L"RequestAbort download"}), agent_.Journal());
}

TEST_P(JobControlOnEitherThread, AbortAskedByTheOwningThreadCompletesAtTheNextStep) {
  Prepare();
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
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
  Prepare();
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ASSERT_TRUE(recorder.Pump([&] { return recorder.ReportCount() >= 2; }));
  ASSERT_EQ(S_OK, recorder.downloadJob->CleanUp());
  const size_t seen = recorder.ReportCount();
  EXPECT_EQ(1, recorder.downloadProgress->References());
  EXPECT_EQ(1, recorder.downloadCompleted->References());

  recorder.Pump([] { return false; }, 100);
  EXPECT_EQ(seen, recorder.ReportCount());
  EXPECT_EQ(0u, CountOfKind(recorder.Reports(), TReport::kDownloadCompleted));
  EXPECT_TRUE(IsCompleted(recorder.downloadJob.Get()));
  auto result = EndDownload(recorder);
  EXPECT_EQ(orcAborted, ResultCodeOf(result.Get()));
  EXPECT_EQ((Lines{L"CleanUp download"}), agent_.Journal());
}

TEST_P(JobControlOnEitherThread, CleanUpInsideOneOfTheJobsOwnCallbacksIsRefusedAndRecorded) {
  Prepare();
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  std::atomic<HRESULT> duringProgress{E_PENDING};
  std::atomic<HRESULT> duringCompletion{E_PENDING};
  recorder.duringDownloadProgress = [&](IDownloadJob* job) {
    if (recorder.ReportCount() == 2) duringProgress = job->CleanUp();
  };
  recorder.duringDownloadCompleted = [&](IDownloadJob* job) { duringCompletion = job->CleanUp(); };
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
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
  Prepare();
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
  ASSERT_TRUE(recorder.Pump([&] { return recorder.ReportCount() >= 1; }));
  ASSERT_EQ(S_OK, recorder.downloadJob->RequestAbort());
  const size_t seen = recorder.ReportCount();

  EXPECT_FALSE(recorder.WaitForDownload(300)) << "a completion came after all";
  EXPECT_EQ(seen, recorder.ReportCount());
  EXPECT_FALSE(IsCompleted(recorder.downloadJob.Get()));
  EndDownload(recorder, WU_E_INVALID_OPERATION);
  EXPECT_EQ(2, recorder.downloadCompleted->References()) << "the job still holds its callbacks";

  ASSERT_EQ(S_OK, recorder.downloadJob->CleanUp());
  EXPECT_EQ(1, recorder.downloadProgress->References());
  EXPECT_EQ(1, recorder.downloadCompleted->References());
  EXPECT_TRUE(IsCompleted(recorder.downloadJob.Get()));
  EXPECT_EQ(orcAborted, ResultCodeOf(EndDownload(recorder).Get()));
  recorder.Pump([] { return false; }, 60);
  EXPECT_EQ(seen, recorder.ReportCount());
  EXPECT_EQ((Lines{L"RequestAbort download", L"CleanUp download"}), agent_.Journal());
}

INSTANTIATE_TEST_SUITE_P(, JobControlOnEitherThread,
                         ::testing::Values(SimulatedCallbackThread::kAgent,
                                           SimulatedCallbackThread::kStarting),
                         [](const ::testing::TestParamInfo<SimulatedCallbackThread>& info) {
                           return CallbackThreadName(info.param);
                         });

// A caller that frees what its callbacks use once CleanUp has returned must
// not find one of them still running on the agent's thread.
TEST_F(JobControl, CleanUpWaitsForACallbackRunningOnTheAgentsThread) {
  Prepare();
  CJobRecorder recorder;
  recorder.installAfterDownload = false;
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> left{false};
  recorder.duringDownloadProgress = [&](IDownloadJob*) {
    if (recorder.ReportCount() != 1) return;
    SetEvent(entered);
    Sleep(200);
    left = true;
  };
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
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
  Prepare();
  CJobRecorder recorder;
  bool refusedOnce = false;
  recorder.duringInstallProgress = [&](IInstallationJob* job) {
    if (refusedOnce) return;
    refusedOnce = true;
    job->CleanUp();
  };
  ASSERT_EQ(S_OK, recorder.BeginDownload(downloader_.Get(), installer_.Get()));
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

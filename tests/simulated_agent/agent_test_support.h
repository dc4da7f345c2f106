#pragma once
// Drives the simulated agent the way the program must: through the seam, with
// callback objects of its own that only read what they are given and leave
// every further call to the thread that owns the agent objects, and a message
// loop on that thread.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "agent_seam/com_object.h"
#include "agent_seam/update_agent_factory.h"
#include "simulated_agent/simulated_agent_factory.h"
#include "tests/support/pump.h"

#include <wrl/client.h>
#include <wuerror.h>

using Microsoft::WRL::ComPtr;

extern const wchar_t kProgramCriteria[];

// A catalogue whose jobs and searches run in a few milliseconds.
TSimulatedCatalogue FastCatalogue(TSimulatedCatalogue catalogue = DefaultSimulatedCatalogue());

// Runs the tests of `Fixture` once for each thread the callbacks may arrive
// on; instantiate with EitherCallbackThread() and CallbackThreadName.
template <typename Fixture>
class OnEitherCallbackThread : public Fixture,
                               public ::testing::WithParamInterface<SimulatedCallbackThread> {
 protected:
  void SetUp() override {
    Fixture::SetUp();
    this->agent_.Catalogue().callbackThread = this->GetParam();
  }
};

inline auto EitherCallbackThread() {
  return ::testing::Values(SimulatedCallbackThread::kAgent, SimulatedCallbackThread::kStarting);
}

std::string CallbackThreadName(const ::testing::TestParamInfo<SimulatedCallbackThread>& info);

using SkinUITest::PumpFor;
using SkinUITest::PumpUntil;

// A callback object as the program writes one, which also notes the threads
// its references are let go on.
template <typename Interface, typename Job, typename Args>
class CTestCallback final : public CComObject<CTestCallback<Interface, Job, Args>, Interface> {
 public:
  using Handler = std::function<void(Job*, Args*)>;

  static ComPtr<CTestCallback> Make(Handler handler) {
    return ComPtr<CTestCallback>(new CTestCallback(std::move(handler)));
  }

  STDMETHODIMP_(ULONG) Release() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      releaseThreads_.push_back(GetCurrentThreadId());
    }
    return CComObject<CTestCallback, Interface>::Release();
  }
  STDMETHODIMP Invoke(Job* job, Args* args) override {
    ++calls_;
    if (handler_) handler_(job, args);
    return S_OK;
  }

  using CComObject<CTestCallback, Interface>::References;
  int Calls() const { return calls_; }
  std::vector<DWORD> ReleaseThreads() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return releaseThreads_;
  }

 private:
  explicit CTestCallback(Handler handler) : handler_(std::move(handler)) {}

  std::atomic<int> calls_{0};
  Handler handler_;
  mutable std::mutex mutex_;
  std::vector<DWORD> releaseThreads_;
};

using CDownloadProgressCallback = CTestCallback<IDownloadProgressChangedCallback, IDownloadJob,
                                                IDownloadProgressChangedCallbackArgs>;
using CDownloadCompletedCallback =
    CTestCallback<IDownloadCompletedCallback, IDownloadJob, IDownloadCompletedCallbackArgs>;
using CInstallProgressCallback =
    CTestCallback<IInstallationProgressChangedCallback, IInstallationJob,
                  IInstallationProgressChangedCallbackArgs>;
using CInstallCompletedCallback = CTestCallback<IInstallationCompletedCallback, IInstallationJob,
                                                IInstallationCompletedCallbackArgs>;

// One callback as a handler saw it, read through the interfaces the program
// reads.
struct TReport {
  enum Kind { kDownloadProgress, kDownloadCompleted, kInstallProgress, kInstallCompleted };
  Kind kind = kDownloadProgress;
  DWORD thread = 0;
  bool duringBegin = false;
  LONG index = -1;
  LONG currentPercent = -1;
  LONG percent = -1;
  LONG resultCode = -1;
  HRESULT hresult = S_OK;
  ULONGLONG bytesDone = 0;
  ULONGLONG bytesToDo = 0;
  std::wstring title;
  LONGLONG state = 0;
  // Result codes of every update at this moment.
  std::vector<LONG> codes;
};

// Records every callback of the download and the installation that follows it.
// The callbacks only read what the job and its arguments offer; ending the
// download and beginning the installation happen on the thread that waits.
class CJobRecorder {
 public:
  CJobRecorder();

  // Begins the download; once it has completed, the waiting thread ends it
  // and begins the installation unless `installAfterDownload` is false.
  HRESULT BeginDownload(IUpdateDownloader* downloader, IUpdateInstaller* installer,
                        LONGLONG state = 0x1234567890ll);
  HRESULT BeginInstall(IUpdateInstaller* installer, LONGLONG state = 0x1234567890ll);
  bool WaitForInstallation(DWORD timeoutMs = 10000);
  bool WaitForDownload(DWORD timeoutMs = 10000);
  // Pumps, and ends completed jobs, until `done`.
  bool Pump(const std::function<bool()>& done, DWORD timeoutMs = 10000);

  std::vector<TReport> Reports() const;
  size_t ReportCount() const;

  bool installAfterDownload = true;
  ComPtr<IDownloadJob> downloadJob;
  ComPtr<IInstallationJob> installationJob;
  ComPtr<IDownloadResult> downloadResult;
  ComPtr<IInstallationResult> installationResult;
  HRESULT endDownload = E_PENDING;
  HRESULT beginInstall = E_PENDING;
  HRESULT endInstall = E_PENDING;
  // Run inside each progress callback after it is recorded, with the job the
  // callback was given.
  std::function<void(IDownloadJob*)> duringDownloadProgress;
  std::function<void(IInstallationJob*)> duringInstallProgress;
  // Run inside the download's completed callback after it is recorded.
  std::function<void(IDownloadJob*)> duringDownloadCompleted;

  const ComPtr<CDownloadProgressCallback> downloadProgress;
  const ComPtr<CDownloadCompletedCallback> downloadCompleted;
  const ComPtr<CInstallProgressCallback> installProgress;
  const ComPtr<CInstallCompletedCallback> installCompleted;

 private:
  void OnDownloadProgress(IDownloadJob* job, IDownloadProgressChangedCallbackArgs* args);
  void OnInstallProgress(IInstallationJob* job, IInstallationProgressChangedCallbackArgs* args);
  template <typename Job>
  TReport Start(TReport::Kind kind, Job* job);
  void Add(const TReport& report);
  void EndCompletedJobs();

  std::atomic<bool> insideBegin_{false};
  ComPtr<IUpdateDownloader> downloader_;
  ComPtr<IUpdateInstaller> installer_;
  LONGLONG state_ = 0;
  std::atomic<bool> downloadCompletedSeen_{false};
  std::atomic<bool> installCompletedSeen_{false};
  bool downloadDone_ = false;
  bool installDone_ = false;
  mutable std::mutex mutex_;
  std::vector<TReport> reports_;
};

class SimulatedAgentTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  ComPtr<IUpdateSession> NewSession();
  // The search result's update collection, as the scan keeps it.
  ComPtr<IUpdateCollection> SearchMissing(IUpdateSession* session);
  // A new collection of the found updates at `indexes`, licences accepted.
  ComPtr<IUpdateCollection> Choose(IUpdateCollection* found, const std::vector<LONG>& indexes);
  // A downloader and an installer over `chosen`.
  void MakeDownloaderAndInstaller(IUpdateSession* session, IUpdateCollection* chosen,
                                  ComPtr<IUpdateDownloader>& downloader,
                                  ComPtr<IUpdateInstaller>& installer);

  CSimulatedAgentFactory agent_{FastCatalogue()};
};

// A fixture whose tests search, choose and make a downloader and an installer
// on the test's thread; it releases them before the agent's objects are
// counted.
class PreparedJobTest : public SimulatedAgentTest {
 protected:
  void TearDown() override;

  // Searches, chooses `indexes` and makes the downloader and installer.
  void Prepare(const std::vector<LONG>& indexes);

  ComPtr<IUpdateSession> session_;
  ComPtr<IUpdateCollection> found_;
  ComPtr<IUpdateCollection> chosen_;
  ComPtr<IUpdateDownloader> downloader_;
  ComPtr<IUpdateInstaller> installer_;
};

std::vector<TReport> ReportsOfKind(const std::vector<TReport>& reports, TReport::Kind kind);

// Asks the agent information for "ProductVersionString".
HRESULT AskAgentVersion(IWindowsUpdateAgentInfo* info, std::wstring* version = nullptr);

// The three creations through the seam, and that a failed one hands out null.
void ExpectCreations(HRESULT session, HRESULT collection, HRESULT info);

// Runs `body` on a new thread that first joins an apartment of `model`
// (COINIT_APARTMENTTHREADED or COINIT_MULTITHREADED), or none for -1, and
// leaves it afterwards; returns when the thread has ended.
void RunOnThread(int model, const std::function<void()>& body);

std::wstring ReadTitle(IUpdate* update);
std::wstring ReadUpdateId(IUpdate* update);
std::vector<std::wstring> ReadKbIds(IUpdate* update);
LONG CountOf(IUpdateCollection* collection);
ComPtr<IUpdate> ItemOf(IUpdateCollection* collection, LONG index);

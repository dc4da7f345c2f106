#pragma once
// Drives the simulated agent the way the program does: through the seam, with
// callback objects of its own and a message loop on the beginning thread.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "agent_seam/update_agent_factory.h"
#include "updates/simulated/simulated_agent_factory.h"

#include <wrl/client.h>
#include <wuerror.h>

using Microsoft::WRL::ComPtr;

extern const wchar_t kProgramCriteria[];

// A catalogue whose jobs and searches run in a few milliseconds.
TSimulatedCatalogue FastCatalogue(TSimulatedCatalogue catalogue = DefaultSimulatedCatalogue());

// Runs the calling thread's message loop until `done` or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
void PumpFor(DWORD milliseconds);

// A callback object as the program writes one: interlocked count, deletes
// itself at zero, answers IUnknown and its own interface only.
template <typename Interface, typename Job, typename Args>
class CTestCallback final : public Interface {
 public:
  using Handler = std::function<void(Job*, Args*)>;

  static ComPtr<CTestCallback> Make(Handler handler) {
    ComPtr<CTestCallback> callback;
    // Not Attach: the toolchain's Attach adds a reference.
    *callback.ReleaseAndGetAddressOf() = new CTestCallback(std::move(handler));
    return callback;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != __uuidof(Interface)) return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP Invoke(Job* job, Args* args) override {
    ++calls_;
    if (handler_) handler_(job, args);
    return S_OK;
  }

  LONG References() const { return refs_; }
  int Calls() const { return calls_; }

 private:
  explicit CTestCallback(Handler handler) : handler_(std::move(handler)) {}

  LONG refs_ = 1;
  int calls_ = 0;
  Handler handler_;
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

// Records every callback of the download and the installation that follows it,
// chained the way the program chains them.
class CJobRecorder {
 public:
  CJobRecorder();

  // Begins the download; its completion ends it and begins the installation
  // unless `installAfterDownload` is false.
  HRESULT BeginDownload(IUpdateDownloader* downloader, IUpdateInstaller* installer,
                        LONGLONG state = 0x1234567890ll);
  HRESULT BeginInstall(IUpdateInstaller* installer, LONGLONG state = 0x1234567890ll);
  bool WaitForInstallation(DWORD timeoutMs = 10000);
  bool WaitForDownload(DWORD timeoutMs = 10000);

  std::vector<TReport> reports;
  bool installAfterDownload = true;
  ComPtr<IDownloadJob> downloadJob;
  ComPtr<IInstallationJob> installationJob;
  ComPtr<IDownloadResult> downloadResult;
  ComPtr<IInstallationResult> installationResult;
  HRESULT endDownload = E_PENDING;
  HRESULT beginInstall = E_PENDING;
  HRESULT endInstall = E_PENDING;
  // Runs inside each progress callback after it is recorded.
  std::function<void()> duringProgress;

  ComPtr<CDownloadProgressCallback> downloadProgress;
  ComPtr<CDownloadCompletedCallback> downloadCompleted;
  ComPtr<CInstallProgressCallback> installProgress;
  ComPtr<CInstallCompletedCallback> installCompleted;

 private:
  void OnDownloadProgress(IDownloadJob* job, IDownloadProgressChangedCallbackArgs* args);
  void OnDownloadCompleted(IDownloadJob* job);
  void OnInstallProgress(IInstallationJob* job, IInstallationProgressChangedCallbackArgs* args);
  void OnInstallCompleted(IInstallationJob* job);
  template <typename Job>
  TReport Start(TReport::Kind kind, Job* job);

  bool insideBegin_ = false;
  ComPtr<IUpdateDownloader> downloader_;
  ComPtr<IUpdateInstaller> installer_;
  LONGLONG state_ = 0;
  bool downloadDone_ = false;
  bool installDone_ = false;
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

std::wstring ReadTitle(IUpdate* update);
std::wstring ReadUpdateId(IUpdate* update);
std::vector<std::wstring> ReadKbIds(IUpdate* update);
LONG CountOf(IUpdateCollection* collection);
ComPtr<IUpdate> ItemOf(IUpdateCollection* collection, LONG index);

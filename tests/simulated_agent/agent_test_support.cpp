#include "tests/simulated_agent/agent_test_support.h"

#include <thread>

#include "platform/com_values.h"

const wchar_t kProgramCriteria[] = L"IsInstalled=0 and Type='SoftWare'";

TSimulatedCatalogue FastCatalogue(TSimulatedCatalogue catalogue) {
  catalogue.searchMs = 0;
  catalogue.paceMs = 1;
  catalogue.stepsPerUpdate = 4;
  return catalogue;
}

std::string CallbackThreadName(const ::testing::TestParamInfo<SimulatedCallbackThread>& info) {
  return info.param == SimulatedCallbackThread::kAgent ? "AgentThread" : "StartingThread";
}

// Made in place: the toolchain's ComPtr assignment would take and drop a
// reference of its own, on this thread.
CJobRecorder::CJobRecorder()
    : downloadProgress(CDownloadProgressCallback::Make(
          [this](IDownloadJob* job, IDownloadProgressChangedCallbackArgs* args) {
            OnDownloadProgress(job, args);
          })),
      downloadCompleted(CDownloadCompletedCallback::Make(
          [this](IDownloadJob* job, IDownloadCompletedCallbackArgs*) {
            Add(Start(TReport::kDownloadCompleted, job));
            if (duringDownloadCompleted) duringDownloadCompleted(job);
            downloadCompletedSeen_ = true;
          })),
      installProgress(CInstallProgressCallback::Make(
          [this](IInstallationJob* job, IInstallationProgressChangedCallbackArgs* args) {
            OnInstallProgress(job, args);
          })),
      installCompleted(CInstallCompletedCallback::Make(
          [this](IInstallationJob* job, IInstallationCompletedCallbackArgs*) {
            Add(Start(TReport::kInstallCompleted, job));
            installCompletedSeen_ = true;
          })) {}

HRESULT CJobRecorder::BeginDownload(IUpdateDownloader* downloader, IUpdateInstaller* installer,
                                    LONGLONG state) {
  downloader_ = downloader;
  installer_ = installer;
  state_ = state;
  insideBegin_ = true;
  const HRESULT hr = downloader->BeginDownload(downloadProgress.Get(), downloadCompleted.Get(),
                                               Int64Variant(state), &downloadJob);
  insideBegin_ = false;
  return hr;
}

HRESULT CJobRecorder::BeginInstall(IUpdateInstaller* installer, LONGLONG state) {
  installer_ = installer;
  state_ = state;
  insideBegin_ = true;
  beginInstall = installer->BeginInstall(installProgress.Get(), installCompleted.Get(),
                                         Int64Variant(state), &installationJob);
  insideBegin_ = false;
  return beginInstall;
}

bool CJobRecorder::Pump(const std::function<bool()>& done, DWORD timeoutMs) {
  return PumpUntil(
      [&] {
        EndCompletedJobs();
        return done();
      },
      timeoutMs);
}

bool CJobRecorder::WaitForDownload(DWORD timeoutMs) {
  return Pump([this] { return downloadDone_; }, timeoutMs);
}

bool CJobRecorder::WaitForInstallation(DWORD timeoutMs) {
  return Pump([this] { return installDone_; }, timeoutMs);
}

// On the waiting thread, which owns the downloader and the installer.
void CJobRecorder::EndCompletedJobs() {
  if (downloadCompletedSeen_ && !downloadDone_) {
    downloadDone_ = true;
    endDownload = downloader_->EndDownload(downloadJob.Get(), &downloadResult);
    if (installAfterDownload) BeginInstall(installer_.Get(), state_);
  }
  if (installCompletedSeen_ && !installDone_) {
    installDone_ = true;
    endInstall = installer_->EndInstall(installationJob.Get(), &installationResult);
  }
}

std::vector<TReport> CJobRecorder::Reports() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reports_;
}

size_t CJobRecorder::ReportCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reports_.size();
}

void CJobRecorder::Add(const TReport& report) {
  std::lock_guard<std::mutex> lock(mutex_);
  reports_.push_back(report);
}

template <typename Job>
TReport CJobRecorder::Start(TReport::Kind kind, Job* job) {
  TReport report;
  report.kind = kind;
  report.thread = GetCurrentThreadId();
  report.duringBegin = insideBegin_;
  VARIANT state;
  VariantInit(&state);
  if (job && SUCCEEDED(job->get_AsyncState(&state)) && state.vt == VT_I8) {
    report.state = state.llVal;
  }
  VariantClear(&state);
  return report;
}

namespace {

template <typename Progress, typename Job>
void ReadCommonProgress(Progress* progress, Job* job, TReport& report) {
  progress->get_CurrentUpdateIndex(&report.index);
  progress->get_CurrentUpdatePercentComplete(&report.currentPercent);
  progress->get_PercentComplete(&report.percent);
  ComPtr<IUpdateCollection> updates;
  if (FAILED(job->get_Updates(&updates))) return;
  if (auto update = ItemOf(updates.Get(), report.index)) report.title = ReadTitle(update.Get());
}

template <typename Progress, typename UpdateResult>
void ReadCodes(Progress* progress, LONG count, TReport& report) {
  for (LONG i = 0; i < count; ++i) {
    ComPtr<UpdateResult> result;
    LONG code = -1;
    if (SUCCEEDED(progress->GetUpdateResult(i, &result))) {
      OperationResultCode value = orcNotStarted;
      result->get_ResultCode(&value);
      code = value;
      if (i == report.index) {
        report.resultCode = value;
        LONG hr = S_OK;
        result->get_HResult(&hr);
        report.hresult = hr;
      }
    }
    report.codes.push_back(code);
  }
}

template <typename Job>
LONG JobUpdateCount(Job* job) {
  ComPtr<IUpdateCollection> updates;
  if (FAILED(job->get_Updates(&updates))) return 0;
  return CountOf(updates.Get());
}

}  // namespace

void CJobRecorder::OnDownloadProgress(IDownloadJob* job,
                                      IDownloadProgressChangedCallbackArgs* args) {
  TReport report = Start(TReport::kDownloadProgress, job);
  ComPtr<IDownloadProgress> progress;
  if (SUCCEEDED(args->get_Progress(&progress))) {
    ReadCommonProgress(progress.Get(), job, report);
    ReadCodes<IDownloadProgress, IUpdateDownloadResult>(progress.Get(), JobUpdateCount(job),
                                                        report);
    DECIMAL value;
    progress->get_CurrentUpdateBytesDownloaded(&value);
    report.bytesDone = value.Lo64;
    progress->get_CurrentUpdateBytesToDownload(&value);
    report.bytesToDo = value.Lo64;
  }
  Add(report);
  if (duringDownloadProgress) duringDownloadProgress(job);
}

void CJobRecorder::OnInstallProgress(IInstallationJob* job,
                                     IInstallationProgressChangedCallbackArgs* args) {
  TReport report = Start(TReport::kInstallProgress, job);
  ComPtr<IInstallationProgress> progress;
  if (SUCCEEDED(args->get_Progress(&progress))) {
    ReadCommonProgress(progress.Get(), job, report);
    ReadCodes<IInstallationProgress, IUpdateInstallationResult>(progress.Get(), JobUpdateCount(job),
                                                                report);
  }
  Add(report);
  if (duringInstallProgress) duringInstallProgress(job);
}

void SimulatedAgentTest::SetUp() {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  SetUpdateAgentFactory(&agent_);
}

void SimulatedAgentTest::TearDown() {
  SetUpdateAgentFactory(nullptr);
  // Jobs stopped by a test are let go on their next step, and the agent's
  // job threads end a moment after their last callback.
  EXPECT_TRUE(PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }))
      << SimulatedAgentLiveObjects() << " agent objects or threads are still alive";
  CoUninitialize();
}

ComPtr<IUpdateSession> SimulatedAgentTest::NewSession() {
  ComPtr<IUpdateSession> session;
  EXPECT_EQ(S_OK, UpdateAgentFactory().CreateUpdateSession(&session));
  return session;
}

ComPtr<IUpdateCollection> SimulatedAgentTest::SearchMissing(IUpdateSession* session) {
  ComPtr<IUpdateSearcher> searcher;
  ComPtr<ISearchResult> result;
  ComPtr<IUpdateCollection> updates;
  EXPECT_EQ(S_OK, session->CreateUpdateSearcher(&searcher));
  BSTR criteria = SysAllocString(kProgramCriteria);
  EXPECT_EQ(S_OK, searcher->Search(criteria, &result));
  SysFreeString(criteria);
  if (result) {
    EXPECT_EQ(S_OK, result->get_Updates(&updates));
  }
  return updates;
}

ComPtr<IUpdateCollection> SimulatedAgentTest::Choose(IUpdateCollection* found,
                                                     const std::vector<LONG>& indexes) {
  ComPtr<IUpdateCollection> chosen;
  EXPECT_EQ(S_OK, UpdateAgentFactory().CreateUpdateCollection(&chosen));
  if (!chosen) return chosen;
  for (LONG index : indexes) {
    ComPtr<IUpdate> update = ItemOf(found, index);
    if (!update) continue;
    EXPECT_EQ(S_OK, update->AcceptEula());
    LONG at = -1;
    EXPECT_EQ(S_OK, chosen->Add(update.Get(), &at));
  }
  return chosen;
}

void PreparedJobTest::TearDown() {
  installer_.Reset();
  downloader_.Reset();
  chosen_.Reset();
  found_.Reset();
  session_.Reset();
  SimulatedAgentTest::TearDown();
}

void PreparedJobTest::Prepare(const std::vector<LONG>& indexes) {
  session_ = NewSession();
  found_ = SearchMissing(session_.Get());
  chosen_ = Choose(found_.Get(), indexes);
  MakeDownloaderAndInstaller(session_.Get(), chosen_.Get(), downloader_, installer_);
}

std::vector<TReport> ReportsOfKind(const std::vector<TReport>& reports, TReport::Kind kind) {
  std::vector<TReport> matching;
  for (const auto& report : reports) {
    if (report.kind == kind) matching.push_back(report);
  }
  return matching;
}

HRESULT AskAgentVersion(IWindowsUpdateAgentInfo* info, std::wstring* version) {
  VARIANT name;
  VariantInit(&name);
  name.vt = VT_BSTR;
  name.bstrVal = SysAllocString(L"ProductVersionString");
  VARIANT answer;
  VariantInit(&answer);
  const HRESULT hr = info->GetInfo(name, &answer);
  if (version && answer.vt == VT_BSTR) version->assign(answer.bstrVal);
  VariantClear(&answer);
  VariantClear(&name);
  return hr;
}

namespace {

// A failed creation must hand out null, whatever the slot held before.
template <typename Interface>
void ExpectCreation(HRESULT expected, HRESULT (IUpdateAgentFactory::*create)(Interface**)) {
  Interface* made = reinterpret_cast<Interface*>(1);
  EXPECT_EQ(expected, (UpdateAgentFactory().*create)(&made));
  if (FAILED(expected)) {
    EXPECT_EQ(nullptr, made);
  } else if (made) {
    made->Release();
  }
}

}  // namespace

void ExpectCreations(HRESULT session, HRESULT collection, HRESULT info) {
  ExpectCreation(session, &IUpdateAgentFactory::CreateUpdateSession);
  ExpectCreation(collection, &IUpdateAgentFactory::CreateUpdateCollection);
  ExpectCreation(info, &IUpdateAgentFactory::CreateAgentInfo);
}

void SimulatedAgentTest::MakeDownloaderAndInstaller(IUpdateSession* session,
                                                    IUpdateCollection* chosen,
                                                    ComPtr<IUpdateDownloader>& downloader,
                                                    ComPtr<IUpdateInstaller>& installer) {
  ASSERT_EQ(S_OK, session->CreateUpdateDownloader(&downloader));
  ASSERT_EQ(S_OK, downloader->put_Updates(chosen));
  ASSERT_EQ(S_OK, session->CreateUpdateInstaller(&installer));
  ASSERT_EQ(S_OK, installer->put_Updates(chosen));
}

std::wstring ReadTitle(IUpdate* update) {
  BSTR title = nullptr;
  if (FAILED(update->get_Title(&title))) return L"<unreadable>";
  std::wstring text(title ? title : L"", SysStringLen(title));
  SysFreeString(title);
  return text;
}

std::wstring ReadUpdateId(IUpdate* update) {
  ComPtr<IUpdateIdentity> identity;
  if (FAILED(update->get_Identity(&identity))) return L"<unreadable>";
  BSTR id = nullptr;
  if (FAILED(identity->get_UpdateID(&id))) return L"<unreadable>";
  std::wstring text(id ? id : L"", SysStringLen(id));
  SysFreeString(id);
  return text;
}

std::vector<std::wstring> ReadKbIds(IUpdate* update) {
  std::vector<std::wstring> ids;
  ComPtr<IStringCollection> list;
  if (FAILED(update->get_KBArticleIDs(&list))) return ids;
  LONG count = 0;
  list->get_Count(&count);
  for (LONG i = 0; i < count; ++i) {
    BSTR id = nullptr;
    if (SUCCEEDED(list->get_Item(i, &id))) ids.emplace_back(id ? id : L"", SysStringLen(id));
    SysFreeString(id);
  }
  return ids;
}

LONG CountOf(IUpdateCollection* collection) {
  LONG count = -1;
  if (!collection || FAILED(collection->get_Count(&count))) return -1;
  return count;
}

ComPtr<IUpdate> ItemOf(IUpdateCollection* collection, LONG index) {
  ComPtr<IUpdate> update;
  if (collection) collection->get_Item(index, &update);
  return update;
}

void RunOnThread(int model, const std::function<void()>& body) {
  std::thread thread([&] {
    const bool joined = model >= 0 && SUCCEEDED(CoInitializeEx(nullptr, model));
    body();
    if (joined) CoUninitialize();
  });
  thread.join();
}

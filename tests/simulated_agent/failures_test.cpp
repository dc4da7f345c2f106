#include "tests/simulated_agent/agent_test_support.h"

#include <atomic>
#include <map>
#include <string>

namespace {

class Failures : public SimulatedAgentTest {};

using CallResults = std::map<std::string, HRESULT>;

// Every call of a whole run, in the program's order; a call whose input an
// earlier failure withheld is left out.
class CWholeRun {
 public:
  CallResults Run() {
    AskAgentVersion();
    Search();
    Download();
    Install();
    return calls_;
  }

 private:
  bool Record(const char* name, HRESULT hr) {
    calls_[name] = hr;
    return SUCCEEDED(hr);
  }

  void AskAgentVersion() {
    ComPtr<IWindowsUpdateAgentInfo> info;
    if (!Record("CreateAgentInfo", UpdateAgentFactory().CreateAgentInfo(&info))) return;
    Record("GetInfo", ::AskAgentVersion(info.Get()));
  }

  void Search() {
    if (!Record("CreateUpdateSession", UpdateAgentFactory().CreateUpdateSession(&session_))) return;
    ComPtr<IUpdateSearcher> searcher;
    ComPtr<ISearchResult> result;
    if (Record("CreateUpdateSearcher", session_->CreateUpdateSearcher(&searcher))) {
      BSTR criteria = SysAllocString(kProgramCriteria);
      if (Record("Search", searcher->Search(criteria, &result))) result->get_Updates(&found_);
      SysFreeString(criteria);
    }
    if (!Record("CreateUpdateCollection", UpdateAgentFactory().CreateUpdateCollection(&chosen_))) {
      return;
    }
    for (LONG i = 0; found_ && i < CountOf(found_.Get()); ++i) {
      ComPtr<IUpdate> update = ItemOf(found_.Get(), i);
      update->AcceptEula();
      chosen_->Add(update.Get(), nullptr);
    }
  }

  void Download() {
    if (!session_) return;
    ComPtr<IUpdateDownloader> downloader;
    if (!Record("CreateUpdateDownloader", session_->CreateUpdateDownloader(&downloader))) return;
    if (!found_ || !chosen_) return;
    downloader->put_Updates(chosen_.Get());
    std::atomic<bool> done{false};
    auto completed = CDownloadCompletedCallback::Make(
        [&](IDownloadJob*, IDownloadCompletedCallbackArgs*) { done = true; });
    ComPtr<IDownloadJob> job;
    VARIANT state;
    VariantInit(&state);
    if (!Record("BeginDownload",
                downloader->BeginDownload(nullptr, completed.Get(), state, &job))) {
      return;
    }
    PumpUntil([&] { return done.load(); });
    ComPtr<IDownloadResult> result;
    Record("EndDownload", downloader->EndDownload(job.Get(), &result));
  }

  void Install() {
    if (!session_) return;
    ComPtr<IUpdateInstaller> installer;
    if (!Record("CreateUpdateInstaller", session_->CreateUpdateInstaller(&installer))) return;
    if (!found_ || !chosen_) return;
    installer->put_Updates(chosen_.Get());
    std::atomic<bool> done{false};
    auto completed = CInstallCompletedCallback::Make(
        [&](IInstallationJob*, IInstallationCompletedCallbackArgs*) { done = true; });
    ComPtr<IInstallationJob> job;
    VARIANT state;
    VariantInit(&state);
    if (!Record("BeginInstall", installer->BeginInstall(nullptr, completed.Get(), state, &job))) {
      return;
    }
    PumpUntil([&] { return done.load(); });
    ComPtr<IInstallationResult> result;
    Record("EndInstall", installer->EndInstall(job.Get(), &result));
  }

  CallResults calls_;
  ComPtr<IUpdateSession> session_;
  ComPtr<IUpdateCollection> found_;
  ComPtr<IUpdateCollection> chosen_;
};

struct TSwitch {
  HRESULT TSimulatedFailures::*field;
  const char* call;
};

const TSwitch kSwitches[] = {
    {&TSimulatedFailures::createSession, "CreateUpdateSession"},
    {&TSimulatedFailures::createCollection, "CreateUpdateCollection"},
    {&TSimulatedFailures::createAgentInfo, "CreateAgentInfo"},
    {&TSimulatedFailures::getInfo, "GetInfo"},
    {&TSimulatedFailures::createSearcher, "CreateUpdateSearcher"},
    {&TSimulatedFailures::search, "Search"},
    {&TSimulatedFailures::createDownloader, "CreateUpdateDownloader"},
    {&TSimulatedFailures::createInstaller, "CreateUpdateInstaller"},
    {&TSimulatedFailures::beginDownload, "BeginDownload"},
    {&TSimulatedFailures::beginInstall, "BeginInstall"},
    {&TSimulatedFailures::endDownload, "EndDownload"},
    {&TSimulatedFailures::endInstall, "EndInstall"},
};

template <typename Interface>
void ExpectComObject(Interface* object, REFIID own, REFIID foreign, const char* name) {
  SCOPED_TRACE(name);
  ASSERT_TRUE(object);
  ComPtr<IUnknown> identity;
  ComPtr<IUnknown> again;
  ComPtr<IDispatch> dispatch;
  ComPtr<IUnknown> self;
  EXPECT_EQ(S_OK, object->QueryInterface(IID_IUnknown,
                                         reinterpret_cast<void**>(identity.GetAddressOf())));
  EXPECT_EQ(S_OK,
            object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(again.GetAddressOf())));
  EXPECT_EQ(identity.Get(), again.Get());
  EXPECT_EQ(S_OK, object->QueryInterface(IID_IDispatch,
                                         reinterpret_cast<void**>(dispatch.GetAddressOf())));
  EXPECT_EQ(S_OK, object->QueryInterface(own, reinterpret_cast<void**>(self.GetAddressOf())));

  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(foreign, &other));
  EXPECT_EQ(nullptr, other);
  EXPECT_EQ(E_POINTER, object->QueryInterface(own, nullptr));

  UINT count = 0;
  EXPECT_EQ(E_NOTIMPL, dispatch->GetTypeInfoCount(&count));
  ITypeInfo* typeInfo = nullptr;
  EXPECT_EQ(E_NOTIMPL, dispatch->GetTypeInfo(0, 0, &typeInfo));
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"Title")};
  EXPECT_EQ(E_NOTIMPL, dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
  DISPPARAMS none = {};
  EXPECT_EQ(E_NOTIMPL,
            dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));

  const ULONG raised = object->AddRef();
  EXPECT_GE(raised, 2u);
  EXPECT_EQ(raised - 1, object->Release());
}

}  // namespace

TEST_F(Failures, AWholeRunSucceedsWithoutSwitches) {
  agent_.Catalogue().updates.resize(2);
  const CallResults calls = CWholeRun().Run();
  EXPECT_EQ(12u, calls.size());
  for (const auto& call : calls) EXPECT_EQ(S_OK, call.second) << call.first;
}

TEST_F(Failures, EachSwitchFailsExactlyItsCall) {
  agent_.Catalogue().updates.resize(2);
  HRESULT injected = static_cast<HRESULT>(0x8024F001);
  for (const TSwitch& entry : kSwitches) {
    SCOPED_TRACE(entry.call);
    agent_.Failures() = TSimulatedFailures();
    agent_.Failures().*entry.field = injected;
    agent_.ForgetInstalledUpdates();

    const CallResults calls = CWholeRun().Run();
    ASSERT_EQ(1u, calls.count(entry.call));
    EXPECT_EQ(injected, calls.at(entry.call));
    for (const auto& call : calls) {
      if (call.first != entry.call) {
        EXPECT_EQ(S_OK, call.second) << call.first;
      }
    }
    ++injected;
  }
}

TEST_F(Failures, AFailedCreationHandsOutNothing) {
  agent_.Failures().createSession = E_ACCESSDENIED;
  agent_.Failures().createCollection = E_OUTOFMEMORY;
  agent_.Failures().createAgentInfo = REGDB_E_CLASSNOTREG;
  ExpectCreations(E_ACCESSDENIED, E_OUTOFMEMORY, REGDB_E_CLASSNOTREG);
  EXPECT_EQ(E_POINTER, UpdateAgentFactory().CreateUpdateSession(nullptr));
}

TEST_F(Failures, EveryObjectAnswersIUnknownIDispatchAndItsOwnInterfaceOnly) {
  agent_.Catalogue().updates.resize(2);
  auto session = NewSession();
  ExpectComObject(session.Get(), IID_IUpdateSession, IID_IUpdate, "session");

  ComPtr<IUpdateSearcher> searcher;
  ASSERT_EQ(S_OK, session->CreateUpdateSearcher(&searcher));
  ExpectComObject(searcher.Get(), IID_IUpdateSearcher, IID_IUpdateSession, "searcher");
  ComPtr<ISearchResult> result;
  BSTR criteria = SysAllocString(kProgramCriteria);
  ASSERT_EQ(S_OK, searcher->Search(criteria, &result));
  SysFreeString(criteria);
  ExpectComObject(result.Get(), IID_ISearchResult, IID_IUpdateSession, "search result");
  ComPtr<IUpdateCollection> found;
  ASSERT_EQ(S_OK, result->get_Updates(&found));
  ExpectComObject(found.Get(), IID_IUpdateCollection, IID_IUpdate, "collection");
  ComPtr<IUpdate> update = ItemOf(found.Get(), 0);
  ExpectComObject(update.Get(), IID_IUpdate, IID_IUpdateCollection, "update");
  ComPtr<IUpdateIdentity> identity;
  ASSERT_EQ(S_OK, update->get_Identity(&identity));
  ExpectComObject(identity.Get(), IID_IUpdateIdentity, IID_IUpdate, "identity");
  ComPtr<IStringCollection> kbs;
  ASSERT_EQ(S_OK, update->get_KBArticleIDs(&kbs));
  ExpectComObject(kbs.Get(), IID_IStringCollection, IID_IUpdateCollection, "strings");

  ComPtr<IWindowsUpdateAgentInfo> info;
  ASSERT_EQ(S_OK, UpdateAgentFactory().CreateAgentInfo(&info));
  ExpectComObject(info.Get(), IID_IWindowsUpdateAgentInfo, IID_IUpdateSession, "agent info");

  ComPtr<IUpdateDownloader> downloader;
  ComPtr<IUpdateInstaller> installer;
  MakeDownloaderAndInstaller(session.Get(), found.Get(), downloader, installer);
  ExpectComObject(downloader.Get(), IID_IUpdateDownloader, IID_IUpdateInstaller, "downloader");
  ExpectComObject(installer.Get(), IID_IUpdateInstaller, IID_IUpdateDownloader, "installer");

  std::atomic<bool> argsChecked{false};
  auto progress = CDownloadProgressCallback::Make(
      [&](IDownloadJob*, IDownloadProgressChangedCallbackArgs* args) {
        if (argsChecked) return;
        argsChecked = true;
        ExpectComObject(args, IID_IDownloadProgressChangedCallbackArgs, IID_IDownloadProgress,
                        "progress arguments");
        ComPtr<IDownloadProgress> values;
        ASSERT_EQ(S_OK, args->get_Progress(&values));
        ExpectComObject(values.Get(), IID_IDownloadProgress, IID_IInstallationProgress, "progress");
      });
  std::atomic<bool> completedChecked{false};
  auto completed =
      CDownloadCompletedCallback::Make([&](IDownloadJob*, IDownloadCompletedCallbackArgs* args) {
        completedChecked = true;
        ExpectComObject(args, IID_IDownloadCompletedCallbackArgs,
                        IID_IDownloadProgressChangedCallbackArgs, "completed arguments");
      });
  ComPtr<IDownloadJob> job;
  VARIANT state;
  VariantInit(&state);
  ASSERT_EQ(S_OK, downloader->BeginDownload(progress.Get(), completed.Get(), state, &job));
  ExpectComObject(job.Get(), IID_IDownloadJob, IID_IInstallationJob, "download job");
  ASSERT_TRUE(PumpUntil([&] { return completedChecked.load(); }));
  EXPECT_TRUE(argsChecked);

  ComPtr<IDownloadResult> downloaded;
  ASSERT_EQ(S_OK, downloader->EndDownload(job.Get(), &downloaded));
  ExpectComObject(downloaded.Get(), IID_IDownloadResult, IID_IInstallationResult,
                  "download result");
  ComPtr<IUpdateDownloadResult> one;
  ASSERT_EQ(S_OK, downloaded->GetUpdateResult(1, &one));
  ExpectComObject(one.Get(), IID_IUpdateDownloadResult, IID_IUpdateInstallationResult,
                  "update download result");

  CJobRecorder recorder;
  ASSERT_EQ(S_OK, recorder.BeginInstall(installer.Get()));
  ExpectComObject(recorder.installationJob.Get(), IID_IInstallationJob, IID_IDownloadJob,
                  "installation job");
  ComPtr<IInstallationProgress> installing;
  ASSERT_EQ(S_OK, recorder.installationJob->GetProgress(&installing));
  ExpectComObject(installing.Get(), IID_IInstallationProgress, IID_IDownloadProgress,
                  "installation progress");
  ASSERT_TRUE(recorder.WaitForInstallation());
  ExpectComObject(recorder.installationResult.Get(), IID_IInstallationResult, IID_IDownloadResult,
                  "installation result");
  ComPtr<IUpdateInstallationResult> installedOne;
  ASSERT_EQ(S_OK, recorder.installationResult->GetUpdateResult(0, &installedOne));
  ExpectComObject(installedOne.Get(), IID_IUpdateInstallationResult, IID_IUpdateDownloadResult,
                  "update installation result");
}

TEST_F(Failures, TheLastReleaseFreesTheObject) {
  const LONG before = SimulatedAgentLiveObjects();
  IUpdateSession* session = nullptr;
  ASSERT_EQ(S_OK, UpdateAgentFactory().CreateUpdateSession(&session));
  EXPECT_EQ(before + 1, SimulatedAgentLiveObjects());
  EXPECT_EQ(2u, session->AddRef());
  EXPECT_EQ(1u, session->Release());
  EXPECT_EQ(before + 1, SimulatedAgentLiveObjects());
  EXPECT_EQ(0u, session->Release());
  EXPECT_EQ(before, SimulatedAgentLiveObjects());
}

#include "tests/simulated_agent/agent_test_support.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

// One agent object of every kind, all made on one thread.
struct TObjectZoo {
  ComPtr<IUpdateSession> session;
  ComPtr<IUpdateSearcher> searcher;
  ComPtr<ISearchResult> searchResult;
  ComPtr<IUpdateCollection> collection;
  ComPtr<IUpdate> update;
  ComPtr<IUpdateIdentity> identity;
  ComPtr<IStringCollection> strings;
  ComPtr<IUpdateDownloader> downloader;
  ComPtr<IUpdateInstaller> installer;
  ComPtr<IDownloadJob> downloadJob;
  ComPtr<IInstallationJob> installationJob;
  ComPtr<IDownloadProgress> downloadProgress;
  ComPtr<IInstallationProgress> installationProgress;
  ComPtr<IDownloadResult> downloadResult;
  ComPtr<IInstallationResult> installationResult;
  ComPtr<IUpdateDownloadResult> updateDownloadResult;
  ComPtr<IUpdateInstallationResult> updateInstallationResult;
  ComPtr<IDownloadProgressChangedCallbackArgs> downloadProgressArgs;
  ComPtr<IDownloadCompletedCallbackArgs> downloadCompletedArgs;
  ComPtr<IInstallationProgressChangedCallbackArgs> installationProgressArgs;
  ComPtr<IInstallationCompletedCallbackArgs> installationCompletedArgs;
  ComPtr<IWindowsUpdateAgentInfo> agentInfo;
};

// Builds the zoo on the calling thread, which pumps until both jobs are done;
// the agent must deliver callbacks on the starting thread so that their
// arguments are made here too.
void BuildZoo(TObjectZoo& zoo) {
  IUpdateAgentFactory& factory = UpdateAgentFactory();
  ASSERT_EQ(S_OK, factory.CreateUpdateSession(&zoo.session));
  ASSERT_EQ(S_OK, factory.CreateAgentInfo(&zoo.agentInfo));
  ASSERT_EQ(S_OK, zoo.session->CreateUpdateSearcher(&zoo.searcher));
  BSTR criteria = SysAllocString(kProgramCriteria);
  ASSERT_EQ(S_OK, zoo.searcher->Search(criteria, &zoo.searchResult));
  SysFreeString(criteria);
  ComPtr<IUpdateCollection> found;
  ASSERT_EQ(S_OK, zoo.searchResult->get_Updates(&found));
  zoo.update = ItemOf(found.Get(), 0);
  ASSERT_TRUE(zoo.update);
  ASSERT_EQ(S_OK, zoo.update->get_Identity(&zoo.identity));
  ASSERT_EQ(S_OK, zoo.update->get_KBArticleIDs(&zoo.strings));
  ASSERT_EQ(S_OK, factory.CreateUpdateCollection(&zoo.collection));
  ASSERT_EQ(S_OK, zoo.collection->Add(zoo.update.Get(), nullptr));
  ASSERT_EQ(S_OK, zoo.session->CreateUpdateDownloader(&zoo.downloader));
  ASSERT_EQ(S_OK, zoo.downloader->put_Updates(zoo.collection.Get()));
  ASSERT_EQ(S_OK, zoo.session->CreateUpdateInstaller(&zoo.installer));
  ASSERT_EQ(S_OK, zoo.installer->put_Updates(zoo.collection.Get()));

  auto downloading = CDownloadProgressCallback::Make(
      [&](IDownloadJob*, IDownloadProgressChangedCallbackArgs* args) {
        zoo.downloadProgressArgs = args;
      });
  auto downloaded =
      CDownloadCompletedCallback::Make([&](IDownloadJob*, IDownloadCompletedCallbackArgs* args) {
        zoo.downloadCompletedArgs = args;
      });
  VARIANT state;
  VariantInit(&state);
  ASSERT_EQ(S_OK, zoo.downloader->BeginDownload(downloading.Get(), downloaded.Get(), state,
                                                &zoo.downloadJob));
  ASSERT_TRUE(PumpUntil([&] { return zoo.downloadCompletedArgs != nullptr; }));
  ASSERT_EQ(S_OK, zoo.downloader->EndDownload(zoo.downloadJob.Get(), &zoo.downloadResult));
  ASSERT_EQ(S_OK, zoo.downloadResult->GetUpdateResult(0, &zoo.updateDownloadResult));
  ASSERT_EQ(S_OK, zoo.downloadJob->GetProgress(&zoo.downloadProgress));

  auto installing = CInstallProgressCallback::Make(
      [&](IInstallationJob*, IInstallationProgressChangedCallbackArgs* args) {
        zoo.installationProgressArgs = args;
      });
  auto installed = CInstallCompletedCallback::Make(
      [&](IInstallationJob*, IInstallationCompletedCallbackArgs* args) {
        zoo.installationCompletedArgs = args;
      });
  ASSERT_EQ(S_OK, zoo.installer->BeginInstall(installing.Get(), installed.Get(), state,
                                              &zoo.installationJob));
  ASSERT_TRUE(PumpUntil([&] { return zoo.installationCompletedArgs != nullptr; }));
  ASSERT_EQ(S_OK, zoo.installer->EndInstall(zoo.installationJob.Get(), &zoo.installationResult));
  ASSERT_EQ(S_OK, zoo.installationResult->GetUpdateResult(0, &zoo.updateInstallationResult));
  ASSERT_EQ(S_OK, zoo.installationJob->GetProgress(&zoo.installationProgress));
  ASSERT_TRUE(zoo.downloadProgressArgs);
  ASSERT_TRUE(zoo.installationProgressArgs);
}

struct TProbe {
  std::string name;
  std::function<HRESULT()> call;
};

template <typename Interface>
void AddQueryProbe(std::vector<TProbe>& probes, const std::string& name, Interface* object) {
  probes.push_back({name + " QueryInterface", [object] {
                      ComPtr<IUnknown> unknown;
                      return object->QueryInterface(
                          IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf()));
                    }});
}

// A representative method of every object kind, and QueryInterface of each;
// every call answers S_OK to a caller the rules let through.
std::vector<TProbe> Probes(TObjectZoo& zoo) {
  std::vector<TProbe> probes = {
      {"session",
       [&] {
         VARIANT_BOOL value;
         return zoo.session->get_ReadOnly(&value);
       }},
      {"searcher",
       [&] {
         VARIANT_BOOL value;
         return zoo.searcher->get_Online(&value);
       }},
      {"search result",
       [&] {
         OperationResultCode code;
         return zoo.searchResult->get_ResultCode(&code);
       }},
      {"collection",
       [&] {
         LONG count;
         return zoo.collection->get_Count(&count);
       }},
      {"update",
       [&] {
         BSTR title = nullptr;
         const HRESULT hr = zoo.update->get_Title(&title);
         SysFreeString(title);
         return hr;
       }},
      {"identity",
       [&] {
         BSTR id = nullptr;
         const HRESULT hr = zoo.identity->get_UpdateID(&id);
         SysFreeString(id);
         return hr;
       }},
      {"string collection",
       [&] {
         LONG count;
         return zoo.strings->get_Count(&count);
       }},
      {"downloader",
       [&] {
         VARIANT_BOOL value;
         return zoo.downloader->get_IsForced(&value);
       }},
      {"installer",
       [&] {
         VARIANT_BOOL value;
         return zoo.installer->get_IsForced(&value);
       }},
      {"download job",
       [&] {
         VARIANT_BOOL value;
         return zoo.downloadJob->get_IsCompleted(&value);
       }},
      {"installation job",
       [&] {
         VARIANT_BOOL value;
         return zoo.installationJob->get_IsCompleted(&value);
       }},
      {"download progress",
       [&] {
         LONG value;
         return zoo.downloadProgress->get_PercentComplete(&value);
       }},
      {"installation progress",
       [&] {
         LONG value;
         return zoo.installationProgress->get_PercentComplete(&value);
       }},
      {"download result",
       [&] {
         OperationResultCode code;
         return zoo.downloadResult->get_ResultCode(&code);
       }},
      {"installation result",
       [&] {
         OperationResultCode code;
         return zoo.installationResult->get_ResultCode(&code);
       }},
      {"update download result",
       [&] {
         LONG value;
         return zoo.updateDownloadResult->get_HResult(&value);
       }},
      {"update installation result",
       [&] {
         LONG value;
         return zoo.updateInstallationResult->get_HResult(&value);
       }},
      {"download progress arguments",
       [&] {
         ComPtr<IDownloadProgress> progress;
         return zoo.downloadProgressArgs->get_Progress(&progress);
       }},
      {"installation progress arguments",
       [&] {
         ComPtr<IInstallationProgress> progress;
         return zoo.installationProgressArgs->get_Progress(&progress);
       }},
      {"agent information", [&] { return AskAgentVersion(zoo.agentInfo.Get()); }},
  };
  AddQueryProbe(probes, "session", zoo.session.Get());
  AddQueryProbe(probes, "searcher", zoo.searcher.Get());
  AddQueryProbe(probes, "search result", zoo.searchResult.Get());
  AddQueryProbe(probes, "collection", zoo.collection.Get());
  AddQueryProbe(probes, "update", zoo.update.Get());
  AddQueryProbe(probes, "identity", zoo.identity.Get());
  AddQueryProbe(probes, "string collection", zoo.strings.Get());
  AddQueryProbe(probes, "downloader", zoo.downloader.Get());
  AddQueryProbe(probes, "installer", zoo.installer.Get());
  AddQueryProbe(probes, "download job", zoo.downloadJob.Get());
  AddQueryProbe(probes, "installation job", zoo.installationJob.Get());
  AddQueryProbe(probes, "download progress", zoo.downloadProgress.Get());
  AddQueryProbe(probes, "installation progress", zoo.installationProgress.Get());
  AddQueryProbe(probes, "download result", zoo.downloadResult.Get());
  AddQueryProbe(probes, "installation result", zoo.installationResult.Get());
  AddQueryProbe(probes, "update download result", zoo.updateDownloadResult.Get());
  AddQueryProbe(probes, "update installation result", zoo.updateInstallationResult.Get());
  AddQueryProbe(probes, "download progress arguments", zoo.downloadProgressArgs.Get());
  AddQueryProbe(probes, "download completed arguments", zoo.downloadCompletedArgs.Get());
  AddQueryProbe(probes, "installation progress arguments", zoo.installationProgressArgs.Get());
  AddQueryProbe(probes, "installation completed arguments", zoo.installationCompletedArgs.Get());
  AddQueryProbe(probes, "agent information", zoo.agentInfo.Get());
  return probes;
}

void ExpectEveryProbe(TObjectZoo& zoo, HRESULT expected, const char* where) {
  SCOPED_TRACE(where);
  for (const TProbe& probe : Probes(zoo)) EXPECT_EQ(expected, probe.call()) << probe.name;
}

class Apartments : public SimulatedAgentTest {
 protected:
  void SetUp() override {
    SimulatedAgentTest::SetUp();
    agent_.Catalogue().callbackThread = SimulatedCallbackThread::kStarting;
  }
  void TearDown() override {
    zoo_ = TObjectZoo();
    SimulatedAgentTest::TearDown();
  }

  TObjectZoo zoo_;
};

// Keeps a thread in the multithreaded apartment until destroyed, so that a
// thread without an apartment of its own finds one to borrow.
class CMultithreadedBystander {
 public:
  CMultithreadedBystander()
      : joined_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        leave_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        thread_([this] {
          CoInitializeEx(nullptr, COINIT_MULTITHREADED);
          SetEvent(joined_);
          WaitForSingleObject(leave_, INFINITE);
          CoUninitialize();
        }) {
    WaitForSingleObject(joined_, INFINITE);
  }
  ~CMultithreadedBystander() {
    SetEvent(leave_);
    thread_.join();
    CloseHandle(joined_);
    CloseHandle(leave_);
  }

 private:
  HANDLE joined_;
  HANDLE leave_;
  std::thread thread_;
};

}  // namespace

TEST_F(Apartments, EveryObjectServesTheThreadThatMadeIt) {
  BuildZoo(zoo_);
  ExpectEveryProbe(zoo_, S_OK, "own thread");
}

TEST_F(Apartments, AnotherSingleThreadedApartmentIsRefusedByEveryObject) {
  BuildZoo(zoo_);
  RunOnThread(COINIT_APARTMENTTHREADED,
              [&] { ExpectEveryProbe(zoo_, RPC_E_WRONG_THREAD, "another STA"); });
  RunOnThread(COINIT_MULTITHREADED, [&] { ExpectEveryProbe(zoo_, RPC_E_WRONG_THREAD, "the MTA"); });
}

TEST_F(Apartments, AThreadOutsideEveryApartmentIsRefusedEvenWhileTheProcessHasAnMta) {
  BuildZoo(zoo_);
  RunOnThread(-1, [&] { ExpectEveryProbe(zoo_, CO_E_NOTINITIALIZED, "no apartment"); });
  CMultithreadedBystander bystander;
  RunOnThread(-1, [&] { ExpectEveryProbe(zoo_, CO_E_NOTINITIALIZED, "implicit MTA"); });
}

TEST_F(Apartments, TheFactoryRefusesAThreadOutsideEveryApartment) {
  RunOnThread(
      -1, [] { ExpectCreations(CO_E_NOTINITIALIZED, CO_E_NOTINITIALIZED, CO_E_NOTINITIALIZED); });
  EXPECT_EQ(0, SimulatedAgentLiveObjects());
  RunOnThread(COINIT_MULTITHREADED, [] { ExpectCreations(S_OK, S_OK, S_OK); });
}

TEST_F(Apartments, ObjectsOfAClosedApartmentAreDisconnectedForEveryCaller) {
  RunOnThread(-1, [&] {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    BuildZoo(zoo_);
    // Only the final CoUninitialize closes the apartment.
    ASSERT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
    ExpectEveryProbe(zoo_, S_OK, "after an inner CoUninitialize");
    CoUninitialize();
    ExpectEveryProbe(zoo_, CO_E_NOTINITIALIZED, "the creating thread, uninitialised");
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ExpectEveryProbe(zoo_, RPC_E_DISCONNECTED, "the creating thread, initialised again");
    CoUninitialize();
  });
  ExpectEveryProbe(zoo_, RPC_E_DISCONNECTED, "another STA");
  RunOnThread(COINIT_MULTITHREADED, [&] { ExpectEveryProbe(zoo_, RPC_E_DISCONNECTED, "the MTA"); });
}

TEST_F(Apartments, AnMtaObjectServesEveryMtaThreadUntilItsCreatingThreadLeaves) {
  HANDLE built = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE leave = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread maker([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    BuildZoo(zoo_);
    SetEvent(built);
    WaitForSingleObject(leave, INFINITE);
    CoUninitialize();
  });
  WaitForSingleObject(built, INFINITE);
  RunOnThread(COINIT_MULTITHREADED, [&] { ExpectEveryProbe(zoo_, S_OK, "another MTA thread"); });
  ExpectEveryProbe(zoo_, RPC_E_WRONG_THREAD, "an STA");
  SetEvent(leave);
  maker.join();
  RunOnThread(COINIT_MULTITHREADED,
              [&] { ExpectEveryProbe(zoo_, RPC_E_DISCONNECTED, "after the maker left"); });
  CloseHandle(built);
  CloseHandle(leave);
}

namespace {

// What a timer left on the agent's thread by a callback finds there once the
// callback has returned.
struct TAfterCallback {
  IDownloadJob* job = nullptr;
  IUpdate* update = nullptr;
  IUpdateIdentity* identity = nullptr;
  std::atomic<HRESULT> job_{E_PENDING};
  std::atomic<HRESULT> update_{E_PENDING};
  std::atomic<HRESULT> identity_{E_PENDING};
  std::atomic<DWORD> thread{0};
};

TAfterCallback* g_after = nullptr;

VOID CALLBACK ProbeAfterCallback(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  TAfterCallback& after = *g_after;
  VARIANT_BOOL completed;
  after.job_ = after.job->get_IsCompleted(&completed);
  BSTR text = nullptr;
  after.update_ = after.update->get_Title(&text);
  SysFreeString(text);
  text = nullptr;
  after.identity_ = after.identity->get_UpdateID(&text);
  SysFreeString(text);
  after.thread = GetCurrentThreadId();
}

}  // namespace

TEST_F(Apartments, ACallbackOnTheAgentsThreadMayUseItsJobAndWhatItReachesOnlyWhileItRuns) {
  agent_.Catalogue().callbackThread = SimulatedCallbackThread::kAgent;
  agent_.Catalogue().paceMs = 40;
  agent_.Catalogue().updates.resize(2);
  auto session = NewSession();
  auto found = SearchMissing(session.Get());
  auto chosen = Choose(found.Get(), {0, 1});
  ComPtr<IUpdateDownloader> downloader;
  ComPtr<IUpdateInstaller> installer;
  MakeDownloaderAndInstaller(session.Get(), chosen.Get(), downloader, installer);

  struct TInside {
    DWORD thread = 0;
    APTTYPE apartment = APTTYPE_CURRENT;
    HRESULT job = E_PENDING, updates = E_PENDING, item = E_PENDING, title = E_PENDING;
    HRESULT identity = E_PENDING, progress = E_PENDING, result = E_PENDING;
    HRESULT session = E_PENDING, downloader = E_PENDING, searchResult = E_PENDING;
  } inside;
  TAfterCallback after;
  g_after = &after;
  ComPtr<IDownloadJob> job;
  ComPtr<IUpdate> update;
  ComPtr<IUpdateIdentity> identity;
  ComPtr<IDownloadProgressChangedCallbackArgs> args;
  std::atomic<bool> probed{false};
  auto progress = CDownloadProgressCallback::Make(
      [&](IDownloadJob* given, IDownloadProgressChangedCallbackArgs* arguments) {
        if (probed) return;
        inside.thread = GetCurrentThreadId();
        APTTYPEQUALIFIER qualifier;
        CoGetApartmentType(&inside.apartment, &qualifier);
        VARIANT_BOOL completed;
        inside.job = given->get_IsCompleted(&completed);
        ComPtr<IUpdateCollection> updates;
        inside.updates = given->get_Updates(&updates);
        if (updates) inside.item = updates->get_Item(0, &update);
        if (update) {
          BSTR title = nullptr;
          inside.title = update->get_Title(&title);
          SysFreeString(title);
          inside.identity = update->get_Identity(&identity);
        }
        ComPtr<IDownloadProgress> values;
        inside.progress = arguments->get_Progress(&values);
        ComPtr<IUpdateDownloadResult> result;
        if (values) inside.result = values->GetUpdateResult(0, &result);
        // Not reachable from the job: the platform would refuse these.
        VARIANT_BOOL flag;
        inside.session = session->get_ReadOnly(&flag);
        inside.downloader = downloader->get_IsForced(&flag);
        LONG count;
        inside.searchResult = found->get_Count(&count);
        job = given;
        args = arguments;
        after.job = given;
        after.update = update.Get();
        after.identity = identity.Get();
        SetTimer(nullptr, 0, 1, &ProbeAfterCallback);
        probed = true;
      });
  ComPtr<IDownloadJob> begun;
  VARIANT state;
  VariantInit(&state);
  ASSERT_EQ(S_OK, downloader->BeginDownload(progress.Get(), nullptr, state, &begun));
  ASSERT_TRUE(PumpUntil([&] { return after.thread != 0; }));

  EXPECT_NE(GetCurrentThreadId(), inside.thread);
  EXPECT_EQ(APTTYPE_MTA, inside.apartment);
  EXPECT_EQ(S_OK, inside.job);
  EXPECT_EQ(S_OK, inside.updates);
  EXPECT_EQ(S_OK, inside.item);
  EXPECT_EQ(S_OK, inside.title);
  EXPECT_EQ(S_OK, inside.identity);
  EXPECT_EQ(S_OK, inside.progress);
  EXPECT_EQ(S_OK, inside.result);
  EXPECT_EQ(RPC_E_WRONG_THREAD, inside.session);
  EXPECT_EQ(RPC_E_WRONG_THREAD, inside.downloader);
  EXPECT_EQ(RPC_E_WRONG_THREAD, inside.searchResult);

  EXPECT_EQ(inside.thread, after.thread.load());
  EXPECT_EQ(RPC_E_WRONG_THREAD, after.job_.load()) << "the job, after the callback returned";
  EXPECT_EQ(RPC_E_WRONG_THREAD, after.update_.load()) << "an update, after the callback";
  EXPECT_EQ(S_OK, after.identity_.load()) << "made on the agent's thread, in its apartment";

  // Back on the thread that owns them, the job and the update serve as ever;
  // what the callback was given or made there belongs to the agent's thread.
  VARIANT_BOOL completed;
  EXPECT_EQ(S_OK, job->get_IsCompleted(&completed));
  EXPECT_EQ(S_OK, update->get_IsHidden(&completed));
  ComPtr<IDownloadProgress> values;
  const HRESULT argsHere = args->get_Progress(&values);
  EXPECT_TRUE(argsHere == RPC_E_WRONG_THREAD || argsHere == RPC_E_DISCONNECTED) << argsHere;
  // Once that thread has ended with its job, they are disconnected.
  ASSERT_EQ(S_OK, begun->CleanUp());
  EXPECT_TRUE(PumpUntil([&] {
    BSTR id = nullptr;
    const HRESULT hr = identity->get_UpdateID(&id);
    SysFreeString(id);
    return hr == RPC_E_DISCONNECTED;
  }));
  EXPECT_EQ(RPC_E_DISCONNECTED, args->get_Progress(&values));
  g_after = nullptr;
}

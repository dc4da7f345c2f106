#include <gtest/gtest.h>

#include <wrl/client.h>

#include "platform/com_values.h"
#include "simulated_agent/simulated_agent_factory.h"
#include "updates/my_down_progress_callback.h"
#include "updates/my_download_complete_callback.h"
#include "updates/my_install_callback.h"
#include "updates/my_install_complete_callback.h"

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kProgramCriteria[] = L"IsInstalled=0 and Type='SoftWare'";

template <class Callback>
void ExpectAnswersOnlyFor(Callback* callback, REFIID own) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, callback->QueryInterface(IID_IDispatch, &out));
  EXPECT_EQ(nullptr, out);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, callback->QueryInterface(IID_IDownloadJob, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_POINTER, callback->QueryInterface(own, nullptr));

  for (REFIID iid : {IID_IUnknown, own}) {
    ASSERT_EQ(S_OK, callback->QueryInterface(iid, &out));
    EXPECT_EQ(static_cast<void*>(callback), out);
    EXPECT_EQ(1u, static_cast<IUnknown*>(out)->Release());
  }
}

// The installation's last report of its one update.
TSimulatedReport FinalReport() {
  TSimulatedReport report;
  report.currentPercent = 100;
  report.percent = 100;
  report.results = {TSimulatedOutcome{}};
  return report;
}

// The callbacks delivered to by a stepped job of the simulated agent, over one
// update titled "One", on this apartment-threaded thread.
class CallbackObjects : public ::testing::Test {
 protected:
  CallbackObjects() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TSimulatedUpdate one;
    one.title = L"One";
    one.updateId = L"id";
    agent.Catalogue().updates = {one};
    agent.Catalogue().searchMs = 0;
    agent.Catalogue().stepByStep = true;
    ComPtr<IUpdateSession> session;
    ComPtr<IUpdateSearcher> searcher;
    ComPtr<ISearchResult> result;
    ComPtr<IUpdateCollection> found;
    BSTR criteria = SysAllocString(kProgramCriteria);
    EXPECT_EQ(S_OK, agent.CreateUpdateSession(&session));
    EXPECT_EQ(S_OK, session->CreateUpdateSearcher(&searcher));
    EXPECT_EQ(S_OK, searcher->Search(criteria, &result));
    SysFreeString(criteria);
    EXPECT_EQ(S_OK, result->get_Updates(&found));
    EXPECT_EQ(S_OK, session->CreateUpdateDownloader(&downloader));
    EXPECT_EQ(S_OK, session->CreateUpdateInstaller(&installer));
    EXPECT_EQ(S_OK, downloader->put_Updates(found.Get()));
    EXPECT_EQ(S_OK, installer->put_Updates(found.Get()));
  }

  ~CallbackObjects() override {
    downloader.Reset();
    installer.Reset();
    EXPECT_EQ(0, SimulatedAgentLiveObjects());
    CoUninitialize();
  }

  ComPtr<IDownloadJob> BeginDownload(IUnknown* onCompleted, VARIANT state) {
    ComPtr<IDownloadJob> job;
    EXPECT_EQ(S_OK, downloader->BeginDownload(nullptr, onCompleted, state, &job));
    return job;
  }

  ComPtr<IInstallationJob> BeginInstall(IUnknown* onProgress, IUnknown* onCompleted,
                                        VARIANT state) {
    ComPtr<IInstallationJob> job;
    EXPECT_EQ(S_OK, installer->BeginInstall(onProgress, onCompleted, state, &job));
    return job;
  }

  CSimulatedAgentFactory agent;
  ComPtr<IUpdateDownloader> downloader;
  ComPtr<IUpdateInstaller> installer;
};

}  // namespace

TEST_F(CallbackObjects, AnswerForTheirOwnInterfaceAndIUnknownOnly) {
  auto inbox = std::make_shared<CCallbackInbox>(1);
  ComPtr<CMyDownProgressCallback> downloadProgress = new CMyDownProgressCallback(inbox);
  ComPtr<CMyDownloadCompleteCallBack> downloadCompleted = new CMyDownloadCompleteCallBack(inbox);
  ComPtr<CMyInstallCallback> installProgress = new CMyInstallCallback(inbox);
  ComPtr<CMyInstallCompleteCallBack> installCompleted = new CMyInstallCompleteCallBack(inbox);

  ExpectAnswersOnlyFor(downloadProgress.Get(), IID_IDownloadProgressChangedCallback);
  ExpectAnswersOnlyFor(downloadCompleted.Get(), IID_IDownloadCompletedCallback);
  ExpectAnswersOnlyFor(installProgress.Get(), IID_IInstallationProgressChangedCallback);
  ExpectAnswersOnlyFor(installCompleted.Get(), IID_IInstallationCompletedCallback);
  EXPECT_EQ(2u, installProgress->AddRef());
  EXPECT_EQ(1u, installProgress->Release());
}

// The callbacks may run on any thread: they only copy plain values into the
// inbox and wake its reader.
TEST_F(CallbackObjects, ProgressLeavesAPlainCopyInTheInboxAndSignalsIt) {
  auto inbox = std::make_shared<CCallbackInbox>(1);
  ComPtr<CMyInstallCallback> callback = new CMyInstallCallback(inbox);
  ComPtr<IInstallationJob> job = BeginInstall(callback.Get(), nullptr, Int64Variant(1));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(inbox->Signal(), 0));

  EXPECT_EQ(S_OK, agent.ReportProgress(FinalReport()));
  TSimulatedReport withoutJob = FinalReport();
  withoutJob.withoutJob = true;
  EXPECT_EQ(S_OK, agent.ReportProgress(withoutJob));
  TSimulatedReport withoutArgs = FinalReport();
  withoutArgs.withoutArgs = true;
  EXPECT_EQ(S_OK, agent.ReportProgress(withoutArgs));

  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(inbox->Signal(), 0));
  auto events = inbox->TakeAll();
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(inbox->Signal(), 0));
  ASSERT_EQ(1u, events.size());
  const auto* report = std::get_if<TInstallReport>(&events[0]);
  ASSERT_NE(nullptr, report);
  EXPECT_EQ(L"One", report->title);
  EXPECT_EQ(1, report->position);
  EXPECT_EQ(100, report->overallPercent);
}

TEST_F(CallbackObjects, CompletionNotesWhetherTheJobIsTheClientsOwn) {
  auto inbox = std::make_shared<CCallbackInbox>(0x1234);
  ComPtr<CMyDownloadCompleteCallBack> downloadCompleted = new CMyDownloadCompleteCallBack(inbox);
  ComPtr<CMyInstallCompleteCallBack> installCompleted = new CMyInstallCompleteCallBack(inbox);
  VARIANT noState;
  VariantInit(&noState);

  ComPtr<IDownloadJob> download = BeginDownload(downloadCompleted.Get(), Int64Variant(0x1234));
  EXPECT_EQ(S_OK, agent.CompleteJob());
  ComPtr<IInstallationJob> installation = BeginInstall(nullptr, installCompleted.Get(), noState);
  EXPECT_EQ(S_OK, agent.CompleteJob());
  TSimulatedCompletion withoutJob;
  withoutJob.withoutJob = true;
  EXPECT_EQ(S_OK, agent.CompleteJob(withoutJob));

  auto events = inbox->TakeAll();
  ASSERT_EQ(3u, events.size());
  EXPECT_EQ(AgentJobKind::kDownload, std::get<TJobCompleted>(events[0]).kind);
  EXPECT_TRUE(std::get<TJobCompleted>(events[0]).ownJob);
  EXPECT_EQ(AgentJobKind::kInstallation, std::get<TJobCompleted>(events[1]).kind);
  EXPECT_FALSE(std::get<TJobCompleted>(events[1]).ownJob);
  EXPECT_FALSE(std::get<TJobCompleted>(events[2]).ownJob);
}

TEST_F(CallbackObjects, CallbacksOutlivingTheirClientReachNothing) {
  auto inbox = std::make_shared<CCallbackInbox>(1);
  ComPtr<CMyDownloadCompleteCallBack> downloadCompleted = new CMyDownloadCompleteCallBack(inbox);
  ComPtr<CMyInstallCallback> installProgress = new CMyInstallCallback(inbox);
  inbox.reset();

  ComPtr<IDownloadJob> download = BeginDownload(downloadCompleted.Get(), Int64Variant(1));
  EXPECT_EQ(S_OK, agent.CompleteJob());
  ComPtr<IInstallationJob> installation =
      BeginInstall(installProgress.Get(), nullptr, Int64Variant(1));
  EXPECT_EQ(S_OK, agent.ReportProgress(FinalReport()));
}

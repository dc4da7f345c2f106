#include <gtest/gtest.h>

#include "tests/updates/fake_agent.h"
#include "updates/my_down_progress_callback.h"
#include "updates/my_download_complete_callback.h"
#include "updates/my_install_callback.h"
#include "updates/my_install_complete_callback.h"

namespace {

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

ComPtr<FakeInstallationJob> JobOver(std::vector<ComPtr<FakeUpdate>> updates) {
  ComPtr<FakeInstallationJob> job = new FakeInstallationJob();
  job->updates = MakeCollection(updates);
  return job;
}

ComPtr<FakeInstallationProgressArgs> FinalInstallReport() {
  ComPtr<FakeInstallationProgressArgs> args = new FakeInstallationProgressArgs();
  args->progress = new FakeInstallationProgress();
  args->progress->percent = 100;
  args->progress->currentPercent = 100;
  args->progress->results = {FakeResult{}};
  return args;
}

FakeUpdateData Titled(const wchar_t* title) {
  FakeUpdateData data;
  data.title = title;
  data.id = L"id";
  return data;
}

}  // namespace

TEST(CallbackObjects, AnswerForTheirOwnInterfaceAndIUnknownOnly) {
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
TEST(CallbackObjects, ProgressLeavesAPlainCopyInTheInboxAndSignalsIt) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    auto inbox = std::make_shared<CCallbackInbox>(1);
    ComPtr<CMyInstallCallback> callback = new CMyInstallCallback(inbox);
    auto job = JobOver({MakeUpdate(Titled(L"One"))});
    auto args = FinalInstallReport();
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(inbox->Signal(), 0));

    EXPECT_EQ(S_OK, callback->Invoke(job.Get(), args.Get()));
    EXPECT_EQ(S_OK, callback->Invoke(nullptr, args.Get()));
    EXPECT_EQ(S_OK, callback->Invoke(job.Get(), nullptr));

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
  EXPECT_EQ(0, g_fakeObjectsAlive);
  CoUninitialize();
}

TEST(CallbackObjects, CompletionNotesWhetherTheJobIsTheClientsOwn) {
  auto inbox = std::make_shared<CCallbackInbox>(0x1234);
  ComPtr<CMyDownloadCompleteCallBack> downloadCompleted = new CMyDownloadCompleteCallBack(inbox);
  ComPtr<CMyInstallCompleteCallBack> installCompleted = new CMyInstallCompleteCallBack(inbox);
  ComPtr<FakeDownloadJob> downloadJob = new FakeDownloadJob();
  downloadJob->state.vt = VT_I8;
  downloadJob->state.llVal = 0x1234;
  ComPtr<FakeInstallationJob> installationJob = new FakeInstallationJob();

  EXPECT_EQ(S_OK, downloadCompleted->Invoke(downloadJob.Get(), nullptr));
  EXPECT_EQ(S_OK, installCompleted->Invoke(installationJob.Get(), nullptr));
  EXPECT_EQ(S_OK, installCompleted->Invoke(nullptr, nullptr));

  auto events = inbox->TakeAll();
  ASSERT_EQ(3u, events.size());
  EXPECT_EQ(AgentJobKind::kDownload, std::get<TJobCompleted>(events[0]).kind);
  EXPECT_TRUE(std::get<TJobCompleted>(events[0]).ownJob);
  EXPECT_EQ(AgentJobKind::kInstallation, std::get<TJobCompleted>(events[1]).kind);
  EXPECT_FALSE(std::get<TJobCompleted>(events[1]).ownJob);
  EXPECT_FALSE(std::get<TJobCompleted>(events[2]).ownJob);
}

TEST(CallbackObjects, CallbacksOutlivingTheirClientReachNothing) {
  auto inbox = std::make_shared<CCallbackInbox>(1);
  ComPtr<CMyDownloadCompleteCallBack> downloadCompleted = new CMyDownloadCompleteCallBack(inbox);
  ComPtr<CMyInstallCallback> installProgress = new CMyInstallCallback(inbox);
  inbox.reset();
  ComPtr<FakeDownloadJob> downloadJob = new FakeDownloadJob();

  EXPECT_EQ(S_OK, downloadCompleted->Invoke(downloadJob.Get(), nullptr));
  EXPECT_EQ(S_OK, installProgress->Invoke(JobOver({MakeUpdate(Titled(L"One"))}).Get(),
                                          FinalInstallReport().Get()));
}

#include <gtest/gtest.h>

#include "tests/updates/fake_agent.h"
#include "tests/updates/handler_recorder.h"
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
  ComPtr<CMyDownProgressCallback> downloadProgress = new CMyDownProgressCallback();
  ComPtr<CMyDownloadCompleteCallBack> downloadCompleted = new CMyDownloadCompleteCallBack(nullptr);
  ComPtr<CMyInstallCallback> installProgress = new CMyInstallCallback();
  ComPtr<CMyInstallCompleteCallBack> installCompleted = new CMyInstallCompleteCallBack(nullptr);

  ExpectAnswersOnlyFor(downloadProgress.Get(), IID_IDownloadProgressChangedCallback);
  ExpectAnswersOnlyFor(downloadCompleted.Get(), IID_IDownloadCompletedCallback);
  ExpectAnswersOnlyFor(installProgress.Get(), IID_IInstallationProgressChangedCallback);
  ExpectAnswersOnlyFor(installCompleted.Get(), IID_IInstallationCompletedCallback);
  EXPECT_EQ(2u, installProgress->AddRef());
  EXPECT_EQ(1u, installProgress->Release());
}

TEST(CallbackObjects, ProgressCallbackWithoutAHandlerDoesNothing) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ClearRecordedCalls();
  {
    ComPtr<CMyInstallCallback> callback = new CMyInstallCallback();
    auto job = JobOver({MakeUpdate(Titled(L"One"))});
    auto args = FinalInstallReport();

    EXPECT_EQ(S_OK, callback->Invoke(job.Get(), args.Get()));
    EXPECT_TRUE(RecordedCalls().empty());
    EXPECT_FALSE(callback->FinalReportDelivered());

    callback->SetHandler(RecordingHandlers().installProgress);
    EXPECT_EQ(S_OK, callback->Invoke(job.Get(), args.Get()));
    ASSERT_EQ(1u, RecordedCalls().size());
    EXPECT_EQ(L"One", RecordedCalls()[0].title);
    EXPECT_TRUE(callback->FinalReportDelivered());

    EXPECT_EQ(S_OK, callback->Invoke(nullptr, args.Get()));
    EXPECT_EQ(S_OK, callback->Invoke(job.Get(), nullptr));
    EXPECT_EQ(1u, RecordedCalls().size());
  }
  EXPECT_EQ(0, g_fakeObjectsAlive);
  CoUninitialize();
}

TEST(CallbackObjects, DetachedCompletionCallbacksDoNothing) {
  ComPtr<CMyDownloadCompleteCallBack> downloadCompleted = new CMyDownloadCompleteCallBack(nullptr);
  ComPtr<CMyInstallCompleteCallBack> installCompleted = new CMyInstallCompleteCallBack(nullptr);
  ComPtr<FakeDownloadJob> downloadJob = new FakeDownloadJob();
  ComPtr<FakeInstallationJob> installationJob = new FakeInstallationJob();

  EXPECT_EQ(S_OK, downloadCompleted->Invoke(downloadJob.Get(), nullptr));
  EXPECT_EQ(S_OK, installCompleted->Invoke(installationJob.Get(), nullptr));
}

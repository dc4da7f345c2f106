#include "tests/updates/handler_recorder.h"

namespace {

void RecordDownload(const wchar_t* title, const wchar_t* updateId, DECIMAL bytesDownloaded,
                    DECIMAL bytesToDownload, LONG currentPercent, LONG overallPercent,
                    LONG resultCode, HRESULT result) {
  HandlerCall call;
  call.kind = HandlerCall::kDownload;
  call.title = title;
  call.updateId = updateId;
  call.bytesDownloaded = bytesDownloaded.Lo64;
  call.bytesToDownload = bytesToDownload.Lo64;
  call.currentPercent = currentPercent;
  call.overallPercent = overallPercent;
  call.resultCode = resultCode;
  call.result = result;
  call.threadId = GetCurrentThreadId();
  RecordedCalls().push_back(call);
}

void RecordInstall(const wchar_t* title, const wchar_t* updateId, LONG position, LONG count,
                   LONG currentPercent, LONG overallPercent, LONG resultCode, HRESULT result) {
  HandlerCall call;
  call.kind = HandlerCall::kInstall;
  call.title = title;
  call.updateId = updateId;
  call.position = position;
  call.count = count;
  call.currentPercent = currentPercent;
  call.overallPercent = overallPercent;
  call.resultCode = resultCode;
  call.result = result;
  call.threadId = GetCurrentThreadId();
  RecordedCalls().push_back(call);
}

void RecordFinished(bool succeeded) {
  HandlerCall call;
  call.kind = HandlerCall::kFinished;
  call.succeeded = succeeded;
  call.threadId = GetCurrentThreadId();
  RecordedCalls().push_back(call);
}

}  // namespace

std::vector<HandlerCall>& RecordedCalls() {
  static std::vector<HandlerCall> calls;
  return calls;
}

std::vector<HandlerCall> RecordedCallsOf(HandlerCall::Kind kind) {
  std::vector<HandlerCall> matching;
  for (const HandlerCall& call : RecordedCalls()) {
    if (call.kind == kind) matching.push_back(call);
  }
  return matching;
}

void ClearRecordedCalls() {
  RecordedCalls().clear();
}

InstallHandlers RecordingHandlers() {
  InstallHandlers handlers;
  handlers.downloadProgress = RecordDownload;
  handlers.installProgress = RecordInstall;
  handlers.installationFinished = RecordFinished;
  return handlers;
}

AgentReportSink RecordingSink() {
  return [](TAgentReport report) { DeliverReport(report, RecordingHandlers()); };
}

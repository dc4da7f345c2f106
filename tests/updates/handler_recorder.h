#pragma once
// Plain-function handlers that record every call, for checking what the
// window would have been told and on which thread.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "updates/progress_handlers.h"
#include "updates/update_agent_client.h"

struct HandlerCall {
  enum Kind { kDownload, kInstall, kFinished } kind = kDownload;
  std::wstring title;
  std::wstring updateId;
  uint64_t bytesDownloaded = 0;
  uint64_t bytesToDownload = 0;
  LONG position = 0;
  LONG count = 0;
  LONG currentPercent = 0;
  LONG overallPercent = 0;
  LONG resultCode = 0;
  HRESULT result = S_OK;
  bool succeeded = false;
  DWORD threadId = 0;
};

std::vector<HandlerCall>& RecordedCalls();
std::vector<HandlerCall> RecordedCallsOf(HandlerCall::Kind kind);
void ClearRecordedCalls();
InstallHandlers RecordingHandlers();
// A client's report sink that hands every report to the recording handlers.
AgentReportSink RecordingSink();

#pragma once
// What the agent's work tells the window: plain data copied out of the agent
// objects on the agent's side, so nothing of the agent crosses a thread.

#include <windows.h>

#include <string>
#include <variant>
#include <vector>

// How one update of a job ended, as the agent reported it.
struct TUpdateOutcome {
  std::wstring title;
  LONG resultCode = 0;  // 2 succeeded, 3 with errors, 4 failed, 5 aborted
  HRESULT result = S_OK;
};

struct TDownloadReport {
  std::wstring title;
  std::wstring updateId;
  ULONGLONG bytesDownloaded = 0;  // of the current update
  ULONGLONG bytesToDownload = 0;
  LONG currentPercent = 0;
  LONG overallPercent = 0;
  LONG resultCode = 0;
  HRESULT result = S_OK;
};

struct TInstallReport {
  std::wstring title;
  std::wstring updateId;
  LONG position = 0;  // 1-based
  LONG count = 0;
  LONG currentPercent = 0;
  LONG overallPercent = 0;
  LONG resultCode = 0;
  HRESULT result = S_OK;
  // The final report (100 percent) holds every update's outcome.
  std::vector<TUpdateOutcome> outcomes;
};

// The installation ended without a final progress report deciding it: it
// could not begin, it was aborted, or the agent completed without reporting
// 100 percent.
struct TInstallationEnded {
  bool succeeded = false;
  // What kept the installation from running, when something did.
  HRESULT result = S_OK;
  // Every update's outcome, as far as the agent reported one.
  std::vector<TUpdateOutcome> outcomes;
};

using TAgentReport = std::variant<TDownloadReport, TInstallReport, TInstallationEnded>;

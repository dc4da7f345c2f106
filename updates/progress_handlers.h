#pragma once
// The window's handlers for the agent's reports, called on the UI thread with
// values copied out of the agent's reports.

#include <windows.h>
#include <oaidl.h>

#include "updates/agent_reports.h"

// Bytes are those of the current update; only their low 64 bits are meaningful.
using DownloadProgressHandler = void (*)(const wchar_t* title, const wchar_t* updateId,
                                         DECIMAL bytesDownloaded, DECIMAL bytesToDownload,
                                         LONG currentPercent, LONG overallPercent, LONG resultCode,
                                         HRESULT result);

// position is 1-based; count is the number of updates being installed.
using InstallProgressHandler = void (*)(const wchar_t* title, const wchar_t* updateId,
                                        LONG position, LONG count, LONG currentPercent,
                                        LONG overallPercent, LONG resultCode, HRESULT result);

// Ends the installation when no final progress report did: the install could
// not begin, it was aborted, or the agent completed without a 100 percent
// report.
using InstallationFinishedHandler = void (*)(bool succeeded);

struct InstallHandlers {
  DownloadProgressHandler downloadProgress = nullptr;
  InstallProgressHandler installProgress = nullptr;
  InstallationFinishedHandler installationFinished = nullptr;
};

// Calls the handler that matches the report, if it is set.
void DeliverReport(const TAgentReport& report, const InstallHandlers& handlers);

#pragma once

#include <windows.h>

class UpdateAgentClient;

// Posted to the window when a scan has ended, whatever its outcome.
constexpr UINT WM_SCAN_FINISHED = WM_USER + 0x400;

// What one scan works on. It must outlive the worker thread.
struct ScanWorkerArgs {
  UpdateAgentClient* client = nullptr;
  HWND notifyWindow = nullptr;
};

// Thread procedure; the argument is a ScanWorkerArgs*. Runs the search in an
// apartment of its own and posts WM_SCAN_FINISHED to notifyWindow.
DWORD WINAPI ScanWorker(LPVOID args);

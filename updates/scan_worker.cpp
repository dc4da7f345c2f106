#include "updates/scan_worker.h"

#include <objbase.h>

#include "updates/update_agent_client.h"

DWORD WINAPI ScanWorker(LPVOID args) {
  const auto* scan = static_cast<const ScanWorkerArgs*>(args);
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (scan && scan->client) {
    try {
      LONG count = 0;
      scan->client->RunSearch(count);
    } catch (...) {
    }
  }
  if (scan) PostMessageW(scan->notifyWindow, WM_SCAN_FINISHED, 0, 0);
  if (SUCCEEDED(init)) CoUninitialize();
  return 0;
}

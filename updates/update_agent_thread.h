#pragma once
// The one thread that owns every update-agent object for the program's life,
// from the first request on.
// It is a single-threaded apartment that pumps messages, so the agent may
// call back on it, and it holds the UpdateAgentClient. The UI thread never
// touches an agent object: it asks for work here and gets plain data back,
// through WM_SCAN_FINISHED and WM_AGENT_REPORT posted to its window.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/unique_handle.h"
#include "updates/agent_messages.h"
#include "updates/agent_reports.h"
#include "updates/update_entry.h"

struct TAgentThreadState;
struct TAgentRequest;

class CUpdateAgentThread {
 public:
  // catalogueUrl is where the agent refresh looks. The thread starts with
  // the first request.
  explicit CUpdateAgentThread(std::string catalogueUrl);
  // Ends the thread, cleaning up jobs still held. A scan cannot be stopped:
  // then the thread is left to end on its own (or with the process).
  ~CUpdateAgentThread();
  CUpdateAgentThread(const CUpdateAgentThread&) = delete;
  CUpdateAgentThread& operator=(const CUpdateAgentThread&) = delete;

  // The window told of ended scans and waiting reports.
  void SetNotifyWindow(HWND window);

  // False when the thread is not there to do it.
  bool StartScan();
  // The entries of the last scan whose search gave a result; E_POINTER
  // before any did.
  HRESULT CollectUpdates(std::vector<UpdateEntry>& entries) const;
  // A failure to begin is reported as a TInstallationEnded.
  bool StartInstallation(std::vector<std::wstring> chosenIds);
  // Reports in the order they were made, each once.
  std::vector<TAgentReport> TakeReports();

  bool ScanRunning() const;
  bool JobRunning() const;

  // Asks the running download or installation to stop and waits, with the
  // calling thread's messages dispatched, until the job has completed and
  // been cleaned up, or boundMs has passed (the job is then cleaned up
  // without its completion). True when nothing runs any more.
  bool AbortAndWait(DWORD boundMs);
  // The same without the abort: a job that is ending on its own (after its
  // final report) is let finish.
  bool WaitForJobs(DWORD boundMs);

 private:
  bool EndJobs(bool abort, DWORD boundMs);
  // False when the thread could not be started.
  bool EnsureThread();
  // Starts the thread first; false when it is not there to take the request.
  bool Post(TAgentRequest request);

  std::shared_ptr<TAgentThreadState> state_;
  UniqueHandle thread_;
};

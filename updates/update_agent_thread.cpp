#include "updates/update_agent_thread.h"

#include <objbase.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <utility>

#include "agent_refresh/is_agent_older.h"
#include "platform/run_log.h"
#include "updates/update_agent_client.h"
#include "updates/update_error_reasons.h"

struct TAgentRequest {
  enum class Kind { kScan, kInstall, kEndJobs, kQuit };
  Kind kind = Kind::kQuit;
  std::vector<std::wstring> chosenIds;
  bool abort = false;
  DWORD graceMs = 0;
};

struct TAgentThreadState {
  explicit TAgentThreadState(std::string url)
      : catalogueUrl(std::move(url)),
        wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
        idle(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

  void PostToWindow(UINT message) {
    const HWND target = window.load();
    if (target) PostMessageW(target, message, 0, 0);
  }

  void PostReport(TAgentReport report) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      reports.push_back(std::move(report));
    }
    PostToWindow(WM_AGENT_REPORT);
  }

  bool InstallationAsked() const {
    std::lock_guard<std::mutex> lock(mutex);
    for (const TAgentRequest& request : requests) {
      if (request.kind == TAgentRequest::Kind::kInstall) return true;
    }
    return false;
  }

  std::deque<TAgentRequest> TakeRequests() {
    std::lock_guard<std::mutex> lock(mutex);
    std::deque<TAgentRequest> taken;
    taken.swap(requests);
    return taken;
  }

  const std::string catalogueUrl;
  const UniqueHandle wake;  // requests wait
  const UniqueHandle idle;  // no job runs
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> scanning{false};
  std::atomic<bool> jobRunning{false};

  mutable std::mutex mutex;
  std::deque<TAgentRequest> requests;
  std::deque<TAgentReport> reports;
  std::vector<UpdateEntry> entries;
  HRESULT collected = E_POINTER;
};

namespace {

constexpr DWORD kJoinMs = 5000;
constexpr DWORD kAgentFinishMs = 2000;

// What runs on the agent thread: one client, requests from the UI, the
// callbacks' events, and the messages the agent's own objects may need.
class CAgentLoop {
 public:
  explicit CAgentLoop(std::shared_ptr<TAgentThreadState> state)
      : state_(std::move(state)), client_(state_->catalogueUrl) {
    client_.SetReportSink([this](TAgentReport report) { state_->PostReport(std::move(report)); });
  }

  ~CAgentLoop() {
    client_.SetReportSink(nullptr);
    client_.CleanUpJobs();
    PublishJobState();
  }

  void Run() {
    for (;;) {
      WaitForWork();
      if (!DispatchMessages()) return;
      client_.ProcessCallbackEvents();
      for (TAgentRequest& request : state_->TakeRequests()) {
        if (!Handle(request)) return;
      }
      EnforceAbortDeadline();
      PublishJobState();
    }
  }

 private:
  void WaitForWork() {
    const HANDLE handles[] = {state_->wake.get(), client_.CallbackSignal()};
    DWORD timeout = INFINITE;
    if (abortDeadline_ != 0) {
      const LONGLONG left = static_cast<LONGLONG>(abortDeadline_ - GetTickCount64());
      timeout = left > 0 ? static_cast<DWORD>(left) : 0;
    }
    MsgWaitForMultipleObjectsEx(2, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }

  // False once the thread was told to quit through its queue.
  static bool DispatchMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return false;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return true;
  }

  bool Handle(TAgentRequest& request) {
    switch (request.kind) {
      case TAgentRequest::Kind::kScan:
        Scan();
        return true;
      case TAgentRequest::Kind::kInstall:
        if (const HRESULT hr = client_.StartInstallation(request.chosenIds); FAILED(hr)) {
          LogLine(L"installation could not start: %s", DescribeHresult(hr).c_str());
          state_->PostReport(TInstallationEnded{false, hr, {}});
        }
        return true;
      case TAgentRequest::Kind::kEndJobs:
        EndJobs(request.abort, request.graceMs);
        return true;
      case TAgentRequest::Kind::kQuit:
        return false;
    }
    return true;
  }

  // The entries are read here, where the search result lives; a search that
  // fails keeps the previous result, and so its entries.
  void Scan() {
    LONG count = 0;
    const HRESULT searched = client_.RunSearch(count);
    std::vector<UpdateEntry> entries;
    const HRESULT collected = client_.CollectUpdates(entries);
    if (SUCCEEDED(searched)) {
      LogLine(L"scan: %d updates missing, %d listed", count, static_cast<int>(entries.size()));
    } else {
      LogLine(L"scan: the search failed, %s", DescribeHresult(searched).c_str());
    }
    {
      std::lock_guard<std::mutex> lock(state_->mutex);
      state_->entries = std::move(entries);
      state_->collected = collected;
    }
    state_->scanning = false;
    state_->PostToWindow(WM_SCAN_FINISHED);
  }

  void EndJobs(bool abort, DWORD graceMs) {
    if (!client_.JobRunning()) return;
    if (abort) {
      LogLine(L"the running job is asked to stop");
      client_.RequestAbort();
    }
    abortDeadline_ = GetTickCount64() + graceMs;
  }

  // A job that does not complete in time is cleaned up anyway.
  void EnforceAbortDeadline() {
    if (abortDeadline_ == 0) return;
    if (client_.JobRunning() && GetTickCount64() < abortDeadline_) return;
    if (client_.JobRunning()) LogLine(L"the job did not end in time and is cleaned up");
    client_.CleanUpJobs();
    abortDeadline_ = 0;
  }

  // An installation asked for but not yet begun counts as running.
  void PublishJobState() {
    const bool running = client_.JobRunning() || state_->InstallationAsked();
    state_->jobRunning = running;
    if (running) {
      ResetEvent(state_->idle.get());
    } else {
      SetEvent(state_->idle.get());
    }
  }

  const std::shared_ptr<TAgentThreadState> state_;
  UpdateAgentClient client_;
  ULONGLONG abortDeadline_ = 0;
};

// Top-level windows and message-only ones, which the thread enumeration
// leaves out.
bool ThreadHasWindows() {
  const DWORD thread = GetCurrentThreadId();
  bool found = false;
  EnumThreadWindows(
      thread,
      [](HWND, LPARAM data) WINAPI -> BOOL {
        *reinterpret_cast<bool*>(data) = true;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr);
       window != nullptr && !found;
       window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
    found = GetWindowThreadProcessId(window, nullptr) == thread;
  }
  return found;
}

// An agent that calls back on this thread may still hold windows here to
// finish jobs that were cleaned up; they need the thread's messages to go.
void LetTheAgentFinish() {
  const ULONGLONG deadline = GetTickCount64() + kAgentFinishMs;
  while (ThreadHasWindows() && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

DWORD WINAPI AgentThreadMain(LPVOID parameter) {
  std::unique_ptr<std::shared_ptr<TAgentThreadState>> handed(
      static_cast<std::shared_ptr<TAgentThreadState>*>(parameter));
  try {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::wstring agentVersion;
    if (ReadInstalledAgentVersion(agentVersion)) {
      LogLine(L"update agent %s", agentVersion.c_str());
    } else {
      LogLine(L"update agent: version unreadable");
    }
    {
      CAgentLoop loop(*handed);
      loop.Run();
    }
    LetTheAgentFinish();
    if (SUCCEEDED(init)) CoUninitialize();
  } catch (...) {
  }
  return 0;
}

// Dispatches the calling thread's messages until `done` is signalled or the
// time is up; a quit message met on the way is posted again for the loop
// that waits for it.
bool PumpUntilSignalled(HANDLE done, DWORD boundMs) {
  const ULONGLONG deadline = GetTickCount64() + boundMs;
  int quitCode = 0;
  bool quitSeen = false;
  bool signalled = false;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    const DWORD woken =
        MsgWaitForMultipleObjectsEx(1, &done, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0) {
      signalled = true;
      break;
    }
    if (woken != WAIT_OBJECT_0 + 1) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quitSeen = true;
        quitCode = static_cast<int>(message.wParam);
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (quitSeen) PostQuitMessage(quitCode);
  return signalled;
}

}  // namespace

CUpdateAgentThread::CUpdateAgentThread(std::string catalogueUrl)
    : state_(std::make_shared<TAgentThreadState>(std::move(catalogueUrl))) {}

// Started by the first request rather than with the window: its apartment
// and the agent's version cost the window's start as much as the window
// itself, and a program closed without a scan needs neither.
bool CUpdateAgentThread::EnsureThread() {
  if (thread_) return true;
  auto* handed = new std::shared_ptr<TAgentThreadState>(state_);
  thread_.reset(CreateThread(nullptr, 0, AgentThreadMain, handed, 0, nullptr));
  if (!thread_) delete handed;
  return static_cast<bool>(thread_);
}

CUpdateAgentThread::~CUpdateAgentThread() {
  state_->window = nullptr;
  if (!thread_) return;
  if (!Post(TAgentRequest{TAgentRequest::Kind::kQuit, {}, false, 0})) return;
  if (ScanRunning()) return;
  WaitForSingleObject(thread_.get(), kJoinMs);
}

void CUpdateAgentThread::SetNotifyWindow(HWND window) {
  state_->window = window;
}

bool CUpdateAgentThread::Post(TAgentRequest request) {
  if (!EnsureThread() || WaitForSingleObject(thread_.get(), 0) != WAIT_TIMEOUT) return false;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->requests.push_back(std::move(request));
  }
  return SetEvent(state_->wake.get()) != FALSE;
}

bool CUpdateAgentThread::StartScan() {
  state_->scanning = true;
  if (Post(TAgentRequest{TAgentRequest::Kind::kScan, {}, false, 0})) return true;
  state_->scanning = false;
  return false;
}

HRESULT CUpdateAgentThread::CollectUpdates(std::vector<UpdateEntry>& entries) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  entries = state_->entries;
  return state_->collected;
}

bool CUpdateAgentThread::StartInstallation(std::vector<std::wstring> chosenIds) {
  state_->jobRunning = true;
  ResetEvent(state_->idle.get());
  if (Post(TAgentRequest{TAgentRequest::Kind::kInstall, std::move(chosenIds), false, 0}))
    return true;
  state_->jobRunning = false;
  SetEvent(state_->idle.get());
  return false;
}

std::vector<TAgentReport> CUpdateAgentThread::TakeReports() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  std::vector<TAgentReport> taken(std::make_move_iterator(state_->reports.begin()),
                                  std::make_move_iterator(state_->reports.end()));
  state_->reports.clear();
  return taken;
}

bool CUpdateAgentThread::ScanRunning() const {
  return state_->scanning;
}

bool CUpdateAgentThread::JobRunning() const {
  return state_->jobRunning;
}

bool CUpdateAgentThread::AbortAndWait(DWORD boundMs) {
  return EndJobs(true, boundMs);
}

bool CUpdateAgentThread::WaitForJobs(DWORD boundMs) {
  return EndJobs(false, boundMs);
}

// The agent thread cleans up a little before the bound, so that its
// clean-up, not the caller's patience, ends a job that never completes.
bool CUpdateAgentThread::EndJobs(bool abort, DWORD boundMs) {
  if (!JobRunning()) return true;
  const DWORD graceMs = boundMs - boundMs / 10;
  if (!Post(TAgentRequest{TAgentRequest::Kind::kEndJobs, {}, abort, graceMs})) {
    return !JobRunning();
  }
  return PumpUntilSignalled(state_->idle.get(), boundMs);
}

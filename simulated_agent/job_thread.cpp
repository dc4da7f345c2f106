#include "simulated_agent/job_thread.h"

#include <objbase.h>

#include "platform/unique_handle.h"

namespace simulated_agent {

CJobThread::CJobThread(IUnknown* keepAlive, IPacedJob* job, UINT paceMs, HANDLE wake)
    : keepAlive_(keepAlive), job_(job), paceMs_(paceMs), wake_(wake) {
  CountObjectCreated();
}

CJobThread::~CJobThread() {
  CountObjectDestroyed();
}

HRESULT CJobThread::Launch(IUnknown* keepAlive, IPacedJob* job, UINT paceMs, HANDLE wake,
                           std::atomic<DWORD>& threadId) {
  if (!keepAlive || !job || !wake) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    auto* self = new CJobThread(keepAlive, job, paceMs, wake);
    DWORD id = 0;
    UniqueHandle thread(CreateThread(nullptr, 0, &CJobThread::Main, self, CREATE_SUSPENDED, &id));
    if (!thread) {
      const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
      delete self;
      return FAILED(hr) ? hr : E_FAIL;
    }
    threadId = id;
    ResumeThread(thread.get());
    return S_OK;
  });
}

DWORD WINAPI CJobThread::Main(LPVOID parameter) {
  auto* self = static_cast<CJobThread*>(parameter);
  const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  try {
    self->Loop();
  } catch (...) {
  }
  // The job, and what only it still holds, go in this apartment before it
  // closes.
  self->keepAlive_.Reset();
  if (SUCCEEDED(init)) CoUninitialize();
  StopWatchingThisThread();
  delete self;
  return 0;
}

void CJobThread::Loop() {
  MSG message;
  // The queue must exist before the timer can post to it.
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  const UINT_PTR timer = SetTimer(nullptr, 0, paceMs_, nullptr);
  // Without a timer, the wait's time-out keeps the pace instead.
  const DWORD waitMs = timer ? INFINITE : paceMs_;
  bool running = true;
  while (running) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &wake_, FALSE, waitMs, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_TIMEOUT || woke == WAIT_FAILED) {
      running = job_->Step();
      if (woke == WAIT_FAILED && running) Sleep(paceMs_ > 0 ? paceMs_ : 1);
      continue;
    }
    running = DispatchMessages(timer);
  }
  if (timer) KillTimer(nullptr, timer);
}

// A callback may leave timers or windows of its own on this thread; their
// messages are dispatched like any message loop's.
bool CJobThread::DispatchMessages(UINT_PTR timer) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_TIMER && !message.hwnd && message.wParam == timer) {
      if (!job_->Step()) return false;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

}  // namespace simulated_agent

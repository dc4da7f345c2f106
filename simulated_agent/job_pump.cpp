#include "simulated_agent/job_pump.h"

namespace simulated_agent {

namespace {

const wchar_t kPumpClassName[] = L"PatchwellSimulatedAgentJobs";

thread_local CJobPump* t_pump = nullptr;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

bool RegisterPumpClass(HINSTANCE module, WNDPROC procedure) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kPumpClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

CJobPump::CJobPump() {
  CountObjectCreated();
}

CJobPump::~CJobPump() {
  CountObjectDestroyed();
}

HRESULT CJobPump::Schedule(IUnknown* keepAlive, IPacedJob* job, UINT paceMs) {
  if (!keepAlive || !job) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    CJobPump* pump = ForThisThread();
    if (!pump) return HRESULT_FROM_WIN32(GetLastError());
    return pump->Add(keepAlive, job, paceMs);
  });
}

CJobPump* CJobPump::ForThisThread() {
  if (t_pump) return t_pump;
  auto* pump = new CJobPump();
  if (FAILED(pump->CreateWindowForThread())) {
    const DWORD error = GetLastError();
    delete pump;
    SetLastError(error ? error : ERROR_OUTOFMEMORY);
    return nullptr;
  }
  t_pump = pump;
  return pump;
}

HRESULT CJobPump::CreateWindowForThread() {
  const HINSTANCE module = ThisModule();
  if (!RegisterPumpClass(module, &CJobPump::WindowProc)) return HRESULT_FROM_WIN32(GetLastError());
  window_ = CreateWindowExW(0, kPumpClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module,
                            nullptr);
  if (!window_) return HRESULT_FROM_WIN32(GetLastError());
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return S_OK;
}

HRESULT CJobPump::Add(IUnknown* keepAlive, IPacedJob* job, UINT paceMs) {
  const UINT_PTR timerId = nextTimerId_++;
  jobs_[timerId] = TEntry{keepAlive, job};
  if (!SetTimer(window_, timerId, paceMs, nullptr)) {
    const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    jobs_.erase(timerId);
    DestroyWhenIdle();
    return FAILED(hr) ? hr : E_FAIL;
  }
  return S_OK;
}

void CJobPump::OnTimer(UINT_PTR timerId) {
  auto found = jobs_.find(timerId);
  if (found == jobs_.end()) {
    KillTimer(window_, timerId);
    return;
  }
  const TEntry entry = found->second;
  ++dispatchDepth_;
  const bool more = entry.job->Step();
  --dispatchDepth_;
  if (!more) {
    KillTimer(window_, timerId);
    jobs_.erase(timerId);
  }
}

void CJobPump::DestroyWhenIdle() {
  if (dispatchDepth_ > 0 || !jobs_.empty()) return;
  // WM_NCDESTROY deletes the pump.
  DestroyWindow(window_);
}

LRESULT CALLBACK CJobPump::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* pump = reinterpret_cast<CJobPump*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    if (pump && message == WM_TIMER) {
      pump->OnTimer(static_cast<UINT_PTR>(wParam));
      pump->DestroyWhenIdle();
      return 0;
    }
    if (pump && message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      if (t_pump == pump) t_pump = nullptr;
      delete pump;
      return 0;
    }
  } catch (...) {
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace simulated_agent

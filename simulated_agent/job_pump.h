#pragma once
// Drives running jobs from the message loop of the thread that began them
// (the catalogue's "starting" callback thread): a hidden message-only window
// per thread whose timers step each job, so every callback arrives on that
// thread between its messages and never inside the call that began the job.

#include "simulated_agent/dispatch_object.h"

#include <map>

namespace simulated_agent {

class IPacedJob {
 public:
  // One step of the job; false once it has finished and needs no more steps.
  virtual bool Step() = 0;

 protected:
  ~IPacedJob() = default;
};

class CJobPump {
 public:
  // Steps `job` every `paceMs` milliseconds on the calling thread, keeping
  // `keepAlive` (the job's own COM identity) referenced until it finishes.
  static HRESULT Schedule(IUnknown* keepAlive, IPacedJob* job, UINT paceMs);

  CJobPump(const CJobPump&) = delete;
  CJobPump& operator=(const CJobPump&) = delete;

 private:
  struct TEntry {
    ComPtr<IUnknown> keepAlive;
    IPacedJob* job = nullptr;
  };

  CJobPump();
  ~CJobPump();

  static CJobPump* ForThisThread();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HRESULT CreateWindowForThread();
  HRESULT Add(IUnknown* keepAlive, IPacedJob* job, UINT paceMs);
  void OnTimer(UINT_PTR timerId);
  void DestroyWhenIdle();

  HWND window_ = nullptr;
  std::map<UINT_PTR, TEntry> jobs_;
  UINT_PTR nextTimerId_ = 1;
  // Callbacks may run a nested message loop; the pump must outlive every
  // OnTimer still on the stack.
  int dispatchDepth_ = 0;
};

}  // namespace simulated_agent

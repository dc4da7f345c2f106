#pragma once
// Drives a running job from a thread of the agent's own: the thread joins the
// multithreaded apartment, steps the job on a timer of its own message loop
// at the catalogue's pace, and ends, leaving its apartment, once the job needs
// no more steps. It counts as a live object of the agent until it has ended.

#include "simulated_agent/job_pump.h"

#include <atomic>

namespace simulated_agent {

class CJobThread {
 public:
  // Steps `job` every `paceMs` milliseconds on a new thread, and at once when
  // `wake` is set. `keepAlive` (the job's COM identity) stays referenced until
  // the thread ends and is let go there. `threadId` is set before the first
  // step.
  static HRESULT Launch(IUnknown* keepAlive, IPacedJob* job, UINT paceMs, HANDLE wake,
                        std::atomic<DWORD>& threadId);

  CJobThread(const CJobThread&) = delete;
  CJobThread& operator=(const CJobThread&) = delete;

 private:
  CJobThread(IUnknown* keepAlive, IPacedJob* job, UINT paceMs, HANDLE wake);
  ~CJobThread();

  static DWORD WINAPI Main(LPVOID parameter);
  void Loop();
  // False once the job needs no more steps.
  bool DispatchMessages(UINT_PTR timer);

  ComPtr<IUnknown> keepAlive_;
  IPacedJob* const job_;
  const UINT paceMs_;
  const HANDLE wake_;
};

}  // namespace simulated_agent

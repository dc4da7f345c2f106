#pragma once
// The apartment rules of the simulated agent, as strict as an
// apartment-threaded server's proxies: each object belongs to the apartment
// of the thread that made it. A call from a thread in no apartment fails with
// CO_E_NOTINITIALIZED; once that apartment has been closed (the creating
// thread's final CoUninitialize), every call fails with RPC_E_DISCONNECTED;
// otherwise a call from another apartment fails with RPC_E_WRONG_THREAD. An
// object made in the multithreaded apartment serves every thread in it; it is
// closed when its creating thread leaves (stricter than the platform, which
// keeps it while any thread remains in that apartment).
//
// A thread that never initialised COM counts as outside every apartment, even
// while the process has a multithreaded apartment that the platform would
// lend it implicitly: the program must not lean on that.

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

namespace simulated_agent {

// One initialisation of a thread's apartment, from its first object to the
// thread's final CoUninitialize.
struct TApartment {
  TApartment(bool isMultithreaded, DWORD threadId)
      : multithreaded(isMultithreaded), thread(threadId) {}

  const bool multithreaded;
  const DWORD thread;
  std::atomic<bool> closed{false};
};

using ApartmentRef = std::shared_ptr<const TApartment>;

// The calling thread's apartment, watched from now on so that its closing is
// seen; null when the thread is in no apartment of its own.
ApartmentRef CurrentApartment();

// CO_E_NOTINITIALIZED when the calling thread is in no apartment, else S_OK.
HRESULT CallerInitialised();

// Agent threads stop the watch before they end, after their CoUninitialize.
void StopWatchingThisThread();

class CApartmentBound;

// While a callback runs on a thread of the agent, the objects the callback
// reaches through its job may be used from that thread, as the platform's
// marshalled proxies could be. The grant ends with the scope.
class CCallbackGrant {
 public:
  explicit CCallbackGrant(const std::vector<const CApartmentBound*>& objects);
  ~CCallbackGrant();
  CCallbackGrant(const CCallbackGrant&) = delete;
  CCallbackGrant& operator=(const CCallbackGrant&) = delete;

  static bool Covers(const CApartmentBound* object);

 private:
  const std::vector<const CApartmentBound*>& objects_;
  const CCallbackGrant* outer_;
};

// The part of every agent object that knows its apartment.
class CApartmentBound {
 public:
  // S_OK when the calling thread may call the object, else the refusal.
  HRESULT ApartmentRefusal() const;
  // What a method the agent does not implement answers a permitted caller.
  HRESULT NotImplemented() const;

 protected:
  CApartmentBound() : apartment_(CurrentApartment()) {}
  ~CApartmentBound() = default;

 private:
  const ApartmentRef apartment_;
};

}  // namespace simulated_agent

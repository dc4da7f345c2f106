#include "simulated_agent/apartment.h"

#include <objbase.h>

#include <algorithm>
#include <new>

#include "agent_seam/com_object.h"

namespace simulated_agent {

namespace {

enum class CallerKind { kNone, kSingleThreaded, kMultithreaded };

// The implicit multithreaded apartment of a thread that never initialised COM
// is not an apartment of its own (see the header).
CallerKind CallerApartmentKind() {
  APTTYPE type = APTTYPE_CURRENT;
  APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
  if (FAILED(CoGetApartmentType(&type, &qualifier))) return CallerKind::kNone;
  if (qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA) return CallerKind::kNone;
  if (type == APTTYPE_STA || type == APTTYPE_MAINSTA) return CallerKind::kSingleThreaded;
  if (type == APTTYPE_MTA) return CallerKind::kMultithreaded;
  return CallerKind::kNone;
}

// Sees the final CoUninitialize of one thread and closes the apartment record
// its objects hold. Registered once per thread; COM keeps it until the thread
// ends or the agent revokes it.
class CApartmentSpy final : public CComObject<CApartmentSpy, IInitializeSpy> {
 public:
  CApartmentSpy() : CComObject(1) {}

  STDMETHODIMP PreInitialize(DWORD, DWORD) override { return S_OK; }
  STDMETHODIMP PostInitialize(HRESULT result, DWORD, DWORD) override { return result; }
  STDMETHODIMP PreUninitialize(DWORD) override { return S_OK; }
  // The count alone is trusted only together with the thread's state, which
  // cannot be miscounted.
  STDMETHODIMP PostUninitialize(DWORD remaining) override {
    if (remaining == 0 || CallerApartmentKind() == CallerKind::kNone) Close();
    return S_OK;
  }

  ApartmentRef Current(bool multithreaded) {
    if (current_ && current_->multithreaded != multithreaded) Close();
    if (!current_) current_ = std::make_shared<TApartment>(multithreaded, GetCurrentThreadId());
    return current_;
  }
  const TApartment* Open() const { return current_.get(); }

  ULARGE_INTEGER cookie = {};

 private:
  ~CApartmentSpy() { Close(); }

  // Thread exit without CoUninitialize ends up here too, when COM lets go.
  void Close() {
    if (!current_) return;
    current_->closed = true;
    current_.reset();
  }

  friend class CComObject<CApartmentSpy, IInitializeSpy>;

  std::shared_ptr<TApartment> current_;
};

// Owned by COM's registration; the pointer is valid while the thread lives.
thread_local CApartmentSpy* t_spy = nullptr;
thread_local const CCallbackGrant* t_grant = nullptr;

CApartmentSpy* SpyForThisThread() {
  if (t_spy) return t_spy;
  auto* spy = new (std::nothrow) CApartmentSpy();
  if (!spy) return nullptr;
  const HRESULT hr = CoRegisterInitializeSpy(spy, &spy->cookie);
  if (SUCCEEDED(hr)) t_spy = spy;
  spy->Release();
  return t_spy;
}

}  // namespace

ApartmentRef CurrentApartment() {
  const CallerKind kind = CallerApartmentKind();
  if (kind == CallerKind::kNone) return nullptr;
  const bool multithreaded = kind == CallerKind::kMultithreaded;
  try {
    if (CApartmentSpy* spy = SpyForThisThread()) return spy->Current(multithreaded);
    // Unwatched: its closing goes unseen, but the thread rules still hold.
    return std::make_shared<TApartment>(multithreaded, GetCurrentThreadId());
  } catch (...) {
    return nullptr;
  }
}

HRESULT CallerInitialised() {
  return CallerApartmentKind() == CallerKind::kNone ? CO_E_NOTINITIALIZED : S_OK;
}

void StopWatchingThisThread() {
  CApartmentSpy* spy = t_spy;
  if (!spy) return;
  t_spy = nullptr;
  CoRevokeInitializeSpy(spy->cookie);
}

CCallbackGrant::CCallbackGrant(const std::vector<const CApartmentBound*>& objects)
    : objects_(objects), outer_(t_grant) {
  t_grant = this;
}

CCallbackGrant::~CCallbackGrant() {
  t_grant = outer_;
}

bool CCallbackGrant::Covers(const CApartmentBound* object) {
  for (const CCallbackGrant* grant = t_grant; grant; grant = grant->outer_) {
    const auto& objects = grant->objects_;
    if (std::find(objects.begin(), objects.end(), object) != objects.end()) return true;
  }
  return false;
}

HRESULT CApartmentBound::ApartmentRefusal() const {
  // The common case, a call from the object's own open apartment, costs a
  // thread-local read.
  if (apartment_ && t_spy && t_spy->Open() == apartment_.get()) return S_OK;
  const CallerKind caller = CallerApartmentKind();
  if (caller == CallerKind::kNone) return CO_E_NOTINITIALIZED;
  if (CCallbackGrant::Covers(this)) return S_OK;
  if (!apartment_ || apartment_->closed) return RPC_E_DISCONNECTED;
  if (apartment_->multithreaded) {
    return caller == CallerKind::kMultithreaded ? S_OK : RPC_E_WRONG_THREAD;
  }
  // Reached only for a thread whose apartment is not watched.
  return apartment_->thread == GetCurrentThreadId() && caller == CallerKind::kSingleThreaded
             ? S_OK
             : RPC_E_WRONG_THREAD;
}

HRESULT CApartmentBound::NotImplemented() const {
  const HRESULT refused = ApartmentRefusal();
  return FAILED(refused) ? refused : E_NOTIMPL;
}

}  // namespace simulated_agent

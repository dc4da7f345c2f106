#pragma once
// The base of every object of the simulated agent: the COM plumbing of
// agent_seam/com_object.h under the apartment rules. Each object belongs to
// the apartment that made it (apartment.h): every method but AddRef and
// Release begins with
//
//   if (const HRESULT refused = ApartmentRefusal()) return refused;

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>
#include <wuerror.h>

#include "agent_seam/com_object.h"
#include "simulated_agent/apartment.h"
#include "simulated_agent/catalogue.h"

#include <new>
#include <utility>

namespace simulated_agent {

using Microsoft::WRL::ComPtr;

// Live objects of the agent (COM objects, job pumps and job threads), so tests
// can see that every reference was given back and every thread has ended.
void CountObjectCreated();
void CountObjectDestroyed();
LONG LiveObjectCount();

// COM methods must not let an exception escape.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// A COM object with one automation interface. IsPrivateId names the object's
// own private id: asking for it hands out the object itself, which is how the
// agent recognises objects it made among interfaces given back to it.
template <typename Interface>
class CDispatchObject : public CDispatchComObject<CDispatchObject<Interface>, Interface>,
                        public CApartmentBound {
 public:
  HRESULT QueryRefusal() const { return ApartmentRefusal(); }
  bool AnswersPrivateId(REFIID iid) const { return IsPrivateId(iid); }
  using CApartmentBound::NotImplemented;

 protected:
  // Made holding the reference its maker hands on (MakeObject).
  CDispatchObject() : CDispatchComObject<CDispatchObject<Interface>, Interface>(1) {
    CountObjectCreated();
  }
  virtual ~CDispatchObject() { CountObjectDestroyed(); }
  virtual bool IsPrivateId(REFIID) const { return false; }

 private:
  friend class CComObject<CDispatchObject<Interface>, Interface>;
};

// Takes over a reference already counted. (The toolchain's ComPtr::Attach
// adds a reference of its own, so it cannot be used for this.)
template <typename T>
void Adopt(ComPtr<T>& owner, T* counted) {
  *owner.ReleaseAndGetAddressOf() = counted;
}

// Creates an object holding its first reference; null when memory ran out.
template <typename T, typename... Args>
ComPtr<T> MakeObject(Args&&... args) {
  ComPtr<T> object;
  Adopt(object, new (std::nothrow) T(std::forward<Args>(args)...));
  return object;
}

// Hands a reference out through an out-parameter.
template <typename Interface, typename T>
HRESULT HandOut(const ComPtr<T>& object, Interface** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!object) return E_OUTOFMEMORY;
  *out = object.Get();
  (*out)->AddRef();
  return S_OK;
}

// Hands out nothing, successfully, as a read that misbehaves does.
template <typename Interface>
HRESULT HandOutNothing(Interface** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return S_OK;
}

// Whether a read of a string or an object misbehaves; answer is then E_FAIL,
// or S_OK with nothing handed out.
template <typename Out>
bool Misbehaves(SimulatedFault fault, Out** out, HRESULT& answer) {
  if (fault == SimulatedFault::kNone) return false;
  answer = fault == SimulatedFault::kFails ? E_FAIL : HandOutNothing(out);
  return true;
}

// The refusals of the apartment rules, which a caller passes on as they are.
inline bool IsApartmentRefusal(HRESULT hr) {
  return hr == CO_E_NOTINITIALIZED || hr == RPC_E_WRONG_THREAD || hr == RPC_E_DISCONNECTED;
}

// Recovers the agent's own object behind an interface. Asking goes through the
// object's apartment rules, as a call of the server's would: an object of
// another apartment yields its refusal; a foreign object S_FALSE and null.
template <typename T, typename Interface>
HRESULT FindOwnObject(Interface* candidate, REFIID privateId, ComPtr<T>& own) {
  own.Reset();
  if (!candidate) return S_FALSE;
  Interface* self = nullptr;
  const HRESULT hr = candidate->QueryInterface(privateId, reinterpret_cast<void**>(&self));
  if (IsApartmentRefusal(hr)) return hr;
  if (FAILED(hr) || !self) return S_FALSE;
  Adopt(own, static_cast<T*>(self));
  return S_OK;
}

HRESULT CopyBstr(const wchar_t* text, BSTR* out);
HRESULT CopyDecimal(ULONGLONG value, DECIMAL* out);

}  // namespace simulated_agent

#pragma once
// Reference counting, QueryInterface and the unused IDispatch part shared by
// every object of the simulated agent. Each object belongs to the apartment
// that made it (apartment.h): every method but AddRef and Release begins with
//
//   if (const HRESULT refused = ApartmentRefusal()) return refused;

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>
#include <wuerror.h>

#include "updates/simulated/apartment.h"

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

// A COM object with one automation interface. `Self` is the object's own
// private id: asking for it hands out the object itself, which is how the
// agent recognises objects it made among interfaces given back to it.
template <typename Interface>
class CDispatchObject : public Interface, public CApartmentBound {
 public:
  CDispatchObject(const CDispatchObject&) = delete;
  CDispatchObject& operator=(const CDispatchObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (const HRESULT refused = ApartmentRefusal()) return refused;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface) ||
        IsPrivateId(iid)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  STDMETHODIMP GetTypeInfoCount(UINT*) override { return NotImplemented(); }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return NotImplemented(); }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return NotImplemented();
  }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return NotImplemented();
  }

 protected:
  CDispatchObject() { CountObjectCreated(); }
  virtual ~CDispatchObject() { CountObjectDestroyed(); }
  virtual bool IsPrivateId(REFIID) const { return false; }

 private:
  LONG refs_ = 1;
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

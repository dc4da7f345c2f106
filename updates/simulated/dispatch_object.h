#pragma once
// Reference counting, QueryInterface and the unused IDispatch part shared by
// every object of the simulated agent. The objects are free of thread affinity:
// a session made on a scan worker is used from the UI thread as it is.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>
#include <wuerror.h>

#include <new>
#include <utility>

namespace simulated_agent {

using Microsoft::WRL::ComPtr;

// Live objects of the agent (COM objects and job pumps), so tests can see that
// every reference was given back.
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
class CDispatchObject : public Interface {
 public:
  CDispatchObject(const CDispatchObject&) = delete;
  CDispatchObject& operator=(const CDispatchObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
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

  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
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

// Recovers the agent's own object behind an interface, or null for foreign ones.
template <typename T, typename Interface>
ComPtr<T> OwnObject(Interface* candidate, REFIID privateId) {
  ComPtr<T> own;
  if (!candidate) return own;
  Interface* self = nullptr;
  if (FAILED(candidate->QueryInterface(privateId, reinterpret_cast<void**>(&self)))) return own;
  Adopt(own, static_cast<T*>(self));
  return own;
}

HRESULT CopyBstr(const wchar_t* text, BSTR* out);
HRESULT CopyDecimal(ULONGLONG value, DECIMAL* out);

}  // namespace simulated_agent

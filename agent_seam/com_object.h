#pragma once
// The COM plumbing of the objects the program and the simulated agent make
// themselves: an interlocked reference count, QueryInterface for IUnknown and
// the object's own interface (and IDispatch when that interface is an
// automation one), and, for automation interfaces, the IDispatch part nobody
// calls. Derived is the class deleted with the last reference; without a
// virtual destructor the vtable is exactly the interface's.
//
// Derived may hide these, found through Derived at compile time:
//   HRESULT QueryRefusal() const          answered by QueryInterface first (S_OK: none)
//   bool AnswersPrivateId(REFIID) const   an id of its own that hands out the object
//   HRESULT NotImplemented() const        what the IDispatch methods answer

#include <windows.h>
#include <oaidl.h>

#include <type_traits>

template <class Derived, class Interface>
class CComObject : public Interface {
 public:
  CComObject(const CComObject&) = delete;
  CComObject& operator=(const CComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    const Derived& self = static_cast<const Derived&>(*this);
    if (const HRESULT refused = self.QueryRefusal()) return refused;
    if (!IsOwnInterface(iid) && !self.AnswersPrivateId(iid)) return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }

  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete static_cast<Derived*>(this);
    return static_cast<ULONG>(left);
  }

  HRESULT QueryRefusal() const { return S_OK; }
  bool AnswersPrivateId(REFIID) const { return false; }

 protected:
  // 0 for an object a smart pointer takes over at once; 1 for one whose
  // maker hands on the reference it was created with.
  explicit CComObject(LONG initialReferences = 0) : references_(initialReferences) {}
  ~CComObject() = default;
  // The references held at this moment; another thread may change it at once.
  LONG References() const { return InterlockedCompareExchange(&references_, 0, 0); }

 private:
  static bool IsOwnInterface(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) return true;
    return std::is_base_of<IDispatch, Interface>::value && IsEqualIID(iid, IID_IDispatch);
  }

  mutable LONG references_;
};

template <class Derived, class Interface>
class CDispatchComObject : public CComObject<Derived, Interface> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Self().NotImplemented(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
    return Self().NotImplemented();
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return Self().NotImplemented();
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return Self().NotImplemented();
  }

  HRESULT NotImplemented() const { return E_NOTIMPL; }

 protected:
  using CComObject<Derived, Interface>::CComObject;
  ~CDispatchComObject() = default;

 private:
  const Derived& Self() const { return static_cast<const Derived&>(*this); }
};

#pragma once
// Reference counting and interface lookup shared by the four callback objects
// the agent calls. The vtable is exactly that of the callback interface
// (QueryInterface, AddRef, Release, Invoke): no virtual destructor, the
// object deletes itself as its final class.

#include "agent_seam/agent_interfaces.h"

template <class Derived, class Interface>
class AgentCallback : public Interface {
 public:
  AgentCallback(const AgentCallback&) = delete;
  AgentCallback& operator=(const AgentCallback&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refCount_));
  }

  ULONG STDMETHODCALLTYPE Release() override {
    const LONG count = InterlockedDecrement(&refCount_);
    if (count == 0) delete static_cast<Derived*>(this);
    return static_cast<ULONG>(count);
  }

 protected:
  AgentCallback() = default;
  ~AgentCallback() = default;

 private:
  LONG refCount_ = 0;
};

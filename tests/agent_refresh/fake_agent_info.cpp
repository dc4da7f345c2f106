#include "tests/agent_refresh/fake_agent_info.h"

class FakeAgentInfo final : public IWindowsUpdateAgentInfo {
 public:
  explicit FakeAgentInfo(FakeAgentFactory* owner) : owner_(owner) { ++owner_->liveObjects_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IWindowsUpdateAgentInfo)
      return E_NOINTERFACE;
    *out = static_cast<IWindowsUpdateAgentInfo*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) {
      --owner_->liveObjects_;
      delete this;
    }
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE GetInfo(VARIANT identifier, VARIANT* result) override {
    ++owner_->getInfoCalls_;
    if (!result) return E_POINTER;
    if (identifier.vt != VT_BSTR || !identifier.bstrVal ||
        std::wstring(identifier.bstrVal) != L"ProductVersionString")
      return E_INVALIDARG;
    switch (owner_->behaviour_) {
      case AgentInfoBehaviour::GetInfoFails:
        return E_FAIL;
      case AgentInfoBehaviour::GetInfoGivesNumber:
        result->vt = VT_I4;
        result->lVal = 7;
        return S_OK;
      default:
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(owner_->version_.c_str());
        return S_OK;
    }
  }

 private:
  FakeAgentFactory* owner_;
  ULONG references_ = 1;
};

FakeAgentFactory::FakeAgentFactory() {
  SetUpdateAgentFactory(this);
}

FakeAgentFactory::~FakeAgentFactory() {
  SetUpdateAgentFactory(nullptr);
}

HRESULT FakeAgentFactory::CreateUpdateSession(IUpdateSession** session) {
  if (session) *session = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeAgentFactory::CreateUpdateCollection(IUpdateCollection** collection) {
  if (collection) *collection = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeAgentFactory::CreateAgentInfo(IWindowsUpdateAgentInfo** info) {
  if (onCreateAgentInfo) onCreateAgentInfo();
  if (!info) return E_POINTER;
  *info = nullptr;
  switch (behaviour_) {
    case AgentInfoBehaviour::CreationFails:
      return REGDB_E_CLASSNOTREG;
    case AgentInfoBehaviour::CreationGivesNothing:
      return S_OK;
    default:
      *info = new FakeAgentInfo(this);
      return S_OK;
  }
}

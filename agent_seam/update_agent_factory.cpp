#include "agent_seam/update_agent_factory.h"

namespace {

class SystemUpdateAgentFactory final : public IUpdateAgentFactory {
 public:
  HRESULT CreateUpdateSession(IUpdateSession** session) override {
    return Create(CLSID_UpdateSession, IID_IUpdateSession, session);
  }
  HRESULT CreateUpdateCollection(IUpdateCollection** collection) override {
    return Create(CLSID_UpdateCollection, IID_IUpdateCollection, collection);
  }
  HRESULT CreateAgentInfo(IWindowsUpdateAgentInfo** info) override {
    return Create(CLSID_WindowsUpdateAgentInfo, IID_IWindowsUpdateAgentInfo, info);
  }

 private:
  template <typename T>
  static HRESULT Create(REFCLSID clsid, REFIID iid, T** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_ALL, iid, reinterpret_cast<void**>(out));
  }
};

SystemUpdateAgentFactory g_systemFactory;
IUpdateAgentFactory* g_factory = &g_systemFactory;

}  // namespace

IUpdateAgentFactory& UpdateAgentFactory() {
  return *g_factory;
}

void SetUpdateAgentFactory(IUpdateAgentFactory* replacement) {
  g_factory = replacement ? replacement : &g_systemFactory;
}

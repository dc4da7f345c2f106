#include "simulated_agent/dispatch_object.h"

#include "simulated_agent/simulated_agent_factory.h"

namespace simulated_agent {

namespace {
LONG g_liveObjects = 0;
}  // namespace

void CountObjectCreated() {
  InterlockedIncrement(&g_liveObjects);
}

void CountObjectDestroyed() {
  InterlockedDecrement(&g_liveObjects);
}

LONG LiveObjectCount() {
  return InterlockedCompareExchange(&g_liveObjects, 0, 0);
}

HRESULT CopyBstr(const wchar_t* text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocString(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CopyDecimal(ULONGLONG value, DECIMAL* out) {
  if (!out) return E_POINTER;
  DECIMAL_SETZERO(*out);
  out->Lo64 = value;
  return S_OK;
}

}  // namespace simulated_agent

LONG SimulatedAgentLiveObjects() {
  return simulated_agent::LiveObjectCount();
}

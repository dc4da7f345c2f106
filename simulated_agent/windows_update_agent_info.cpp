#include "simulated_agent/windows_update_agent_info.h"

namespace simulated_agent {

namespace {

const wchar_t kProductVersionString[] = L"ProductVersionString";
const wchar_t kApiMajorVersion[] = L"ApiMajorVersion";
const wchar_t kApiMinorVersion[] = L"ApiMinorVersion";
const LONG kApiMajor = 2;
const LONG kApiMinor = 0;

bool Names(const VARIANT& identifier, const wchar_t* name) {
  return identifier.vt == VT_BSTR && identifier.bstrVal &&
         SysStringLen(identifier.bstrVal) == wcslen(name) && wcscmp(identifier.bstrVal, name) == 0;
}

HRESULT LongAnswer(LONG value, VARIANT* retval) {
  retval->vt = VT_I4;
  retval->lVal = value;
  return S_OK;
}

}  // namespace

STDMETHODIMP CWindowsUpdateAgentInfo::GetInfo(VARIANT varInfoIdentifier, VARIANT* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  VariantInit(retval);
  const HRESULT failure = agent_->Failures().getInfo;
  if (FAILED(failure)) return agent_->Answer(L"GetInfo", failure);
  if (Names(varInfoIdentifier, kApiMajorVersion)) return LongAnswer(kApiMajor, retval);
  if (Names(varInfoIdentifier, kApiMinorVersion)) return LongAnswer(kApiMinor, retval);
  if (!Names(varInfoIdentifier, kProductVersionString)) return E_INVALIDARG;
  return agent_->Answer(L"GetInfo", ProductVersion(retval));
}

HRESULT CWindowsUpdateAgentInfo::ProductVersion(VARIANT* retval) const {
  if (agent_->ReadFaults().versionIsNumber) return LongAnswer(kApiMajor, retval);
  BSTR version = SysAllocString(agent_->Catalogue().agentVersion.c_str());
  if (!version) return E_OUTOFMEMORY;
  retval->vt = VT_BSTR;
  retval->bstrVal = version;
  return S_OK;
}

}  // namespace simulated_agent

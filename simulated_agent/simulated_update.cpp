#include "simulated_agent/simulated_update.h"

namespace simulated_agent {

namespace {
// Revision of every simulated update; the program only reads the id.
const LONG kRevisionNumber = 200;
}  // namespace

CSimulatedUpdate::CSimulatedUpdate(AgentState agent, TSimulatedUpdate record)
    : agent_(std::move(agent)), record_(std::move(record)), eulaAccepted_(!record_.eulaRequired) {}

HRESULT CSimulatedUpdate::CopyBool(bool value, VARIANT_BOOL* out) {
  if (!out) return E_POINTER;
  *out = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CSimulatedUpdate::get_Title(BSTR* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  HRESULT answer = S_OK;
  if (Misbehaves(ReadFault(kReadTitle), retval, answer)) return answer;
  return CopyBstr(record_.title.c_str(), retval);
}

STDMETHODIMP CSimulatedUpdate::get_AutoSelectOnWebSites(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (Fails(kReadAutoSelect)) return E_FAIL;
  return CopyBool(record_.autoSelect, retval);
}

STDMETHODIMP CSimulatedUpdate::get_Description(BSTR* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  HRESULT answer = S_OK;
  if (Misbehaves(ReadFault(kReadDescription), retval, answer)) return answer;
  return CopyBstr(record_.description.c_str(), retval);
}

STDMETHODIMP CSimulatedUpdate::get_Identity(IUpdateIdentity** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  HRESULT answer = S_OK;
  if (Misbehaves(ReadFault(kReadIdentity), retval, answer)) return answer;
  return Guarded([&] {
    return HandOut(MakeObject<CUpdateIdentity>(record_.updateId, ReadFault(kReadUpdateId)), retval);
  });
}

STDMETHODIMP CSimulatedUpdate::get_KBArticleIDs(IStringCollection** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  HRESULT answer = S_OK;
  if (Misbehaves(ReadFault(kReadKBArticleIDs), retval, answer)) return answer;
  return Guarded([&] {
    return HandOut(MakeObject<CStringCollection>(record_.kbArticleIds, ReadFault(kReadKBCount),
                                                 ReadFault(kReadKBItem)),
                   retval);
  });
}

STDMETHODIMP CSimulatedUpdate::get_MaxDownloadSize(DECIMAL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (Fails(kReadMaxDownloadSize)) return E_FAIL;
  return CopySize(retval);
}

STDMETHODIMP CSimulatedUpdate::get_MinDownloadSize(DECIMAL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (Fails(kReadMaxDownloadSize)) return E_FAIL;
  return CopySize(retval);
}

HRESULT CSimulatedUpdate::CopySize(DECIMAL* out) const {
  const HRESULT hr = CopyDecimal(record_.sizeBytes, out);
  if (SUCCEEDED(hr)) out->Hi32 = agent_->ReadFaults().sizeHighBits;
  return hr;
}

SimulatedFault CSimulatedUpdate::ReadFault(SimulatedRead read) const {
  if (Fails(read)) return SimulatedFault::kFails;
  if ((record_.emptyReads & read) != 0) return SimulatedFault::kEmpty;
  return SimulatedFault::kNone;
}

STDMETHODIMP CSimulatedUpdate::get_LastDeploymentChangeTime(DATE* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  if (Fails(kReadDeploymentDate)) return E_FAIL;
  *retval = record_.deployed;
  return S_OK;
}

STDMETHODIMP CSimulatedUpdate::AcceptEula() {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  const bool fails = Fails(kReadAcceptEula);
  if (!fails) eulaAccepted_ = true;
  return Guarded(
      [&] { return agent_->Answer(L"AcceptEula " + record_.updateId, fails ? E_FAIL : S_OK); });
}

STDMETHODIMP CSimulatedUpdate::get_EulaAccepted(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyBool(eulaAccepted_, retval);
}

STDMETHODIMP CSimulatedUpdate::get_EulaText(BSTR* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyBstr(
      record_.eulaRequired ? L"By installing this update you accept its licence terms." : L"",
      retval);
}

STDMETHODIMP CSimulatedUpdate::get_IsDownloaded(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return Guarded([&] { return CopyBool(agent_->IsDownloaded(record_.updateId), retval); });
}

STDMETHODIMP CSimulatedUpdate::get_IsInstalled(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return Guarded([&] { return CopyBool(agent_->IsInstalled(record_.updateId), retval); });
}

STDMETHODIMP CSimulatedUpdate::get_IsHidden(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyBool(false, retval);
}

STDMETHODIMP CSimulatedUpdate::get_IsBeta(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyBool(false, retval);
}

STDMETHODIMP CSimulatedUpdate::get_IsMandatory(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CopyBool(false, retval);
}

STDMETHODIMP CSimulatedUpdate::get_Type(UpdateType* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = utSoftware;
  return S_OK;
}

STDMETHODIMP CSimulatedUpdate::get_Deadline(VARIANT* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  VariantInit(retval);
  return S_OK;
}

STDMETHODIMP CSimulatedUpdate::get_DeploymentAction(DeploymentAction* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = daInstallation;
  return S_OK;
}

STDMETHODIMP CUpdateIdentity::get_RevisionNumber(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = kRevisionNumber;
  return S_OK;
}

STDMETHODIMP CUpdateIdentity::get_UpdateID(BSTR* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  HRESULT answer = S_OK;
  if (Misbehaves(fault_, retval, answer)) return answer;
  return CopyBstr(updateId_.c_str(), retval);
}

STDMETHODIMP CStringCollection::get_Item(LONG index, BSTR* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  if (index < 0 || static_cast<size_t>(index) >= items_.size()) return E_INVALIDARG;
  HRESULT answer = S_OK;
  if (Misbehaves(itemFault_, retval, answer)) return answer;
  return CopyBstr(items_[index].c_str(), retval);
}

STDMETHODIMP CStringCollection::get_Count(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = 0;
  if (countFault_ == SimulatedFault::kFails) return E_FAIL;
  if (countFault_ == SimulatedFault::kNone) *retval = static_cast<LONG>(items_.size());
  return S_OK;
}

STDMETHODIMP CStringCollection::get_ReadOnly(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = VARIANT_TRUE;
  return S_OK;
}

}  // namespace simulated_agent

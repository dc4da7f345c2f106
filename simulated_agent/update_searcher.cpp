#include "simulated_agent/update_searcher.h"

#include "simulated_agent/simulated_update.h"
#include "simulated_agent/update_collection.h"

namespace simulated_agent {

namespace {
const wchar_t kProgramCriteria[] = L"IsInstalled=0 and Type='SoftWare'";
}  // namespace

STDMETHODIMP CUpdateSearcher::Search(BSTR criteria, ISearchResult** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  return agent_->Answer(L"Search", SearchFor(criteria, retval));
}

HRESULT CUpdateSearcher::SearchFor(BSTR criteria, ISearchResult** retval) {
  const HRESULT failure = agent_->Failures().search;
  if (FAILED(failure)) return failure;
  if (!criteria) return E_INVALIDARG;
  if (SysStringLen(criteria) != wcslen(kProgramCriteria) ||
      wcscmp(criteria, kProgramCriteria) != 0) {
    return WU_E_INVALID_CRITERIA;
  }
  const UINT searchMs = agent_->Catalogue().searchMs;
  if (searchMs > 0) Sleep(searchMs);
  return Guarded([&] { return FindMissingUpdates(retval); });
}

HRESULT CUpdateSearcher::FindMissingUpdates(ISearchResult** retval) {
  UpdateList found;
  for (const TSimulatedUpdate& record : agent_->Catalogue().updates) {
    if (agent_->IsInstalled(record.updateId)) continue;
    auto update = MakeObject<CSimulatedUpdate>(agent_, record);
    if (!update) return E_OUTOFMEMORY;
    found.emplace_back(update.Get());
  }
  auto updates = MakeObject<CUpdateCollection>(CUpdateCollection::Kind::kSearchResult,
                                               std::move(found), agent_);
  if (!updates) return E_OUTOFMEMORY;
  return HandOut(MakeObject<CSearchResult>(updates), retval);
}

STDMETHODIMP CUpdateSearcher::get_ClientApplicationID(BSTR* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  return CopyBstr(clientApplicationId_.c_str(), retval);
}

STDMETHODIMP CUpdateSearcher::put_ClientApplicationID(BSTR value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return Guarded([&] {
    std::lock_guard<std::mutex> lock(mutex_);
    clientApplicationId_.assign(value ? value : L"", SysStringLen(value));
    return S_OK;
  });
}

STDMETHODIMP CUpdateSearcher::get_Online(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = online_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CUpdateSearcher::put_Online(VARIANT_BOOL value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  online_ = value != VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CUpdateSearcher::get_ServerSelection(ServerSelection* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = serverSelection_;
  return S_OK;
}

STDMETHODIMP CUpdateSearcher::put_ServerSelection(ServerSelection value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (value < ssDefault || value > ssOthers) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(mutex_);
  serverSelection_ = value;
  return S_OK;
}

STDMETHODIMP CSearchResult::get_ResultCode(OperationResultCode* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = orcSucceeded;
  return S_OK;
}

STDMETHODIMP CSearchResult::get_Updates(IUpdateCollection** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return HandOut(updates_, retval);
}

}  // namespace simulated_agent

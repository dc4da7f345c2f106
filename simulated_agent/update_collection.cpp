#include "simulated_agent/update_collection.h"

#include "simulated_agent/simulated_update.h"

namespace simulated_agent {

CUpdateCollection::CUpdateCollection(Kind kind, UpdateList items, AgentState agent)
    : kind_(kind), agent_(std::move(agent)), items_(std::move(items)) {}

UpdateList CUpdateCollection::Items() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return items_;
}

// A search result holds only updates the searcher made, so their C++ side is
// read directly rather than through a call.
HRESULT CUpdateCollection::ItemFault(IUpdate* update, IUpdate** retval) const {
  if (kind_ != Kind::kSearchResult) return S_FALSE;
  const TSimulatedUpdate& record = static_cast<const CSimulatedUpdate*>(update)->Record();
  if ((record.failingReads & kReadItem) != 0) return E_FAIL;
  if ((record.emptyReads & kReadItem) != 0) return HandOutNothing(retval);
  return S_FALSE;
}

STDMETHODIMP CUpdateCollection::get_Item(LONG index, IUpdate** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  return Guarded([&]() -> HRESULT {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!InRange(index)) return E_INVALIDARG;
    const HRESULT fault = ItemFault(items_[index].Get(), retval);
    if (fault != S_FALSE) return fault;
    return HandOut(items_[index], retval);
  });
}

STDMETHODIMP CUpdateCollection::put_Item(LONG index, IUpdate* value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!value) return E_INVALIDARG;
  if (IsReadOnly()) return WU_E_NOT_SUPPORTED;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!InRange(index)) return E_INVALIDARG;
  items_[index] = value;
  return S_OK;
}

STDMETHODIMP CUpdateCollection::get_Count(LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = 0;
  if (agent_ && FAILED(agent_->Failures().countResult)) return agent_->Failures().countResult;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = static_cast<LONG>(items_.size());
  return S_OK;
}

STDMETHODIMP CUpdateCollection::get_ReadOnly(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = IsReadOnly() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CUpdateCollection::Add(IUpdate* value, LONG* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (retval) *retval = -1;
  if (!value) return E_INVALIDARG;
  if (IsReadOnly()) return WU_E_NOT_SUPPORTED;
  return Guarded([&] {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.emplace_back(value);
    if (retval) *retval = static_cast<LONG>(items_.size() - 1);
    return S_OK;
  });
}

STDMETHODIMP CUpdateCollection::Clear() {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (IsReadOnly()) return WU_E_NOT_SUPPORTED;
  UpdateList released;
  std::lock_guard<std::mutex> lock(mutex_);
  released.swap(items_);
  return S_OK;
}

STDMETHODIMP CUpdateCollection::Copy(IUpdateCollection** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  return Guarded(
      [&] { return HandOut(MakeObject<CUpdateCollection>(Kind::kWritable, Items()), retval); });
}

STDMETHODIMP CUpdateCollection::Insert(LONG index, IUpdate* value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!value) return E_INVALIDARG;
  if (IsReadOnly()) return WU_E_NOT_SUPPORTED;
  return Guarded([&]() -> HRESULT {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) > items_.size()) return E_INVALIDARG;
    items_.emplace(items_.begin() + index, value);
    return S_OK;
  });
}

STDMETHODIMP CUpdateCollection::RemoveAt(LONG index) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (IsReadOnly()) return WU_E_NOT_SUPPORTED;
  ComPtr<IUpdate> removed;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!InRange(index)) return E_INVALIDARG;
  removed = items_[index];
  items_.erase(items_.begin() + index);
  return S_OK;
}

HRESULT ReadUpdateList(IUpdateCollection* collection, UpdateList& updates) {
  updates.clear();
  if (!collection) return E_INVALIDARG;
  ComPtr<CUpdateCollection> own;
  HRESULT hr = FindOwnObject(collection, kSimulatedCollectionId, own);
  if (FAILED(hr)) return hr;
  if (own) {
    updates = own->Items();
    return S_OK;
  }
  LONG count = 0;
  hr = collection->get_Count(&count);
  if (FAILED(hr)) return hr;
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IUpdate> update;
    hr = collection->get_Item(i, &update);
    if (FAILED(hr)) return hr;
    if (!update) return E_POINTER;
    updates.push_back(update);
  }
  return S_OK;
}

}  // namespace simulated_agent

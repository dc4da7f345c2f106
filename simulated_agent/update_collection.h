#pragma once
// The agent's list of updates: the search result's list (read-only) and the
// lists the program fills for a download and an installation.

#include "agent_seam/agent_interfaces.h"
#include "simulated_agent/agent_state.h"
#include "simulated_agent/dispatch_object.h"
#include "simulated_agent/private_ids.h"

#include <mutex>
#include <vector>

namespace simulated_agent {

using UpdateList = std::vector<ComPtr<IUpdate>>;

class CUpdateCollection final : public CDispatchObject<IUpdateCollection> {
 public:
  enum class Kind {
    kWritable,
    kReadOnly,
    // A search result: read-only, holds only the agent's own updates,
    // get_Item honours their kReadItem faults and get_Count the agent's
    // countResult failure.
    kSearchResult,
  };

  explicit CUpdateCollection(Kind kind = Kind::kWritable, UpdateList items = {},
                             AgentState agent = nullptr);

  UpdateList Items() const;

  STDMETHODIMP get_Item(LONG index, IUpdate** retval) override;
  STDMETHODIMP put_Item(LONG index, IUpdate* value) override;
  STDMETHODIMP get__NewEnum(IUnknown**) override { return NotImplemented(); }
  STDMETHODIMP get_Count(LONG* retval) override;
  STDMETHODIMP get_ReadOnly(VARIANT_BOOL* retval) override;
  STDMETHODIMP Add(IUpdate* value, LONG* retval) override;
  STDMETHODIMP Clear() override;
  STDMETHODIMP Copy(IUpdateCollection** retval) override;
  STDMETHODIMP Insert(LONG index, IUpdate* value) override;
  STDMETHODIMP RemoveAt(LONG index) override;

 protected:
  bool IsPrivateId(REFIID iid) const override { return iid == kSimulatedCollectionId; }

 private:
  bool IsReadOnly() const { return kind_ != Kind::kWritable; }
  bool InRange(LONG index) const {
    return index >= 0 && static_cast<size_t>(index) < items_.size();
  }
  // S_FALSE: the item is read as it is.
  HRESULT ItemFault(IUpdate* update, IUpdate** retval) const;

  const Kind kind_;
  const AgentState agent_;
  mutable std::mutex mutex_;
  UpdateList items_;
};

// The updates of any collection, in order. The agent's own collections give
// theirs whole; others are read item by item.
HRESULT ReadUpdateList(IUpdateCollection* collection, UpdateList& updates);

}  // namespace simulated_agent

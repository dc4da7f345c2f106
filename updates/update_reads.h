#pragma once
// Reads of single update properties. Each reports whether a usable value came
// back: a failed call counts as unreadable, and so does a null id or
// description; a null title is an empty title.

#include <wrl/client.h>

#include "agent_seam/agent_interfaces.h"
#include "platform/com_values.h"

// The key that ties a listed update to the agent's update: Identity, then UpdateID.
bool ReadUpdateId(IUpdate* update, UniqueBstr& id);
bool ReadTitle(IUpdate* update, UniqueBstr& title);
bool ReadDescription(IUpdate* update, UniqueBstr& description);

// Title and id of the update at index of a job's collection.
bool ReadUpdateAt(IUpdateCollection* updates, LONG index, UniqueBstr& title, UniqueBstr& id);

// Result code and HRESULT of the update at index, from a download or an
// installation progress (Result is that progress's per-update result type).
template <typename Result, typename Progress>
bool ReadUpdateResult(Progress* progress, LONG index, LONG& resultCode, HRESULT& result) {
  Microsoft::WRL::ComPtr<Result> updateResult;
  if (FAILED(progress->GetUpdateResult(index, &updateResult)) || !updateResult) return false;
  LONG hr = S_OK;
  OperationResultCode code = orcNotStarted;
  if (FAILED(updateResult->get_HResult(&hr)) || FAILED(updateResult->get_ResultCode(&code))) {
    return false;
  }
  result = hr;
  resultCode = code;
  return true;
}

#pragma once
// Reads of single update properties. Each reports whether a usable value came
// back: a failed call counts as unreadable, and so does a null id or
// description; a null title is an empty title.

#include <wrl/client.h>

#include <vector>

#include "agent_seam/agent_interfaces.h"
#include "platform/com_values.h"
#include "updates/agent_reports.h"

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

// The title and outcome of each update of `updates`, from anything that
// answers GetUpdateResult (a progress or a final result); an update whose
// outcome cannot be read is left out, one whose title cannot, is named by
// its position.
template <typename Result, typename Source>
std::vector<TUpdateOutcome> ReadOutcomes(Source* source, IUpdateCollection* updates) {
  std::vector<TUpdateOutcome> outcomes;
  LONG count = 0;
  if (!source || !updates || FAILED(updates->get_Count(&count))) return outcomes;
  for (LONG i = 0; i < count; ++i) {
    TUpdateOutcome outcome;
    if (!ReadUpdateResult<Result>(source, i, outcome.resultCode, outcome.result)) continue;
    Microsoft::WRL::ComPtr<IUpdate> update;
    UniqueBstr title;
    if (SUCCEEDED(updates->get_Item(i, &update)) && ReadTitle(update.Get(), title)) {
      outcome.title = title.Text();
    } else {
      outcome.title = L"Update " + std::to_wstring(i + 1);
    }
    outcomes.push_back(std::move(outcome));
  }
  return outcomes;
}

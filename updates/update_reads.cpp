#include "updates/update_reads.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

bool ReadUpdateId(IUpdate* update, UniqueBstr& id) {
  id.Reset();
  if (!update) return false;
  ComPtr<IUpdateIdentity> identity;
  if (FAILED(update->get_Identity(&identity)) || !identity) return false;
  return SUCCEEDED(identity->get_UpdateID(id.Out())) && !id.IsNull();
}

// A null string is automation's empty string: a title that was read.
bool ReadTitle(IUpdate* update, UniqueBstr& title) {
  title.Reset();
  return update && SUCCEEDED(update->get_Title(title.Out()));
}

bool ReadDescription(IUpdate* update, UniqueBstr& description) {
  description.Reset();
  return update && SUCCEEDED(update->get_Description(description.Out())) && !description.IsNull();
}

bool ReadUpdateAt(IUpdateCollection* updates, LONG index, UniqueBstr& title, UniqueBstr& id) {
  if (!updates) return false;
  ComPtr<IUpdate> update;
  if (FAILED(updates->get_Item(index, &update)) || !update) return false;
  return ReadTitle(update.Get(), title) && ReadUpdateId(update.Get(), id);
}

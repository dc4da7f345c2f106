#include "ui/core/pointer_array.h"

#include <algorithm>

namespace SkinUI {

namespace {
constexpr int kFirstCapacity = 11;
}

CPointerArrayUI::CPointerArrayUI(const CPointerArrayUI& other) {
  *this = other;
}

CPointerArrayUI& CPointerArrayUI::operator=(const CPointerArrayUI& other) {
  if (this == &other) return *this;
  Reset();
  for (int i = 0; i < other.count; ++i) Add(other.slots[i]);
  return *this;
}

void CPointerArrayUI::ReserveForOneMore() {
  if (count + 1 < capacity) return;
  const int grown = capacity == 0 ? kFirstCapacity : capacity * 2;
  std::unique_ptr<void*[]> items(new void*[grown]);
  std::copy(slots.get(), slots.get() + count, items.get());
  slots = std::move(items);
  capacity = grown;
}

bool CPointerArrayUI::Add(void* item) {
  return InsertAt(count, item);
}

bool CPointerArrayUI::InsertAt(int index, void* item) {
  if (index < 0 || index > count) return false;
  ReserveForOneMore();
  std::copy_backward(slots.get() + index, slots.get() + count, slots.get() + count + 1);
  slots[index] = item;
  ++count;
  return true;
}

bool CPointerArrayUI::SetAt(int index, void* item) {
  if (index < 0 || index >= count) return false;
  slots[index] = item;
  return true;
}

bool CPointerArrayUI::RemoveAt(int index) {
  if (index < 0 || index >= count) return false;
  std::copy(slots.get() + index + 1, slots.get() + count, slots.get() + index);
  --count;
  return true;
}

int CPointerArrayUI::Find(const void* item) const {
  for (int i = 0; i < count; ++i) {
    if (slots[i] == item) return i;
  }
  return -1;
}

void* CPointerArrayUI::GetAt(int index) const {
  if (index < 0 || index >= count) return nullptr;
  return slots[index];
}

void CPointerArrayUI::Reset() {
  slots.reset();
  count = 0;
  capacity = 0;
}

}  // namespace SkinUI

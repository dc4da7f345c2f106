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
  for (int i = 0; i < other.count_; ++i) Add(other.items_[i]);
  return *this;
}

void CPointerArrayUI::ReserveForOneMore() {
  if (count_ + 1 < capacity_) return;
  const int grown = capacity_ == 0 ? kFirstCapacity : capacity_ * 2;
  std::unique_ptr<void*[]> items(new void*[grown]);
  std::copy(items_.get(), items_.get() + count_, items.get());
  items_ = std::move(items);
  capacity_ = grown;
}

bool CPointerArrayUI::Add(void* item) {
  return InsertAt(count_, item);
}

bool CPointerArrayUI::InsertAt(int index, void* item) {
  if (index < 0 || index > count_) return false;
  ReserveForOneMore();
  std::copy_backward(items_.get() + index, items_.get() + count_, items_.get() + count_ + 1);
  items_[index] = item;
  ++count_;
  return true;
}

bool CPointerArrayUI::SetAt(int index, void* item) {
  if (index < 0 || index >= count_) return false;
  items_[index] = item;
  return true;
}

bool CPointerArrayUI::RemoveAt(int index) {
  if (index < 0 || index >= count_) return false;
  std::copy(items_.get() + index + 1, items_.get() + count_, items_.get() + index);
  --count_;
  return true;
}

int CPointerArrayUI::Find(const void* item) const {
  for (int i = 0; i < count_; ++i) {
    if (items_[i] == item) return i;
  }
  return -1;
}

void* CPointerArrayUI::GetAt(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  return items_[index];
}

void CPointerArrayUI::Reset() {
  items_.reset();
  count_ = 0;
  capacity_ = 0;
}

}  // namespace SkinUI

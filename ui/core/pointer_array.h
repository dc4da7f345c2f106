#pragma once
// A growable array of pointers it does not own. Capacity doubles whenever an
// insertion would leave no spare slot, starting at 11.

#include <memory>

namespace SkinUI {

class CPointerArrayUI {
 public:
  CPointerArrayUI() = default;
  CPointerArrayUI(const CPointerArrayUI& other);
  CPointerArrayUI& operator=(const CPointerArrayUI& other);

  bool Add(void* item);
  // index may be 0 ... size; anything else is refused.
  bool InsertAt(int index, void* item);
  bool SetAt(int index, void* item);
  bool RemoveAt(int index);
  // Index of the first slot holding exactly this pointer, or -1.
  int Find(const void* item) const;
  // Null outside 0 ... size - 1.
  void* GetAt(int index) const;
  void* operator[](int index) const { return GetAt(index); }

  int GetSize() const { return count; }
  int Capacity() const { return capacity; }
  bool IsEmpty() const { return count == 0; }
  void Reset();

 private:
  void ReserveForOneMore();

  std::unique_ptr<void*[]> slots;
  int count = 0;
  int capacity = 0;
};

}  // namespace SkinUI

#pragma once
// Hash map from wide-string keys (owned copies) to pointers it does not own.
// The bucket count given at construction holds until the keys outnumber the
// buckets twice over; then the table grows (to twice as many buckets plus
// one), so that chains stay short however many keys there are. Enumeration
// order (KeyAt) runs from the last bucket to the first, each chain from its
// head; growing keeps the keys that share a new bucket in the order they had.

#include <memory>
#include <vector>

#include "ui/core/wide_string.h"

namespace SkinUI {

class CStringMapUI {
 public:
  static constexpr int kMinimumBuckets = 16;
  // Keys per bucket, on average, beyond which the table grows.
  static constexpr int kMaxLoad = 2;

  explicit CStringMapUI(int buckets = 83);
  CStringMapUI(const CStringMapUI&) = delete;
  CStringMapUI& operator=(const CStringMapUI&) = delete;
  ~CStringMapUI();

  // The value stored under key, or null.
  void* Find(const wchar_t* key) const;
  bool Contains(const wchar_t* key) const;
  // Fails when the key is already present.
  bool Insert(const wchar_t* key, void* value);
  // Stores value under key (adding the key when new); returns the old value.
  void* Set(const wchar_t* key, void* value);
  bool Remove(const wchar_t* key);
  void Clear();

  int GetCount() const { return count; }
  int BucketCount() const { return static_cast<int>(heads.size()); }
  // The n-th key in enumeration order, or null outside 0 ... count - 1.
  const wchar_t* KeyAt(int n) const;

  // hash = hash * 33 + character, from the last character to the first.
  static unsigned int Hash(const wchar_t* key);

 private:
  struct Node {
    CWideStringUI key;
    void* value;
    std::unique_ptr<Node> next;
  };

  std::unique_ptr<Node>& BucketFor(const wchar_t* key);
  const Node* FindNode(const wchar_t* key) const;
  void GrowIfCrowded();

  std::vector<std::unique_ptr<Node>> heads;
  int count = 0;
};

}  // namespace SkinUI

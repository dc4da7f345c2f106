#include "ui/core/string_map.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {

CStringMapUI::CStringMapUI(int buckets) : heads(std::max(buckets, kMinimumBuckets)) {}

CStringMapUI::~CStringMapUI() {
  Clear();
}

unsigned int CStringMapUI::Hash(const wchar_t* key) {
  unsigned int hash = 0;
  if (!key) return hash;
  for (size_t i = wcslen(key); i > 0; --i)
    hash = hash * 33u + static_cast<unsigned int>(key[i - 1]);
  return hash;
}

std::unique_ptr<CStringMapUI::Node>& CStringMapUI::BucketFor(const wchar_t* key) {
  return heads[Hash(key) % heads.size()];
}

const CStringMapUI::Node* CStringMapUI::FindNode(const wchar_t* key) const {
  if (!key) return nullptr;
  for (const Node* node = heads[Hash(key) % heads.size()].get(); node; node = node->next.get()) {
    if (node->key == key) return node;
  }
  return nullptr;
}

void* CStringMapUI::Find(const wchar_t* key) const {
  const Node* node = FindNode(key);
  return node ? node->value : nullptr;
}

bool CStringMapUI::Contains(const wchar_t* key) const {
  return FindNode(key) != nullptr;
}

bool CStringMapUI::Insert(const wchar_t* key, void* value) {
  if (!key || FindNode(key)) return false;
  GrowIfCrowded();
  std::unique_ptr<Node>& head = BucketFor(key);
  head.reset(new Node{CWideStringUI(key), value, std::move(head)});
  ++count;
  return true;
}

// Nodes move in enumeration order and join the end of their new chain, so
// the outcome depends on nothing but the keys and the order they came in.
void CStringMapUI::GrowIfCrowded() {
  if (count < static_cast<int>(heads.size()) * kMaxLoad) return;
  std::vector<std::unique_ptr<Node>> grown(heads.size() * 2 + 1);
  std::vector<std::unique_ptr<Node>*> tails(grown.size());
  for (size_t b = 0; b < grown.size(); ++b) tails[b] = &grown[b];
  for (size_t b = heads.size(); b > 0; --b) {
    std::unique_ptr<Node> node = std::move(heads[b - 1]);
    while (node) {
      std::unique_ptr<Node> next = std::move(node->next);
      const size_t target = Hash(node->key) % grown.size();
      *tails[target] = std::move(node);
      tails[target] = &(*tails[target])->next;
      node = std::move(next);
    }
  }
  heads = std::move(grown);
}

void* CStringMapUI::Set(const wchar_t* key, void* value) {
  if (!key) return nullptr;
  if (Node* node = const_cast<Node*>(FindNode(key))) {
    std::swap(node->value, value);
    return value;
  }
  Insert(key, value);
  return nullptr;
}

bool CStringMapUI::Remove(const wchar_t* key) {
  if (!key) return false;
  for (std::unique_ptr<Node>* link = &BucketFor(key); *link; link = &(*link)->next) {
    if ((*link)->key == key) {
      std::unique_ptr<Node> removed = std::move(*link);
      *link = std::move(removed->next);
      --count;
      return true;
    }
  }
  return false;
}

void CStringMapUI::Clear() {
  // Unlink chains iteratively so a long chain cannot exhaust the stack.
  for (std::unique_ptr<Node>& head : heads) {
    while (head) head = std::move(head->next);
  }
  count = 0;
}

const wchar_t* CStringMapUI::KeyAt(int n) const {
  if (n < 0 || n >= count) return nullptr;
  for (size_t b = heads.size(); b > 0; --b) {
    for (const Node* node = heads[b - 1].get(); node; node = node->next.get()) {
      if (n-- == 0) return node->key.GetData();
    }
  }
  return nullptr;
}

}  // namespace SkinUI

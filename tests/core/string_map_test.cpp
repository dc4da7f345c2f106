#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ui/core/string_map.h"

using SkinUI::CStringMapUI;

namespace {
void* Value(int n) {
  return reinterpret_cast<void*>(static_cast<intptr_t>(n) * 8);
}

std::vector<std::wstring> Keys(const CStringMapUI& map) {
  std::vector<std::wstring> keys;
  for (int i = 0; i < map.GetCount(); ++i) keys.emplace_back(map.KeyAt(i));
  return keys;
}
}  // namespace

TEST(StringMap, HashRunsFromTheLastCharacterToTheFirst) {
  EXPECT_EQ(0u, CStringMapUI::Hash(L""));
  EXPECT_EQ(static_cast<unsigned>(L'a'), CStringMapUI::Hash(L"a"));
  // "ab": 'b' first, then 'a': b * 33 + a.
  EXPECT_EQ(98u * 33u + 97u, CStringMapUI::Hash(L"ab"));
  // Unsigned 32-bit wrap-around on long keys.
  unsigned int expected = 0;
  const std::wstring key(40, L'z');
  for (size_t i = key.size(); i > 0; --i) expected = expected * 33u + key[i - 1];
  EXPECT_EQ(expected, CStringMapUI::Hash(key.c_str()));
}

TEST(StringMap, InsertFailsOnAnExistingKeyAndSetReturnsTheOldValue) {
  CStringMapUI map;
  EXPECT_EQ(83, map.BucketCount());
  EXPECT_TRUE(map.Insert(L"Btn_Scan", Value(1)));
  EXPECT_FALSE(map.Insert(L"Btn_Scan", Value(2)));
  EXPECT_EQ(Value(1), map.Find(L"Btn_Scan"));
  EXPECT_EQ(nullptr, map.Find(L"btn_scan"));
  EXPECT_EQ(Value(1), map.Set(L"Btn_Scan", Value(3)));
  EXPECT_EQ(Value(3), map.Find(L"Btn_Scan"));
  EXPECT_EQ(nullptr, map.Set(L"Text_Msg", Value(4)));
  EXPECT_EQ(2, map.GetCount());
  EXPECT_TRUE(map.Remove(L"Btn_Scan"));
  EXPECT_FALSE(map.Remove(L"Btn_Scan"));
  EXPECT_EQ(1, map.GetCount());
  map.Clear();
  EXPECT_EQ(0, map.GetCount());
  EXPECT_EQ(nullptr, map.Find(L"Text_Msg"));
  EXPECT_EQ(nullptr, map.KeyAt(0));
}

TEST(StringMap, KeysRunFromTheLastBucketToTheFirstEachChainFromItsHead) {
  CStringMapUI map(16);
  // Hashes: "a" 97 -> bucket 1, "b" 98 -> 2, "q" 113 -> 1, "c" 99 -> 3.
  map.Insert(L"a", Value(1));
  map.Insert(L"b", Value(2));
  map.Insert(L"q", Value(3));
  map.Insert(L"c", Value(4));
  EXPECT_EQ((std::vector<std::wstring>{L"c", L"b", L"q", L"a"}), Keys(map));
  EXPECT_EQ(nullptr, map.KeyAt(4));
  EXPECT_EQ(nullptr, map.KeyAt(-1));
}

TEST(StringMap, CollidingKeysStayApartAndCanBeRemovedFromTheMiddleOfAChain) {
  CStringMapUI map(5);  // raised to the minimum of 16 buckets
  EXPECT_EQ(16, map.BucketCount());
  const wchar_t* keys[] = {L"a", L"q", L"\x0081", L"\x0091"};  // 97, 113, 129, 145: all bucket 1
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(map.Insert(keys[i], Value(i + 1)));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Value(i + 1), map.Find(keys[i]));
  EXPECT_TRUE(map.Remove(L"\x0081"));
  EXPECT_EQ((std::vector<std::wstring>{L"\x0091", L"q", L"a"}), Keys(map));
  EXPECT_EQ(Value(4), map.Find(L"\x0091"));
  EXPECT_EQ(nullptr, map.Find(L"\x0081"));
}

TEST(StringMap, OwnsCopiesOfItsKeys) {
  CStringMapUI map;
  std::wstring key = L"Option_RestartNow";
  map.Insert(key.c_str(), Value(9));
  key[0] = L'X';
  EXPECT_EQ(Value(9), map.Find(L"Option_RestartNow"));
  EXPECT_STREQ(L"Option_RestartNow", map.KeyAt(0));
}

// Thousands of names: chains kept short by growing, the same answers as a
// map that never grew, and one enumeration order for the same history of
// keys.
TEST(StringMap, GrowsWithItsKeysAndAnswersAsBefore) {
  CStringMapUI map;
  constexpr int kKeys = 5000;
  for (int i = 0; i < kKeys; ++i) {
    ASSERT_TRUE(map.Insert((L"Button_" + std::to_wstring(i)).c_str(), Value(i + 1)));
  }
  EXPECT_EQ(kKeys, map.GetCount());
  EXPECT_GE(map.BucketCount() * CStringMapUI::kMaxLoad, kKeys);
  for (int i = 0; i < kKeys; ++i) {
    EXPECT_EQ(Value(i + 1), map.Find((L"Button_" + std::to_wstring(i)).c_str()));
  }
  EXPECT_EQ(nullptr, map.Find(L"Button_5000"));
  EXPECT_EQ(Value(8), map.Set(L"Button_7", Value(99)));
  EXPECT_TRUE(map.Remove(L"Button_3"));
  EXPECT_EQ(nullptr, map.Find(L"Button_3"));
  EXPECT_EQ(kKeys - 1, map.GetCount());

  // Every key once, in an order that depends on nothing but the keys and
  // the order they came in.
  CStringMapUI again;
  for (int i = 0; i < kKeys; ++i) again.Insert((L"Button_" + std::to_wstring(i)).c_str(), Value(1));
  again.Remove(L"Button_3");
  const std::vector<std::wstring> keys = Keys(map);
  EXPECT_EQ(keys, Keys(again));
  EXPECT_EQ(std::set<std::wstring>(keys.begin(), keys.end()).size(), keys.size());
}

#include <gtest/gtest.h>

#include "ui/core/pointer_array.h"

using SkinUI::CPointerArrayUI;

namespace {
void* Item(int n) {
  return reinterpret_cast<void*>(static_cast<intptr_t>(n + 1) * 16);
}

CPointerArrayUI Filled(int count) {
  CPointerArrayUI a;
  for (int i = 0; i < count; ++i) a.Add(Item(i));
  return a;
}
}  // namespace

TEST(PointerArray, CapacityDoublesWhenNoSpareSlotWouldRemainStartingAtEleven) {
  EXPECT_EQ(0, Filled(0).Capacity());
  EXPECT_EQ(11, Filled(1).Capacity());
  EXPECT_EQ(11, Filled(10).Capacity());
  EXPECT_EQ(22, Filled(11).Capacity());
  EXPECT_EQ(22, Filled(12).Capacity());
  EXPECT_EQ(22, Filled(21).Capacity());
  EXPECT_EQ(44, Filled(22).Capacity());
  EXPECT_EQ(44, Filled(23).Capacity());

  // Growth keeps every element in place.
  CPointerArrayUI a = Filled(23);
  for (int i = 0; i < 23; ++i) EXPECT_EQ(Item(i), a.GetAt(i)) << i;
}

TEST(PointerArray, InsertAcceptsZeroToSizeAndShiftsTheRest) {
  CPointerArrayUI a = Filled(3);
  EXPECT_TRUE(a.InsertAt(0, Item(10)));
  EXPECT_TRUE(a.InsertAt(4, Item(11)));
  EXPECT_TRUE(a.InsertAt(2, Item(12)));
  EXPECT_FALSE(a.InsertAt(7, Item(13)));
  EXPECT_FALSE(a.InsertAt(-1, Item(13)));
  ASSERT_EQ(6, a.GetSize());
  const void* expected[] = {Item(10), Item(0), Item(12), Item(1), Item(2), Item(11)};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], a[i]) << i;

  // Inserting at the front across the growth boundary keeps the order.
  CPointerArrayUI b = Filled(10);
  b.InsertAt(0, Item(99));
  EXPECT_EQ(22, b.Capacity());
  EXPECT_EQ(Item(99), b[0]);
  EXPECT_EQ(Item(9), b[10]);
}

TEST(PointerArray, RemoveReplaceFindAndBoundsChecks) {
  CPointerArrayUI a = Filled(5);
  EXPECT_TRUE(a.RemoveAt(1));
  EXPECT_FALSE(a.RemoveAt(4));
  EXPECT_EQ(Item(2), a[1]);
  EXPECT_TRUE(a.SetAt(0, Item(7)));
  EXPECT_FALSE(a.SetAt(4, Item(7)));
  EXPECT_EQ(0, a.Find(Item(7)));
  EXPECT_EQ(3, a.Find(Item(4)));
  EXPECT_EQ(-1, a.Find(Item(1)));
  EXPECT_EQ(nullptr, a.GetAt(4));
  EXPECT_EQ(nullptr, a.GetAt(-1));

  // Find is by identity: the first of two equal pointers wins.
  a.Add(Item(4));
  EXPECT_EQ(3, a.Find(Item(4)));

  a.Reset();
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(0, a.Capacity());
  EXPECT_EQ(nullptr, a.GetAt(0));
}

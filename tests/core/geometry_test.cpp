#include <gtest/gtest.h>

#include "ui/core/geometry.h"

using SkinUI::CRectUI;

TEST(Rect, WidthAndHeightTreatRightAndBottomAsExclusive) {
  const CRectUI r(10, 20, 110, 70);
  EXPECT_EQ(100, r.GetWidth());
  EXPECT_EQ(50, r.GetHeight());
  EXPECT_TRUE(r.Contains(POINT{10, 20}));
  EXPECT_FALSE(r.Contains(POINT{110, 20}));
  EXPECT_FALSE(r.Contains(POINT{10, 70}));
  EXPECT_TRUE(CRectUI(5, 5, 5, 9).IsEmpty());
}

TEST(Rect, OffsetsAndDeflateKeepOrShrinkTheSize) {
  CRectUI r(10, 20, 110, 70);
  r.OffsetToOrigin();
  EXPECT_EQ(CRectUI(0, 0, 100, 50), r);
  r.Offset(-3, 4);
  EXPECT_EQ(CRectUI(-3, 4, 97, 54), r);
  r.Deflate(2, 5);
  EXPECT_EQ(CRectUI(-1, 9, 95, 49), r);
}

TEST(Rect, UnionCoversBothAndIgnoresEmptyRectangles) {
  CRectUI r(0, 0, 10, 10);
  r.Union(CRectUI(5, -5, 20, 8));
  EXPECT_EQ(CRectUI(0, -5, 20, 10), r);
  r.Union(CRectUI(100, 100, 100, 200));
  EXPECT_EQ(CRectUI(0, -5, 20, 10), r);
  CRectUI empty;
  empty.Union(CRectUI(1, 2, 3, 4));
  EXPECT_EQ(CRectUI(1, 2, 3, 4), empty);
}

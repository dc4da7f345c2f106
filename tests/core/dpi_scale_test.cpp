#include <gtest/gtest.h>

#include <climits>

#include "ui/core/dpi_scale.h"

using SkinUI::CDpiScaleUI;

namespace {

constexpr int k125 = 120;
constexpr int k175 = 168;

}  // namespace

TEST(DpiScale, RoundsHalfAwayFromZeroAtOneAndAQuarter) {
  const CDpiScaleUI scale(k125);
  EXPECT_EQ(125, scale.Percent());
  EXPECT_EQ(1, scale.ToDevice(1));    // 1.25
  EXPECT_EQ(3, scale.ToDevice(2));    // 2.5
  EXPECT_EQ(-3, scale.ToDevice(-2));  // the mirror of 2.5
  EXPECT_EQ(4, scale.ToDevice(3));    // 3.75
  EXPECT_EQ(813, scale.ToDevice(650));
  EXPECT_EQ(500, scale.ToDevice(400));
  EXPECT_EQ(0, scale.ToDevice(0));
}

TEST(DpiScale, RoundsHalfAwayFromZeroAtOneAndThreeQuarters) {
  const CDpiScaleUI scale(k175);
  EXPECT_EQ(175, scale.Percent());
  EXPECT_EQ(2, scale.ToDevice(1));    // 1.75
  EXPECT_EQ(4, scale.ToDevice(2));    // 3.5
  EXPECT_EQ(-4, scale.ToDevice(-2));  // -3.5
  EXPECT_EQ(30, scale.ToDevice(17));  // 29.75
  EXPECT_EQ(1138, scale.ToDevice(650));
  EXPECT_EQ(700, scale.ToDevice(400));
}

TEST(DpiScale, NeighboursThatMeetInTheSkinMeetWhenTheirEdgesAreScaled) {
  const CDpiScaleUI scale(k125);
  // The minimise button ends where the close button starts.
  const int minimiseLeft = 575;
  const int minimiseWidth = 38;
  const int closeLeft = 613;
  EXPECT_EQ(scale.ToDevice(closeLeft), scale.ToDevice(minimiseLeft + minimiseWidth));
  // Widths scaled on their own would overlap the neighbour by a pixel.
  EXPECT_EQ(scale.ToDevice(closeLeft) + 1,
            scale.ToDevice(minimiseLeft) + scale.ToDevice(minimiseWidth));
  const RECT edges = scale.ToDevice(RECT{575, 0, 613, 20});
  EXPECT_EQ(719, edges.left);
  EXPECT_EQ(766, edges.right);
  EXPECT_EQ(25, edges.bottom);
}

TEST(DpiScale, DeviceValuesTurnBackIntoTheLogicalOnesExactly) {
  for (const int dpi : {96, 97, 120, 144, 168, 192, 240, 480}) {
    const CDpiScaleUI scale(dpi);
    for (int logical = -2000; logical <= 2000; ++logical) {
      ASSERT_EQ(logical, scale.ToLogical(scale.ToDevice(logical))) << dpi << " " << logical;
    }
  }
  EXPECT_EQ(573, CDpiScaleUI(k125).ToLogical(716));
  EXPECT_EQ(4, CDpiScaleUI(k175).ToLogical(7));  // 4
}

TEST(DpiScale, FactorsOutsideWhatWindowsOffersAreClamped) {
  EXPECT_TRUE(CDpiScaleUI(72).IsIdentity());
  EXPECT_TRUE(CDpiScaleUI(0).IsIdentity());
  EXPECT_EQ(480, CDpiScaleUI(10000).Dpi());
  EXPECT_TRUE(CDpiScaleUI().IsIdentity());
  EXPECT_EQ(200, CDpiScaleUI(192).Percent());
}

TEST(DpiScale, SkinNumbersAsLargeAs32BitsAllowStayInRange) {
  const CDpiScaleUI scale(192);
  EXPECT_EQ(INT_MAX, scale.ToDevice(INT_MAX));
  EXPECT_EQ(INT_MIN, scale.ToDevice(INT_MIN));
  EXPECT_EQ(199998, scale.ToDevice(99999));
  EXPECT_EQ(INT_MAX, CDpiScaleUI().ToDevice(INT_MAX));
}

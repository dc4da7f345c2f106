// Scroll bar arithmetic and state rules checked directly; presses, repeats
// and drags run in a real window (containers_window_test.cpp).

#include <gtest/gtest.h>

#include "ui/controls/scroll_bar.h"

namespace {

using SkinUI::CRectUI;
using SkinUI::CScrollBarUI;

TEST(ScrollBar, PartsFollowLengthRangeAndPosition) {
  struct Case {
    RECT bounds;
    bool horizontal, buttons;
    int range, pos;
    RECT button1, button2, thumb;
  };
  // clang-format off
  const Case cases[] = {
      // 151 high, no buttons, range 300 at 150: the thumb is 50 long and 50 down.
      {{0, 0, 16, 151}, false, false, 300, 150, {0, 0, 0, 0}, {0, 151, 0, 151}, {0, 50, 16, 100}},
      // Range 0: the thumb fills the rail.
      {{0, 0, 16, 151}, false, true, 0, 0, {0, 0, 16, 16}, {0, 135, 16, 151}, {0, 16, 16, 135}},
      // A huge range: the thumb keeps the thickness and ends at button 2.
      {{0, 0, 16, 151}, false, true, 100000, 100000,
       {0, 0, 16, 16}, {0, 135, 16, 151}, {0, 119, 16, 135}},
      // The rail is not longer than the thickness: no thumb; buttons at most half the length.
      {{0, 0, 16, 40}, false, true, 100, 0, {0, 0, 16, 16}, {0, 24, 16, 40}, {0, 0, 0, 0}},
      {{0, 0, 16, 20}, false, true, 100, 0, {0, 0, 16, 10}, {0, 10, 16, 20}, {0, 0, 0, 0}},
      {{10, 5, 210, 21}, true, true, 100, 100, {10, 5, 26, 21}, {194, 5, 210, 21}, {82, 5, 194, 21}},
  };
  // clang-format on
  for (const Case& c : cases) {
    CScrollBarUI bar;
    bar.SetHorizontal(c.horizontal);
    bar.SetShowButton1(c.buttons);
    bar.SetShowButton2(c.buttons);
    bar.SetScrollRange(c.range);
    bar.SetScrollPos(c.pos);
    bar.SetBounds(c.bounds);
    EXPECT_EQ(CRectUI(c.button1), CRectUI(bar.Button1Rect())) << c.bounds.bottom << "/" << c.range;
    EXPECT_EQ(CRectUI(c.button2), CRectUI(bar.Button2Rect())) << c.bounds.bottom << "/" << c.range;
    EXPECT_EQ(CRectUI(c.thumb), CRectUI(bar.ThumbRect())) << c.bounds.bottom << "/" << c.range;
  }
}

TEST(ScrollBar, AttributesKeepRangeAndPositionInBounds) {
  CScrollBarUI bar;
  EXPECT_EQ(16, bar.GetFixedWidth());
  bar.ApplyAttributeText(L"range=\"300\" value=\"500\" linesize=\"12\" showbutton1=\"false\"");
  EXPECT_EQ(300, bar.GetScrollPos());
  EXPECT_EQ(12, bar.GetLineSize());
  EXPECT_FALSE(bar.IsShowButton1());
  bar.SetScrollPos(-4);
  EXPECT_EQ(0, bar.GetScrollPos());
  bar.SetScrollPos(200);
  bar.SetScrollRange(-5);
  EXPECT_EQ(0, bar.GetScrollRange());
  EXPECT_EQ(0, bar.GetScrollPos());
  bar.ApplyAttribute(L"hor", L"true");  // the thickness moves to the height
  EXPECT_EQ(16, bar.GetFixedHeight());
  EXPECT_EQ(0, bar.GetFixedWidth());
  bar.SetFixedWidth(20);
  bar.ApplyAttribute(L"hor", L"false");  // a width already set is kept
  EXPECT_EQ(20, bar.GetFixedWidth());
  EXPECT_EQ(static_cast<void*>(&bar), bar.InterfaceFor(L"ScrollBar"));
}

}  // namespace

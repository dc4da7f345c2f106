// The scroll bar against the stand-in manager: part arithmetic, the press,
// repeat and drag cadence driven by timer events, hot states and painting.

#include <gtest/gtest.h>

#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/controls/button_state.h"
#include "ui/controls/scroll_bar.h"

namespace {

using SkinUI::CRectUI;
using SkinUI::CScrollBarUI;
using SkinUI::TControlEvent;
using SkinUITest::Canvas;
using SkinUITest::CTestManager;
namespace ButtonState = SkinUI::ButtonState;

TControlEvent Event(int kind, LONG x = 0, LONG y = 0, WPARAM wParam = 0) {
  TControlEvent event;
  event.kind = kind;
  event.point = SkinUI::CPointUI(x, y);
  event.wParam = wParam;
  return event;
}

void Send(CScrollBarUI& bar, int kind, LONG x = 0, LONG y = 0, WPARAM wParam = 0) {
  TControlEvent event = Event(kind, x, y, wParam);
  bar.RouteEvent(event);
}

void Tick(CScrollBarUI& bar, int count = 1) {
  for (int i = 0; i < count; ++i)
    Send(bar, SkinUI::EventTimer, 0, 0, CScrollBarUI::kRepeatTimerKey);
}

struct TBarSetup {
  RECT bounds;
  bool horizontal;
  bool buttons;
  int range;
  int pos;
};

// A bar without owner on the stand-in manager.
void Configure(CScrollBarUI& bar, const TBarSetup& setup) {
  bar.SetHorizontal(setup.horizontal);
  bar.SetShowButton1(setup.buttons);
  bar.SetShowButton2(setup.buttons);
  bar.SetScrollRange(setup.range);
  bar.SetScrollPos(setup.pos);
  bar.SetBounds(setup.bounds);
}

TEST(ScrollBar, PartsFollowLengthRangeAndPosition) {
  struct Case {
    const char* what;
    TBarSetup setup;
    RECT button1, button2, thumb;
  };
  const Case cases[] = {
      {"151 high, hidden buttons, range 300 at 150: thumb 50 long, 50 down",
       {{0, 0, 16, 151}, false, false, 300, 150},
       {0, 0, 0, 0},
       {0, 151, 0, 151},
       {0, 50, 16, 100}},
      {"range 0: the thumb fills the rail between the buttons",
       {{0, 0, 16, 151}, false, true, 0, 0},
       {0, 0, 16, 16},
       {0, 135, 16, 151},
       {0, 16, 16, 135}},
      {"a huge range keeps the thumb at least as long as the bar is thick",
       {{0, 0, 16, 151}, false, true, 100000, 100000},
       {0, 0, 16, 16},
       {0, 135, 16, 151},
       {0, 119, 16, 135}},
      {"rail no longer than the thickness: no thumb, full buttons",
       {{0, 0, 16, 40}, false, true, 100, 0},
       {0, 0, 16, 16},
       {0, 24, 16, 40},
       {0, 0, 0, 0}},
      {"no thumb and buttons of half the length",
       {{0, 0, 16, 20}, false, true, 100, 0},
       {0, 0, 16, 10},
       {0, 10, 16, 20},
       {0, 0, 0, 0}},
      {"horizontal with buttons, range 100 at the end",
       {{10, 5, 210, 21}, true, true, 100, 100},
       {10, 5, 26, 21},
       {194, 5, 210, 21},
       {82, 5, 194, 21}},
      {"horizontal at the start",
       {{10, 5, 210, 21}, true, true, 100, 0},
       {10, 5, 26, 21},
       {194, 5, 210, 21},
       {26, 5, 138, 21}},
  };
  for (const Case& c : cases) {
    CScrollBarUI bar;
    Configure(bar, c.setup);
    EXPECT_EQ(CRectUI(c.button1), CRectUI(bar.Button1Rect())) << c.what;
    EXPECT_EQ(CRectUI(c.button2), CRectUI(bar.Button2Rect())) << c.what;
    EXPECT_EQ(CRectUI(c.thumb), CRectUI(bar.ThumbRect())) << c.what;
  }
}

TEST(ScrollBar, RangePositionAndAttributesAreKeptInBounds) {
  CScrollBarUI bar;
  EXPECT_EQ(16, bar.GetFixedWidth());
  bar.ApplyAttributeText(L"range=\"300\" value=\"500\" linesize=\"12\" showbutton1=\"false\"");
  EXPECT_EQ(300, bar.GetScrollRange());
  EXPECT_EQ(300, bar.GetScrollPos());
  EXPECT_EQ(12, bar.GetLineSize());
  EXPECT_FALSE(bar.IsShowButton1());
  EXPECT_TRUE(bar.IsShowButton2());
  bar.SetScrollPos(-4);
  EXPECT_EQ(0, bar.GetScrollPos());
  bar.SetScrollPos(200);
  bar.SetScrollRange(-5);  // negative: 0, and the position follows
  EXPECT_EQ(0, bar.GetScrollRange());
  EXPECT_EQ(0, bar.GetScrollPos());

  bar.ApplyAttribute(L"hor", L"true");
  EXPECT_TRUE(bar.IsHorizontal());
  EXPECT_EQ(0, bar.GetFixedWidth());
  EXPECT_EQ(16, bar.GetFixedHeight());
  bar.ApplyAttribute(L"hor", L"false");
  EXPECT_EQ(0, bar.GetFixedHeight());
  EXPECT_EQ(16, bar.GetFixedWidth());
  bar.SetFixedHeight(20);
  bar.SetHorizontal(true);  // a thickness already set is kept
  EXPECT_EQ(20, bar.GetFixedHeight());
  EXPECT_EQ(16, bar.GetFixedWidth());
  EXPECT_EQ(static_cast<void*>(&bar), bar.InterfaceFor(L"ScrollBar"));
  EXPECT_EQ(static_cast<void*>(&bar), bar.InterfaceFor(L"Control"));
}

class OwnerlessBar : public ::testing::Test {
 protected:
  void SetUp() override {
    bar.BindManager(&manager, nullptr, false);
    Configure(bar, {{0, 0, 16, 200}, false, true, 1000, 0});
    manager.ClearRecords();
  }
  int ScrollNotifications() const {
    int count = 0;
    for (const auto& n : manager.notifications) count += n.type == L"scroll" ? 1 : 0;
    return count;
  }

  CTestManager manager;
  CScrollBarUI bar;
};

TEST_F(OwnerlessBar, HeldArrowStepsOnceThenRestsFiveTicksThenRepeatsEveryTick) {
  Send(bar, SkinUI::EventButtonDown, 8, 190);
  EXPECT_EQ(8, bar.GetScrollPos());
  EXPECT_TRUE(manager.IsTimerRunning(&bar, 10));
  ASSERT_FALSE(manager.timerCalls.empty());
  EXPECT_EQ(50u, manager.timerCalls.back().intervalMs);
  EXPECT_TRUE(ButtonState::Has(bar.Button2State(), ButtonState::kPushed));

  Tick(bar, 5);
  EXPECT_EQ(8, bar.GetScrollPos());
  Tick(bar);
  EXPECT_EQ(16, bar.GetScrollPos());
  Tick(bar);
  EXPECT_EQ(24, bar.GetScrollPos());
  EXPECT_EQ(3, ScrollNotifications());

  Send(bar, SkinUI::EventButtonUp, 8, 190);
  EXPECT_FALSE(manager.IsTimerRunning(&bar, 10));
  EXPECT_EQ(0u, bar.Button2State() & ButtonState::kPushed);
  Tick(bar, 10);  // a late tick after the release changes nothing
  EXPECT_EQ(24, bar.GetScrollPos());

  Send(bar, SkinUI::EventButtonDown, 8, 4);  // the up arrow, held past the start
  Tick(bar, 9);
  EXPECT_EQ(0, bar.GetScrollPos());
  Send(bar, SkinUI::EventButtonUp, 8, 4);
}

TEST_F(OwnerlessBar, RailPressPagesOnceByTheBarLengthAndTheThumbPressOnlyGrabs) {
  const RECT thumb = bar.ThumbRect();
  Send(bar, SkinUI::EventButtonDown, 8, thumb.bottom + 10);
  EXPECT_EQ(200, bar.GetScrollPos());
  Send(bar, SkinUI::EventButtonUp, 8, thumb.bottom + 10);
  const RECT moved = bar.ThumbRect();
  Send(bar, SkinUI::EventButtonDown, 8, moved.top - 1);
  EXPECT_EQ(0, bar.GetScrollPos());
  Send(bar, SkinUI::EventButtonUp, 8, moved.top - 1);

  Send(bar, SkinUI::EventButtonDown, 8, (thumb.top + thumb.bottom) / 2);
  EXPECT_EQ(0, bar.GetScrollPos());
  EXPECT_TRUE(ButtonState::Has(bar.ThumbState(), ButtonState::kCaptured));
  EXPECT_EQ(3, ScrollNotifications());  // every press reports, even the grab
  Send(bar, SkinUI::EventButtonUp, 8, 0);
  EXPECT_EQ(0u, bar.ThumbState() & (ButtonState::kCaptured | ButtonState::kPushed));
}

TEST_F(OwnerlessBar, DragMovesOnTicksOnlyRelativeToTheGrabAndFasterThanThePointer) {
  Configure(bar, {{0, 0, 16, 151}, false, false, 300, 150});
  ASSERT_EQ(CRectUI(0, 50, 16, 100), CRectUI(bar.ThumbRect()));
  Send(bar, SkinUI::EventButtonDown, 8, 60);
  Send(bar, SkinUI::EventMouseMove, 8, 65);
  EXPECT_EQ(150, bar.GetScrollPos());  // nothing until the tick
  Tick(bar);
  // 5 px over a track of 151 - 2 x 16 - 50 = 69: 5 x 300 / 69 = 21.
  EXPECT_EQ(171, bar.GetScrollPos());
  Send(bar, SkinUI::EventMouseMove, 8, 70);
  Tick(bar);
  EXPECT_EQ(193, bar.GetScrollPos());  // from the grab, not from the last tick
  Send(bar, SkinUI::EventMouseMove, 8, 60);
  Tick(bar);
  EXPECT_EQ(150, bar.GetScrollPos());
  Send(bar, SkinUI::EventMouseMove, 8, 1000);
  Tick(bar);
  EXPECT_EQ(300, bar.GetScrollPos());  // clamped
  Send(bar, SkinUI::EventButtonUp, 8, 1000);
}

// A long thumb made the specified track negative: dragging down scrolled up.
TEST_F(OwnerlessBar, DragWithALongThumbFollowsThePointerDirection) {
  Configure(bar, {{0, 0, 16, 151}, false, false, 10, 5});
  ASSERT_EQ(CRectUI(0, 5, 16, 146), CRectUI(bar.ThumbRect()));  // 141 long
  Send(bar, SkinUI::EventButtonDown, 8, 50);
  Send(bar, SkinUI::EventMouseMove, 8, 55);
  Tick(bar);
  EXPECT_EQ(10, bar.GetScrollPos());  // 5 px over the free rail of 10 px: +5
  Send(bar, SkinUI::EventMouseMove, 8, 48);
  Tick(bar);
  EXPECT_EQ(3, bar.GetScrollPos());
  Send(bar, SkinUI::EventButtonUp, 8, 48);

  Configure(bar, {{0, 0, 16, 151}, false, false, 0, 0});  // the thumb fills the rail
  Send(bar, SkinUI::EventButtonDown, 8, 50);
  Send(bar, SkinUI::EventMouseMove, 8, 90);
  Tick(bar);
  EXPECT_EQ(0, bar.GetScrollPos());
  Send(bar, SkinUI::EventButtonUp, 8, 90);
}

TEST_F(OwnerlessBar, EnteringMakesBothArrowsHotAndTheThumbOnlyUnderThePointer) {
  const RECT thumb = bar.ThumbRect();
  Send(bar, SkinUI::EventMouseEnter, 8, thumb.bottom + 20);
  EXPECT_TRUE(ButtonState::Has(bar.Button1State(), ButtonState::kHot));
  EXPECT_TRUE(ButtonState::Has(bar.Button2State(), ButtonState::kHot));
  EXPECT_FALSE(ButtonState::Has(bar.ThumbState(), ButtonState::kHot));
  Send(bar, SkinUI::EventMouseMove, 8, thumb.top + 2);
  EXPECT_TRUE(ButtonState::Has(bar.ThumbState(), ButtonState::kHot));
  Send(bar, SkinUI::EventMouseMove, 8, thumb.bottom + 2);
  EXPECT_FALSE(ButtonState::Has(bar.ThumbState(), ButtonState::kHot));
  Send(bar, SkinUI::EventMouseLeave, -1, -1);
  EXPECT_EQ(0u, bar.Button1State() | bar.Button2State() | bar.ThumbState());

  Send(bar, SkinUI::EventMouseEnter, 8, thumb.top + 2);
  bar.SetEnabled(false);  // disabling clears every state
  EXPECT_EQ(0u, bar.Button1State() | bar.Button2State() | bar.ThumbState());
  manager.timerCalls.clear();
  Send(bar, SkinUI::EventButtonDown, 8, 190);
  EXPECT_TRUE(manager.timerCalls.empty());
  EXPECT_EQ(0, bar.GetScrollPos());
  Send(bar, SkinUI::EventMouseEnter, 8, 190);
  EXPECT_EQ(0u, bar.Button1State());
}

TEST_F(OwnerlessBar, OtherTimersAndUnknownEventsGoToTheBase) {
  Send(bar, SkinUI::EventTimer, 0, 0, 3);
  ASSERT_EQ(1u, manager.notifications.size());
  EXPECT_EQ(L"timer", manager.notifications[0].type);
  EXPECT_EQ(3u, manager.notifications[0].wParam);
}

// A solid square of 16 x 16.
std::vector<DWORD> Solid(DWORD argb) {
  return std::vector<DWORD>(16 * 16, argb);
}

TEST_F(OwnerlessBar, PaintsStateImagesAndFallsBackToAnOutline) {
  Configure(bar, {{0, 0, 16, 200}, false, true, 100, 0});
  manager.AddPixelImage(L"red.png", 16, 16, Solid(0xFFFF0000));
  manager.AddPixelImage(L"green.png", 16, 16, Solid(0xFF00FF00));
  manager.AddPixelImage(L"blue.png", 16, 16, Solid(0xFF0000FF));
  manager.AddPixelImage(L"yellow.png", 16, 16, Solid(0xFFFFFF00));
  bar.ApplyAttributeText(
      L"button1normalimage=\"red.png\" button1hotimage=\"green.png\" "
      L"button2normalimage=\"missing.png\" thumbdisabledimage=\"yellow.png\" "
      L"railnormalimage=\"green.png\" bknormalimage=\"blue.png\"");
  const CRectUI thumb = bar.ThumbRect();

  Canvas plain(16, 200);
  bar.Paint(plain.dc(), plain.Bounds());
  EXPECT_EQ(0xFF0000u, plain.Rgb(8, 8));          // button 1 image
  EXPECT_EQ(0x85E4FFu, plain.Rgb(0, 190));        // button 2: its image failed, outline
  EXPECT_EQ(0x0000FFu, plain.Rgb(8, 190));        // background shows inside the outline
  EXPECT_EQ(0x85E4FFu, plain.Rgb(0, thumb.top));  // no normal thumb image: outline
  const int middle = (thumb.top + thumb.bottom) / 2;
  EXPECT_EQ(0x00FF00u, plain.Rgb(8, middle));  // the grip, a square centred on the thumb
  EXPECT_EQ(0x0000FFu, plain.Rgb(8, middle - 8 - 2));

  Send(bar, SkinUI::EventMouseEnter, 8, 100);
  Canvas hot(16, 200);
  bar.Paint(hot.dc(), hot.Bounds());
  EXPECT_EQ(0x00FF00u, hot.Rgb(8, 8));

  bar.SetEnabled(false);  // no disabled image for button 1: its normal one
  Canvas disabled(16, 200);
  bar.Paint(disabled.dc(), disabled.Bounds());
  EXPECT_EQ(0xFF0000u, disabled.Rgb(8, 8));
  EXPECT_EQ(0xFFFF00u, disabled.Rgb(8, thumb.top + 2));  // thumb's disabled image
  EXPECT_EQ(0xFFFF00u, disabled.Rgb(0, thumb.top));      // and no outline
}

}  // namespace

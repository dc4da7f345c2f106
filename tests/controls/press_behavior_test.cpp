// The press behaviour every clickable control shares, driven by the events
// a window sends.

#include <gtest/gtest.h>

#include "ui/controls/press_behavior.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

TPressOutcome Send(CPressBehaviorUI& press, int kind, bool over, PressKind pressKind,
                   PressButtons buttons = PressButtons::kLeft) {
  TControlEvent event;
  event.kind = kind;
  return press.OnPointer(event, true, over, pressKind, buttons);
}

TEST(PressBehavior, AClickOnReleaseCountsOnlyWhenReleasedOverTheThing) {
  const auto kind = PressKind::kClickOnRelease;
  CPressBehaviorUI press;
  EXPECT_TRUE(Send(press, EventMouseEnter, true, kind).changed);
  EXPECT_TRUE(Send(press, EventButtonDown, true, kind).changed);
  EXPECT_EQ(ButtonState::kHot | ButtonState::kPushed | ButtonState::kCaptured, press.State());
  EXPECT_TRUE(Send(press, EventMouseMove, false, kind).changed);  // dragged off: not pushed
  EXPECT_FALSE(press.IsPushed());
  EXPECT_TRUE(Send(press, EventMouseMove, true, kind).changed);
  EXPECT_TRUE(Send(press, EventButtonUp, true, kind).clicked);

  Send(press, EventButtonDown, true, kind);
  const TPressOutcome away = Send(press, EventButtonUp, false, kind);
  EXPECT_TRUE(away.taken);
  EXPECT_FALSE(away.clicked);
  EXPECT_EQ(ButtonState::kHot, press.State());
  EXPECT_FALSE(Send(press, EventButtonUp, true, kind).clicked);  // no press going on
}

TEST(PressBehavior, ADisabledOrMissedThingNeitherTurnsHotNorPresses) {
  CPressBehaviorUI press;
  TControlEvent event;
  event.kind = EventMouseEnter;
  EXPECT_FALSE(press.OnPointer(event, false, true, PressKind::kClickOnPress).changed);
  for (int kind : {EventButtonDown, EventDoubleClick}) {
    event.kind = kind;
    EXPECT_FALSE(press.OnPointer(event, false, true, PressKind::kClickOnPress).pressed);
    EXPECT_FALSE(press.OnPointer(event, true, false, PressKind::kClickOnPress).pressed);
  }
  EXPECT_EQ(0u, press.State());
  EXPECT_TRUE(press.Hover(true, true));
  EXPECT_TRUE(press.Hover(false, false));  // leaving still counts
  event.kind = EventRightButtonDown;
  EXPECT_FALSE(press.OnPointer(event, true, true, PressKind::kClickOnPress).taken);
  EXPECT_TRUE(
      press.OnPointer(event, true, true, PressKind::kClickOnPress, PressButtons::kLeftOrRight)
          .clicked);
  event.kind = EventDoubleClick;
  EXPECT_FALSE(
      press.OnPointer(event, true, true, PressKind::kClickOnPress, PressButtons::kLeftOrRight)
          .taken);
  press.Reset(ButtonState::kSelected);
  EXPECT_EQ(0u, press.State());
}

TEST(PressBehavior, DragsReportEveryMoveAndTheirEndAndOnlyTheThumbLooksPushed) {
  for (PressKind kind : {PressKind::kDrag, PressKind::kDragEdge}) {
    CPressBehaviorUI press;
    EXPECT_TRUE(Send(press, EventButtonDown, true, kind).pressed);
    EXPECT_TRUE(press.IsDragging());
    EXPECT_EQ(kind == PressKind::kDrag, press.IsPushed());
    EXPECT_TRUE(Send(press, EventMouseMove, false, kind).dragged);
    const TPressOutcome end = Send(press, EventButtonUp, false, kind);
    EXPECT_TRUE(end.dragEnded);
    EXPECT_FALSE(end.clicked);
    EXPECT_FALSE(Send(press, EventMouseMove, true, kind).dragged);
  }
}

TEST(PressBehavior, AHeldPressRepeatsAfterItsQuietTicksAndCountsAnewWithEachPress) {
  CPressBehaviorUI press;
  press.BeginPress(PressKind::kClickOnPress);
  for (int tick = 1; tick <= 3; ++tick) EXPECT_FALSE(press.RepeatDue(3)) << tick;
  EXPECT_TRUE(press.RepeatDue(3));
  EXPECT_TRUE(press.EndPress());
  EXPECT_FALSE(press.EndPress());
  press.BeginPress(PressKind::kClickOnPress);
  EXPECT_FALSE(press.RepeatDue(3));
}

}  // namespace
}  // namespace SkinUITest

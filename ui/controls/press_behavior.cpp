#include "ui/controls/press_behavior.h"

namespace SkinUI {

namespace {

constexpr UINT kLookBits = ButtonState::kHot | ButtonState::kPushed;

bool ShowsPushed(PressKind kind) {
  return kind != PressKind::kDragEdge;
}

bool HoldsPointer(PressKind kind) {
  return kind != PressKind::kClickOnPress;
}

}  // namespace

bool CPressBehaviorUI::IsDragging() const {
  const bool drags = pressKind == PressKind::kDrag || pressKind == PressKind::kDragEdge;
  return drags && Has(ButtonState::kCaptured);
}

bool CPressBehaviorUI::Hover(bool over, bool enabled) {
  if (over && !enabled) return false;
  return Set(ButtonState::kHot, over);
}

bool CPressBehaviorUI::BeginPress(PressKind kind) {
  const UINT before = word & kLookBits;
  pressKind = kind;
  heldTicks = 0;
  if (ShowsPushed(kind)) Set(ButtonState::kPushed, true);
  if (HoldsPointer(kind)) Set(ButtonState::kCaptured, true);
  return (word & kLookBits) != before;
}

bool CPressBehaviorUI::Follow(bool over) {
  if (pressKind != PressKind::kClickOnRelease || !Has(ButtonState::kCaptured)) return false;
  return Set(ButtonState::kPushed, over);
}

bool CPressBehaviorUI::EndPress(bool over, bool& clicked) {
  clicked = false;
  const bool held = HoldsPointer(pressKind) ? Has(ButtonState::kCaptured) : IsPushed();
  if (!held) return false;
  clicked = pressKind == PressKind::kClickOnRelease && over;
  Set(ButtonState::kPushed | ButtonState::kCaptured, false);
  return true;
}

bool CPressBehaviorUI::EndPress() {
  bool clicked = false;
  return EndPress(false, clicked);
}

bool CPressBehaviorUI::RepeatDue(int quietTicks) {
  return ++heldTicks > quietTicks;
}

bool CPressBehaviorUI::BeginsPress(int eventKind, PressButtons buttons) const {
  if (eventKind == EventButtonDown) return true;
  if (buttons == PressButtons::kLeft) return eventKind == EventDoubleClick;
  return eventKind == EventRightButtonDown;
}

TPressOutcome CPressBehaviorUI::OnPointer(const TControlEvent& event, bool enabled, bool over,
                                          PressKind kind, PressButtons buttons) {
  TPressOutcome outcome;
  outcome.taken = true;
  if (event.kind == EventMouseEnter || event.kind == EventMouseLeave) {
    outcome.changed = Hover(event.kind == EventMouseEnter, enabled);
  } else if (BeginsPress(event.kind, buttons)) {
    if (!enabled || !over) return outcome;
    outcome.changed = BeginPress(kind);
    outcome.pressed = true;
    outcome.clicked = kind == PressKind::kClickOnPress;
  } else if (event.kind == EventMouseMove) {
    outcome.dragged = IsDragging();
    outcome.changed = Follow(over);
  } else if (event.kind == EventButtonUp) {
    const UINT before = word & kLookBits;
    const bool wasDragging = IsDragging();
    if (!EndPress(over, outcome.clicked)) return outcome;
    outcome.dragEnded = wasDragging;
    outcome.changed = (word & kLookBits) != before;
  } else {
    outcome.taken = false;
  }
  return outcome;
}

}  // namespace SkinUI

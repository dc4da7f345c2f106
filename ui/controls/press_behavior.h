#pragma once
// The one place where hover, press, pointer capture, release and auto-repeat
// of a clickable thing are decided: buttons and options, list header items
// and their separator strips, list rows, the parts of a scroll bar and the
// separator band of a layout each keep one of these and only react to what
// it reports. It keeps the state word of the thing (ButtonState bits) and
// knows nothing of windows: the control repaints, notifies and acts.

#include <windows.h>

#include "ui/core/control_event.h"

namespace SkinUI {

namespace ButtonState {
constexpr UINT kFocused = 0x01;
constexpr UINT kSelected = 0x02;  // options only
constexpr UINT kDisabled = 0x04;
constexpr UINT kHot = 0x08;
constexpr UINT kPushed = 0x10;
// The left button went down on the thing and has not been released.
constexpr UINT kCaptured = 0x40;

inline bool Has(UINT state, UINT bit) {
  return (state & bit) != 0;
}
// Sets or clears bit; true when the word changed.
inline bool Set(UINT& state, UINT bit, bool on) {
  const UINT before = state;
  state = on ? (state | bit) : (state & ~bit);
  return state != before;
}
}  // namespace ButtonState

// How a press that begins goes on until its release.
enum class PressKind {
  // Holds the pointer; looks pushed while the pointer is over the thing; a
  // release over it is a click (buttons).
  kClickOnRelease,
  // A click at once; looks pushed until the release (header captions, rows,
  // scroll arrows and rail).
  kClickOnPress,
  // Holds the pointer and looks pushed; every move drags (a scroll thumb).
  kDrag,
  // Holds the pointer without a look of its own; every move drags (the
  // edges that resize a column or a layout).
  kDragEdge,
};

// Which pointer events begin a press.
enum class PressButtons {
  // The left button, and the second press of a double click.
  kLeft,
  // Either button; a double click is not a press (rows activate on it).
  kLeftOrRight,
};

// What one pointer event did to a press behaviour.
struct TPressOutcome {
  // The event was one of those a press behaviour answers.
  bool taken = false;
  // The hot or pushed look changed.
  bool changed = false;
  // A press began on the thing.
  bool pressed = false;
  // The press counts as a click now.
  bool clicked = false;
  // The pointer moved during a drag.
  bool dragged = false;
  // A drag ended.
  bool dragEnded = false;
};

class CPressBehaviorUI {
 public:
  UINT State() const { return word; }
  bool Has(UINT bit) const { return ButtonState::Has(word, bit); }
  bool IsHot() const { return Has(ButtonState::kHot); }
  bool IsPushed() const { return Has(ButtonState::kPushed); }
  bool IsDragging() const;
  // Sets or clears bits outside the press (focused, disabled, selected) or
  // cancels one; true when the word changed.
  bool Set(UINT bits, bool on) { return ButtonState::Set(word, bits, on); }
  // A disabled thing forgets its hover and press: every bit but keep goes.
  void Reset(UINT keep = 0) { word &= keep; }

  // The pointer came over the thing or left it; a disabled thing never turns
  // hot. True when the look changed.
  bool Hover(bool over, bool enabled);
  // A press begins on the thing (the caller has found it enabled and under
  // the pointer). True when the look changed.
  bool BeginPress(PressKind kind);
  // The pointer moved during the press: a click-on-release looks pushed only
  // while the pointer is over the thing. True when the look changed.
  bool Follow(bool over);
  // The button came up: false when no press was going on. clicked tells
  // whether the press ended in a click (a click-on-release over the thing).
  bool EndPress(bool over, bool& clicked);
  bool EndPress();
  // Auto-repeat of a held press: true on every tick after the first
  // quietTicks ticks since the press began.
  bool RepeatDue(int quietTicks);

  // Hover on enter and leave, a press of the given kind when the event
  // begins one over an enabled thing, the pushed look following the pointer,
  // and the release. Other events are not taken.
  TPressOutcome OnPointer(const TControlEvent& event, bool enabled, bool over, PressKind kind,
                          PressButtons buttons = PressButtons::kLeft);

 private:
  bool BeginsPress(int eventKind, PressButtons buttons) const;

  UINT word = 0;
  PressKind pressKind = PressKind::kClickOnRelease;
  int heldTicks = 0;
};

}  // namespace SkinUI

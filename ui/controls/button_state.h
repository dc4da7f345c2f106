#pragma once
// The state word of clickable things: buttons and options, the parts of a
// scroll bar, list rows and header items all use these bits.

#include <windows.h>

namespace SkinUI {

namespace ButtonState {
constexpr UINT kFocused = 0x01;
constexpr UINT kSelected = 0x02;  // options only
constexpr UINT kDisabled = 0x04;
constexpr UINT kHot = 0x08;
constexpr UINT kPushed = 0x10;
// The left button went down on the control and has not been released.
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

}  // namespace SkinUI

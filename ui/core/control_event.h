#pragma once
// The event record the window manager hands to a single control, the event
// kinds and the key-state word.

#include <windows.h>

#include "ui/core/geometry.h"

namespace SkinUI {

class CControlUI;

// Values not listed are never sent. 3-6 are the keyboard kinds, 9-18 the
// mouse kinds.
enum ControlEventKind : int {
  EventKeyDown = 3,
  EventKeyUp = 4,
  EventChar = 5,
  EventSysKey = 6,
  EventMouseMove = 9,
  EventMouseLeave = 10,
  EventMouseEnter = 11,
  EventMouseHover = 12,
  EventButtonDown = 13,
  EventButtonUp = 14,
  EventRightButtonDown = 15,
  EventDoubleClick = 16,
  EventContextMenu = 17,
  EventScrollWheel = 18,
  EventKillFocus = 20,
  EventSetFocus = 21,
  EventWindowSize = 22,
  EventSetCursor = 23,
  EventTimer = 24,
};

inline bool IsKeyboardEvent(int kind) {
  return kind >= EventKeyDown && kind <= EventSysKey;
}
inline bool IsMouseEvent(int kind) {
  return kind >= EventMouseMove && kind <= EventScrollWheel;
}

// Modifier and button state. The bits equal the platform's mouse-message key
// flags (MK_LBUTTON ...), so a word taken from a mouse message and one built
// from the keyboard state mean the same.
using KeyStateWord = WORD;
constexpr KeyStateWord KeyStateLeftButton = 1;
constexpr KeyStateWord KeyStateRightButton = 2;
constexpr KeyStateWord KeyStateShift = 4;
constexpr KeyStateWord KeyStateControl = 8;
constexpr KeyStateWord KeyStateAlt = 32;

// Built from the live keyboard state (a key is down when GetKeyState is negative).
KeyStateWord CurrentKeyStateWord();

// Built anew for each delivery and valid only during it; fields a kind does
// not name stay zero.
struct TControlEvent {
  int kind = 0;
  // The receiving control, except: null for keyboard kinds and EventSetCursor;
  // for EventKillFocus the control that receives focus.
  CControlUI* sender = nullptr;
  DWORD time = 0;
  CPointUI point;
  wchar_t key = 0;
  KeyStateWord keyState = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  // Set when a key went up the whole tree without any control using it, so
  // that the window may apply its own default for the key.
  bool unanswered = false;
};

}  // namespace SkinUI

#include "ui/core/control_event.h"

namespace SkinUI {

namespace {

bool IsKeyDown(int virtualKey) {
  return GetKeyState(virtualKey) < 0;
}

}  // namespace

KeyStateWord CurrentKeyStateWord() {
  KeyStateWord state = 0;
  if (IsKeyDown(VK_LBUTTON)) state |= KeyStateLeftButton;
  if (IsKeyDown(VK_RBUTTON)) state |= KeyStateRightButton;
  if (IsKeyDown(VK_SHIFT)) state |= KeyStateShift;
  if (IsKeyDown(VK_CONTROL)) state |= KeyStateControl;
  if (IsKeyDown(VK_MENU)) state |= KeyStateAlt;
  return state;
}

}  // namespace SkinUI

#pragma once
// The module the program's windows, icons and strings belong to. Set once at
// start-up; kept in the lowest layer because both the window base and the
// skin lookup read it.

#include <windows.h>

namespace SkinUI {

void SetModuleInstance(HINSTANCE instance);
// Null until set.
HINSTANCE ModuleInstance();

}  // namespace SkinUI

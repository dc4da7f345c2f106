#pragma once
// The DPI of the monitor a window is on.

#include <windows.h>

namespace SkinUI {

// GetDpiForWindow where the system has it (Windows 10, 1607 on), looked up at
// run time so that the program still starts on Windows 7; else the window's
// device context's LOGPIXELSX, the system-wide value. 96 when neither answers.
// No window: the system's DPI.
int WindowDpi(HWND window);

// The system's DPI, which the stock fonts are made for: GetDpiForSystem where
// the system has it, else the screen's LOGPIXELSY. Not overridden.
int SystemDpi();

// Every window of the process is taken to be at dpi (0 asks the system
// again): for measuring one scale against another in one run.
void OverrideWindowDpi(int dpi);

}  // namespace SkinUI

#pragma once
// What the agent thread posts to the window it serves.

#include <windows.h>

// A scan has ended, whatever its outcome; its entries wait in the agent thread.
constexpr UINT WM_SCAN_FINISHED = WM_USER + 0x400;
// Progress or the end of an installation waits to be taken.
constexpr UINT WM_AGENT_REPORT = WM_USER + 0x401;

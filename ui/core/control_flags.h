#pragma once
// Flags of the control tree searches and of ControlFlags.

#include <windows.h>

namespace SkinUI {

class CControlUI;

// Used by every FindInTree and by the window manager's own searches.
constexpr UINT FindVisible = 0x1;   // skip invisible controls
constexpr UINT FindEnabled = 0x2;   // skip disabled controls
constexpr UINT FindHitTest = 0x4;   // skip controls that do not take the mouse or miss the point
constexpr UINT FindTopFirst = 0x8;  // visit children from the last (topmost) to the first
constexpr UINT FindMeFirst = 0x80000000;  // test the container before its children

// The search callback: the first control for which it returns non-null ends
// the search with that result.
using FindControlProc = CControlUI*(CALLBACK*)(CControlUI* control, LPVOID data);

constexpr UINT ControlFlagTabStop = 1;    // takes focus by Tab
constexpr UINT ControlFlagSetCursor = 2;  // sets the mouse cursor itself on EventSetCursor

}  // namespace SkinUI

#pragma once
// Opening a web address as the signed-in user. This program runs elevated,
// so its own ShellExecute would start the browser with administrator rights;
// the desktop shell's process runs as the user, and is asked to open the
// address instead. Where that process cannot be reached, nothing is opened:
// the address is shown in a message the user can copy it from.

#include <windows.h>

#include "app/system_actions.h"

enum class EOpenRoute { DesktopShell, Message };

// Asks the desktop shell's process to open address; false when that process
// cannot be reached or refuses. Initialises COM on the calling thread for
// the call when it has none.
bool OpenWithDesktopShell(const wchar_t* address);
// Whether the desktop shell's process can be reached; opens nothing.
bool DesktopShellReachable(const wchar_t* address);

using TDesktopShellOpen = bool (*)(const wchar_t* address);

// The desktop shell when open succeeds, otherwise a message through
// actions, owned by owner. Returns the route taken.
EOpenRoute OpenAddressAsUser(HWND owner, const wchar_t* address, ISystemActions& actions,
                             TDesktopShellOpen open);

// For the simulated build's log: "desktop shell" or "message".
const wchar_t* OpenRouteName(EOpenRoute route);

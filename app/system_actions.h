#pragma once
// What the program asks of the machine beyond its own window: message boxes,
// opening an address with the shell, and restarting. The product calls the
// platform; the simulated build and the tests record the calls instead, so
// that nothing is ever opened or restarted from them.

#include <windows.h>

class ISystemActions {
 public:
  // MessageBoxW; the answer (IDYES, IDNO, IDOK ...).
  virtual int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
  // The shell's "open" verb on an address (home page, download page).
  virtual void OpenAddress(HWND owner, const wchar_t* address) = 0;
  // Enables the shutdown privilege and asks for the restart; false when
  // either step failed.
  virtual bool Restart(UINT flags, DWORD reason) = 0;

 protected:
  ~ISystemActions() = default;
};

// The real message boxes, shell and restart.
ISystemActions& PlatformSystemActions();

#pragma once
// What the program asks of the machine beyond its own window: message boxes,
// opening an address, holding off a shutdown, and restarting. The product calls the platform; the
// simulated build and the tests record the calls instead, so that nothing is
// ever opened or restarted from them.

#include <windows.h>

#include <memory>

class ISystemActions {
 public:
  // MessageBoxW; the answer (IDYES, IDNO, IDOK ...).
  virtual int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
  // Opens a web address (home page, download page) for the signed-in user,
  // or shows it in a message owned by owner where it cannot be opened so.
  virtual void OpenAddress(HWND owner, const wchar_t* address) = 0;
  // Tells the system why a shutdown should wait while window works (the
  // reason shown to the user), or, with no reason, that it need not wait.
  virtual void BlockShutdown(HWND window, const wchar_t* reason) = 0;
  // Enables the shutdown privilege and asks for the restart; false when
  // either step failed.
  virtual bool Restart(UINT flags, DWORD reason) = 0;

 protected:
  ~ISystemActions() = default;
};

// The platform's shutdown block of a window (what BlockShutdown does).
void BlockShutdownOf(HWND window, const wchar_t* reason);

// The real message boxes, shell and restart.
std::shared_ptr<ISystemActions> MakePlatformSystemActions();

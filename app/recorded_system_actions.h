#pragma once
// The simulated build's system actions: real message boxes, but addresses
// are never opened and the machine is never restarted; those calls, and the
// answers to the message boxes, are appended to a log file instead. An
// address is recorded with the route the product would take: the desktop
// shell when it can be reached, otherwise the message showing the address,
// which is shown for real.

#include <string>

#include "app/system_actions.h"

class CRecordedSystemActions final : public ISystemActions {
 public:
  explicit CRecordedSystemActions(std::wstring logPath);

  int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
  void OpenAddress(HWND owner, const wchar_t* address) override;
  void BlockShutdown(HWND window, const wchar_t* reason) override;
  bool Restart(UINT flags, DWORD reason) override;

  // One more line of the log, from any thread: what else the simulated
  // build records there (the agent's job calls).
  void Append(const wchar_t* line);

 private:
  std::wstring logPath_;
};

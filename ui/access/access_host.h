#pragma once
// What the accessibility tree asks of the window that shows the controls.
// The window manager implements it. Everything runs on the window's thread.

#include <windows.h>

namespace SkinUI {

class CControlUI;

class IAccessHostUI {
 public:
  virtual HWND AccessWindow() const = 0;
  virtual CControlUI* AccessRoot() const = 0;
  // True while the control hangs in the installed tree of the window.
  virtual bool IsInAccessTree(CControlUI* control) const = 0;

 protected:
  ~IAccessHostUI() = default;
};

}  // namespace SkinUI

#pragma once
// Base of every native top-level or pop-up window of the framework. The
// object owns one window handle, registers its window class on demand, is
// bound to the native window during WM_NCCREATE so that every message reaches
// OnMessage, and hears through OnNativeDestroyed when the window is gone.
// The native window does not own the object: whoever created it deletes it.

#include <windows.h>

namespace SkinUI {

class CWindowWnd {
 public:
  CWindowWnd() = default;
  CWindowWnd(const CWindowWnd&) = delete;
  CWindowWnd& operator=(const CWindowWnd&) = delete;
  virtual ~CWindowWnd() = default;

  HWND GetHWND() const { return hwnd; }
  operator HWND() const { return hwnd; }  // NOLINT: passed to the platform everywhere

  bool RegisterPlainClass();
  // Registers WindowClassName as a copy of BaseClassName whose unhandled
  // messages go to the base class's own procedure.
  bool RegisterDerivedClass();

  HWND CreateNativeWindow(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x,
                          int y, int cx, int cy, HMENU menu = nullptr);
  HWND CreateNativeWindow(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle,
                          const RECT& rc, HMENU menu = nullptr);

  // Hide, show and activate, or show without activating; nothing when the
  // window is not alive.
  void Show(bool show = true, bool takeFocus = true);
  // Posts WM_CLOSE with the result code as wParam; nothing when not alive.
  void PostClose(UINT resultCode = IDOK);
  // Centres on the owner window (or the work area without one), kept inside
  // the work area.
  void CenterOnOwner();
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // False when there is no window to post to.
  bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Where unhandled messages go: DefWindowProcW, or the base class's procedure.
  WNDPROC PreviousProc() const { return previousProc; }

 protected:
  virtual const wchar_t* WindowClassName() const = 0;
  // Null registers a class of its own.
  virtual const wchar_t* BaseClassName() const { return nullptr; }
  virtual UINT ClassStyle() const { return 0; }
  // Sees every message from WM_NCCREATE on, except WM_NCDESTROY.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The binding is already gone; a window that must delete itself when its
  // native window dies does it here.
  virtual void OnNativeDestroyed(HWND /*oldHandle*/) {}

  static LRESULT CALLBACK StandardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK DerivedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd = nullptr;
  WNDPROC previousProc = DefWindowProcW;

 private:
  LRESULT DispatchBound(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT FinishNativeWindow(HWND oldHandle, WPARAM wParam, LPARAM lParam, bool derived);
  static LRESULT RouteMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam,
                              bool derived);
  static void Bind(HWND handle, CWindowWnd* self, bool derived);
  static void Unbind(HWND handle, bool derived);
  static CWindowWnd* BoundObject(HWND handle, bool derived);
};

// The module that registers and creates framework windows: the skin
// location's module instance, or this executable when none was set.
HINSTANCE FrameworkInstance();

}  // namespace SkinUI

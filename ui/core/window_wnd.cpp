#include "ui/core/window_wnd.h"

#include "ui/core/module_instance.h"

namespace SkinUI {

namespace {

// Derived classes keep the object in a window property because the base
// class's procedure may use the user data itself.
constexpr wchar_t kObjectProperty[] = L"WndX";

bool RegistrationSucceeded(ATOM atom) {
  return atom != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

CWindowWnd* ObjectFromCreateStruct(LPARAM lParam) {
  auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
  return create != nullptr ? static_cast<CWindowWnd*>(create->lpCreateParams) : nullptr;
}

RECT WorkArea() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// Keeps [position, position + extent) inside [low, high) where it can; a
// window larger than the range starts at low.
LONG ClampIntoRange(LONG position, LONG extent, LONG low, LONG high) {
  if (position < low) return low;
  if (position + extent > high) return high - extent;
  return position;
}

}  // namespace

HINSTANCE FrameworkInstance() {
  HINSTANCE instance = SkinUI::ModuleInstance();
  return instance != nullptr ? instance : GetModuleHandleW(nullptr);
}

bool CWindowWnd::RegisterPlainClass() {
  WNDCLASSW wc = {};
  wc.style = ClassStyle();
  wc.lpfnWndProc = StandardWindowProc;
  wc.hInstance = FrameworkInstance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = WindowClassName();
  return RegistrationSucceeded(RegisterClassW(&wc));
}

bool CWindowWnd::RegisterDerivedClass() {
  HINSTANCE instance = FrameworkInstance();
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  const wchar_t* base = BaseClassName();
  if (base == nullptr) return false;
  if (!GetClassInfoExW(nullptr, base, &wc) && !GetClassInfoExW(instance, base, &wc)) return false;
  previousProc = wc.lpfnWndProc;
  wc.lpfnWndProc = DerivedWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = WindowClassName();
  return RegistrationSucceeded(RegisterClassExW(&wc));
}

HWND CWindowWnd::CreateNativeWindow(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle,
                                    int x, int y, int cx, int cy, HMENU menu) {
  const bool registered =
      BaseClassName() != nullptr ? RegisterDerivedClass() : RegisterPlainClass();
  if (!registered) return nullptr;
  // The handle is stored while WM_NCCREATE binds the object. This object may
  // already be gone when the call returns (a refused WM_CREATE destroys the
  // window, and an owner may delete itself then), so it is not touched again.
  return CreateWindowExW(exStyle, WindowClassName(), name, style, x, y, cx, cy, parent, menu,
                         FrameworkInstance(), this);
}

HWND CWindowWnd::CreateNativeWindow(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle,
                                    const RECT& rc, HMENU menu) {
  return CreateNativeWindow(parent, name, style, exStyle, rc.left, rc.top, rc.right - rc.left,
                            rc.bottom - rc.top, menu);
}

void CWindowWnd::Show(bool show, bool takeFocus) {
  if (!IsWindow(hwnd)) return;
  int command = SW_HIDE;
  if (show) command = takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE;
  ShowWindow(hwnd, command);
}

void CWindowWnd::PostClose(UINT resultCode) {
  if (!IsWindow(hwnd)) return;
  PostMessageW(hwnd, WM_CLOSE, static_cast<WPARAM>(resultCode), 0);
}

void CWindowWnd::CenterOnOwner() {
  RECT own = {};
  GetWindowRect(hwnd, &own);
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  const RECT work = WorkArea();

  RECT centre = work;
  HWND owner = GetWindow(hwnd, GW_OWNER);
  if (owner != nullptr) GetWindowRect(owner, &centre);

  LONG x = (centre.left + centre.right) / 2 - width / 2;
  LONG y = (centre.top + centre.bottom) / 2 - height / 2;
  x = ClampIntoRange(x, width, work.left, work.right);
  y = ClampIntoRange(y, height, work.top, work.bottom);
  SetWindowPos(hwnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(hwnd, message, wParam, lParam);
}

bool CWindowWnd::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  // Without a window PostMessageW would post to the thread instead.
  if (hwnd == nullptr) return false;
  return PostMessageW(hwnd, message, wParam, lParam) != FALSE;
}

LRESULT CWindowWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(previousProc, hwnd, message, wParam, lParam);
}

// No C++ exception may unwind into the platform's window code.
LRESULT CWindowWnd::DispatchBound(UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return OnMessage(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

// The previous procedure sees WM_NCDESTROY first; the object hears of the
// end only after the binding and its handle are gone, so it may delete itself.
LRESULT CWindowWnd::FinishNativeWindow(HWND oldHandle, WPARAM wParam, LPARAM lParam, bool derived) {
  const LRESULT result = CallWindowProcW(previousProc, oldHandle, WM_NCDESTROY, wParam, lParam);
  Unbind(oldHandle, derived);
  hwnd = nullptr;
  try {
    OnNativeDestroyed(oldHandle);
  } catch (...) {
  }
  return result;
}

// A plain class keeps the object in the user data; a class derived from
// another one keeps it in a window property, since the base class may use
// the user data itself.
void CWindowWnd::Bind(HWND handle, CWindowWnd* self, bool derived) {
  if (derived) {
    SetPropW(handle, kObjectProperty, self);
  } else {
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
}

void CWindowWnd::Unbind(HWND handle, bool derived) {
  if (derived) {
    RemovePropW(handle, kObjectProperty);
  } else {
    SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
  }
}

CWindowWnd* CWindowWnd::BoundObject(HWND handle, bool derived) {
  if (derived) return static_cast<CWindowWnd*>(GetPropW(handle, kObjectProperty));
  return reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
}

LRESULT CWindowWnd::RouteMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam,
                                 bool derived) {
  CWindowWnd* self = nullptr;
  if (message == WM_NCCREATE) {
    self = ObjectFromCreateStruct(lParam);
    if (self != nullptr) {
      self->hwnd = handle;
      Bind(handle, self, derived);
    }
  } else {
    self = BoundObject(handle, derived);
    if (message == WM_NCDESTROY && self != nullptr) {
      return self->FinishNativeWindow(handle, wParam, lParam, derived);
    }
  }
  if (self == nullptr) return DefWindowProcW(handle, message, wParam, lParam);
  return self->DispatchBound(message, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::StandardWindowProc(HWND handle, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  return RouteMessage(handle, message, wParam, lParam, false);
}

LRESULT CALLBACK CWindowWnd::DerivedWindowProc(HWND handle, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  return RouteMessage(handle, message, wParam, lParam, true);
}

}  // namespace SkinUI

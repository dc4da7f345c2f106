#include "ui/window/window_dpi.h"

#include "ui/core/dpi_scale.h"

namespace SkinUI {

namespace {

using DpiForWindowProc = UINT(WINAPI*)(HWND);
using DpiForSystemProc = UINT(WINAPI*)();

template <typename Proc>
Proc User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

DpiForWindowProc DpiForWindowFunction() {
  static const auto function = User32Function<DpiForWindowProc>("GetDpiForWindow");
  return function;
}

DpiForSystemProc DpiForSystemFunction() {
  static const auto function = User32Function<DpiForSystemProc>("GetDpiForSystem");
  return function;
}

int DeviceContextDpi(HWND window, int axis) {
  HDC dc = GetDC(window);
  if (dc == nullptr) return 0;
  const int dpi = GetDeviceCaps(dc, axis);
  ReleaseDC(window, dc);
  return dpi;
}

int& DpiOverride() {
  static int dpi = 0;
  return dpi;
}

}  // namespace

void OverrideWindowDpi(int dpi) {
  DpiOverride() = dpi;
}

int WindowDpi(HWND window) {
  if (DpiOverride() > 0) return DpiOverride();
  if (window == nullptr) return SystemDpi();
  int dpi = 0;
  if (DpiForWindowProc function = DpiForWindowFunction()) {
    dpi = static_cast<int>(function(window));
  }
  if (dpi <= 0) dpi = DeviceContextDpi(window, LOGPIXELSX);
  return dpi > 0 ? dpi : CDpiScaleUI::kBaseDpi;
}

// Without a device context of the screen, which costs a trip to the window
// system.
int SystemDpi() {
  int dpi = 0;
  if (DpiForSystemProc function = DpiForSystemFunction()) dpi = static_cast<int>(function());
  if (dpi <= 0) dpi = DeviceContextDpi(nullptr, LOGPIXELSY);
  return dpi > 0 ? dpi : CDpiScaleUI::kBaseDpi;
}

}  // namespace SkinUI

#include "ui/window/window_dpi.h"

#include "ui/core/dpi_scale.h"

namespace SkinUI {

namespace {

using DpiForWindowProc = UINT(WINAPI*)(HWND);

DpiForWindowProc DpiForWindowFunction() {
  static const DpiForWindowProc function = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return DpiForWindowProc{nullptr};
    return reinterpret_cast<DpiForWindowProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")));
  }();
  return function;
}

int DeviceContextDpi(HWND window) {
  HDC dc = GetDC(window);
  if (dc == nullptr) return 0;
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
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
  int dpi = 0;
  if (DpiForWindowProc function = DpiForWindowFunction()) {
    dpi = static_cast<int>(function(window));
  }
  if (dpi <= 0) dpi = DeviceContextDpi(window);
  return dpi > 0 ? dpi : CDpiScaleUI::kBaseDpi;
}

}  // namespace SkinUI

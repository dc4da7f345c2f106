#include "ui/window/window_settings.h"

#include <algorithm>

namespace SkinUI {

namespace {

using SetLayeredAttributesProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Looked up at run time so that the program still starts where the
// operation is missing.
SetLayeredAttributesProc LayeredAttributesFunction() {
  HMODULE user32 = GetModuleHandleW(L"User32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<SetLayeredAttributesProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

void SetExtendedStyleBit(HWND window, LONG_PTR bit, bool on) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  const LONG_PTR wanted = on ? (style | bit) : (style & ~bit);
  if (wanted != style) SetWindowLongPtrW(window, GWL_EXSTYLE, wanted);
}

}  // namespace

void CWindowSettingsUI::SetInitialSize(int cx, int cy) {
  initialSize = CSizeUI(cx, cy);
  if (rootInstalled || settingsWindow == nullptr || !IsWindow(settingsWindow)) return;
  const CSizeUI size = DeviceInitialSize();
  SetWindowPos(settingsWindow, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CWindowSettingsUI::SetWindowOpacity(int value) {
  opacity = std::clamp(value, 0, 255);
  if (settingsWindow == nullptr || !IsWindow(settingsWindow)) return;
  SetLayeredAttributesProc setAttributes = LayeredAttributesFunction();
  if (setAttributes == nullptr) return;
  const bool layered = value >= 0 && value <= 255;
  SetExtendedStyleBit(settingsWindow, WS_EX_LAYERED, layered);
  // Constant alpha means something only on a layered window.
  if (layered) setAttributes(settingsWindow, 0, static_cast<BYTE>(value & 0xFF), LWA_ALPHA);
}

}  // namespace SkinUI

#pragma once
// Conversions between ARGB colours (alpha in the top byte), the platform's
// COLORREF and hue/saturation/lightness.

#include <windows.h>

namespace SkinUI {

struct THslColor {
  float hue = 0;         // degrees
  float saturation = 0;  // 0-1
  float lightness = 0;   // 0-1
};

inline BYTE AlphaOf(DWORD argb) {
  return static_cast<BYTE>(argb >> 24);
}
inline BYTE RedOf(DWORD argb) {
  return static_cast<BYTE>(argb >> 16);
}
inline BYTE GreenOf(DWORD argb) {
  return static_cast<BYTE>(argb >> 8);
}
inline BYTE BlueOf(DWORD argb) {
  return static_cast<BYTE>(argb);
}

// Red in the low byte, blue in the high byte; alpha is dropped.
inline COLORREF ArgbToColorRef(DWORD argb) {
  return RGB(RedOf(argb), GreenOf(argb), BlueOf(argb));
}

THslColor RgbToHsl(DWORD argb);
// Alpha of the result is 0.
DWORD HslToRgb(const THslColor& hsl);

// (180, 100, 100) leaves the colour unchanged; otherwise hue moves by
// hue - 180 degrees and saturation and lightness are scaled by percent. The
// alpha byte is kept.
DWORD ShiftColor(DWORD argb, short hue, short saturation, short lightness);

}  // namespace SkinUI

// CDrawKit::FillGradient: the platform gradient when msimg32 has it, bands of
// solid colour otherwise; translucent gradients are drawn aside and blended.

#include "ui/core/gdi_handles.h"
#include "ui/render/blend_fallback.h"
#include "ui/render/dib_section.h"
#include "ui/render/draw_kit.h"
#include "ui/render/imaging_library.h"

namespace SkinUI {

namespace {

constexpr int kOpaque = 255;

TRIVERTEX Vertex(LONG x, LONG y, DWORD color) {
  TRIVERTEX vertex = {};
  vertex.x = x;
  vertex.y = y;
  vertex.Red = static_cast<COLOR16>(RedOf(color) << 8);
  vertex.Green = static_cast<COLOR16>(GreenOf(color) << 8);
  vertex.Blue = static_cast<COLOR16>(BlueOf(color) << 8);
  vertex.Alpha = 0xFF00;
  return vertex;
}

bool PlatformGradient(HDC dc, const RECT& paint, DWORD first, DWORD second, bool vertical) {
  GradientFillProc gradientFill = PlatformGradientFill();
  if (gradientFill == nullptr) return false;
  TRIVERTEX vertices[2] = {Vertex(paint.left, paint.top, first),
                           Vertex(paint.right, paint.bottom, second)};
  GRADIENT_RECT mesh = {0, 1};
  const ULONG mode = vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H;
  return gradientFill(dc, vertices, 2, &mesh, 1, mode) != FALSE;
}

int BandShift(int steps) {
  if (steps >= 64) return 6;
  if (steps >= 32) return 5;
  if (steps >= 16) return 4;
  if (steps >= 8) return 3;
  if (steps >= 4) return 2;
  return 1;
}

DWORD BandChannel(DWORD first, DWORD second, int bands, int band, int shift) {
  return (second * (bands - band) + first * band) >> shift;
}

// Band 0 lies at the bottom (or right) edge in the second colour.
void BandedGradient(HDC dc, const RECT& paint, DWORD first, DWORD second, bool vertical,
                    int steps) {
  const int shift = BandShift(steps);
  const int bands = 1 << shift;
  const int height = paint.bottom - paint.top;
  const int width = paint.right - paint.left;
  for (int band = 0; band < bands; ++band) {
    RECT area = paint;
    if (vertical) {
      area.top = paint.bottom - (((band + 1) * height) >> shift);
      area.bottom = paint.bottom - ((band * height) >> shift);
    } else {
      area.left = paint.right - (((band + 1) * width) >> shift);
      area.right = paint.right - ((band * width) >> shift);
    }
    if (area.right <= area.left || area.bottom <= area.top) continue;
    const DWORD red = BandChannel(RedOf(first), RedOf(second), bands, band, shift);
    const DWORD green = BandChannel(GreenOf(first), GreenOf(second), bands, band, shift);
    const DWORD blue = BandChannel(BlueOf(first), BlueOf(second), bands, band, shift);
    UniqueBrush brush(CreateSolidBrush(RGB(red, green, blue)));
    if (brush) FillRect(dc, &area, brush.get());
  }
}

void PaintGradient(HDC dc, const RECT& paint, DWORD first, DWORD second, bool vertical, int steps) {
  if (!PlatformGradient(dc, paint, first, second, vertical)) {
    BandedGradient(dc, paint, first, second, vertical, steps);
  }
}

}  // namespace

void CDrawKit::FillGradient(HDC dc, const RECT& rc, DWORD first, DWORD second, bool vertical,
                            int steps) {
  const int alpha = (AlphaOf(first) + AlphaOf(second)) / 2;
  if (dc == nullptr || alpha == 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
  if (alpha >= kOpaque) {
    PaintGradient(dc, rc, first, second, vertical, steps);
    return;
  }

  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  DibSection aside = CreateTopDownDib(width, height);
  UniqueMemoryDC asideDC(dc);
  if (!aside || !asideDC) return;
  {
    SelectObjectGuard select(asideDC.get(), aside.bitmap.get());
    PaintGradient(asideDC.get(), RECT{0, 0, width, height}, first, second, vertical, steps);
    GdiFlush();
    // Solid fills leave the alpha byte at 0; the blend below reads it per
    // pixel, so the gradient is marked opaque and faded by the constant alpha.
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; ++i) aside.pixels[i] |= 0xFF000000;

    AlphaBlendProc alphaBlend = PlatformAlphaBlend();
    if (alphaBlend == nullptr) alphaBlend = BlendFallback;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), AC_SRC_ALPHA};
    alphaBlend(dc, rc.left, rc.top, width, height, asideDC.get(), 0, 0, width, height, blend);
  }
}

}  // namespace SkinUI

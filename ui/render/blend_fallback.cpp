#include "ui/render/blend_fallback.h"

#include "ui/core/gdi_handles.h"
#include "ui/render/dib_section.h"

namespace SkinUI {

namespace {

// The weight is a whole number on purpose: only full source and constant
// alpha give 1, anything less gives 0.
DWORD BlendPixel(DWORD source, DWORD destination, int constantAlpha) {
  const int alpha = static_cast<int>(source >> 24);
  int weight = alpha * constantAlpha / 255 / 255;
  if (weight < 0) weight = 0;
  DWORD result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int s = static_cast<int>((source >> shift) & 0xFF);
    const int d = static_cast<int>((destination >> shift) & 0xFF);
    const int channel = s * weight + d * (1 - weight);
    result |= static_cast<DWORD>(channel & 0xFF) << shift;
  }
  return result;
}

}  // namespace

BOOL WINAPI BlendFallback(HDC dst, int dstX, int dstY, int dstWidth, int dstHeight, HDC src,
                          int srcX, int srcY, int srcWidth, int srcHeight, BLENDFUNCTION blend) {
  DibSection source = CreateTopDownDib(dstWidth, dstHeight);
  DibSection target = CreateTopDownDib(dstWidth, dstHeight);
  UniqueMemoryDC sourceDC(dst);
  UniqueMemoryDC targetDC(dst);
  if (!source || !target || !sourceDC || !targetDC) return FALSE;

  SelectObjectGuard selectSource(sourceDC.get(), source.bitmap.get());
  SelectObjectGuard selectTarget(targetDC.get(), target.bitmap.get());
  SetStretchBltMode(sourceDC.get(), COLORONCOLOR);
  StretchBlt(sourceDC.get(), 0, 0, dstWidth, dstHeight, src, srcX, srcY, srcWidth, srcHeight,
             SRCCOPY);
  BitBlt(targetDC.get(), 0, 0, dstWidth, dstHeight, dst, dstX, dstY, SRCCOPY);
  GdiFlush();

  const size_t count = static_cast<size_t>(dstWidth) * dstHeight;
  for (size_t i = 0; i < count; ++i) {
    target.pixels[i] = BlendPixel(source.pixels[i], target.pixels[i], blend.SourceConstantAlpha);
  }
  BitBlt(dst, dstX, dstY, dstWidth, dstHeight, targetDC.get(), 0, 0, SRCCOPY);
  return TRUE;
}

}  // namespace SkinUI

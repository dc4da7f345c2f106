#include "ui/render/dib_section.h"

namespace SkinUI {

DibSection CreateTopDownDib(int width, int height) {
  DibSection dib;
  if (width <= 0 || height <= 0) return dib;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative height: rows run top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dib.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib.bitmap || bits == nullptr) {
    dib.bitmap.reset();
    return dib;
  }
  dib.pixels = static_cast<DWORD*>(bits);
  dib.width = width;
  dib.height = height;
  return dib;
}

bool CanProcessFourPixelsAtOnce() {
  static const bool available =
      IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE;
  return available;
}

}  // namespace SkinUI

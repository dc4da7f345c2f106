#pragma once
// 32-bit top-down bitmaps whose pixels the program writes directly. A pixel
// read as a DWORD is 0xAARRGGBB (blue, green, red, alpha in memory).

#include <windows.h>

#include "ui/core/gdi_handles.h"

namespace SkinUI {

struct DibSection {
  UniqueBitmap bitmap;
  DWORD* pixels = nullptr;
  int width = 0;
  int height = 0;

  explicit operator bool() const { return bitmap && pixels != nullptr; }
  DWORD& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Empty (null bitmap) when the size is not positive or creation fails.
DibSection CreateTopDownDib(int width, int height);

// Whether the processor works on four pixels in one instruction (SSE2):
// loops over pixels take that path when it has it.
bool CanProcessFourPixelsAtOnce();

}  // namespace SkinUI

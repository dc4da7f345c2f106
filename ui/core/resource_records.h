#pragma once
// The records the window manager hands out for its fonts and images. The
// manager's tables own them; callers only borrow.

#include <windows.h>

#include <memory>

#include "ui/core/gdi_handles.h"
#include "ui/core/wide_string.h"

namespace SkinUI {

struct FontRecord {
  UniqueFont font;
  CWideStringUI face;  // as requested
  int size = 0;        // pixel height; the font is made with height -size
  BYTE bold = 0;
  BYTE underline = 0;
  BYTE italic = 0;
  // All zero until first needed (tmHeight == 0 means "not read yet").
  TEXTMETRICW metrics = {};

  bool HasMetrics() const { return metrics.tmHeight != 0; }
  // Selects the font into dc and reads its metrics.
  void ReadMetrics(HDC dc);
};

struct ImageRecord {
  // 32-bit top-down, blue-green-red-alpha, colour premultiplied by alpha.
  UniqueBitmap bitmap;
  int width = 0;
  int height = 0;
  // Some pixel is not fully opaque, or some pixel matched the mask.
  BYTE hasAlpha = 0;
  // A rectangle (bitmap pixels) in which every pixel is fully opaque, found
  // when the image is decoded; empty when there is none. Drawing copies this
  // part of a translucent image instead of blending it.
  RECT opaqueInterior = {};
  CWideStringUI resourceType;  // empty for files and archive entries
  DWORD mask = 0;              // ARGB colour made transparent at load
  // What the drawing code made of this image and keeps for its next draws
  // (the nine pieces put together at a size); its type is the drawing code's.
  std::shared_ptr<void> drawnArrangements;
};

}  // namespace SkinUI

#pragma once
// The records the window manager hands out for its fonts and images. The
// manager's tables own them; callers only borrow.

#include <windows.h>

#include <memory>

#include "ui/core/gdi_handles.h"
#include "ui/core/wide_string.h"

namespace SkinUI {

// Counts the font and image records that went. What was drawn with a
// record's handles says nothing about what a later record drawn with the
// same handle values draws, so anything kept per handle is dropped when this
// count moves.
unsigned long RetiredRecordCount();

class CRecordLife {
 public:
  CRecordLife() = default;
  CRecordLife(CRecordLife&&) noexcept {}
  CRecordLife& operator=(CRecordLife&&) noexcept;
  ~CRecordLife();
};

struct FontRecord {
  UniqueFont font;
  CWideStringUI face;  // as requested
  int size = 0;        // logical pixel height; the font is made with height -size at the scale
  BYTE bold = 0;
  BYTE underline = 0;
  BYTE italic = 0;
  // All zero until first needed (tmHeight == 0 means "not read yet").
  TEXTMETRICW metrics = {};

  bool HasMetrics() const { return metrics.tmHeight != 0; }
  // Selects the font into dc and reads its metrics.
  void ReadMetrics(HDC dc);

  CRecordLife life;
};

struct ImageRecord {
  // 32-bit top-down, blue-green-red-alpha, colour premultiplied by alpha.
  UniqueBitmap bitmap;
  // Of the bitmap, in device pixels.
  int width = 0;
  int height = 0;
  // What the skin's numbers (source rectangles, corners) measure the image
  // in: its size at 96 DPI. Zero means the bitmap's own size.
  int logicalWidth = 0;
  int logicalHeight = 0;
  // Some pixel is not fully opaque, or some pixel matched the mask.
  BYTE hasAlpha = 0;
  // A rectangle (bitmap pixels) in which every pixel is fully opaque, found
  // when the image is decoded; empty when there is none. Drawing copies this
  // part of a translucent image instead of blending it.
  RECT opaqueInterior = {};
  CWideStringUI resourceType;  // empty for files and archive entries
  DWORD mask = 0;              // ARGB colour made transparent at load

  int LogicalWidth() const { return logicalWidth > 0 ? logicalWidth : width; }
  int LogicalHeight() const { return logicalHeight > 0 ? logicalHeight : height; }
  // Made for a scale other than 1: skin numbers must be scaled to address it.
  bool IsScaled() const { return LogicalWidth() != width || LogicalHeight() != height; }
  // What the drawing code made of this image and keeps for its next draws
  // (the nine pieces put together at a size); its type is the drawing code's.
  std::shared_ptr<void> drawnArrangements;

  CRecordLife life;
};

}  // namespace SkinUI

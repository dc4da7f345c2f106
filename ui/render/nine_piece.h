#pragma once
// Draws a bitmap as nine pieces: corners keep their size, edges stretch along
// their length, the middle stretches both ways or is tiled.

#include <windows.h>

#include <memory>

namespace SkinUI {

struct TNinePieceRequest {
  HBITMAP bitmap = nullptr;
  RECT dest = {};
  RECT paint = {};
  RECT source = {};
  RECT corners = {};  // widths of the left, top, right and bottom borders
  bool hasAlpha = false;
  BYTE fade = 255;
  bool hole = false;  // leave the middle out
  bool xtiled = false;
  bool ytiled = false;
  // From the image record when known: the bitmap's size and its opaque
  // interior, which a blended piece drawn at its own size copies instead.
  int bitmapWidth = 0;
  int bitmapHeight = 0;
  RECT opaqueInterior = {};
  // The image record's keep for pieces put together once and drawn again in
  // one blend; null draws the pieces one by one.
  std::shared_ptr<void>* arrangements = nullptr;
};

void DrawNinePieces(HDC dc, const TNinePieceRequest& request);

}  // namespace SkinUI

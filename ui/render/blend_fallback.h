#pragma once
// The program's own stand-in for the platform alpha blend, used only when
// msimg32 has no AlphaBlend. Same signature, so callers pick either.

#include <windows.h>

namespace SkinUI {

// A source pixel replaces the destination only where its alpha and the
// constant alpha are both full; every other pixel keeps the destination.
// Colour channels are written, the alpha byte becomes 0. False when its
// buffers cannot be made.
BOOL WINAPI BlendFallback(HDC dst, int dstX, int dstY, int dstWidth, int dstHeight, HDC src,
                          int srcX, int srcY, int srcWidth, int srcHeight, BLENDFUNCTION blend);

}  // namespace SkinUI

#pragma once
// Stateless drawing operations that controls use while painting: images with
// per-pixel alpha drawn as nine pieces, the image specification language of
// skins, colour fills and gradients, outlines, plain and markup text, clip
// guards and colour conversions.
//
// Colours are ARGB (alpha in the top byte). Rectangles are right- and
// bottom-exclusive device pixels. Text formats are DrawTextW flags.

#include <windows.h>

#include <memory>

#include "ui/core/skin_resources.h"
#include "ui/core/resource_records.h"
#include "ui/core/wide_string.h"
#include "ui/render/clip_guard.h"
#include "ui/render/color_math.h"

namespace SkinUI {

class CDrawKit {
 public:
  // Finds the bytes through the skin's image lookup (resource, resource folder
  // or archive, then a plain path) and decodes them into a premultiplied
  // 32-bit top-down bitmap. Null when missing or undecodable. With a type,
  // name may be a resource number made with MAKEINTRESOURCEW.
  static std::unique_ptr<ImageRecord> LoadBitmapImage(const wchar_t* name, const wchar_t* type,
                                                      DWORD mask);

  // Nine-piece drawing of source (bitmap pixels) into rc. Pieces that do not
  // touch paint are skipped. Blends when hasAlpha or fade < 255, copies
  // otherwise. xtiled/ytiled repeat the middle instead of stretching it.
  static void DrawImagePieces(HDC dc, HBITMAP bitmap, const RECT& rc, const RECT& paint,
                              const RECT& source, const RECT& corners, bool hasAlpha,
                              BYTE fade = 255, bool hole = false, bool xtiled = false,
                              bool ytiled = false);

  // Draws the skin's image of that name; false when it cannot be obtained.
  // An all-zero source means the whole image. Source and corners are the
  // image's logical pixels (scaled with the image), or with sourceInPixels
  // the source is the bitmap's own.
  static bool DrawNamedImage(HDC dc, ISkinResourcesUI* resources, const RECT& item,
                             const RECT& paint, const wchar_t* name, const wchar_t* type,
                             const RECT& dest, const RECT& source, const RECT& corners, DWORD mask,
                             BYTE fade, bool hole, bool xtiled, bool ytiled,
                             bool sourceInPixels = false);

  // Draws an image specification ("file='a.png' source='0,0,8,8' ..."), then
  // the modifier on top of its state. False only without dc or resources;
  // imageFound (optional) tells whether the image finally named could be
  // obtained, so that callers can drop a string that never draws. The
  // specification's numbers are logical; the modifier is the drawing code's
  // own, in pixels.
  static bool DrawImageSpec(HDC dc, ISkinResourcesUI* resources, const RECT& item,
                            const RECT& paint, const wchar_t* spec,
                            const wchar_t* modifier = nullptr, bool* imageFound = nullptr);

  // Alpha 0 draws nothing, 255 fills opaquely, anything else blends.
  static void FillColor(HDC dc, const RECT& rc, DWORD color);
  // first at the top (vertical) or left, second at the bottom or right. steps
  // picks the band count of the fallback used when the platform gradient is
  // missing.
  static void FillGradient(HDC dc, const RECT& rc, DWORD first, DWORD second, bool vertical,
                           int steps);
  // A line from (left, top) to (right, bottom).
  static void DrawLineSegment(HDC dc, const RECT& rc, int penWidth, DWORD color);
  static void DrawFrameRect(HDC dc, const RECT& rc, int penWidth, DWORD color);
  static void DrawFrameRoundRect(HDC dc, const RECT& rc, int penWidth, int ellipseWidth,
                                 int ellipseHeight, DWORD color);

  // DrawTextW with the skin's font of that index; "&" is never a prefix.
  // rc is changed only by DT_CALCRECT.
  static void DrawPlainText(HDC dc, ISkinResourcesUI* resources, RECT& rc, const wchar_t* text,
                            DWORD color, int fontIndex, UINT format);

  // Draws or measures markup text: <a name>link</a> <b>bold</b> <c #AARRGGBB>colour</c>
  // <f index> or <f face size styles> <i> italic or <i image [count [index]]>
  // <n> <p extra> <r>raw</r> <s>selected</s> <u>underline</u> <x dx> <y height>,
  // the same tags in braces, and the escapes "{<}" "{>}" "<{>" "<}>".
  // linkCount holds the arrays' capacity on entry and the links found on
  // return; the rectangles found by one call decide which link the next call
  // shows as hovered: the one holding pointer (the mouse, in the same
  // coordinates). With DT_CALCRECT nothing is drawn and rc receives the size
  // the text needs; alignment flags may move rc when drawing.
  static void DrawMarkupText(HDC dc, ISkinResourcesUI* resources, RECT& rc, const wchar_t* text,
                             DWORD color, RECT* linkRects, CWideStringUI* linkNames, int& linkCount,
                             UINT format, POINT pointer = {-1, -1});

  static void ClipToRect(HDC dc, const RECT& rc, ClipGuard& guard) { guard.ClipToRect(dc, rc); }
  static void ClipToRoundRect(HDC dc, const RECT& rc, const RECT& item, int ellipseWidth,
                              int ellipseHeight, ClipGuard& guard) {
    guard.ClipToRoundRect(dc, rc, item, ellipseWidth, ellipseHeight);
  }
  static void ClipUseOuter(HDC /*dc*/, ClipGuard& guard) { guard.UseOuter(); }
  static void ClipUseInner(HDC /*dc*/, ClipGuard& guard) { guard.UseInner(); }
  static void ReleaseClip(ClipGuard& guard) { guard.Release(); }

  static DWORD ShiftColor(DWORD color, short hue, short saturation, short lightness) {
    return SkinUI::ShiftColor(color, hue, saturation, lightness);
  }
  static THslColor RgbToHsl(DWORD color) { return SkinUI::RgbToHsl(color); }
  static DWORD HslToRgb(const THslColor& hsl) { return SkinUI::HslToRgb(hsl); }
};

}  // namespace SkinUI

#include "ui/render/draw_kit.h"

#include <vector>

#include "ui/core/gdi_handles.h"
#include "ui/markup/skin_resources.h"
#include "ui/render/dib_section.h"
#include "ui/render/image_decoder.h"
#include "ui/render/image_prefetch.h"
#include "ui/render/image_spec.h"
#include "ui/render/nine_piece.h"
#include "ui/render/paint_memo.h"

namespace SkinUI {

namespace {

constexpr DWORD kOpaque = 0xFF;

bool Intersects(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE;
}

bool IsZero(const RECT& rc) {
  return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

DWORD PremultipliedPixel(DWORD argb) {
  const DWORD alpha = AlphaOf(argb);
  const DWORD red = RedOf(argb) * alpha / 255;
  const DWORD green = GreenOf(argb) * alpha / 255;
  const DWORD blue = BlueOf(argb) * alpha / 255;
  return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

bool DrawSpecState(HDC dc, ISkinResourcesUI* resources, const RECT& item, const RECT& paint,
                   const TImageSpec& spec) {
  if (spec.name.IsEmpty()) return false;
  return CDrawKit::DrawNamedImage(dc, resources, item, paint, spec.name,
                                  spec.type.IsEmpty() ? nullptr : spec.type.GetData(), spec.dest,
                                  spec.source, spec.corners, spec.mask, spec.fade, spec.hole,
                                  spec.xtiled, spec.ytiled, spec.sourceInPixels);
}

// Pens are solid or inside-frame; the hollow brush keeps frames unfilled.
void DrawOutline(HDC dc, int penStyle, int penWidth, DWORD color, bool hollow,
                 void (*draw)(HDC, const RECT&, int, int), const RECT& rc, int ellipseWidth,
                 int ellipseHeight) {
  UniquePen pen(CreatePen(penStyle, penWidth, ArgbToColorRef(color)));
  if (!pen) return;
  SelectObjectGuard selectPen(dc, pen.get());
  SelectObjectGuard selectBrush(dc, hollow ? GetStockObject(HOLLOW_BRUSH) : nullptr);
  draw(dc, rc, ellipseWidth, ellipseHeight);
}

// The flags a single line is laid out with by DrawTextW that are repeated
// here; with any other flag (or without DT_SINGLELINE) DrawTextW draws.
constexpr UINT kSingleLineFlags =
    DT_SINGLELINE | DT_NOPREFIX | DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;

// Characters that DrawTextW draws as one run, glyph after glyph: no tabs or
// line breaks, no marks, no scripts that are shaped or run right to left.
bool IsSimpleRun(const wchar_t* text, int& length) {
  constexpr wchar_t kFirstShapedCharacter = 0x0300;
  const wchar_t* p = text;
  for (; *p != L'\0'; ++p) {
    if (*p < L' ' || *p >= kFirstShapedCharacter) return false;
  }
  length = static_cast<int>(p - text);
  return length > 0;
}

// Everything of the device context a run of text is drawn with.
std::wstring TextRunKey(HDC dc, HFONT font, const RECT& rc, const wchar_t* text, int length,
                        UINT format, int fontHeight) {
  const int background = GetBkMode(dc);
  CMemoKey key(L'T');
  key.Add(reinterpret_cast<intptr_t>(font))
      .Add(GetTextColor(dc))
      .Add(background)
      .Add(background == OPAQUE ? GetBkColor(dc) : 0)
      .Add(GetTextCharacterExtra(dc))
      .Add(rc)
      .Add(format)
      .Add(fontHeight)
      .Add(text, static_cast<size_t>(length));
  return key.Take();
}

// DrawTextW's single line, measured once and drawn once: aligned in rc as
// DrawTextW aligns it and cut at rc. A line that is not centred or put at
// the right needs only its height, which is the font's (fontHeight, 0 when
// unknown). False when DrawTextW has to draw it. The run is drawn with the
// skin's font, selected into dc, or with whatever font dc holds when that
// is null; only runs in a skin font are remembered.
bool DrawSingleLine(HDC dc, HFONT font, const RECT& rc, const wchar_t* text, UINT format,
                    int fontHeight) {
  int length = 0;
  if ((format & ~kSingleLineFlags) != 0 || (format & DT_SINGLELINE) == 0) return false;
  if (!IsSimpleRun(text, length)) return false;
  if (GetTextAlign(dc) != (TA_LEFT | TA_TOP | TA_NOUPDATECP) || GetMapMode(dc) != MM_TEXT) {
    return false;
  }
  CMemoizedDraw memo(dc, rc);
  if (font != nullptr &&
      memo.Replay([&] { return TextRunKey(dc, font, rc, text, length, format, fontHeight); })) {
    return true;
  }
  SIZE size = {0, fontHeight};
  const bool needsWidth = (format & (DT_CENTER | DT_RIGHT)) != 0;
  if ((needsWidth || fontHeight <= 0) && !GetTextExtentPoint32W(dc, text, length, &size)) {
    return false;
  }
  int x = rc.left;
  if (format & DT_CENTER) {
    x = (rc.left + rc.right - size.cx) / 2;
  } else if (format & DT_RIGHT) {
    x = rc.right - size.cx;
  }
  int y = rc.top;
  if (format & DT_VCENTER) {
    y = rc.top + (rc.bottom - rc.top) / 2 - size.cy / 2;
  } else if (format & DT_BOTTOM) {
    y = rc.bottom - size.cy;
  }
  ExtTextOutW(dc, x, y, ETO_CLIPPED, &rc, text, static_cast<UINT>(length), nullptr);
  memo.Record();
  return true;
}

}  // namespace

std::unique_ptr<ImageRecord> CDrawKit::LoadBitmapImage(const wchar_t* name, const wchar_t* type,
                                                       DWORD mask) {
  if (name == nullptr) return nullptr;
  const bool hasType = type != nullptr && (IS_INTRESOURCE(type) || *type != L'\0');
  if (!hasType && !IS_INTRESOURCE(name)) {
    if (auto prefetched = TakePrefetchedImage(name, mask)) return prefetched;
  }
  std::vector<unsigned char> bytes;
  if (!ReadImageBytes(name, type, bytes) || bytes.empty()) return nullptr;
  return DecodeBitmapImage(bytes.data(), bytes.size(), mask);
}

void CDrawKit::DrawImagePieces(HDC dc, HBITMAP bitmap, const RECT& rc, const RECT& paint,
                               const RECT& source, const RECT& corners, bool hasAlpha, BYTE fade,
                               bool hole, bool xtiled, bool ytiled) {
  TNinePieceRequest request;
  request.bitmap = bitmap;
  request.dest = rc;
  request.paint = paint;
  request.source = source;
  request.corners = corners;
  request.hasAlpha = hasAlpha;
  request.fade = fade;
  request.hole = hole;
  request.xtiled = xtiled;
  request.ytiled = ytiled;
  DrawNinePieces(dc, request);
}

bool CDrawKit::DrawNamedImage(HDC dc, ISkinResourcesUI* resources, const RECT& item,
                              const RECT& paint, const wchar_t* name, const wchar_t* type,
                              const RECT& dest, const RECT& source, const RECT& corners, DWORD mask,
                              BYTE fade, bool hole, bool xtiled, bool ytiled, bool sourceInPixels) {
  if (resources == nullptr || name == nullptr || *name == 0) return false;
  const wchar_t* resourceType = (type != nullptr && *type != 0) ? type : nullptr;
  ImageRecord* image = resources->ObtainImage(name, resourceType, mask);
  if (image == nullptr) return false;

  // The skin measures source and corners in the image's logical pixels; an
  // image made for the window's scale is addressed by their scaled edges.
  RECT src = source;
  RECT pieceCorners = corners;
  if (image->IsScaled()) {
    const CDpiScaleUI scale = resources->Scale();
    if (!sourceInPixels && !IsZero(src)) src = scale.ToDevice(src);
    pieceCorners = scale.ToDevice(corners);
  }
  if (IsZero(src)) src = {0, 0, image->width, image->height};
  if (src.right > image->width) src.right = image->width;
  if (src.bottom > image->height) src.bottom = image->height;

  if (Intersects(dest, item) && Intersects(dest, paint)) {
    TNinePieceRequest request;
    request.bitmap = image->bitmap.get();
    request.dest = dest;
    request.paint = paint;
    request.source = src;
    request.corners = pieceCorners;
    request.hasAlpha = image->hasAlpha != 0;
    request.fade = fade;
    request.hole = hole;
    request.xtiled = xtiled;
    request.ytiled = ytiled;
    request.bitmapWidth = image->width;
    request.bitmapHeight = image->height;
    request.opaqueInterior = image->opaqueInterior;
    request.arrangements = &image->drawnArrangements;
    DrawNinePieces(dc, request);
  }
  return true;
}

bool CDrawKit::DrawImageSpec(HDC dc, ISkinResourcesUI* resources, const RECT& item,
                             const RECT& paint, const wchar_t* spec, const wchar_t* modifier,
                             bool* imageFound) {
  if (imageFound != nullptr) *imageFound = false;
  if (dc == nullptr || resources == nullptr) return false;
  TImageSpec state;
  state.name = spec != nullptr ? spec : L"";
  state.dest = item;
  const CImageSpecParser parser(
      item, [&](const TImageSpec& named) { DrawSpecState(dc, resources, item, paint, named); },
      resources->Scale());
  parser.Parse(spec, state);
  state.imageCount = 0;
  const CImageSpecParser pixelParser(
      item, [&](const TImageSpec& named) { DrawSpecState(dc, resources, item, paint, named); },
      CDpiScaleUI(), true);
  pixelParser.Parse(modifier, state);
  const bool found = DrawSpecState(dc, resources, item, paint, state);
  if (imageFound != nullptr) *imageFound = found;
  return true;
}

void CDrawKit::FillColor(HDC dc, const RECT& rc, DWORD color) {
  const DWORD alpha = AlphaOf(color);
  if (dc == nullptr || alpha == 0) return;
  if (alpha == kOpaque) {
    const COLORREF previous = SetBkColor(dc, ArgbToColorRef(color));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
    return;
  }
  // The blend expects premultiplied pixels; a plain one would over-brighten
  // (or, under some blend implementations, spill into the next channel).
  DibSection pixel = CreateTopDownDib(1, 1);
  if (!pixel) return;
  pixel.pixels[0] = PremultipliedPixel(color);
  const RECT onePixel = {0, 0, 1, 1};
  const RECT noCorners = {0, 0, 0, 0};
  DrawImagePieces(dc, pixel.bitmap.get(), rc, rc, onePixel, noCorners, true);
}

void CDrawKit::DrawLineSegment(HDC dc, const RECT& rc, int penWidth, DWORD color) {
  if (dc == nullptr) return;
  DrawOutline(
      dc, PS_SOLID, penWidth, color, false,
      [](HDC target, const RECT& r, int, int) {
        MoveToEx(target, r.left, r.top, nullptr);
        LineTo(target, r.right, r.bottom);
      },
      rc, 0, 0);
}

void CDrawKit::DrawFrameRect(HDC dc, const RECT& rc, int penWidth, DWORD color) {
  if (dc == nullptr) return;
  DrawOutline(
      dc, PS_INSIDEFRAME, penWidth, color, true,
      [](HDC target, const RECT& r, int, int) {
        Rectangle(target, r.left, r.top, r.right, r.bottom);
      },
      rc, 0, 0);
}

void CDrawKit::DrawFrameRoundRect(HDC dc, const RECT& rc, int penWidth, int ellipseWidth,
                                  int ellipseHeight, DWORD color) {
  if (dc == nullptr) return;
  DrawOutline(
      dc, PS_INSIDEFRAME, penWidth, color, true,
      [](HDC target, const RECT& r, int w, int h) {
        RoundRect(target, r.left, r.top, r.right, r.bottom, w, h);
      },
      rc, ellipseWidth, ellipseHeight);
}

void CDrawKit::DrawPlainText(HDC dc, ISkinResourcesUI* resources, RECT& rc, const wchar_t* text,
                             DWORD color, int fontIndex, UINT format) {
  if (dc == nullptr || resources == nullptr || text == nullptr) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ArgbToColorRef(color));
  // Selecting a font costs more than drawing a short text: a font already
  // selected (the window's paint selects the default one) is used as it is.
  const HFONT font = resources->FontAt(fontIndex);
  const bool selected = GetCurrentObject(dc, OBJ_FONT) == font;
  SelectObjectGuard selectFont(dc, selected ? nullptr : font);
  const FontRecord* record = resources->FontInfoAt(fontIndex);
  const int fontHeight = record != nullptr && font != nullptr && record->font.get() == font
                             ? record->metrics.tmHeight
                             : 0;
  if (DrawSingleLine(dc, font, rc, text, format | DT_NOPREFIX, fontHeight)) return;
  DrawTextW(dc, text, -1, &rc, format | DT_NOPREFIX);
}

}  // namespace SkinUI

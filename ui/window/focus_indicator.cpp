// The focus indicator's style words and its drawing.

#include "ui/window/focus_indicator.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>

#include "ui/core/gdi_handles.h"

namespace SkinUI {

namespace {

// Bounds that keep a skin's mistake from covering the control.
constexpr int kMaxWidth = 8;
constexpr int kMaxInset = 32;

bool IsSeparator(wchar_t ch) {
  return ch == L' ' || ch == L',' || ch == L'\t';
}

COLORREF Opaque(DWORD argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

void ApplyWord(const std::wstring& word, TFocusIndicatorStyle& style, int& numbers, int& colors) {
  if (word == L"none") {
    style.shown = false;
  } else if (word == L"dotted" || word == L"solid") {
    style.shown = true;
    style.dotted = word == L"dotted";
  } else if (word[0] == L'#') {
    const DWORD color = static_cast<DWORD>(wcstoul(word.c_str() + 1, nullptr, 16));
    (colors++ == 0 ? style.color : style.gapColor) = color;
  } else if (iswdigit(word[0])) {
    const int value = static_cast<int>(wcstol(word.c_str(), nullptr, 10));
    if (numbers++ == 0) {
      style.width = std::clamp(value, 1, kMaxWidth);
    } else {
      style.inset = std::clamp(value, 0, kMaxInset);
    }
  }
}

// One ring of the indicator, one pixel wide. A dotted ring colours each
// pixel by the parity of its position, so rings and corners line up.
void DrawRing(HDC dc, const RECT& ring, const TFocusIndicatorStyle& style) {
  if (ring.right - ring.left < 1 || ring.bottom - ring.top < 1) return;
  if (!style.dotted) {
    UniqueBrush brush(CreateSolidBrush(Opaque(style.color)));
    const RECT edges[] = {{ring.left, ring.top, ring.right, ring.top + 1},
                          {ring.left, ring.bottom - 1, ring.right, ring.bottom},
                          {ring.left, ring.top, ring.left + 1, ring.bottom},
                          {ring.right - 1, ring.top, ring.right, ring.bottom}};
    for (const RECT& edge : edges) FillRect(dc, &edge, brush.get());
    return;
  }
  const COLORREF line = Opaque(style.color);
  const COLORREF gap = Opaque(style.gapColor);
  auto dot = [&](int x, int y) { SetPixelV(dc, x, y, ((x + y) & 1) == 0 ? line : gap); };
  for (int x = ring.left; x < ring.right; ++x) {
    dot(x, ring.top);
    dot(x, ring.bottom - 1);
  }
  for (int y = ring.top + 1; y < ring.bottom - 1; ++y) {
    dot(ring.left, y);
    dot(ring.right - 1, y);
  }
}

}  // namespace

TFocusIndicatorStyle ParseFocusIndicatorStyle(const wchar_t* text,
                                              const TFocusIndicatorStyle& base) {
  TFocusIndicatorStyle style = base;
  if (text == nullptr) return style;
  int numbers = 0;
  int colors = 0;
  const wchar_t* p = text;
  while (*p != 0) {
    while (*p != 0 && IsSeparator(*p)) ++p;
    const wchar_t* start = p;
    while (*p != 0 && !IsSeparator(*p)) ++p;
    if (p > start) ApplyWord(std::wstring(start, p), style, numbers, colors);
  }
  return style;
}

void DrawFocusIndicator(HDC dc, const RECT& rect, const RECT& clip,
                        const TFocusIndicatorStyle& style) {
  if (!style.shown || IsRectEmpty(&clip)) return;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  RECT ring = rect;
  InflateRect(&ring, -style.inset, -style.inset);
  for (int i = 0; i < style.width; ++i) {
    DrawRing(dc, ring, style);
    InflateRect(&ring, -1, -1);
  }
  RestoreDC(dc, saved);
}

}  // namespace SkinUI

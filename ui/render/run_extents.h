#pragma once
// Text widths for the markup walker. The widths of every prefix of a run come
// from one extent call and are kept for the rest of the walk, so neither
// growing a run character by character nor drawing a line after measuring it
// asks the platform again.
//
// Measuring needs the font selected into a DC, and selecting a font is not
// cheap (under Wine's X11 driver it costs more than measuring). When the
// target DC measures text the default way, each font is measured in a memory
// DC of its own that keeps it selected, so the target selects fonts only to
// draw. Otherwise the target itself measures, through the caller's select.

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/core/gdi_handles.h"

namespace SkinUI {

class CRunExtents {
 public:
  // selectOnTarget selects a font into target (when the target measures).
  CRunExtents(HDC target, std::function<void(HFONT)> selectOnTarget);
  ~CRunExtents();
  CRunExtents(const CRunExtents&) = delete;
  CRunExtents& operator=(const CRunExtents&) = delete;

  // The width of the first length units at start in font. When the widths
  // have to be measured, at least stretch units are taken at once (the
  // caller's guess of what the run will need), never past the end of the text.
  LONG PrefixWidth(HFONT font, const wchar_t* start, int length, int stretch);
  // How many prefixes of the text at start are known in font.
  int KnownUnits(HFONT font, const wchar_t* start);
  // The width of one character in font.
  LONG CharacterWidth(HFONT font, wchar_t ch);
  // The trailing (C) width of ch in font; false where the font has none
  // (not TrueType).
  bool TrailingWidth(HFONT font, wchar_t ch, LONG& width);

 private:
  struct TPrefixes {
    const wchar_t* start;
    HFONT font;
    size_t offset;  // into widths
    int count;
  };
  struct TCharacter {
    HFONT font;
    wchar_t ch;
    LONG width;
  };
  struct TFontDC {
    HFONT font;
    UniqueMemoryDC dc;
    HGDIOBJ previous;
  };

  static bool MeasuresTheDefaultWay(HDC dc);
  HDC DCFor(HFONT font);
  TPrefixes* Find(HFONT font, const wchar_t* start);
  bool Measure(TPrefixes& prefixes, int units);

  HDC targetDC;
  std::function<void(HFONT)> selectFont;
  bool ownDCs;
  std::vector<TFontDC> fontDCs;
  std::vector<TPrefixes> runs;
  std::vector<int> widths;
  std::vector<TCharacter> characters;
};

}  // namespace SkinUI

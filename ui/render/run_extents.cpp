#include "ui/render/run_extents.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {

CRunExtents::CRunExtents(HDC target, std::function<void(HFONT)> selectOnTarget)
    : targetDC(target),
      selectFont(std::move(selectOnTarget)),
      ownDCs(MeasuresTheDefaultWay(target)) {}

CRunExtents::~CRunExtents() {
  for (TFontDC& entry : fontDCs) SelectObject(entry.dc.get(), entry.previous);
}

// A memory DC made for the target measures like it as long as the target
// keeps the default mapping, transform, spacing and layout.
bool CRunExtents::MeasuresTheDefaultWay(HDC dc) {
  return GetMapMode(dc) == MM_TEXT && GetGraphicsMode(dc) == GM_COMPATIBLE &&
         GetTextCharacterExtra(dc) == 0 && GetLayout(dc) == 0;
}

HDC CRunExtents::DCFor(HFONT font) {
  if (ownDCs) {
    for (const TFontDC& entry : fontDCs) {
      if (entry.font == font) return entry.dc.get();
    }
    UniqueMemoryDC dc(targetDC);
    if (dc) {
      HGDIOBJ previous = SelectObject(dc.get(), font);
      fontDCs.push_back(TFontDC{font, std::move(dc), previous});
      return fontDCs.back().dc.get();
    }
  }
  selectFont(font);
  return targetDC;
}

LONG CRunExtents::PrefixWidth(HFONT font, const wchar_t* start, int length, int stretch) {
  if (length <= 0) return 0;
  TPrefixes* prefixes = Find(font, start);
  if (prefixes == nullptr) {
    runs.push_back(TPrefixes{start, font, 0, 0});
    prefixes = &runs.back();
  }
  if (prefixes->count < length &&
      !Measure(*prefixes, std::max({length, stretch, 2 * prefixes->count}))) {
    SIZE size = {};
    GetTextExtentPoint32W(DCFor(font), start, length, &size);
    return size.cx;
  }
  return widths[prefixes->offset + static_cast<size_t>(length) - 1];
}

int CRunExtents::KnownUnits(HFONT font, const wchar_t* start) {
  const TPrefixes* prefixes = Find(font, start);
  return prefixes != nullptr ? prefixes->count : 0;
}

LONG CRunExtents::CharacterWidth(HFONT font, wchar_t ch) {
  for (const TCharacter& known : characters) {
    if (known.font == font && known.ch == ch) return known.width;
  }
  SIZE size = {};
  GetTextExtentPoint32W(DCFor(font), &ch, 1, &size);
  characters.push_back(TCharacter{font, ch, size.cx});
  return size.cx;
}

bool CRunExtents::TrailingWidth(HFONT font, wchar_t ch, LONG& width) {
  ABC abc = {};
  if (!GetCharABCWidthsW(DCFor(font), ch, ch, &abc)) return false;
  width = abc.abcC;
  return true;
}

// The run measured last is the one asked for next, most of the time.
CRunExtents::TPrefixes* CRunExtents::Find(HFONT font, const wchar_t* start) {
  for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
    if (it->start == start && it->font == font) return &*it;
  }
  return nullptr;
}

// The widths of a longer stretch go behind the others; the old ones stay
// unused, which costs less than moving them.
bool CRunExtents::Measure(TPrefixes& prefixes, int units) {
  units = static_cast<int>(wcsnlen(prefixes.start, static_cast<size_t>(units)));
  if (units <= prefixes.count) return false;
  const size_t offset = widths.size();
  widths.resize(offset + static_cast<size_t>(units));
  SIZE size = {};
  if (!GetTextExtentExPointW(DCFor(prefixes.font), prefixes.start, units, 0, nullptr,
                             widths.data() + offset, &size)) {
    widths.resize(offset);
    return false;
  }
  prefixes.offset = offset;
  prefixes.count = units;
  return true;
}

}  // namespace SkinUI

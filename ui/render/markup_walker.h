#pragma once
// The markup walker behind CDrawKit::DrawMarkupText. When drawing, every line
// is walked twice: a measure pass finds the line's height and its link
// rectangles, then the walk rewinds to the line start and a draw pass draws
// every run on the common baseline. Calculate mode runs the measure pass only.
// markup_walker.cpp holds the walk, lines and runs; markup_walker_tags.cpp
// the tags, fonts and inline images. Used by markup_text.cpp only.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/core/skin_resources.h"
#include "ui/core/resource_records.h"
#include "ui/core/wide_string.h"
#include "ui/render/run_extents.h"

namespace SkinUI {

namespace markup {

inline constexpr UINT kAlignmentFlags = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;
inline constexpr RECT kMeasureArea = {0, 0, 9999, 100};
inline constexpr int kDefaultFaceSize = 10;
inline constexpr wchar_t kEllipsis[] = L"...";

inline bool IsAsciiLetter(wchar_t ch) {
  return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z');
}
inline bool IsTagLetter(wchar_t ch) {
  return ch >= L'a' && ch <= L'z';
}
inline bool IsOpenBracket(wchar_t ch) {
  return ch == L'<' || ch == L'{';
}
inline bool IsCloseBracket(wchar_t ch) {
  return ch == L'>' || ch == L'}';
}

inline bool IsClosingTagOf(const wchar_t* p, wchar_t letter) {
  return IsOpenBracket(p[0]) && p[1] == L'/' && p[2] == letter && IsCloseBracket(p[3]);
}

// A surrogate pair is one character.
inline int CharacterUnits(const wchar_t* p) {
  if (p[0] >= 0xD800 && p[0] <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) return 2;
  return 1;
}

inline const wchar_t* SkipSpaces(const wchar_t* p) {
  while (*p == L' ') ++p;
  return p;
}

}  // namespace markup

struct TMarkupLineStart {
  const wchar_t* position = nullptr;
  std::vector<FontRecord*> fonts;
  std::vector<DWORD> colors;
  std::vector<int> paragraphs;
  bool inRaw = false;
  bool inSelected = false;
  bool inLink = false;
  int linkIndex = 0;
};

// The text of one tag: its letter, whether it closes, and what stands between
// the letter and the closing bracket.
struct TMarkupTag {
  wchar_t letter = 0;
  bool closing = false;
  CWideStringUI argument;
};

class CMarkupWalker {
 public:
  CMarkupWalker(HDC dc, ISkinResourcesUI* resources, RECT& rc, const wchar_t* text, DWORD color,
                RECT* linkRects, CWideStringUI* linkNames, int linkCapacity, UINT format,
                POINT pointer)
      : drawDC(dc),
        skin(resources),
        area(rc),
        markupText(text),
        baseColor(color),
        foundLinkRects(linkRects),
        foundLinkNames(linkNames),
        linkCount(linkCapacity),
        drawFormat(format),
        pointerAt(pointer),
        extents(dc, [this](HFONT font) { SelectOnDC(font); }) {
    if (foundLinkRects == nullptr || foundLinkNames == nullptr || linkCount < 0) linkCount = 0;
    draw = (format & DT_CALCRECT) == 0;
    singleLine = (format & DT_SINGLELINE) != 0;
  }
  // Returns the number of links found.
  int Run();

 private:
  void AlignRect();
  void FindHoveredLink();
  void Begin();
  void Finish();

  void Walk();
  bool EndLine();
  void CloseLinksOfMeasuredLine();
  void AfterStep();
  void RewindMeasuredLine();
  void TakeSnapshot();
  void RestoreSnapshot();

  // A run as it is measured and drawn: the source itself, or where the source
  // holds escapes, the characters they stand for, so that an escaped
  // character joins its run like any other.
  struct TRunText {
    const wchar_t* text = nullptr;
    int length = 0;  // units up to where the run stops by itself
    // Source units consumed after each unit of text; null when the text is
    // the source.
    const std::vector<int>* sourceEnds = nullptr;
    int SourceUnits(int units) const {
      if (sourceEnds == nullptr) return units;
      return units == 0 ? 0 : (*sourceEnds)[units - 1];
    }
  };
  struct TEscapedRun {
    std::wstring text;
    std::vector<int> sourceEnds;
  };

  static bool IsEscape(const wchar_t* p);
  TRunText RunTextAt(const wchar_t* start);
  void PlaceSpace();
  void PlaceSingle(wchar_t ch);
  bool LeavesMarks(wchar_t ch);
  void PlaceTextRun();
  bool RunStopsAt(const wchar_t* p) const;
  int GrowRun(const wchar_t* start);
  int CutOverflowingRun(const wchar_t* start, std::vector<int>& ends, int breakAt);

  static bool IsTagStart(const wchar_t* p);
  TMarkupTag ReadTag();
  void ApplyTag(const TMarkupTag& tag);
  void ApplyOpeningTag(const TMarkupTag& tag);
  void ApplyClosingTag(wchar_t letter);
  void OpenLink(const CWideStringUI& name);
  void CloseLink();
  static DWORD ParseTagColor(const wchar_t* argument);
  void PushColor(DWORD color);
  void PopColor();
  void ApplyColor();
  void ToggleSelected();
  void OpenParagraph(int extra);
  void CloseParagraph();

  void PushFontTag(const CWideStringUI& argument);
  FontRecord* ObtainFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
  static bool IsBold(const FontRecord* font) { return font->bold != 0; }
  static bool IsUnderlined(const FontRecord* font) { return font->underline != 0; }
  static bool IsItalic(const FontRecord* font);
  void PushVariant(bool bold, bool underline, bool italic);
  void PushFont(FontRecord* font);
  void PopFont();
  FontRecord* CurrentFont() const { return fonts.empty() ? defaultFont : fonts.back(); }

  // Lines are rewound and fonts pushed and popped often, and selecting a
  // font is not cheap: the DC gets the current font only when something is
  // drawn with it (measuring goes through extents).
  void RealizeFont() { SelectOnDC(CurrentFont()->font.get()); }
  void SelectOnDC(HFONT font);
  void FillMetrics(FontRecord* font);
  const TEXTMETRICW& MetricsOf(FontRecord* font);
  LONG LineHeightOf(FontRecord* font);
  LONG Baseline();
  LONG RunWidth(const wchar_t* start, int length);
  LONG PrefixWidth(int length);

  void OpenImageOrItalic(const CWideStringUI& argument);
  void PlaceImage(const CWideStringUI& argument, CWideStringUI name, const wchar_t* afterName);
  void DrawImageFrame(const ImageRecord& image, LONG frameWidth, LONG height, long index);

  HDC drawDC;
  ISkinResourcesUI* skin;
  RECT& area;
  const wchar_t* markupText;
  DWORD baseColor;
  RECT* foundLinkRects;
  CWideStringUI* foundLinkNames;
  int linkCount;
  UINT drawFormat;
  POINT pointerAt;

  bool draw = true;
  bool singleLine = false;
  bool drawPass = false;
  bool lineEndRequested = false;
  bool inLink = false;
  bool inRaw = false;
  bool inSelected = false;
  bool hasHover = false;
  CWideStringUI hoverLink;

  const wchar_t* cursor = nullptr;
  // Remembered so that an image that does not fit can be read again.
  const wchar_t* tagStart = nullptr;
  const wchar_t* lineStartPosition = nullptr;
  POINT pt = {};
  POINT linkStart = {};
  LONG runStartX = 0;
  TRunText runText;
  // Kept for the whole walk: the draw pass of a line finds the same text,
  // and with it the widths measured for it.
  std::map<const wchar_t*, TEscapedRun> escapedRuns;
  CRunExtents extents;
  HFONT selectedFont = nullptr;
  bool swallowedSpace = false;
  bool measureRewound = false;
  LONG cyLine = 0;
  LONG cyLineHeight = 0;
  LONG widestX = 0;
  LONG lowestImageBottom = 0;
  int linkIndex = 0;
  int lineFirstLink = 0;

  FontRecord* defaultFont = nullptr;
  std::vector<FontRecord*> fonts;
  std::vector<DWORD> colors;
  std::vector<int> paragraphs;
  TMarkupLineStart snapshot;
};

}  // namespace SkinUI

// CDrawKit::DrawMarkupText: the markup walker. When drawing, every line is
// walked twice: a measure pass finds the line's height and its link
// rectangles, then the walk rewinds to the line start and a draw pass draws
// every run on the common baseline. Calculate mode runs the measure pass only.

#include <algorithm>
#include <cwchar>
#include <vector>

#include "ui/core/gdi_handles.h"
#include "ui/render/draw_kit.h"
#include "ui/render/image_spec.h"
#include "ui/render/run_extents.h"

namespace SkinUI {

namespace {

constexpr UINT kAlignmentFlags = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;
constexpr RECT kMeasureArea = {0, 0, 9999, 100};
constexpr int kDefaultFaceSize = 10;
constexpr wchar_t kEllipsis[] = L"...";

bool IsAsciiLetter(wchar_t ch) {
  return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z');
}
bool IsTagLetter(wchar_t ch) {
  return ch >= L'a' && ch <= L'z';
}
bool IsOpenBracket(wchar_t ch) {
  return ch == L'<' || ch == L'{';
}
bool IsCloseBracket(wchar_t ch) {
  return ch == L'>' || ch == L'}';
}

bool IsClosingTagOf(const wchar_t* p, wchar_t letter) {
  return IsOpenBracket(p[0]) && p[1] == L'/' && p[2] == letter && IsCloseBracket(p[3]);
}

// A surrogate pair is one character.
int CharacterUnits(const wchar_t* p) {
  if (p[0] >= 0xD800 && p[0] <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) return 2;
  return 1;
}

const wchar_t* SkipSpaces(const wchar_t* p) {
  while (*p == L' ') ++p;
  return p;
}

struct TLineStart {
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
struct TTag {
  wchar_t letter = 0;
  bool closing = false;
  CWideStringUI argument;
};

class CMarkupWalker {
 public:
  CMarkupWalker(HDC dc, IManagerServicesUI* manager, RECT& rc, const wchar_t* text, DWORD color,
                RECT* linkRects, CWideStringUI* linkNames, int linkCapacity, UINT format)
      : dc_(dc),
        manager_(manager),
        rc_(rc),
        text_(text),
        color_(color),
        linkRects_(linkRects),
        linkNames_(linkNames),
        linkCount_(linkCapacity),
        format_(format),
        extents_(dc, [this](HFONT font) { SelectOnDC(font); }) {
    if (linkRects_ == nullptr || linkNames_ == nullptr || linkCount_ < 0) linkCount_ = 0;
    draw_ = (format & DT_CALCRECT) == 0;
    singleLine_ = (format & DT_SINGLELINE) != 0;
  }

  // Returns the number of links found.
  int Run() {
    defaultFont_ = manager_->DefaultFontInfo();
    if (defaultFont_ == nullptr) return 0;
    FillMetrics(defaultFont_);

    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, ArgbToColorRef(color_));
    SetBkColor(dc_, ArgbToColorRef(manager_->SelectedBackColor()));
    if (draw_ && (format_ & kAlignmentFlags) != 0) AlignRect();
    FindHoveredLink();

    Begin();
    Walk();
    Finish();
    return linkIndex_;
  }

 private:
  // --- setup ---------------------------------------------------------------------
  void AlignRect() {
    RECT measured = kMeasureArea;
    int noLinks = 0;
    CDrawKit::DrawMarkupText(dc_, manager_, measured, text_, color_, nullptr, nullptr, noLinks,
                             format_ | DT_CALCRECT);
    const LONG textWidth = measured.right - measured.left;
    const LONG textHeight = measured.bottom - measured.top;
    if (singleLine_) {
      if (format_ & DT_CENTER) {
        rc_.left += (rc_.right - rc_.left) / 2 - textWidth / 2;
        rc_.right = rc_.left + textWidth;
      }
      if (format_ & DT_RIGHT) rc_.left = rc_.right - textWidth;
    }
    if (format_ & DT_VCENTER) {
      rc_.top += (rc_.bottom - rc_.top) / 2 - textHeight / 2;
      rc_.bottom = rc_.top + textHeight;
    }
    if (format_ & DT_BOTTOM) rc_.top = rc_.bottom - textHeight;
  }

  void FindHoveredLink() {
    const CPointUI mouse = manager_->LastMousePos();
    for (int i = 0; i < linkCount_; ++i) {
      if (PtInRect(&linkRects_[i], mouse)) {
        hoverLink_ = linkNames_[i];
        hasHover_ = true;
        return;
      }
    }
  }

  void Begin() {
    p_ = text_;
    pt_ = {rc_.left, rc_.top};
    widestX_ = rc_.left;
    cyLine_ = LineHeightOf(CurrentFont());
    linkStart_ = pt_;
    lineStartPosition_ = p_;
    TakeSnapshot();
  }

  void Finish() {
    if (!draw_) {
      rc_.bottom = std::max(lowestImageBottom_, pt_.y + cyLine_);
      rc_.right = std::min(rc_.right, widestX_);
    }
  }

  // --- the walk ------------------------------------------------------------------
  void Walk() {
    while (*p_ != 0) {
      if (pt_.x >= rc_.right || *p_ == L'\n' || lineEndRequested_) {
        if (!EndLine()) return;
      } else if (inRaw_ && IsClosingTagOf(p_, L'r')) {
        ReadTag();
        inRaw_ = false;
      } else if (!inRaw_ && IsTagStart(p_)) {
        tagStart_ = p_;
        ApplyTag(ReadTag());
      } else if (!inRaw_ && IsEscape(p_)) {
        PlaceEscapedCharacter();
      } else if (*p_ == L' ') {
        PlaceSpace();
      } else {
        PlaceTextRun();
      }
      AfterStep();
    }
  }

  // Returns false when the walk ends here.
  bool EndLine() {
    const bool lineDone = !draw_ || drawPass_;
    // A measure pass ends back at its line start: the draw pass walks the
    // same line. A line that opens with a newline gets here without a step.
    if (!lineDone && !measureRewound_) RewindMeasuredLine();
    const wchar_t* lineEnd = p_;
    // The newline belongs to the line just done; after a measure pass the
    // draw pass still has to walk (an empty line up to) it.
    if (lineDone && *p_ == L'\n') ++p_;
    lineEndRequested_ = false;
    if (drawPass_) {
      // The link goes on at the next line in a slot of its own.
      if (inLink_ && linkIndex_ < linkCount_) ++linkIndex_;
      snapshot_.position = p_;
      snapshot_.inLink = inLink_;
      snapshot_.linkIndex = linkIndex_;
    } else {
      CloseLinksOfMeasuredLine();
    }
    if (singleLine_ && lineDone) return false;
    // A line that consumed no character would repeat for ever (a rectangle
    // narrower than one character with an ellipsis).
    if (lineDone && lineEnd == lineStartPosition_ && *lineEnd != L'\n') return false;
    if (draw_) drawPass_ = !drawPass_;
    pt_.x = rc_.left;
    if (!drawPass_) pt_.y += cyLine_;
    if (draw_ && pt_.y > rc_.bottom) return false;
    linkStart_ = pt_;
    cyLine_ = LineHeightOf(CurrentFont());
    if (!drawPass_) {
      lineStartPosition_ = p_;
      lineFirstLink_ = linkIndex_;
      measureRewound_ = false;
    }
    return pt_.x < rc_.right;
  }

  void CloseLinksOfMeasuredLine() {
    if (inLink_ && linkIndex_ < linkCount_) {
      linkRects_[linkIndex_] = {linkStart_.x, linkStart_.y, std::min(pt_.x, rc_.right),
                                pt_.y + cyLine_};
      ++linkIndex_;
      // The continuation on the next line carries the same name, when there
      // is a slot left for it.
      if (linkIndex_ < linkCount_) linkNames_[linkIndex_] = linkNames_[linkIndex_ - 1];
    }
    for (int i = lineFirstLink_; i < linkIndex_; ++i) linkRects_[i].bottom = pt_.y + cyLine_;
    if (draw_) {
      inLink_ = snapshot_.inLink;
      linkIndex_ = snapshot_.linkIndex;
    }
  }

  void AfterStep() {
    widestX_ = std::max(widestX_, pt_.x);
    if (pt_.x >= rc_.right || *p_ == L'\n' || *p_ == 0) lineEndRequested_ = true;
    if (!draw_ || !lineEndRequested_) return;
    if (drawPass_) {
      TakeSnapshot();
    } else {
      RewindMeasuredLine();
    }
  }

  // Back to the line start with the measured height; the draw pass follows.
  void RewindMeasuredLine() {
    RestoreSnapshot();
    measureRewound_ = true;
    cyLineHeight_ = cyLine_;
    ApplyColor();
    SetBkMode(dc_, inSelected_ ? OPAQUE : TRANSPARENT);
  }

  void TakeSnapshot() {
    snapshot_.position = p_;
    snapshot_.fonts = fonts_;
    snapshot_.colors = colors_;
    snapshot_.paragraphs = paragraphs_;
    snapshot_.inRaw = inRaw_;
    snapshot_.inSelected = inSelected_;
    snapshot_.inLink = inLink_;
    snapshot_.linkIndex = linkIndex_;
  }

  // In-link and the link index are rewound at the line end, after the
  // measured line's link rectangles are recorded.
  void RestoreSnapshot() {
    p_ = snapshot_.position;
    fonts_ = snapshot_.fonts;
    colors_ = snapshot_.colors;
    paragraphs_ = snapshot_.paragraphs;
    inRaw_ = snapshot_.inRaw;
    inSelected_ = snapshot_.inSelected;
  }

  // --- characters and runs ---------------------------------------------------------
  static bool IsEscape(const wchar_t* p) {
    if (p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') return true;
    return p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}';
  }

  void PlaceEscapedCharacter() {
    const wchar_t ch = p_[1];
    p_ += 3;
    PlaceSingle(ch);
  }

  void PlaceSpace() {
    ++p_;
    PlaceSingle(L' ');
  }

  void PlaceSingle(wchar_t ch) {
    const LONG width = extents_.CharacterWidth(CurrentFont()->font.get(), ch);
    if (drawPass_ && LeavesMarks(ch)) {
      RealizeFont();
      TextOutW(dc_, pt_.x, Baseline(), &ch, 1);
    }
    pt_.x += width;
  }

  // A space shows only as a selected background or as a line of the font;
  // drawing it otherwise changes no pixel.
  bool LeavesMarks(wchar_t ch) {
    if (ch != L' ' || GetBkMode(dc_) == OPAQUE) return true;
    const TEXTMETRICW& tm = MetricsOf(CurrentFont());
    return tm.tmUnderlined != 0 || tm.tmStruckOut != 0;
  }

  void PlaceTextRun() {
    const wchar_t* start = p_;
    swallowedSpace_ = false;
    const int length = GrowRun(start);
    p_ = start + length + (swallowedSpace_ ? 1 : 0);
    const LONG runX = runStartX_;
    const LONG width = RunWidth(start, length);
    if (drawPass_) {
      LONG x = runX;
      if (!singleLine_) {
        const LONG room = (rc_.right - rc_.left) - width;
        if (format_ & DT_CENTER) {
          x += room / 2;
        } else if (format_ & DT_RIGHT) {
          x += room;
        }
      }
      RealizeFont();
      if (length > 0) TextOutW(dc_, x, Baseline(), start, length);
      if ((format_ & DT_END_ELLIPSIS) && pt_.x >= rc_.right) {
        TextOutW(dc_, x + width, pt_.y, kEllipsis, 3);
      }
    }
    pt_.x += width;
  }

  bool RunStopsAt(const wchar_t* p) const {
    if (*p == 0 || *p == L'\n') return true;
    if (inRaw_) return IsClosingTagOf(p, L'r');
    return IsOpenBracket(*p);
  }

  // Grows the run from start one character at a time and returns its length
  // in code units. Cuts it where it would overflow the right edge.
  int GrowRun(const wchar_t* start) {
    runStartX_ = pt_.x;
    const LONG maxCharWidth = MetricsOf(CurrentFont()).tmMaxCharWidth;
    std::vector<int> ends;  // run length after each character
    int length = 0;
    int breakAt = 0;
    const wchar_t* p = start;
    do {
      const int units = CharacterUnits(p);
      const bool letter = units == 1 && IsAsciiLetter(*p);
      p += units;
      length += units;
      ends.push_back(length);
      if (!letter) breakAt = length;
      const LONG estimate = maxCharWidth * static_cast<LONG>(ends.size());
      if (pt_.x + estimate < rc_.right) continue;
      if (pt_.x + PrefixWidth(start, length) <= rc_.right) continue;
      return CutOverflowingRun(start, ends, breakAt);
    } while (!RunStopsAt(p));
    return length;
  }

  int CutOverflowingRun(const wchar_t* start, std::vector<int>& ends, int breakAt) {
    lineEndRequested_ = true;
    const int whole = ends.back();
    // Every line takes at least one character.
    if (pt_.x != rc_.left || ends.size() > 1) ends.pop_back();
    int length = ends.empty() ? 0 : ends.back();
    if (format_ & DT_WORDBREAK) {
      // A space that overflows is where the line breaks: it is used up here
      // instead of starting the next line.
      swallowedSpace_ =
          whole == length + 1 && start[length] == L' ' && !(format_ & DT_END_ELLIPSIS);
      if (breakAt > 0 && breakAt < length) {
        length = breakAt;
        while (!ends.empty() && ends.back() > length) ends.pop_back();
      } else if (breakAt == 0 && pt_.x > rc_.left && start > text_ && start[-1] == L' ') {
        // The word began after a space placed on its own: move it whole.
        ends.clear();
        length = 0;
      }
    }
    if ((format_ & DT_END_ELLIPSIS) && !ends.empty()) {
      const size_t drop = ends.size() >= 2 ? 2 : 1;
      ends.resize(ends.size() - drop);
      length = ends.empty() ? 0 : ends.back();
      pt_.x = rc_.right;
    }
    return length;
  }

  // --- tags ------------------------------------------------------------------------
  static bool IsTagStart(const wchar_t* p) {
    if (!IsOpenBracket(p[0])) return false;
    if (IsTagLetter(p[1])) return p[2] == L' ' || IsCloseBracket(p[2]);
    return p[1] == L'/' && IsTagLetter(p[2]);
  }

  // Consumes the tag through its closing bracket (or the end of the text).
  TTag ReadTag() {
    TTag tag;
    const wchar_t* p = p_ + 1;
    if (*p == L'/') {
      tag.closing = true;
      ++p;
    }
    tag.letter = *p++;
    const wchar_t* argument = SkipSpaces(p);
    while (*p != 0 && !IsCloseBracket(*p)) ++p;
    if (argument < p) tag.argument.Assign(argument, static_cast<int>(p - argument));
    p_ = *p != 0 ? p + 1 : p;
    return tag;
  }

  void ApplyTag(const TTag& tag) {
    if (tag.closing) {
      ApplyClosingTag(tag.letter);
    } else {
      ApplyOpeningTag(tag);
    }
  }

  void ApplyOpeningTag(const TTag& tag) {
    const long number = wcstol(tag.argument, nullptr, 10);
    switch (tag.letter) {
      case L'a':
        OpenLink(tag.argument);
        break;
      case L'b':
        PushVariant(true, false, false);
        break;
      case L'c':
        PushColor(ParseTagColor(tag.argument));
        break;
      case L'f':
        PushFontTag(tag.argument);
        break;
      case L'i':
        OpenImageOrItalic(tag.argument);
        break;
      case L'n':
        if (!singleLine_) lineEndRequested_ = true;
        break;
      case L'p':
        OpenParagraph(static_cast<int>(number));
        break;
      case L'r':
        inRaw_ = true;
        break;
      case L's':
        ToggleSelected();
        break;
      case L'u':
        PushVariant(false, true, false);
        break;
      case L'x':
        pt_.x += number;
        break;
      case L'y':
        cyLine_ = static_cast<LONG>(number);
        break;
      default:
        break;
    }
  }

  void ApplyClosingTag(wchar_t letter) {
    switch (letter) {
      case L'a':
        CloseLink();
        break;
      case L'b':
      case L'f':
      case L'i':
      case L'u':
        PopFont();
        break;
      case L'c':
        PopColor();
        break;
      case L'p':
        CloseParagraph();
        break;
      case L's':
        ToggleSelected();
        break;
      default:
        break;
    }
  }

  void OpenLink(const CWideStringUI& name) {
    const bool hasSlot = linkIndex_ < linkCount_;
    if (!drawPass_ && hasSlot) linkNames_[linkIndex_] = name;
    const bool hovered = hasSlot && hasHover_ && hoverLink_ == linkNames_[linkIndex_].GetData();
    PushColor(hovered ? manager_->LinkHoverTextColor() : manager_->LinkTextColor());
    if (!IsUnderlined(CurrentFont())) PushVariant(false, true, false);
    linkStart_ = pt_;
    inLink_ = true;
  }

  void CloseLink() {
    if (!drawPass_ && linkIndex_ < linkCount_) {
      const TEXTMETRICW& tm = MetricsOf(CurrentFont());
      linkRects_[linkIndex_] = {linkStart_.x, linkStart_.y, pt_.x,
                                pt_.y + tm.tmHeight + tm.tmExternalLeading};
    }
    if (linkIndex_ < linkCount_) ++linkIndex_;
    PopColor();
    inLink_ = false;
    PopFont();
  }

  static DWORD ParseTagColor(const wchar_t* argument) {
    const wchar_t* p = SkipSpaces(argument);
    if (*p == L'#') ++p;
    // Read as a signed number on purpose: eight digits from 8 upwards
    // saturate to 0x7FFFFFFF, which shows as white.
    return static_cast<DWORD>(wcstol(p, nullptr, 16));
  }

  void PushColor(DWORD color) {
    colors_.push_back(color);
    ApplyColor();
  }

  void PopColor() {
    if (!colors_.empty()) colors_.pop_back();
    ApplyColor();
  }

  void ApplyColor() {
    SetTextColor(dc_, ArgbToColorRef(colors_.empty() ? color_ : colors_.back()));
  }

  void ToggleSelected() {
    inSelected_ = !inSelected_;
    if (drawPass_) SetBkMode(dc_, inSelected_ ? OPAQUE : TRANSPARENT);
  }

  void OpenParagraph(int extra) {
    if (pt_.x > rc_.left) lineEndRequested_ = true;
    paragraphs_.push_back(extra);
    cyLine_ = std::max(cyLine_, LineHeightOf(CurrentFont()));
  }

  void CloseParagraph() {
    if (pt_.x > rc_.left) lineEndRequested_ = true;
    if (!paragraphs_.empty()) paragraphs_.pop_back();
    cyLine_ = std::max(cyLine_, LineHeightOf(CurrentFont()));
  }

  // --- fonts -----------------------------------------------------------------------
  void PushFontTag(const CWideStringUI& argument) {
    const wchar_t* p = argument.GetData();
    if (*p >= L'0' && *p <= L'9') {
      PushFont(manager_->FontInfoAt(static_cast<int>(wcstol(p, nullptr, 10))));
      return;
    }
    const wchar_t* faceEnd = p;
    while (*faceEnd != 0 && *faceEnd != L' ') ++faceEnd;
    const CWideStringUI face(p, static_cast<int>(faceEnd - p));
    p = SkipSpaces(faceEnd);
    int size = kDefaultFaceSize;
    if (*p >= L'0' && *p <= L'9') {
      wchar_t* end = nullptr;
      size = static_cast<int>(wcstol(p, &end, 10));
      p = end;
    }
    CWideStringUI styles(p);
    styles.MakeLower();
    const bool bold = styles.Find(L"bold") >= 0;
    const bool underline = styles.Find(L"underline") >= 0;
    const bool italic = styles.Find(L"italic") >= 0;
    PushFont(ObtainFont(face, size, bold, underline, italic));
  }

  FontRecord* ObtainFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    HFONT font = manager_->FindMatchingFont(face, size, bold, underline, italic);
    if (font == nullptr) font = manager_->RegisterFont(face, size, bold, underline, italic);
    return font != nullptr ? manager_->FontInfoOf(font) : nullptr;
  }

  static bool IsBold(const FontRecord* font) { return font->bold != 0; }
  static bool IsUnderlined(const FontRecord* font) { return font->underline != 0; }
  static bool IsItalic(const FontRecord* font) {
    return font->italic != 0 || font->metrics.tmItalic != 0;
  }

  // The current font with one more style switched on, unless it has it.
  void PushVariant(bool bold, bool underline, bool italic) {
    const FontRecord* current = CurrentFont();
    if ((bold && IsBold(current)) || (underline && IsUnderlined(current)) ||
        (italic && IsItalic(current))) {
      return;
    }
    PushFont(ObtainFont(current->face, current->size, bold || IsBold(current),
                        underline || IsUnderlined(current), italic || IsItalic(current)));
  }

  void PushFont(FontRecord* font) {
    if (font == nullptr) return;
    FillMetrics(font);
    fonts_.push_back(font);
    cyLine_ = std::max(cyLine_, LineHeightOf(font));
  }

  void PopFont() {
    const FontRecord* leaving = CurrentFont();
    if (!fonts_.empty()) fonts_.pop_back();
    FontRecord* now = CurrentFont();
    if (IsItalic(leaving) && !IsItalic(now)) {
      // Leave room for the slant of the last italic character.
      LONG trailing = 0;
      if (extents_.TrailingWidth(leaving->font.get(), L' ', trailing)) pt_.x += trailing / 2;
    }
    cyLine_ = std::max(cyLine_, LineHeightOf(now));
  }

  FontRecord* CurrentFont() const { return fonts_.empty() ? defaultFont_ : fonts_.back(); }

  // Lines are rewound and fonts pushed and popped often, and selecting a
  // font is not cheap: the DC gets the current font only when something is
  // drawn with it (measuring goes through extents_).
  void RealizeFont() { SelectOnDC(CurrentFont()->font.get()); }

  void SelectOnDC(HFONT font) {
    if (font == selectedFont_) return;
    SelectObject(dc_, font);
    selectedFont_ = font;
  }

  void FillMetrics(FontRecord* font) {
    if (!font->HasMetrics()) font->ReadMetrics(dc_);
  }

  const TEXTMETRICW& MetricsOf(FontRecord* font) {
    FillMetrics(font);
    return font->metrics;
  }

  LONG LineHeightOf(FontRecord* font) {
    const TEXTMETRICW& tm = MetricsOf(font);
    const int extra = paragraphs_.empty() ? 0 : paragraphs_.back();
    return extra + tm.tmHeight + tm.tmExternalLeading;
  }

  LONG Baseline() {
    const TEXTMETRICW& tm = MetricsOf(CurrentFont());
    return pt_.y + cyLineHeight_ - tm.tmHeight - tm.tmExternalLeading;
  }

  // Code units up to where a run from start stops growing by itself.
  int RunUnits(const wchar_t* start) const {
    const wchar_t* p = start;
    do {
      p += CharacterUnits(p);
    } while (!RunStopsAt(p));
    return static_cast<int>(p - start);
  }

  // Widths are measured once per run and font for the whole walk: growing
  // the run, placing it and the draw pass of its line all read them.
  LONG RunWidth(const wchar_t* start, int length) {
    return extents_.PrefixWidth(CurrentFont()->font.get(), start, length, length);
  }

  // On the first measure of a run: the whole run, unless it is far longer
  // than what can fit on the rest of the line.
  LONG PrefixWidth(const wchar_t* start, int length) {
    HFONT font = CurrentFont()->font.get();
    int stretch = length;
    if (extents_.KnownUnits(font, start) < length) {
      const LONG room = std::max<LONG>(rc_.right - pt_.x, 0);
      const LONG average = std::max<LONG>(MetricsOf(CurrentFont()).tmAveCharWidth, 1);
      stretch = std::min(RunUnits(start), static_cast<int>(2 * room / average) + 16);
    }
    return extents_.PrefixWidth(font, start, length, stretch);
  }

  // --- inline images ---------------------------------------------------------------
  void OpenImageOrItalic(const CWideStringUI& argument) {
    const wchar_t* p = argument.GetData();
    const wchar_t* nameEnd = p;
    while (*nameEnd != 0 && *nameEnd != L' ') ++nameEnd;
    if (nameEnd == p) {
      PushVariant(false, false, true);
      return;
    }
    PlaceImage(argument, CWideStringUI(p, static_cast<int>(nameEnd - p)), nameEnd);
  }

  void PlaceImage(const CWideStringUI& argument, CWideStringUI name, const wchar_t* afterName) {
    wchar_t* end = nullptr;
    long count = wcstol(afterName, &end, 10);
    if (count < 1) count = 1;
    long index = wcstol(end, nullptr, 10);
    if (index < 0 || index >= count) index = 0;

    // Only this tag's own text is read as key='value' pairs.
    CWideStringUI type;
    if (argument.Find(L"file='") >= 0 || argument.Find(L"res='") >= 0) {
      TImageSpec spec;
      spec.name = name;
      CImageSpecParser(rc_, nullptr).Parse(argument, spec);
      name = spec.name;
      type = spec.type;
    }
    ImageRecord* image = manager_->ObtainImage(name, type.IsEmpty() ? nullptr : type.GetData(), 0);
    if (image == nullptr) return;

    const LONG frameWidth = image->width / count;
    const LONG height = image->height;
    const bool fits = pt_.x + frameWidth <= rc_.right || pt_.x <= rc_.left || singleLine_;
    if (!fits) {
      // Read the same tag again at the start of the next line.
      lineEndRequested_ = true;
      p_ = tagStart_;
      return;
    }
    if (drawPass_) DrawImageFrame(*image, frameWidth, height, index);
    cyLine_ = std::max(cyLine_, height);
    pt_.x += frameWidth;
    lowestImageBottom_ = std::max(lowestImageBottom_, pt_.y + height);
  }

  // Sits on the line's bottom, centred when it is lower than the line.
  void DrawImageFrame(const ImageRecord& image, LONG frameWidth, LONG height, long index) {
    LONG top = pt_.y + cyLineHeight_ - height;
    if (height < cyLineHeight_) top -= (cyLineHeight_ - height) / 2;
    const RECT dest = {pt_.x, top, pt_.x + frameWidth, top + height};
    const RECT source = {index * frameWidth, 0, (index + 1) * frameWidth, height};
    const RECT noCorners = {0, 0, 0, 0};
    CDrawKit::DrawImagePieces(dc_, image.bitmap.get(), dest, rc_, source, noCorners,
                              image.hasAlpha != 0);
  }

  HDC dc_;
  IManagerServicesUI* manager_;
  RECT& rc_;
  const wchar_t* text_;
  DWORD color_;
  RECT* linkRects_;
  CWideStringUI* linkNames_;
  int linkCount_;
  UINT format_;

  bool draw_ = true;
  bool singleLine_ = false;
  bool drawPass_ = false;
  bool lineEndRequested_ = false;
  bool inLink_ = false;
  bool inRaw_ = false;
  bool inSelected_ = false;
  bool hasHover_ = false;
  CWideStringUI hoverLink_;

  const wchar_t* p_ = nullptr;
  // Remembered so that an image that does not fit can be read again.
  const wchar_t* tagStart_ = nullptr;
  const wchar_t* lineStartPosition_ = nullptr;
  POINT pt_ = {};
  POINT linkStart_ = {};
  LONG runStartX_ = 0;
  CRunExtents extents_;
  HFONT selectedFont_ = nullptr;
  bool swallowedSpace_ = false;
  bool measureRewound_ = false;
  LONG cyLine_ = 0;
  LONG cyLineHeight_ = 0;
  LONG widestX_ = 0;
  LONG lowestImageBottom_ = 0;
  int linkIndex_ = 0;
  int lineFirstLink_ = 0;

  FontRecord* defaultFont_ = nullptr;
  std::vector<FontRecord*> fonts_;
  std::vector<DWORD> colors_;
  std::vector<int> paragraphs_;
  TLineStart snapshot_;
};

// Restores the clip region and the selected font the caller had.
class DeviceStateGuard {
 public:
  explicit DeviceStateGuard(HDC dc)
      : dc_(dc), font_(GetCurrentObject(dc, OBJ_FONT)), clip_(CreateRectRgn(0, 0, 0, 0)) {
    hadClip_ = clip_ && GetClipRgn(dc, clip_.get()) == 1;
  }
  DeviceStateGuard(const DeviceStateGuard&) = delete;
  DeviceStateGuard& operator=(const DeviceStateGuard&) = delete;
  ~DeviceStateGuard() {
    SelectClipRgn(dc_, hadClip_ ? clip_.get() : nullptr);
    if (font_ != nullptr) SelectObject(dc_, font_);
  }

  void ClipTo(const RECT& rc) {
    UniqueRegion area(CreateRectRgnIndirect(&rc));
    if (area) ExtSelectClipRgn(dc_, area.get(), RGN_AND);
  }

 private:
  HDC dc_;
  HGDIOBJ font_;
  UniqueRegion clip_;
  bool hadClip_ = false;
};

}  // namespace

void CDrawKit::DrawMarkupText(HDC dc, IManagerServicesUI* manager, RECT& rc, const wchar_t* text,
                              DWORD color, RECT* linkRects, CWideStringUI* linkNames,
                              int& linkCount, UINT format) {
  if (dc == nullptr || manager == nullptr || text == nullptr || rc.right <= rc.left ||
      rc.bottom <= rc.top) {
    linkCount = 0;  // no link is reachable
    return;
  }
  DeviceStateGuard restore(dc);
  if ((format & DT_CALCRECT) == 0) restore.ClipTo(rc);
  CMarkupWalker walker(dc, manager, rc, text, color, linkRects, linkNames, linkCount, format);
  linkCount = walker.Run();
}

}  // namespace SkinUI

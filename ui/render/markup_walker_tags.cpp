// The markup walk: tags, fonts and inline images.

#include "ui/render/markup_walker.h"

#include <algorithm>
#include <cwchar>

#include "ui/render/draw_kit.h"
#include "ui/render/image_spec.h"

namespace SkinUI {

using namespace markup;

bool CMarkupWalker::IsTagStart(const wchar_t* p) {
  if (!IsOpenBracket(p[0])) return false;
  if (IsTagLetter(p[1])) return p[2] == L' ' || IsCloseBracket(p[2]);
  return p[1] == L'/' && IsTagLetter(p[2]);
}

// Consumes the tag through its closing bracket (or the end of the text).
TMarkupTag CMarkupWalker::ReadTag() {
  TMarkupTag tag;
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

void CMarkupWalker::ApplyTag(const TMarkupTag& tag) {
  if (tag.closing) {
    ApplyClosingTag(tag.letter);
  } else {
    ApplyOpeningTag(tag);
  }
}

void CMarkupWalker::ApplyOpeningTag(const TMarkupTag& tag) {
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

void CMarkupWalker::ApplyClosingTag(wchar_t letter) {
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

void CMarkupWalker::OpenLink(const CWideStringUI& name) {
  const bool hasSlot = linkIndex_ < linkCount_;
  if (!drawPass_ && hasSlot) linkNames_[linkIndex_] = name;
  const bool hovered = hasSlot && hasHover_ && hoverLink_ == linkNames_[linkIndex_].GetData();
  PushColor(hovered ? manager_->LinkHoverTextColor() : manager_->LinkTextColor());
  if (!IsUnderlined(CurrentFont())) PushVariant(false, true, false);
  linkStart_ = pt_;
  inLink_ = true;
}

void CMarkupWalker::CloseLink() {
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

DWORD CMarkupWalker::ParseTagColor(const wchar_t* argument) {
  const wchar_t* p = SkipSpaces(argument);
  if (*p == L'#') ++p;
  // Read as a signed number on purpose: eight digits from 8 upwards
  // saturate to 0x7FFFFFFF, which shows as white.
  return static_cast<DWORD>(wcstol(p, nullptr, 16));
}

void CMarkupWalker::PushColor(DWORD color) {
  colors_.push_back(color);
  ApplyColor();
}

void CMarkupWalker::PopColor() {
  if (!colors_.empty()) colors_.pop_back();
  ApplyColor();
}

void CMarkupWalker::ApplyColor() {
  SetTextColor(dc_, ArgbToColorRef(colors_.empty() ? color_ : colors_.back()));
}

void CMarkupWalker::ToggleSelected() {
  inSelected_ = !inSelected_;
  if (drawPass_) SetBkMode(dc_, inSelected_ ? OPAQUE : TRANSPARENT);
}

void CMarkupWalker::OpenParagraph(int extra) {
  if (pt_.x > rc_.left) lineEndRequested_ = true;
  paragraphs_.push_back(extra);
  cyLine_ = std::max(cyLine_, LineHeightOf(CurrentFont()));
}

void CMarkupWalker::CloseParagraph() {
  if (pt_.x > rc_.left) lineEndRequested_ = true;
  if (!paragraphs_.empty()) paragraphs_.pop_back();
  cyLine_ = std::max(cyLine_, LineHeightOf(CurrentFont()));
}

void CMarkupWalker::PushFontTag(const CWideStringUI& argument) {
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

FontRecord* CMarkupWalker::ObtainFont(const wchar_t* face, int size, bool bold, bool underline,
                                      bool italic) {
  HFONT font = manager_->FindMatchingFont(face, size, bold, underline, italic);
  if (font == nullptr) font = manager_->RegisterFont(face, size, bold, underline, italic);
  return font != nullptr ? manager_->FontInfoOf(font) : nullptr;
}

bool CMarkupWalker::IsItalic(const FontRecord* font) {
  return font->italic != 0 || font->metrics.tmItalic != 0;
}

// The current font with one more style switched on, unless it has it.
void CMarkupWalker::PushVariant(bool bold, bool underline, bool italic) {
  const FontRecord* current = CurrentFont();
  if ((bold && IsBold(current)) || (underline && IsUnderlined(current)) ||
      (italic && IsItalic(current))) {
    return;
  }
  PushFont(ObtainFont(current->face, current->size, bold || IsBold(current),
                      underline || IsUnderlined(current), italic || IsItalic(current)));
}

void CMarkupWalker::PushFont(FontRecord* font) {
  if (font == nullptr) return;
  FillMetrics(font);
  fonts_.push_back(font);
  cyLine_ = std::max(cyLine_, LineHeightOf(font));
}

void CMarkupWalker::PopFont() {
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

void CMarkupWalker::SelectOnDC(HFONT font) {
  if (font == selectedFont_) return;
  SelectObject(dc_, font);
  selectedFont_ = font;
}

void CMarkupWalker::FillMetrics(FontRecord* font) {
  if (!font->HasMetrics()) font->ReadMetrics(dc_);
}

const TEXTMETRICW& CMarkupWalker::MetricsOf(FontRecord* font) {
  FillMetrics(font);
  return font->metrics;
}

LONG CMarkupWalker::LineHeightOf(FontRecord* font) {
  const TEXTMETRICW& tm = MetricsOf(font);
  const int extra = paragraphs_.empty() ? 0 : paragraphs_.back();
  return extra + tm.tmHeight + tm.tmExternalLeading;
}

LONG CMarkupWalker::Baseline() {
  const TEXTMETRICW& tm = MetricsOf(CurrentFont());
  return pt_.y + cyLineHeight_ - tm.tmHeight - tm.tmExternalLeading;
}

// Widths are measured once per run and font for the whole walk: growing
// the run, placing it and the draw pass of its line all read them.
LONG CMarkupWalker::RunWidth(const wchar_t* start, int length) {
  return extents_.PrefixWidth(CurrentFont()->font.get(), start, length, length);
}

// On the first measure of a run: the whole run, unless it is far longer
// than what can fit on the rest of the line.
LONG CMarkupWalker::PrefixWidth(int length) {
  HFONT font = CurrentFont()->font.get();
  int stretch = length;
  if (extents_.KnownUnits(font, run_.text) < length) {
    const LONG room = std::max<LONG>(rc_.right - pt_.x, 0);
    const LONG average = std::max<LONG>(MetricsOf(CurrentFont()).tmAveCharWidth, 1);
    stretch = std::min(run_.length, static_cast<int>(2 * room / average) + 16);
  }
  return extents_.PrefixWidth(font, run_.text, length, stretch);
}

void CMarkupWalker::OpenImageOrItalic(const CWideStringUI& argument) {
  const wchar_t* p = argument.GetData();
  const wchar_t* nameEnd = p;
  while (*nameEnd != 0 && *nameEnd != L' ') ++nameEnd;
  if (nameEnd == p) {
    PushVariant(false, false, true);
    return;
  }
  PlaceImage(argument, CWideStringUI(p, static_cast<int>(nameEnd - p)), nameEnd);
}

void CMarkupWalker::PlaceImage(const CWideStringUI& argument, CWideStringUI name,
                               const wchar_t* afterName) {
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
void CMarkupWalker::DrawImageFrame(const ImageRecord& image, LONG frameWidth, LONG height,
                                   long index) {
  LONG top = pt_.y + cyLineHeight_ - height;
  if (height < cyLineHeight_) top -= (cyLineHeight_ - height) / 2;
  const RECT dest = {pt_.x, top, pt_.x + frameWidth, top + height};
  const RECT source = {index * frameWidth, 0, (index + 1) * frameWidth, height};
  const RECT noCorners = {0, 0, 0, 0};
  CDrawKit::DrawImagePieces(dc_, image.bitmap.get(), dest, rc_, source, noCorners,
                            image.hasAlpha != 0);
}

}  // namespace SkinUI

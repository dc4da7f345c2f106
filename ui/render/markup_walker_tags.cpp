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
  const wchar_t* p = cursor + 1;
  if (*p == L'/') {
    tag.closing = true;
    ++p;
  }
  tag.letter = *p++;
  const wchar_t* argument = SkipSpaces(p);
  while (*p != 0 && !IsCloseBracket(*p)) ++p;
  if (argument < p) tag.argument.Assign(argument, static_cast<int>(p - argument));
  cursor = *p != 0 ? p + 1 : p;
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
  // Distances in tags are logical, as every number of the skin.
  const int number = skin->Scale().ToDevice(ClampToInt(wcstol(tag.argument, nullptr, 10)));
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
      if (!singleLine) lineEndRequested = true;
      break;
    case L'p':
      OpenParagraph(number);
      break;
    case L'r':
      inRaw = true;
      break;
    case L's':
      ToggleSelected();
      break;
    case L'u':
      PushVariant(false, true, false);
      break;
    case L'x':
      pt.x += number;
      break;
    case L'y':
      cyLine = number;
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
  const bool hasSlot = linkIndex < linkCount;
  if (!drawPass && hasSlot) foundLinkNames[linkIndex] = name;
  const bool hovered = hasSlot && hasHover && hoverLink == foundLinkNames[linkIndex].GetData();
  PushColor(hovered ? skin->LinkHoverTextColor() : skin->LinkTextColor());
  if (!IsUnderlined(CurrentFont())) PushVariant(false, true, false);
  linkStart = pt;
  inLink = true;
}

void CMarkupWalker::CloseLink() {
  if (!drawPass && linkIndex < linkCount) {
    const TEXTMETRICW& tm = MetricsOf(CurrentFont());
    foundLinkRects[linkIndex] = {linkStart.x, linkStart.y, pt.x,
                                 pt.y + tm.tmHeight + tm.tmExternalLeading};
  }
  if (linkIndex < linkCount) ++linkIndex;
  PopColor();
  inLink = false;
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
  colors.push_back(color);
  ApplyColor();
}

void CMarkupWalker::PopColor() {
  if (!colors.empty()) colors.pop_back();
  ApplyColor();
}

void CMarkupWalker::ApplyColor() {
  SetTextColor(drawDC, ArgbToColorRef(colors.empty() ? baseColor : colors.back()));
}

void CMarkupWalker::ToggleSelected() {
  inSelected = !inSelected;
  if (drawPass) SetBkMode(drawDC, inSelected ? OPAQUE : TRANSPARENT);
}

void CMarkupWalker::OpenParagraph(int extra) {
  if (pt.x > area.left) lineEndRequested = true;
  paragraphs.push_back(extra);
  cyLine = std::max(cyLine, LineHeightOf(CurrentFont()));
}

void CMarkupWalker::CloseParagraph() {
  if (pt.x > area.left) lineEndRequested = true;
  if (!paragraphs.empty()) paragraphs.pop_back();
  cyLine = std::max(cyLine, LineHeightOf(CurrentFont()));
}

void CMarkupWalker::PushFontTag(const CWideStringUI& argument) {
  const wchar_t* p = argument.GetData();
  if (*p >= L'0' && *p <= L'9') {
    PushFont(skin->FontInfoAt(static_cast<int>(wcstol(p, nullptr, 10))));
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
  HFONT font = skin->FindMatchingFont(face, size, bold, underline, italic);
  if (font == nullptr) font = skin->RegisterFont(face, size, bold, underline, italic);
  return font != nullptr ? skin->FontInfoOf(font) : nullptr;
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
  fonts.push_back(font);
  cyLine = std::max(cyLine, LineHeightOf(font));
}

void CMarkupWalker::PopFont() {
  const FontRecord* leaving = CurrentFont();
  if (!fonts.empty()) fonts.pop_back();
  FontRecord* now = CurrentFont();
  if (IsItalic(leaving) && !IsItalic(now)) {
    // Leave room for the slant of the last italic character.
    LONG trailing = 0;
    if (extents.TrailingWidth(leaving->font.get(), L' ', trailing)) pt.x += trailing / 2;
  }
  cyLine = std::max(cyLine, LineHeightOf(now));
}

void CMarkupWalker::SelectOnDC(HFONT font) {
  if (font == selectedFont) return;
  SelectObject(drawDC, font);
  selectedFont = font;
}

void CMarkupWalker::FillMetrics(FontRecord* font) {
  if (!font->HasMetrics()) font->ReadMetrics(drawDC);
}

const TEXTMETRICW& CMarkupWalker::MetricsOf(FontRecord* font) {
  FillMetrics(font);
  return font->metrics;
}

LONG CMarkupWalker::LineHeightOf(FontRecord* font) {
  const TEXTMETRICW& tm = MetricsOf(font);
  const int extra = paragraphs.empty() ? 0 : paragraphs.back();
  return extra + tm.tmHeight + tm.tmExternalLeading;
}

LONG CMarkupWalker::Baseline() {
  const TEXTMETRICW& tm = MetricsOf(CurrentFont());
  return pt.y + cyLineHeight - tm.tmHeight - tm.tmExternalLeading;
}

// Widths are measured once per run and font for the whole walk: growing
// the run, placing it and the draw pass of its line all read them.
LONG CMarkupWalker::RunWidth(const wchar_t* start, int length) {
  return extents.PrefixWidth(CurrentFont()->font.get(), start, length, length);
}

// On the first measure of a run: the whole run, unless it is far longer
// than what can fit on the rest of the line.
LONG CMarkupWalker::PrefixWidth(int length) {
  HFONT font = CurrentFont()->font.get();
  int stretch = length;
  if (extents.KnownUnits(font, runText.text) < length) {
    const LONG room = std::max<LONG>(area.right - pt.x, 0);
    const LONG average = std::max<LONG>(MetricsOf(CurrentFont()).tmAveCharWidth, 1);
    stretch = std::min(runText.length, static_cast<int>(2 * room / average) + 16);
  }
  return extents.PrefixWidth(font, runText.text, length, stretch);
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
    CImageSpecParser(area, nullptr, skin->Scale()).Parse(argument, spec);
    name = spec.name;
    type = spec.type;
  }
  ImageRecord* image = skin->ObtainImage(name, type.IsEmpty() ? nullptr : type.GetData(), 0);
  if (image == nullptr) return;

  const LONG frameWidth = image->width / count;
  const LONG height = image->height;
  const bool fits = pt.x + frameWidth <= area.right || pt.x <= area.left || singleLine;
  if (!fits) {
    // Read the same tag again at the start of the next line.
    lineEndRequested = true;
    cursor = tagStart;
    return;
  }
  if (drawPass) DrawImageFrame(*image, frameWidth, height, index);
  cyLine = std::max(cyLine, height);
  pt.x += frameWidth;
  lowestImageBottom = std::max(lowestImageBottom, pt.y + height);
}

// Sits on the line's bottom, centred when it is lower than the line.
void CMarkupWalker::DrawImageFrame(const ImageRecord& image, LONG frameWidth, LONG height,
                                   long index) {
  LONG top = pt.y + cyLineHeight - height;
  if (height < cyLineHeight) top -= (cyLineHeight - height) / 2;
  const RECT dest = {pt.x, top, pt.x + frameWidth, top + height};
  const RECT source = {index * frameWidth, 0, (index + 1) * frameWidth, height};
  const RECT noCorners = {0, 0, 0, 0};
  CDrawKit::DrawImagePieces(drawDC, image.bitmap.get(), dest, area, source, noCorners,
                            image.hasAlpha != 0);
}

}  // namespace SkinUI

// The markup walk: setup, lines and their two passes, characters and runs.

#include "ui/render/markup_walker.h"

#include <algorithm>
#include <cwchar>

#include "ui/render/draw_kit.h"
#include "ui/render/image_spec.h"

namespace SkinUI {

using namespace markup;

int CMarkupWalker::Run() {
  defaultFont = skin->DefaultFontInfo();
  if (defaultFont == nullptr) return 0;
  FillMetrics(defaultFont);

  SetBkMode(drawDC, TRANSPARENT);
  SetTextColor(drawDC, ArgbToColorRef(baseColor));
  SetBkColor(drawDC, ArgbToColorRef(skin->SelectedBackColor()));
  if (draw && (drawFormat & kAlignmentFlags) != 0) AlignRect();
  FindHoveredLink();

  Begin();
  Walk();
  Finish();
  return linkIndex;
}

void CMarkupWalker::AlignRect() {
  RECT measured = kMeasureArea;
  int noLinks = 0;
  CDrawKit::DrawMarkupText(drawDC, skin, measured, markupText, baseColor, nullptr, nullptr, noLinks,
                           drawFormat | DT_CALCRECT);
  const LONG textWidth = measured.right - measured.left;
  const LONG textHeight = measured.bottom - measured.top;
  if (singleLine) {
    if (drawFormat & DT_CENTER) {
      area.left += (area.right - area.left) / 2 - textWidth / 2;
      area.right = area.left + textWidth;
    }
    if (drawFormat & DT_RIGHT) area.left = area.right - textWidth;
  }
  if (drawFormat & DT_VCENTER) {
    area.top += (area.bottom - area.top) / 2 - textHeight / 2;
    area.bottom = area.top + textHeight;
  }
  if (drawFormat & DT_BOTTOM) area.top = area.bottom - textHeight;
}

void CMarkupWalker::FindHoveredLink() {
  for (int i = 0; i < linkCount; ++i) {
    if (PtInRect(&foundLinkRects[i], pointerAt)) {
      hoverLink = foundLinkNames[i];
      hasHover = true;
      return;
    }
  }
}

void CMarkupWalker::Begin() {
  cursor = markupText;
  pt = {area.left, area.top};
  widestX = area.left;
  cyLine = LineHeightOf(CurrentFont());
  linkStart = pt;
  lineStartPosition = cursor;
  TakeSnapshot();
}

void CMarkupWalker::Finish() {
  if (!draw) {
    area.bottom = std::max(lowestImageBottom, pt.y + cyLine);
    area.right = std::min(area.right, widestX);
  }
}

void CMarkupWalker::Walk() {
  while (*cursor != 0) {
    if (pt.x >= area.right || *cursor == L'\n' || lineEndRequested) {
      if (!EndLine()) return;
    } else if (inRaw && IsClosingTagOf(cursor, L'r')) {
      ReadTag();
      inRaw = false;
    } else if (!inRaw && IsTagStart(cursor)) {
      tagStart = cursor;
      ApplyTag(ReadTag());
    } else if (*cursor == L' ') {
      PlaceSpace();
    } else {
      PlaceTextRun();
    }
    AfterStep();
  }
}

// Returns false when the walk ends here.
bool CMarkupWalker::EndLine() {
  const bool lineDone = !draw || drawPass;
  // A measure pass ends back at its line start: the draw pass walks the
  // same line. A line that opens with a newline gets here without a step.
  if (!lineDone && !measureRewound) RewindMeasuredLine();
  const wchar_t* lineEnd = cursor;
  // The newline belongs to the line just done; after a measure pass the
  // draw pass still has to walk (an empty line up to) it.
  if (lineDone && *cursor == L'\n') ++cursor;
  lineEndRequested = false;
  if (drawPass) {
    // The link goes on at the next line in a slot of its own.
    if (inLink && linkIndex < linkCount) ++linkIndex;
    snapshot.position = cursor;
    snapshot.inLink = inLink;
    snapshot.linkIndex = linkIndex;
  } else {
    CloseLinksOfMeasuredLine();
  }
  if (singleLine && lineDone) return false;
  // A line that consumed no character would repeat for ever (a rectangle
  // narrower than one character with an ellipsis).
  if (lineDone && lineEnd == lineStartPosition && *lineEnd != L'\n') return false;
  if (draw) drawPass = !drawPass;
  pt.x = area.left;
  if (!drawPass) pt.y += cyLine;
  if (draw && pt.y > area.bottom) return false;
  linkStart = pt;
  cyLine = LineHeightOf(CurrentFont());
  if (!drawPass) {
    lineStartPosition = cursor;
    lineFirstLink = linkIndex;
    measureRewound = false;
  }
  return pt.x < area.right;
}

void CMarkupWalker::CloseLinksOfMeasuredLine() {
  if (inLink && linkIndex < linkCount) {
    foundLinkRects[linkIndex] = {linkStart.x, linkStart.y, std::min(pt.x, area.right),
                                 pt.y + cyLine};
    ++linkIndex;
    // The continuation on the next line carries the same name, when there
    // is a slot left for it.
    if (linkIndex < linkCount) foundLinkNames[linkIndex] = foundLinkNames[linkIndex - 1];
  }
  for (int i = lineFirstLink; i < linkIndex; ++i) foundLinkRects[i].bottom = pt.y + cyLine;
  if (draw) {
    inLink = snapshot.inLink;
    linkIndex = snapshot.linkIndex;
  }
}

void CMarkupWalker::AfterStep() {
  widestX = std::max(widestX, pt.x);
  if (pt.x >= area.right || *cursor == L'\n' || *cursor == 0) lineEndRequested = true;
  if (!draw || !lineEndRequested) return;
  if (drawPass) {
    TakeSnapshot();
  } else {
    RewindMeasuredLine();
  }
}

// Back to the line start with the measured height; the draw pass follows.
void CMarkupWalker::RewindMeasuredLine() {
  RestoreSnapshot();
  measureRewound = true;
  cyLineHeight = cyLine;
  ApplyColor();
  SetBkMode(drawDC, inSelected ? OPAQUE : TRANSPARENT);
}

void CMarkupWalker::TakeSnapshot() {
  snapshot.position = cursor;
  snapshot.fonts = fonts;
  snapshot.colors = colors;
  snapshot.paragraphs = paragraphs;
  snapshot.inRaw = inRaw;
  snapshot.inSelected = inSelected;
  snapshot.inLink = inLink;
  snapshot.linkIndex = linkIndex;
}

// In-link and the link index are rewound at the line end, after the
// measured line's link rectangles are recorded.
void CMarkupWalker::RestoreSnapshot() {
  cursor = snapshot.position;
  fonts = snapshot.fonts;
  colors = snapshot.colors;
  paragraphs = snapshot.paragraphs;
  inRaw = snapshot.inRaw;
  inSelected = snapshot.inSelected;
}

bool CMarkupWalker::IsEscape(const wchar_t* p) {
  if (p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') return true;
  return p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}';
}

CMarkupWalker::TRunText CMarkupWalker::RunTextAt(const wchar_t* start) {
  bool escaped = false;
  const wchar_t* p = start;
  do {
    if (!inRaw && IsEscape(p)) {
      escaped = true;
      p += 3;
    } else {
      p += CharacterUnits(p);
    }
  } while (!RunStopsAt(p));
  if (!escaped) return TRunText{start, static_cast<int>(p - start), nullptr};

  auto found = escapedRuns.find(start);
  if (found == escapedRuns.end()) {
    TEscapedRun& run = escapedRuns[start];
    for (const wchar_t* q = start; q < p;) {
      if (IsEscape(q)) {
        run.text += q[1];
        q += 3;
        run.sourceEnds.push_back(static_cast<int>(q - start));
        continue;
      }
      run.text += *q++;
      run.sourceEnds.push_back(static_cast<int>(q - start));
    }
    found = escapedRuns.find(start);
  }
  const TEscapedRun& run = found->second;
  return TRunText{run.text.c_str(), static_cast<int>(run.text.size()), &run.sourceEnds};
}

void CMarkupWalker::PlaceSpace() {
  ++cursor;
  PlaceSingle(L' ');
}

void CMarkupWalker::PlaceSingle(wchar_t ch) {
  const LONG width = extents.CharacterWidth(CurrentFont()->font.get(), ch);
  if (drawPass && LeavesMarks(ch)) {
    RealizeFont();
    TextOutW(drawDC, pt.x, Baseline(), &ch, 1);
  }
  pt.x += width;
}

// A space shows only as a selected background or as a line of the font;
// drawing it otherwise changes no pixel.
bool CMarkupWalker::LeavesMarks(wchar_t ch) {
  if (ch != L' ' || GetBkMode(drawDC) == OPAQUE) return true;
  const TEXTMETRICW& tm = MetricsOf(CurrentFont());
  return tm.tmUnderlined != 0 || tm.tmStruckOut != 0;
}

void CMarkupWalker::PlaceTextRun() {
  const wchar_t* start = cursor;
  swallowedSpace = false;
  const int length = GrowRun(start);
  cursor = start + runText.SourceUnits(length) + (swallowedSpace ? 1 : 0);
  const LONG runX = runStartX;
  const LONG width = RunWidth(runText.text, length);
  if (drawPass) {
    LONG x = runX;
    if (!singleLine) {
      const LONG room = (area.right - area.left) - width;
      if (drawFormat & DT_CENTER) {
        x += room / 2;
      } else if (drawFormat & DT_RIGHT) {
        x += room;
      }
    }
    RealizeFont();
    if (length > 0) TextOutW(drawDC, x, Baseline(), runText.text, length);
    if ((drawFormat & DT_END_ELLIPSIS) && pt.x >= area.right) {
      TextOutW(drawDC, x + width, pt.y, kEllipsis, 3);
    }
  }
  pt.x += width;
}

bool CMarkupWalker::RunStopsAt(const wchar_t* p) const {
  if (*p == 0 || *p == L'\n') return true;
  if (inRaw) return IsClosingTagOf(p, L'r');
  return IsOpenBracket(*p) && !IsEscape(p);
}

// Grows the run from start one character at a time and returns its length
// in code units of its text. Cuts it where it would overflow the right edge.
int CMarkupWalker::GrowRun(const wchar_t* start) {
  runText = RunTextAt(start);
  runStartX = pt.x;
  const LONG maxCharWidth = MetricsOf(CurrentFont()).tmMaxCharWidth;
  std::vector<int> ends;  // run length after each character
  int length = 0;
  int breakAt = 0;
  const wchar_t* p = runText.text;
  const wchar_t* end = runText.text + runText.length;
  do {
    const int units = CharacterUnits(p);
    const bool letter = units == 1 && IsAsciiLetter(*p);
    p += units;
    length += units;
    ends.push_back(length);
    if (!letter) breakAt = length;
    const LONG estimate = maxCharWidth * static_cast<LONG>(ends.size());
    if (pt.x + estimate < area.right) continue;
    if (pt.x + PrefixWidth(length) <= area.right) continue;
    return CutOverflowingRun(start, ends, breakAt);
  } while (p < end);
  return length;
}

int CMarkupWalker::CutOverflowingRun(const wchar_t* start, std::vector<int>& ends, int breakAt) {
  lineEndRequested = true;
  const int whole = ends.back();
  // Every line takes at least one character.
  if (pt.x != area.left || ends.size() > 1) ends.pop_back();
  int length = ends.empty() ? 0 : ends.back();
  if (drawFormat & DT_WORDBREAK) {
    // A space that overflows is where the line breaks: it is used up here
    // instead of starting the next line.
    swallowedSpace =
        whole == length + 1 && runText.text[length] == L' ' && !(drawFormat & DT_END_ELLIPSIS);
    if (breakAt > 0 && breakAt < length) {
      length = breakAt;
      while (!ends.empty() && ends.back() > length) ends.pop_back();
    } else if (breakAt == 0 && pt.x > area.left && start > markupText && start[-1] == L' ') {
      // The word began after a space placed on its own: move it whole.
      ends.clear();
      length = 0;
    }
  }
  if ((drawFormat & DT_END_ELLIPSIS) && !ends.empty()) {
    const size_t drop = ends.size() >= 2 ? 2 : 1;
    ends.resize(ends.size() - drop);
    length = ends.empty() ? 0 : ends.back();
    pt.x = area.right;
  }
  return length;
}

}  // namespace SkinUI

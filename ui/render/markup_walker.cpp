// The markup walk: setup, lines and their two passes, characters and runs.

#include "ui/render/markup_walker.h"

#include <algorithm>
#include <cwchar>

#include "ui/render/draw_kit.h"
#include "ui/render/image_spec.h"

namespace SkinUI {

using namespace markup;

int CMarkupWalker::Run() {
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

void CMarkupWalker::AlignRect() {
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

void CMarkupWalker::FindHoveredLink() {
  const CPointUI mouse = manager_->LastMousePos();
  for (int i = 0; i < linkCount_; ++i) {
    if (PtInRect(&linkRects_[i], mouse)) {
      hoverLink_ = linkNames_[i];
      hasHover_ = true;
      return;
    }
  }
}

void CMarkupWalker::Begin() {
  p_ = text_;
  pt_ = {rc_.left, rc_.top};
  widestX_ = rc_.left;
  cyLine_ = LineHeightOf(CurrentFont());
  linkStart_ = pt_;
  lineStartPosition_ = p_;
  TakeSnapshot();
}

void CMarkupWalker::Finish() {
  if (!draw_) {
    rc_.bottom = std::max(lowestImageBottom_, pt_.y + cyLine_);
    rc_.right = std::min(rc_.right, widestX_);
  }
}

void CMarkupWalker::Walk() {
  while (*p_ != 0) {
    if (pt_.x >= rc_.right || *p_ == L'\n' || lineEndRequested_) {
      if (!EndLine()) return;
    } else if (inRaw_ && IsClosingTagOf(p_, L'r')) {
      ReadTag();
      inRaw_ = false;
    } else if (!inRaw_ && IsTagStart(p_)) {
      tagStart_ = p_;
      ApplyTag(ReadTag());
    } else if (*p_ == L' ') {
      PlaceSpace();
    } else {
      PlaceTextRun();
    }
    AfterStep();
  }
}

// Returns false when the walk ends here.
bool CMarkupWalker::EndLine() {
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

void CMarkupWalker::CloseLinksOfMeasuredLine() {
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

void CMarkupWalker::AfterStep() {
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
void CMarkupWalker::RewindMeasuredLine() {
  RestoreSnapshot();
  measureRewound_ = true;
  cyLineHeight_ = cyLine_;
  ApplyColor();
  SetBkMode(dc_, inSelected_ ? OPAQUE : TRANSPARENT);
}

void CMarkupWalker::TakeSnapshot() {
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
void CMarkupWalker::RestoreSnapshot() {
  p_ = snapshot_.position;
  fonts_ = snapshot_.fonts;
  colors_ = snapshot_.colors;
  paragraphs_ = snapshot_.paragraphs;
  inRaw_ = snapshot_.inRaw;
  inSelected_ = snapshot_.inSelected;
}

bool CMarkupWalker::IsEscape(const wchar_t* p) {
  if (p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') return true;
  return p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}';
}

CMarkupWalker::TRunText CMarkupWalker::RunTextAt(const wchar_t* start) {
  bool escaped = false;
  const wchar_t* p = start;
  do {
    if (!inRaw_ && IsEscape(p)) {
      escaped = true;
      p += 3;
    } else {
      p += CharacterUnits(p);
    }
  } while (!RunStopsAt(p));
  if (!escaped) return TRunText{start, static_cast<int>(p - start), nullptr};

  auto found = escapedRuns_.find(start);
  if (found == escapedRuns_.end()) {
    TEscapedRun& run = escapedRuns_[start];
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
    found = escapedRuns_.find(start);
  }
  const TEscapedRun& run = found->second;
  return TRunText{run.text.c_str(), static_cast<int>(run.text.size()), &run.sourceEnds};
}

void CMarkupWalker::PlaceSpace() {
  ++p_;
  PlaceSingle(L' ');
}

void CMarkupWalker::PlaceSingle(wchar_t ch) {
  const LONG width = extents_.CharacterWidth(CurrentFont()->font.get(), ch);
  if (drawPass_ && LeavesMarks(ch)) {
    RealizeFont();
    TextOutW(dc_, pt_.x, Baseline(), &ch, 1);
  }
  pt_.x += width;
}

// A space shows only as a selected background or as a line of the font;
// drawing it otherwise changes no pixel.
bool CMarkupWalker::LeavesMarks(wchar_t ch) {
  if (ch != L' ' || GetBkMode(dc_) == OPAQUE) return true;
  const TEXTMETRICW& tm = MetricsOf(CurrentFont());
  return tm.tmUnderlined != 0 || tm.tmStruckOut != 0;
}

void CMarkupWalker::PlaceTextRun() {
  const wchar_t* start = p_;
  swallowedSpace_ = false;
  const int length = GrowRun(start);
  p_ = start + run_.SourceUnits(length) + (swallowedSpace_ ? 1 : 0);
  const LONG runX = runStartX_;
  const LONG width = RunWidth(run_.text, length);
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
    if (length > 0) TextOutW(dc_, x, Baseline(), run_.text, length);
    if ((format_ & DT_END_ELLIPSIS) && pt_.x >= rc_.right) {
      TextOutW(dc_, x + width, pt_.y, kEllipsis, 3);
    }
  }
  pt_.x += width;
}

bool CMarkupWalker::RunStopsAt(const wchar_t* p) const {
  if (*p == 0 || *p == L'\n') return true;
  if (inRaw_) return IsClosingTagOf(p, L'r');
  return IsOpenBracket(*p) && !IsEscape(p);
}

// Grows the run from start one character at a time and returns its length
// in code units of its text. Cuts it where it would overflow the right edge.
int CMarkupWalker::GrowRun(const wchar_t* start) {
  run_ = RunTextAt(start);
  runStartX_ = pt_.x;
  const LONG maxCharWidth = MetricsOf(CurrentFont()).tmMaxCharWidth;
  std::vector<int> ends;  // run length after each character
  int length = 0;
  int breakAt = 0;
  const wchar_t* p = run_.text;
  const wchar_t* end = run_.text + run_.length;
  do {
    const int units = CharacterUnits(p);
    const bool letter = units == 1 && IsAsciiLetter(*p);
    p += units;
    length += units;
    ends.push_back(length);
    if (!letter) breakAt = length;
    const LONG estimate = maxCharWidth * static_cast<LONG>(ends.size());
    if (pt_.x + estimate < rc_.right) continue;
    if (pt_.x + PrefixWidth(length) <= rc_.right) continue;
    return CutOverflowingRun(start, ends, breakAt);
  } while (p < end);
  return length;
}

int CMarkupWalker::CutOverflowingRun(const wchar_t* start, std::vector<int>& ends, int breakAt) {
  lineEndRequested_ = true;
  const int whole = ends.back();
  // Every line takes at least one character.
  if (pt_.x != rc_.left || ends.size() > 1) ends.pop_back();
  int length = ends.empty() ? 0 : ends.back();
  if (format_ & DT_WORDBREAK) {
    // A space that overflows is where the line breaks: it is used up here
    // instead of starting the next line.
    swallowedSpace_ =
        whole == length + 1 && run_.text[length] == L' ' && !(format_ & DT_END_ELLIPSIS);
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

}  // namespace SkinUI

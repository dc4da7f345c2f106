// CContainerUI: its scroll bars, scroll steps, and the keys and wheel that
// drive them.

#include <cstdlib>

#include "ui/controls/container.h"
#include "ui/controls/scroll_bar.h"

namespace SkinUI {

namespace {

constexpr wchar_t kVerticalDefaults[] = L"VScrollBar";
constexpr wchar_t kHorizontalDefaults[] = L"HScrollBar";
// A line is the default font's height plus this; without a window, just this.
constexpr int kLineExtra = 8;
constexpr int kHorizontalLine = 8;
// The wheel turned away from the user (0) or towards the user (1).
constexpr WPARAM kWheelUp = 0;
constexpr WPARAM kWheelDown = 1;

}  // namespace

bool CContainerUI::IsShownBar(const CScrollBarUI* bar) {
  return bar != nullptr && bar->IsVisible();
}

CScrollBarUI* CContainerUI::VerticalScrollBar() const {
  return verticalScrollBar.get();
}

CScrollBarUI* CContainerUI::HorizontalScrollBar() const {
  return horizontalScrollBar.get();
}

std::unique_ptr<CScrollBarUI> CContainerUI::CreateScrollBar(bool horizontal) {
  auto bar = std::make_unique<CScrollBarUI>();
  if (horizontal) bar->SetHorizontal(true);
  bar->SetOwner(this);
  bar->BindManager(manager, nullptr, false);
  if (manager == nullptr) return bar;
  const wchar_t* defaults =
      manager->ClassDefaults(horizontal ? kHorizontalDefaults : kVerticalDefaults);
  if (defaults != nullptr) bar->ApplyAttributeText(defaults);
  return bar;
}

void CContainerUI::ShowScrollBars(bool vertical, bool horizontal) {
  if (!vertical) {
    verticalScrollBar.reset();
  } else if (!verticalScrollBar) {
    verticalScrollBar = CreateScrollBar(false);
  }
  if (!horizontal) {
    horizontalScrollBar.reset();
  } else if (!horizontalScrollBar) {
    horizontalScrollBar = CreateScrollBar(true);
  }
  RequestRelayout();
}

void CContainerUI::UpdateScrollBars(const RECT& rect, int /*cxRequired*/, int cyRequired) {
  // Horizontal ranges are not kept up by the layouts; the bar is only placed.
  if (IsShownBar(horizontalScrollBar.get())) {
    horizontalScrollBar->SetBounds(CRectUI(rect.left, rect.bottom, rect.right,
                                           rect.bottom + horizontalScrollBar->GetFixedHeight()));
  }
  CScrollBarUI* bar = verticalScrollBar.get();
  if (bar == nullptr) return;
  const int overflow = cyRequired - (rect.bottom - rect.top);
  if (overflow > 0 && !bar->IsVisible()) {
    bar->SetVisible(true);
    bar->SetScrollRange(overflow);
    bar->SetScrollPos(0);
    // Lay out again with the bar's width taken off.
    scrollProcessing = true;
    SetBounds(itemRect);
    scrollProcessing = false;
    return;
  }
  if (!bar->IsVisible()) return;
  if (overflow <= 0 && !scrollProcessing) {
    bar->SetVisible(false);
    bar->SetScrollPos(0);
    bar->SetScrollRange(0);
    SetBounds(itemRect);
    return;
  }
  bar->SetBounds(CRectUI(rect.right, rect.top, rect.right + bar->GetFixedWidth(), rect.bottom));
  if (bar->GetScrollRange() == overflow) return;
  const int before = bar->GetScrollPos();
  bar->SetScrollRange(std::abs(overflow));
  if (bar->GetScrollRange() == 0) {
    bar->SetVisible(false);
    bar->SetScrollPos(0);
  }
  // The bar pulled the position back: the children must follow.
  if (bar->GetScrollPos() < before) SetBounds(itemRect);
}

SIZE CContainerUI::GetScrollPos() const {
  CSizeUI pos;
  if (IsShownBar(horizontalScrollBar.get())) pos.cx = horizontalScrollBar->GetScrollPos();
  if (IsShownBar(verticalScrollBar.get())) pos.cy = verticalScrollBar->GetScrollPos();
  return pos;
}

SIZE CContainerUI::GetScrollRange() const {
  CSizeUI range;
  if (IsShownBar(horizontalScrollBar.get())) range.cx = horizontalScrollBar->GetScrollRange();
  if (IsShownBar(verticalScrollBar.get())) range.cy = verticalScrollBar->GetScrollRange();
  return range;
}

// Children are moved, not laid out again.
void CContainerUI::SetScrollPos(SIZE pos) {
  int dx = 0;
  int dy = 0;
  if (IsShownBar(verticalScrollBar.get())) {
    const int before = verticalScrollBar->GetScrollPos();
    verticalScrollBar->SetScrollPos(pos.cy);
    dy = verticalScrollBar->GetScrollPos() - before;
  }
  if (IsShownBar(horizontalScrollBar.get())) {
    const int before = horizontalScrollBar->GetScrollPos();
    horizontalScrollBar->SetScrollPos(pos.cx);
    dx = horizontalScrollBar->GetScrollPos() - before;
  }
  if (dx == 0 && dy == 0) return;
  for (int i = 0; i < OwnCount(); ++i) {
    CControlUI* child = OwnChild(i);
    if (!child->IsVisible() || child->IsFloat()) continue;
    CRectUI moved = child->Bounds();
    moved.Offset(-dx, -dy);
    child->SetBounds(moved);
  }
  Invalidate();
}

int CContainerUI::LineHeight() const {
  if (manager == nullptr) return kLineExtra;
  const FontRecord* font = manager->DefaultFontInfo();
  return (font != nullptr ? font->metrics.tmHeight : 0) + kLineExtra;
}

int CContainerUI::PageHeight() const {
  int page = GetHeight() - inset.top - inset.bottom;
  if (IsShownBar(horizontalScrollBar.get())) page -= horizontalScrollBar->GetFixedHeight();
  return page;
}

int CContainerUI::PageWidth() const {
  int page = GetWidth() - inset.left - inset.right;
  if (IsShownBar(verticalScrollBar.get())) page -= verticalScrollBar->GetFixedWidth();
  return page;
}

void CContainerUI::ScrollLineUp() {
  SIZE pos = GetScrollPos();
  pos.cy -= LineHeight();
  SetScrollPos(pos);
}

void CContainerUI::ScrollLineDown() {
  SIZE pos = GetScrollPos();
  pos.cy += LineHeight();
  SetScrollPos(pos);
}

void CContainerUI::ScrollPageUp() {
  SIZE pos = GetScrollPos();
  pos.cy -= PageHeight();
  SetScrollPos(pos);
}

void CContainerUI::ScrollPageDown() {
  SIZE pos = GetScrollPos();
  pos.cy += PageHeight();
  SetScrollPos(pos);
}

void CContainerUI::ScrollToTop() {
  SIZE pos = GetScrollPos();
  pos.cy = 0;
  SetScrollPos(pos);
}

void CContainerUI::ScrollToBottom() {
  SIZE pos = GetScrollPos();
  pos.cy = GetScrollRange().cy;
  SetScrollPos(pos);
}

void CContainerUI::ScrollLineLeft() {
  SIZE pos = GetScrollPos();
  pos.cx -= kHorizontalLine;
  SetScrollPos(pos);
}

void CContainerUI::ScrollLineRight() {
  SIZE pos = GetScrollPos();
  pos.cx += kHorizontalLine;
  SetScrollPos(pos);
}

void CContainerUI::ScrollPageLeft() {
  SIZE pos = GetScrollPos();
  pos.cx -= PageWidth();
  SetScrollPos(pos);
}

void CContainerUI::ScrollPageRight() {
  SIZE pos = GetScrollPos();
  pos.cx += PageWidth();
  SetScrollPos(pos);
}

void CContainerUI::ScrollToLeftEdge() {
  SIZE pos = GetScrollPos();
  pos.cx = 0;
  SetScrollPos(pos);
}

void CContainerUI::ScrollToRightEdge() {
  SIZE pos = GetScrollPos();
  pos.cx = GetScrollRange().cx;
  SetScrollPos(pos);
}

// --- events ---------------------------------------------------------------------------

void CContainerUI::HandleEvent(TControlEvent& event) {
  if (!IsMouseEnabled() && IsMouseEvent(event.kind)) {
    if (parent != nullptr) {
      parent->HandleEvent(event);
    } else {
      CControlUI::HandleEvent(event);
    }
    return;
  }
  if (event.kind == EventSetFocus || event.kind == EventKillFocus) {
    focused = event.kind == EventSetFocus;
    return;
  }
  CScrollBarUI* vertical = verticalScrollBar.get();
  CScrollBarUI* horizontal = horizontalScrollBar.get();
  if (IsShownBar(vertical) && vertical->IsEnabled()) {
    if (HandleVerticalScrollKeys(event)) return;
  } else if (IsShownBar(horizontal) && horizontal->IsEnabled()) {
    if (HandleHorizontalScrollKeys(event)) return;
  }
  CControlUI::HandleEvent(event);
}

bool CContainerUI::HandleVerticalScrollKeys(const TControlEvent& event) {
  if (event.kind == EventScrollWheel) {
    if (LOWORD(event.wParam) == kWheelUp) {
      ScrollLineUp();
    } else if (LOWORD(event.wParam) == kWheelDown) {
      ScrollLineDown();
    } else {
      return false;
    }
    return true;
  }
  if (event.kind != EventKeyDown) return false;
  switch (event.key) {
    case VK_PRIOR:
      ScrollPageUp();
      return true;
    case VK_NEXT:
      ScrollPageDown();
      return true;
    case VK_END:
      ScrollToBottom();
      return true;
    case VK_HOME:
      ScrollToTop();
      return true;
    case VK_UP:
      ScrollLineUp();
      return true;
    case VK_DOWN:
      ScrollLineDown();
      return true;
    default:
      return false;
  }
}

bool CContainerUI::HandleHorizontalScrollKeys(const TControlEvent& event) {
  if (event.kind == EventScrollWheel) {
    if (LOWORD(event.wParam) == kWheelUp) {
      ScrollLineLeft();
    } else if (LOWORD(event.wParam) == kWheelDown) {
      ScrollLineRight();
    } else {
      return false;
    }
    return true;
  }
  if (event.kind != EventKeyDown) return false;
  switch (event.key) {
    case VK_PRIOR:
      ScrollPageLeft();
      return true;
    case VK_NEXT:
      ScrollPageRight();
      return true;
    case VK_END:
      ScrollToRightEdge();
      return true;
    case VK_HOME:
      ScrollToLeftEdge();
      return true;
    case VK_UP:
      ScrollLineLeft();
      return true;
    case VK_DOWN:
      ScrollLineRight();
      return true;
    default:
      return false;
  }
}

}  // namespace SkinUI

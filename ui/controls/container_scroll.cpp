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
  bar->BindManager(GetManager(), nullptr, false);
  if (GetManager() == nullptr) return bar;
  const wchar_t* defaults =
      GetManager()->Resources().ClassDefaults(horizontal ? kHorizontalDefaults : kVerticalDefaults);
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
    horizontalScrollBar->SetBounds(CRectUI::Clamped(
        rect.left, rect.bottom, rect.right,
        static_cast<long long>(rect.bottom) + DeviceBarHeight(horizontalScrollBar.get())));
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
    SetBounds(ItemRect());
    scrollProcessing = false;
    return;
  }
  if (!bar->IsVisible()) return;
  if (overflow <= 0 && !scrollProcessing) {
    bar->SetVisible(false);
    bar->SetScrollPos(0);
    bar->SetScrollRange(0);
    SetBounds(ItemRect());
    return;
  }
  bar->SetBounds(CRectUI::Clamped(
      rect.right, rect.top, static_cast<long long>(rect.right) + DeviceBarWidth(bar), rect.bottom));
  if (bar->GetScrollRange() == overflow) return;
  const int before = bar->GetScrollPos();
  bar->SetScrollRange(std::abs(overflow));
  if (bar->GetScrollRange() == 0) {
    bar->SetVisible(false);
    bar->SetScrollPos(0);
  }
  // The bar pulled the position back: the children must follow.
  if (bar->GetScrollPos() < before) SetBounds(ItemRect());
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
    const RECT& at = child->Bounds();
    child->SetBounds(CRectUI::Clamped(
        static_cast<long long>(at.left) - dx, static_cast<long long>(at.top) - dy,
        static_cast<long long>(at.right) - dx, static_cast<long long>(at.bottom) - dy));
  }
  Invalidate();
}

int CContainerUI::LineHeight() const {
  if (GetManager() == nullptr) return kLineExtra;
  const FontRecord* font = GetManager()->Resources().DefaultFontInfo();
  return (font != nullptr ? font->metrics.tmHeight : 0) + Scale().ToDevice(kLineExtra);
}

int CContainerUI::PageHeight() const {
  const RECT edge = Scale().ToDevice(inset);
  long long page = static_cast<long long>(GetHeight()) - edge.top - edge.bottom;
  if (IsShownBar(horizontalScrollBar.get())) page -= DeviceBarHeight(horizontalScrollBar.get());
  return ClampCoordinate(page);
}

int CContainerUI::PageWidth() const {
  const RECT edge = Scale().ToDevice(inset);
  long long page = static_cast<long long>(GetWidth()) - edge.left - edge.right;
  if (IsShownBar(verticalScrollBar.get())) page -= DeviceBarWidth(verticalScrollBar.get());
  return ClampCoordinate(page);
}

// Each step moves from where the bars are now; SetScrollPos clamps, so a
// step past either end of a range near the largest number stops there
// instead of wrapping round.
void CContainerUI::ScrollBy(int dx, int dy) {
  const SIZE pos = GetScrollPos();
  SetScrollPos(CSizeUI(ClampToInt(static_cast<long long>(pos.cx) + dx),
                       ClampToInt(static_cast<long long>(pos.cy) + dy)));
}

void CContainerUI::ScrollLineUp() {
  ScrollBy(0, -LineHeight());
}

void CContainerUI::ScrollLineDown() {
  ScrollBy(0, LineHeight());
}

void CContainerUI::ScrollPageUp() {
  ScrollBy(0, -PageHeight());
}

void CContainerUI::ScrollPageDown() {
  ScrollBy(0, PageHeight());
}

void CContainerUI::ScrollToTop() {
  ScrollBy(0, -GetScrollPos().cy);
}

void CContainerUI::ScrollToBottom() {
  ScrollBy(0, GetScrollRange().cy - GetScrollPos().cy);
}

void CContainerUI::ScrollLineLeft() {
  ScrollBy(-Scale().ToDevice(kHorizontalLine), 0);
}

void CContainerUI::ScrollLineRight() {
  ScrollBy(Scale().ToDevice(kHorizontalLine), 0);
}

void CContainerUI::ScrollPageLeft() {
  ScrollBy(-PageWidth(), 0);
}

void CContainerUI::ScrollPageRight() {
  ScrollBy(PageWidth(), 0);
}

void CContainerUI::ScrollToLeftEdge() {
  ScrollBy(-GetScrollPos().cx, 0);
}

void CContainerUI::ScrollToRightEdge() {
  ScrollBy(GetScrollRange().cx - GetScrollPos().cx, 0);
}

void CContainerUI::HandleEvent(TControlEvent& event) {
  if (!IsMouseEnabled() && IsMouseEvent(event.kind)) {
    if (GetParent() != nullptr) {
      GetParent()->HandleEvent(event);
    } else {
      CControlUI::HandleEvent(event);
    }
    return;
  }
  if (event.kind == EventSetFocus || event.kind == EventKillFocus) {
    StoreFocused(event.kind == EventSetFocus);
    return;
  }
  CScrollBarUI* vertical = verticalScrollBar.get();
  CScrollBarUI* horizontal = horizontalScrollBar.get();
  if (IsShownBar(vertical) && vertical->IsEnabled()) {
    if (HandleScrollKeys(event, true)) return;
  } else if (IsShownBar(horizontal) && horizontal->IsEnabled()) {
    if (HandleScrollKeys(event, false)) return;
  }
  CControlUI::HandleEvent(event);
}

// The wheel and the keys step along the bar that is shown: up and down mean
// left and right on a horizontal one.
bool CContainerUI::HandleScrollKeys(const TControlEvent& event, bool vertical) {
  using Step = void (CContainerUI::*)();
  struct TSteps {
    Step lineBack, lineForward, pageBack, pageForward, toStart, toEnd;
  };
  static constexpr TSteps kVertical = {&CContainerUI::ScrollLineUp, &CContainerUI::ScrollLineDown,
                                       &CContainerUI::ScrollPageUp, &CContainerUI::ScrollPageDown,
                                       &CContainerUI::ScrollToTop,  &CContainerUI::ScrollToBottom};
  static constexpr TSteps kHorizontal = {
      &CContainerUI::ScrollLineLeft,   &CContainerUI::ScrollLineRight,
      &CContainerUI::ScrollPageLeft,   &CContainerUI::ScrollPageRight,
      &CContainerUI::ScrollToLeftEdge, &CContainerUI::ScrollToRightEdge};
  const TSteps& steps = vertical ? kVertical : kHorizontal;

  Step step = nullptr;
  if (event.kind == EventScrollWheel) {
    const WPARAM direction = LOWORD(event.wParam);
    if (direction == kWheelUp) step = steps.lineBack;
    if (direction == kWheelDown) step = steps.lineForward;
  } else if (event.kind == EventKeyDown) {
    switch (event.key) {
      case VK_PRIOR:
        step = steps.pageBack;
        break;
      case VK_NEXT:
        step = steps.pageForward;
        break;
      case VK_END:
        step = steps.toEnd;
        break;
      case VK_HOME:
        step = steps.toStart;
        break;
      case VK_UP:
        step = steps.lineBack;
        break;
      case VK_DOWN:
        step = steps.lineForward;
        break;
      default:
        break;
    }
  }
  if (step == nullptr) return false;
  (this->*step)();
  return true;
}

}  // namespace SkinUI

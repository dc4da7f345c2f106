#include "ui/controls/layout_separator.h"

#include <algorithm>

#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr DWORD kBandColor = 0xAA000000;

}  // namespace

bool CLayoutSeparatorUI::IsDragging() const {
  return press_.IsDragging();
}

void CLayoutSeparatorUI::SetImmediate(CControlUI& layout, bool on) {
  const bool wasImmediate = immediate_;
  immediate_ = on;
  if (on == wasImmediate || wasImmediate || !IsDragging()) return;
  if (layout.GetManager() != nullptr) layout.GetManager()->RemoveOverlayPainter(&layout);
}

RECT CLayoutSeparatorUI::Band(const RECT& q) const {
  if (vertical_) {
    if (size_ < 0) return CRectUI(q.left, q.top, q.right, std::min(q.top - size_, q.bottom));
    return CRectUI(q.left, std::max(q.bottom - size_, q.top), q.right, q.bottom);
  }
  if (size_ < 0) return CRectUI(q.left, q.top, q.left - size_, q.bottom);
  return CRectUI(q.right - size_, q.top, q.right, q.bottom);
}

TSeparatorChange CLayoutSeparatorUI::HandleEvent(CControlUI& layout, const TSeparatorTarget& target,
                                                 const TControlEvent& event) {
  TSeparatorChange change;
  if (size_ == 0) return change;
  IControlHostUI* manager = layout.GetManager();
  const bool inBand = CRectUI(Band(target.itemRect)).Contains(event.point);
  switch (event.kind) {
    case EventButtonDown:
      if (!layout.IsEnabled() || !inBand) return change;
      press_.BeginPress(PressKind::kDragEdge);
      lastPointer_ = event.point;
      dragRect_ = target.itemRect;
      if (!immediate_ && manager != nullptr) manager->AddOverlayPainter(&layout);
      break;
    case EventButtonUp:
      if (!press_.EndPress()) return change;
      if (!immediate_ && manager != nullptr) manager->RemoveOverlayPainter(&layout);
      change.itemRect = dragRect_;
      change.relayout = true;
      break;
    case EventMouseMove:
      if (!IsDragging()) return change;
      Drag(layout, target, event.point, change);
      break;
    case EventSetCursor:
      if (!layout.IsEnabled() || !inBand) return change;
      SetCursor(LoadCursorW(nullptr, vertical_ ? IDC_SIZENS : IDC_SIZEWE));
      break;
    default:
      return change;
  }
  change.taken = true;
  return change;
}

// The pointer must be past the dragged edge in the direction it moves
// before the edge follows.
bool CLayoutSeparatorUI::IgnoresMove(int delta, const POINT& pointer) const {
  const RECT& drag = dragRect_;
  if (vertical_) {
    if (size_ >= 0) {
      return (delta > 0 && pointer.y < drag.bottom + size_) ||
             (delta < 0 && pointer.y > drag.bottom);
    }
    return (delta > 0 && pointer.y < drag.top) || (delta < 0 && pointer.y > drag.top + size_);
  }
  if (size_ >= 0) {
    return (delta > 0 && pointer.x < drag.right - size_) || (delta < 0 && pointer.x > drag.right);
  }
  return (delta > 0 && pointer.x < drag.left) || (delta < 0 && pointer.x > drag.left - size_);
}

int CLayoutSeparatorUI::Extent(const RECT& r) const {
  return vertical_ ? r.bottom - r.top : r.right - r.left;
}

LONG& CLayoutSeparatorUI::MovingEdge(RECT& r) const {
  if (vertical_) return size_ >= 0 ? r.bottom : r.top;
  return size_ >= 0 ? r.right : r.left;
}

void CLayoutSeparatorUI::SetExtent(RECT& r, int size) const {
  if (vertical_) {
    if (size_ >= 0) {
      r.bottom = r.top + size;
    } else {
      r.top = r.bottom - size;
    }
  } else if (size_ >= 0) {
    r.right = r.left + size;
  } else {
    r.left = r.right - size;
  }
}

void CLayoutSeparatorUI::Drag(CControlUI& layout, const TSeparatorTarget& target,
                              const POINT& pointer, TSeparatorChange& change) {
  const int delta = vertical_ ? pointer.y - lastPointer_.y : pointer.x - lastPointer_.x;
  lastPointer_ = CPointUI(pointer);
  if (IgnoresMove(delta, pointer)) return;

  CRectUI moved = dragRect_;
  MovingEdge(moved) += delta;
  if (Extent(moved) <= target.minSize) {
    if (Extent(dragRect_) <= target.minSize) return;
    SetExtent(moved, target.minSize);
  }
  if (Extent(moved) >= target.maxSize) {
    if (Extent(dragRect_) >= target.maxSize) return;
    SetExtent(moved, target.maxSize);
  }

  CRectUI repaint = Band(dragRect_);
  dragRect_ = moved;
  change.fixedSize = Extent(dragRect_);
  if (immediate_) {
    change.itemRect = dragRect_;
    change.relayout = true;
    return;
  }
  repaint.Union(Band(dragRect_));
  repaint.Union(Band(target.itemRect));
  if (layout.GetManager() != nullptr) layout.GetManager()->InvalidateArea(repaint);
}

void CLayoutSeparatorUI::PaintOverlay(HDC dc) const {
  if (!IsDragging() || immediate_) return;
  CDrawKit::FillColor(dc, Band(dragRect_), kBandColor);
}

}  // namespace SkinUI

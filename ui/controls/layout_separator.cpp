#include "ui/controls/layout_separator.h"

#include <algorithm>

#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr DWORD kBandColor = 0xAA000000;

}  // namespace

bool CLayoutSeparatorUI::IsDragging() const {
  return press.IsDragging();
}

void CLayoutSeparatorUI::SetImmediate(CControlUI& layout, bool on) {
  const bool wasImmediate = immediate;
  immediate = on;
  if (on == wasImmediate || wasImmediate || !IsDragging()) return;
  if (layout.GetManager() != nullptr) layout.GetManager()->RemoveOverlayPainter(&layout);
}

RECT CLayoutSeparatorUI::Band(const RECT& q) const {
  if (vertical) {
    if (bandSize < 0) return CRectUI(q.left, q.top, q.right, std::min(q.top - bandSize, q.bottom));
    return CRectUI(q.left, std::max(q.bottom - bandSize, q.top), q.right, q.bottom);
  }
  if (bandSize < 0) return CRectUI(q.left, q.top, q.left - bandSize, q.bottom);
  return CRectUI(q.right - bandSize, q.top, q.right, q.bottom);
}

TSeparatorChange CLayoutSeparatorUI::HandleEvent(CControlUI& layout, const TSeparatorTarget& target,
                                                 const TControlEvent& event) {
  TSeparatorChange change;
  if (bandSize == 0) return change;
  IControlHostUI* manager = layout.GetManager();
  const bool inBand = CRectUI(Band(target.itemRect)).Contains(event.point);
  switch (event.kind) {
    case EventButtonDown:
      if (!layout.IsEnabled() || !inBand) return change;
      press.BeginPress(PressKind::kDragEdge);
      lastPointer = event.point;
      dragRect = target.itemRect;
      if (!immediate && manager != nullptr) manager->AddOverlayPainter(&layout);
      break;
    case EventButtonUp:
      if (!press.EndPress()) return change;
      if (!immediate && manager != nullptr) manager->RemoveOverlayPainter(&layout);
      change.itemRect = dragRect;
      change.relayout = true;
      break;
    case EventMouseMove:
      if (!IsDragging()) return change;
      Drag(layout, target, event.point, change);
      break;
    case EventSetCursor:
      if (!layout.IsEnabled() || !inBand) return change;
      SetCursor(LoadCursorW(nullptr, vertical ? IDC_SIZENS : IDC_SIZEWE));
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
  const RECT& drag = dragRect;
  if (vertical) {
    if (bandSize >= 0) {
      return (delta > 0 && pointer.y < drag.bottom + bandSize) ||
             (delta < 0 && pointer.y > drag.bottom);
    }
    return (delta > 0 && pointer.y < drag.top) || (delta < 0 && pointer.y > drag.top + bandSize);
  }
  if (bandSize >= 0) {
    return (delta > 0 && pointer.x < drag.right - bandSize) ||
           (delta < 0 && pointer.x > drag.right);
  }
  return (delta > 0 && pointer.x < drag.left) || (delta < 0 && pointer.x > drag.left - bandSize);
}

int CLayoutSeparatorUI::Extent(const RECT& r) const {
  return vertical ? r.bottom - r.top : r.right - r.left;
}

LONG& CLayoutSeparatorUI::MovingEdge(RECT& r) const {
  if (vertical) return bandSize >= 0 ? r.bottom : r.top;
  return bandSize >= 0 ? r.right : r.left;
}

void CLayoutSeparatorUI::SetExtent(RECT& r, int size) const {
  if (vertical) {
    if (bandSize >= 0) {
      r.bottom = r.top + size;
    } else {
      r.top = r.bottom - size;
    }
  } else if (bandSize >= 0) {
    r.right = r.left + size;
  } else {
    r.left = r.right - size;
  }
}

void CLayoutSeparatorUI::Drag(CControlUI& layout, const TSeparatorTarget& target,
                              const POINT& pointer, TSeparatorChange& change) {
  const int delta = vertical ? pointer.y - lastPointer.y : pointer.x - lastPointer.x;
  lastPointer = CPointUI(pointer);
  if (IgnoresMove(delta, pointer)) return;

  CRectUI moved = dragRect;
  MovingEdge(moved) += delta;
  if (Extent(moved) <= target.minSize) {
    if (Extent(dragRect) <= target.minSize) return;
    SetExtent(moved, target.minSize);
  }
  if (Extent(moved) >= target.maxSize) {
    if (Extent(dragRect) >= target.maxSize) return;
    SetExtent(moved, target.maxSize);
  }

  CRectUI repaint = Band(dragRect);
  dragRect = moved;
  change.fixedSize = Extent(dragRect);
  if (immediate) {
    change.itemRect = dragRect;
    change.relayout = true;
    return;
  }
  repaint.Union(Band(dragRect));
  repaint.Union(Band(target.itemRect));
  if (layout.GetManager() != nullptr) layout.GetManager()->InvalidateArea(repaint);
}

void CLayoutSeparatorUI::PaintOverlay(HDC dc) const {
  if (!IsDragging() || immediate) return;
  CDrawKit::FillColor(dc, Band(dragRect), kBandColor);
}

}  // namespace SkinUI

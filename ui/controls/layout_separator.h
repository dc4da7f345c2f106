#pragma once
// The draggable band on one edge of a vertical or horizontal layout that
// resizes the layout itself: a translucent band follows the drag and the
// layout takes the new size on release, or, in immediate mode, the layout
// resizes live.

#include <windows.h>

#include <optional>

#include "ui/controls/control.h"
#include "ui/controls/press_behavior.h"

namespace SkinUI {

// The layout as a drag finds it, along the separator's axis.
struct TSeparatorTarget {
  CRectUI itemRect;
  int minSize;
  int maxSize;
};

// What an event of the separator asks of its layout, in this order: its
// fixed size along the axis and its rectangle take the new values, then it
// asks its parent to lay out again.
struct TSeparatorChange {
  // The event belonged to the separator.
  bool taken = false;
  std::optional<int> fixedSize;
  std::optional<CRectUI> itemRect;
  bool relayout = false;
};

class CLayoutSeparatorUI {
 public:
  // Vertical layouts drag their bottom (or top) edge, horizontal ones their
  // right (or left) edge.
  explicit CLayoutSeparatorUI(bool isVertical) : vertical(isVertical) {}

  // 0 = none; positive = band at the bottom or right edge, negative = band
  // of the absolute size at the top or left edge.
  int Size() const { return bandSize; }
  void SetSize(int size) { bandSize = size; }
  bool IsImmediate() const { return immediate; }
  // Turning immediate mode on during a band drag drops the band painter.
  void SetImmediate(CControlUI& layout, bool on);
  bool IsDragging() const;
  // The band of rectangle q; the current band is that of the item rectangle.
  RECT Band(const RECT& q) const;

  TSeparatorChange HandleEvent(CControlUI& layout, const TSeparatorTarget& target,
                               const TControlEvent& event);
  // The band dragged so far, while dragging without immediate mode.
  void PaintOverlay(HDC dc) const;

 private:
  void Drag(CControlUI& layout, const TSeparatorTarget& target, const POINT& pointer,
            TSeparatorChange& change);
  bool IgnoresMove(int delta, const POINT& pointer) const;
  int Extent(const RECT& r) const;
  // Moves the dragged edge so that the extent becomes size.
  void SetExtent(RECT& r, int size) const;
  LONG& MovingEdge(RECT& r) const;

  bool vertical;
  int bandSize = 0;
  CPressBehaviorUI press;
  CPointUI lastPointer;
  CRectUI dragRect;
  bool immediate = false;
};

}  // namespace SkinUI

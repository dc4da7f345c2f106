#pragma once
// The draggable band on one edge of a vertical or horizontal layout that
// resizes the layout itself: a translucent band follows the drag and the
// layout takes the new size on release, or, in immediate mode, the layout
// resizes live.

#include <windows.h>

#include "ui/controls/control.h"
#include "ui/controls/press_behavior.h"

namespace SkinUI {

// The layout's fields a drag changes, along the separator's axis.
struct TSeparatorTarget {
  CRectUI& itemRect;
  int& fixedSize;
  int minSize;
  int maxSize;
};

class CLayoutSeparatorUI {
 public:
  // Vertical layouts drag their bottom (or top) edge, horizontal ones their
  // right (or left) edge.
  explicit CLayoutSeparatorUI(bool vertical) : vertical_(vertical) {}

  // 0 = none; positive = band at the bottom or right edge, negative = band
  // of the absolute size at the top or left edge.
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }
  bool IsImmediate() const { return immediate_; }
  // Turning immediate mode on during a band drag drops the band painter.
  void SetImmediate(CControlUI& layout, bool on);
  bool IsDragging() const;
  // The band of rectangle q; the current band is that of the item rectangle.
  RECT Band(const RECT& q) const;

  // True when the event belonged to the separator.
  bool HandleEvent(CControlUI& layout, const TSeparatorTarget& target, const TControlEvent& event);
  // The band dragged so far, while dragging without immediate mode.
  void PaintOverlay(HDC dc) const;

 private:
  void Drag(CControlUI& layout, const TSeparatorTarget& target, const POINT& pointer);
  bool IgnoresMove(int delta, const POINT& pointer) const;
  int Extent(const RECT& r) const;
  // Moves the dragged edge so that the extent becomes size.
  void SetExtent(RECT& r, int size) const;
  LONG& MovingEdge(RECT& r) const;

  bool vertical_;
  int size_ = 0;
  CPressBehaviorUI press_;
  CPointUI lastPointer_;
  CRectUI dragRect_;
  bool immediate_ = false;
};

}  // namespace SkinUI

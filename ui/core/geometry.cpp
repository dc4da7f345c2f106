#include "ui/core/geometry.h"

#include <algorithm>

namespace SkinUI {

void CRectUI::OffsetToOrigin() {
  Offset(-left, -top);
}

void CRectUI::Offset(LONG dx, LONG dy) {
  left += dx;
  right += dx;
  top += dy;
  bottom += dy;
}

void CRectUI::Deflate(LONG dx, LONG dy) {
  left += dx;
  right -= dx;
  top += dy;
  bottom -= dy;
}

void CRectUI::Union(const RECT& other) {
  const CRectUI o(other);
  if (o.IsEmpty()) return;
  if (IsEmpty()) {
    *this = o;
    return;
  }
  left = std::min(left, o.left);
  top = std::min(top, o.top);
  right = std::max(right, o.right);
  bottom = std::max(bottom, o.bottom);
}

}  // namespace SkinUI

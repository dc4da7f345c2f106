#include "ui/core/geometry.h"

#include <algorithm>
#include <climits>

namespace SkinUI {

LONG ClampCoordinate(long long value) {
  return static_cast<LONG>(std::clamp<long long>(value, -kMaxCoordinate, kMaxCoordinate));
}

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

CRectUI CRectUI::Clamped(long long l, long long t, long long r, long long b) {
  return CRectUI(ClampCoordinate(l), ClampCoordinate(t), ClampCoordinate(r), ClampCoordinate(b));
}

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

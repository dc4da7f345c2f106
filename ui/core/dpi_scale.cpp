#include "ui/core/dpi_scale.h"

#include <algorithm>

#include "ui/core/geometry.h"

namespace SkinUI {

long long RoundHalfAwayFromZero(long long numerator, long long denominator) {
  const long long half = denominator / 2;
  if (numerator >= 0) return (numerator + half) / denominator;
  return -((-numerator + half) / denominator);
}

CDpiScaleUI::CDpiScaleUI(int value) : dpi(std::clamp(value, kMinDpi, kMaxDpi)) {}

int CDpiScaleUI::Percent() const {
  return static_cast<int>(RoundHalfAwayFromZero(100LL * dpi, kBaseDpi));
}

// Skin sizes may be as large as 32 bits allow, so the product is taken in 64
// bits and the result clamped back.
int CDpiScaleUI::ToDevice(int logical) const {
  if (IsIdentity()) return logical;
  return ClampToInt(RoundHalfAwayFromZero(static_cast<long long>(logical) * dpi, kBaseDpi));
}

int CDpiScaleUI::ToLogical(int device) const {
  if (IsIdentity()) return device;
  return ClampToInt(RoundHalfAwayFromZero(static_cast<long long>(device) * kBaseDpi, dpi));
}

RECT CDpiScaleUI::ToDevice(const RECT& logical) const {
  return RECT{ToDevice(logical.left), ToDevice(logical.top), ToDevice(logical.right),
              ToDevice(logical.bottom)};
}

SIZE CDpiScaleUI::ToDevice(const SIZE& logical) const {
  return SIZE{ToDevice(logical.cx), ToDevice(logical.cy)};
}

RECT CDpiScaleUI::ToLogical(const RECT& device) const {
  return RECT{ToLogical(device.left), ToLogical(device.top), ToLogical(device.right),
              ToLogical(device.bottom)};
}

}  // namespace SkinUI

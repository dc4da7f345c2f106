#pragma once
// The display scale of one window: its dots per inch over the 96 that skins
// are written for, kept as that ratio of integers so that no floating-point
// error creeps into positions.
//
// One rounding rule for every number: half away from zero. It treats a value
// and its negative alike, so an offset measured from the right or bottom edge
// lands as far in as the same offset from the left or top.
//
// Where boxes meet, scale their edges, never their widths: a box at x with
// width w spans ToDevice(x) ... ToDevice(x + w). Its neighbour at x + w then
// starts exactly where it ends, while ToDevice(x) + ToDevice(w) can be one
// pixel off (at 1.25, x = 575 and w = 38 give 719 + 48 = 767, but the
// neighbour at 613 starts at 766).

#include <windows.h>

namespace SkinUI {

class CDpiScaleUI {
 public:
  static constexpr int kBaseDpi = 96;
  // Windows offers no factor below 1 nor above 5; beyond these the value is
  // clamped. From 1 up, a device value turned back into a logical one gives
  // the logical value exactly, which is what keeps read-back positions stable.
  static constexpr int kMinDpi = kBaseDpi;
  static constexpr int kMaxDpi = kBaseDpi * 5;

  CDpiScaleUI() = default;
  explicit CDpiScaleUI(int dpi);

  int Dpi() const { return dpi; }
  bool IsIdentity() const { return dpi == kBaseDpi; }
  // Percent, as the display settings show it: 125 for 120 DPI.
  int Percent() const;

  int ToDevice(int logical) const;
  int ToLogical(int device) const;
  // Every side on its own: an inset or padding as well as a rectangle's edges.
  RECT ToDevice(const RECT& logical) const;
  SIZE ToDevice(const SIZE& logical) const;
  RECT ToLogical(const RECT& device) const;

  bool operator==(const CDpiScaleUI& other) const { return dpi == other.dpi; }
  bool operator!=(const CDpiScaleUI& other) const { return dpi != other.dpi; }

 private:
  int dpi = kBaseDpi;
};

// numerator / denominator rounded half away from zero; denominator > 0.
long long RoundHalfAwayFromZero(long long numerator, long long denominator);

}  // namespace SkinUI

#pragma once
// Point, size and rectangle. Rectangles are right- and bottom-exclusive, so
// width is right - left and an empty rectangle has no pixel.

#include <windows.h>

namespace SkinUI {

// Every coordinate a control keeps lies within -kMaxCoordinate ...
// kMaxCoordinate, so that the difference or the sum of two of them still
// fits in 32 bits. Arithmetic on sizes and paddings from the skin, which may
// be anything up to the largest 32-bit number, is done in 64 bits and
// clamped into this range.
constexpr LONG kMaxCoordinate = 0x3FFFFFFF;

LONG ClampCoordinate(long long value);
// A 64-bit result brought back into the 32-bit range.
int ClampToInt(long long value);

struct CPointUI : POINT {
  CPointUI() : POINT{0, 0} {}
  CPointUI(LONG px, LONG py) : POINT{px, py} {}
  explicit CPointUI(const POINT& p) : POINT(p) {}
};

struct CSizeUI : SIZE {
  CSizeUI() : SIZE{0, 0} {}
  CSizeUI(LONG w, LONG h) : SIZE{w, h} {}
  explicit CSizeUI(const SIZE& s) : SIZE(s) {}
};

struct CRectUI : RECT {
  CRectUI() : RECT{0, 0, 0, 0} {}
  CRectUI(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
  CRectUI(const RECT& r) : RECT(r) {}  // NOLINT: converts freely from the platform type

  LONG GetWidth() const { return right - left; }
  LONG GetHeight() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(const POINT& p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  // Whether r lies wholly inside; nothing lies inside an empty rectangle.
  bool Contains(const RECT& r) const {
    return !IsEmpty() && r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom;
  }
  bool operator==(const RECT& r) const {
    return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
  }
  bool operator!=(const RECT& r) const { return !(*this == r); }

  // Moves the rectangle so its top-left corner is (0, 0), keeping its size.
  void OffsetToOrigin();
  void Offset(LONG dx, LONG dy);
  // Shrinks every side by dx horizontally and dy vertically.
  void Deflate(LONG dx, LONG dy);
  // Smallest rectangle holding both; an empty side does not count.
  void Union(const RECT& other);

  // Every side clamped to the coordinate range.
  static CRectUI Clamped(long long l, long long t, long long r, long long b);
};

}  // namespace SkinUI

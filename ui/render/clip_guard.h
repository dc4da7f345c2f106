#pragma once
// Restricts drawing to a rectangle or rounded rectangle and restores the
// previous clip when released. The previous clip comes back as its bounding
// box, not as the exact earlier region.

#include <windows.h>

#include "ui/core/gdi_handles.h"

namespace SkinUI {

class ClipGuard {
 public:
  ClipGuard() = default;
  ClipGuard(const ClipGuard&) = delete;
  ClipGuard& operator=(const ClipGuard&) = delete;
  ~ClipGuard() { Release(); }

  // Intersects dc's clip with rc.
  void ClipToRect(HDC dc, const RECT& rc);
  // As ClipToRect, further cut to the rounded rectangle of item with an
  // ellipse of width x height.
  void ClipToRoundRect(HDC dc, const RECT& rc, const RECT& item, int ellipseWidth,
                       int ellipseHeight);
  // Floating children are painted between these two: clipped by the outer
  // clip only.
  void UseOuter();
  void UseInner();
  // Selects the previous clip again and frees both regions.
  void Release();

  bool IsActive() const { return clippedDC != nullptr; }
  const RECT& ItemRect() const { return clipRect; }

 private:
  void Apply(HDC dc, const RECT& rc, HRGN extraCut);

  HDC clippedDC = nullptr;
  RECT clipRect = {};
  UniqueRegion region;
  UniqueRegion previous;
};

}  // namespace SkinUI

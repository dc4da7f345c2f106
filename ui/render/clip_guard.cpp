#include "ui/render/clip_guard.h"

namespace SkinUI {

void ClipGuard::ClipToRect(HDC dc, const RECT& rc) {
  Apply(dc, rc, nullptr);
}

void ClipGuard::ClipToRoundRect(HDC dc, const RECT& rc, const RECT& item, int ellipseWidth,
                                int ellipseHeight) {
  // Region right and bottom edges are exclusive, so the rounded shape is made
  // one pixel larger to cover the item's last row and column.
  UniqueRegion round(CreateRoundRectRgn(item.left, item.top, item.right + 1, item.bottom + 1,
                                        ellipseWidth, ellipseHeight));
  Apply(dc, rc, round.get());
}

void ClipGuard::Apply(HDC dc, const RECT& rc, HRGN extraCut) {
  Release();
  if (dc == nullptr) return;
  RECT box = {};
  GetClipBox(dc, &box);
  previous.reset(CreateRectRgnIndirect(&box));
  region.reset(CreateRectRgnIndirect(&rc));
  if (extraCut != nullptr) CombineRgn(region.get(), region.get(), extraCut, RGN_AND);
  ExtSelectClipRgn(dc, region.get(), RGN_AND);
  // Keep the clip actually in force so that UseInner can bring it back.
  GetClipRgn(dc, region.get());
  clippedDC = dc;
  clipRect = rc;
}

void ClipGuard::UseOuter() {
  if (clippedDC != nullptr) SelectClipRgn(clippedDC, previous.get());
}

void ClipGuard::UseInner() {
  if (clippedDC != nullptr) SelectClipRgn(clippedDC, region.get());
}

void ClipGuard::Release() {
  if (clippedDC != nullptr) SelectClipRgn(clippedDC, previous.get());
  clippedDC = nullptr;
  region.reset();
  previous.reset();
}

}  // namespace SkinUI

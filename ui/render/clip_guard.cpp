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
  previous_.reset(CreateRectRgnIndirect(&box));
  region_.reset(CreateRectRgnIndirect(&rc));
  if (extraCut != nullptr) CombineRgn(region_.get(), region_.get(), extraCut, RGN_AND);
  ExtSelectClipRgn(dc, region_.get(), RGN_AND);
  // Keep the clip actually in force so that UseInner can bring it back.
  GetClipRgn(dc, region_.get());
  dc_ = dc;
  item_ = rc;
}

void ClipGuard::UseOuter() {
  if (dc_ != nullptr) SelectClipRgn(dc_, previous_.get());
}

void ClipGuard::UseInner() {
  if (dc_ != nullptr) SelectClipRgn(dc_, region_.get());
}

void ClipGuard::Release() {
  if (dc_ != nullptr) SelectClipRgn(dc_, previous_.get());
  dc_ = nullptr;
  region_.reset();
  previous_.reset();
}

}  // namespace SkinUI

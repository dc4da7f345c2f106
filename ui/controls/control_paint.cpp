// CControlUI: the paint sequence and the appearance setters.

#include "ui/controls/control.h"
#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr DWORD kOpaqueAlpha = 0xFF;
constexpr int kGradientSteps = 16;

}  // namespace

void CControlUI::Paint(HDC dc, const RECT& dirty) {
  if (!BeginPaint(dirty)) return;
  ClipGuard roundClip;
  if (borderRound.cx > 0 || borderRound.cy > 0) {
    const SIZE round = Scale().ToDevice(borderRound);
    CDrawKit::ClipToRoundRect(dc, paintRect, itemRect, round.cx, round.cy, roundClip);
  }
  PaintBackColor(dc);
  PaintBackImage(dc);
  PaintStateImage(dc);
  PaintTextLayer(dc);
  PaintOutline(dc);
}

void CControlUI::PaintBackColor(HDC dc) {
  if (backColor == 0) return;
  if (backColor2 == 0) {
    // A translucent fill covers the whole control so it blends evenly.
    const bool opaque = (backColor >> 24) == kOpaqueAlpha;
    CDrawKit::FillColor(dc, opaque ? paintRect : itemRect, AdjustedColor(backColor));
    return;
  }
  if (backColor3 == 0) {
    CDrawKit::FillGradient(dc, itemRect, AdjustedColor(backColor), AdjustedColor(backColor2), true,
                           kGradientSteps);
    return;
  }
  RECT upper = itemRect;
  upper.bottom = (itemRect.top + itemRect.bottom) / 2;
  RECT lower = itemRect;
  lower.top = upper.bottom;
  CDrawKit::FillGradient(dc, upper, AdjustedColor(backColor), AdjustedColor(backColor2), true,
                         kGradientSteps / 2);
  CDrawKit::FillGradient(dc, lower, AdjustedColor(backColor2), AdjustedColor(backColor3), true,
                         kGradientSteps / 2);
}

// An image that cannot be drawn is dropped, so it is tried once only.
void CControlUI::PaintBackImage(HDC dc) {
  PaintImageOrDrop(dc, backImage);
}

bool CControlUI::PaintImageOrDrop(HDC dc, CWideStringUI& image, const wchar_t* modifier) {
  if (image.IsEmpty()) return false;
  if (PaintImageSpec(dc, image, modifier)) return true;
  image.Empty();
  return false;
}

void CControlUI::PaintStateImage(HDC /*dc*/) {}

void CControlUI::PaintTextLayer(HDC /*dc*/) {}

void CControlUI::PaintOutline(HDC dc) {
  if (borderSize <= 0) return;
  const DWORD color = focused && focusBorderColor != 0 ? focusBorderColor : borderColor;
  const int width = Scale().ToDevice(borderSize);
  if (borderRound.cx > 0 || borderRound.cy > 0) {
    const SIZE round = Scale().ToDevice(borderRound);
    CDrawKit::DrawFrameRoundRect(dc, itemRect, width, round.cx, round.cy, AdjustedColor(color));
  } else {
    CDrawKit::DrawFrameRect(dc, itemRect, width, AdjustedColor(color));
  }
}

void CControlUI::PaintOverlay(HDC /*dc*/, const RECT& /*dirty*/) {}

RECT CControlUI::FocusIndicatorRect() const {
  return itemRect;
}

void CControlUI::SetFocusRectStyle(const wchar_t* style) {
  if (focusRectStyle == (style != nullptr ? style : L"")) return;
  focusRectStyle = style;
  Invalidate();
}

bool CControlUI::PaintImageSpec(HDC dc, const wchar_t* image, const wchar_t* modifier) {
  bool found = false;
  return CDrawKit::DrawImageSpec(dc, Resources(), itemRect, paintRect, image, modifier, &found) &&
         found;
}

DWORD CControlUI::AdjustedColor(DWORD color) const {
  if (!colorHSL || manager == nullptr) return color;
  const TColorShift shift = manager->Resources().GlobalColorShift();
  return CDrawKit::ShiftColor(color, shift.hue, shift.saturation, shift.lightness);
}

void CControlUI::SetBkColor(DWORD color) {
  ChangeAndInvalidate(backColor, color);
}

void CControlUI::SetBkColor2(DWORD color) {
  ChangeAndInvalidate(backColor2, color);
}

void CControlUI::SetBkColor3(DWORD color) {
  ChangeAndInvalidate(backColor3, color);
}

void CControlUI::SetBorderColor(DWORD color) {
  ChangeAndInvalidate(borderColor, color);
}

void CControlUI::SetFocusBorderColor(DWORD color) {
  ChangeAndInvalidate(focusBorderColor, color);
}

void CControlUI::SetColorHSL(bool on) {
  ChangeAndInvalidate(colorHSL, on);
}

void CControlUI::SetBorderSize(int size) {
  ChangeAndInvalidate(borderSize, size);
}

void CControlUI::SetBkImage(const wchar_t* image) {
  if (backImage == (image != nullptr ? image : L"")) return;
  backImage = image;
  Invalidate();
}

void CControlUI::SetBorderRound(int cx, int cy) {
  borderRound = CSizeUI(cx, cy);
  Invalidate();
}

}  // namespace SkinUI

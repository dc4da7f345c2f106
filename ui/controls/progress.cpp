// CProgressUI: range, value and the covered part of the bar.

#include "ui/controls/progress.h"

#include <oleacc.h>

#include <algorithm>
#include <climits>
#include <cwchar>

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"ProgressUI";
constexpr wchar_t kInterfaceName[] = L"Progress";
constexpr int kBarHeight = 12;
constexpr wchar_t kStretchedModifier[] = L"dest='%d,%d,%d,%d'";
constexpr wchar_t kCutModifier[] = L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'";

using AttributeValue::Is;

// part × share / whole, truncated toward zero, without overflowing on wide
// ranges.
LONG Scaled(LONG part, long long share, long long whole) {
  return static_cast<LONG>(part * share / whole);
}

}  // namespace

CProgressUI::CProgressUI() {
  textStyle = DT_SINGLELINE | DT_CENTER;
  StoreFixedHeight(kBarHeight);
}

const wchar_t* CProgressUI::ClassName() const {
  return kClassName;
}

void* CProgressUI::InterfaceFor(const wchar_t* name) {
  if (name != nullptr && wcscmp(name, kInterfaceName) == 0) return this;
  return CLabelUI::InterfaceFor(name);
}

void CProgressUI::ApplyAttribute(const wchar_t* name, const wchar_t* attributeValue) {
  if (name == nullptr || attributeValue == nullptr) return;
  using namespace AttributeValue;
  if (Is(name, L"foreimage")) {
    SetForeImage(attributeValue);
  } else if (Is(name, L"hor")) {
    SetHorizontal(Boolean(attributeValue));
  } else if (Is(name, L"min")) {
    SetMinValue(Integer(attributeValue));
  } else if (Is(name, L"max")) {
    SetMaxValue(Integer(attributeValue));
  } else if (Is(name, L"value")) {
    SetValue(Integer(attributeValue));
  } else if (Is(name, L"isstretchfore")) {
    SetStretchForeImage(Boolean(attributeValue));
  } else {
    CLabelUI::ApplyAttribute(name, attributeValue);
  }
}

// The range never becomes empty, so painting never divides by zero; the
// corrections stay in the control.
void CProgressUI::CorrectRange() {
  if (maxValue <= minValue) {
    if (minValue == INT_MAX) minValue = INT_MAX - 1;
    maxValue = minValue + 1;
  }
  if (value > maxValue) value = maxValue;
  if (value < minValue) value = minValue;
}

// Relative to the control's top-left corner; a vertical bar fills from the
// bottom.
RECT CProgressUI::CoveredPart() const {
  const LONG width = ItemRect().GetWidth();
  const LONG height = ItemRect().GetHeight();
  const long long range = static_cast<long long>(maxValue) - minValue;
  if (horizontal) {
    return CRectUI(0, 0, Scaled(width, static_cast<long long>(value) - minValue, range), height);
  }
  return CRectUI(0, Scaled(height, static_cast<long long>(maxValue) - value, range), width, height);
}

void CProgressUI::PaintStateImage(HDC dc) {
  CorrectRange();
  const RECT part = CoveredPart();
  if (foreImage.IsEmpty()) return;
  if (stretchForeImage) {
    foreModifier.Format(kStretchedModifier, part.left, part.top, part.right, part.bottom);
  } else {
    foreModifier.Format(kCutModifier, part.left, part.top, part.right, part.bottom, part.left,
                        part.top, part.right, part.bottom);
  }
  PaintImageOrDrop(dc, foreImage, foreModifier);
}

void CProgressUI::SetHorizontal(bool on) {
  if (horizontal == on) return;
  horizontal = on;
  Invalidate();
}

void CProgressUI::SetMinValue(int newValue) {
  minValue = newValue;
  Invalidate();
}

void CProgressUI::SetMaxValue(int newValue) {
  maxValue = newValue;
  Invalidate();
}

void CProgressUI::SetValue(int newValue) {
  const bool changed = value != newValue;
  value = newValue;
  Invalidate();
  if (changed) NotifyAccessibility(EVENT_OBJECT_VALUECHANGE);
}

void CProgressUI::SetStretchForeImage(bool on) {
  if (stretchForeImage == on) return;
  stretchForeImage = on;
  Invalidate();
}

void CProgressUI::SetForeImage(const wchar_t* image) {
  if (foreImage == (image != nullptr ? image : L"")) return;
  foreImage = image;
  Invalidate();
}

DWORD CProgressUI::AccessibleRole() const {
  return ROLE_SYSTEM_PROGRESSBAR;
}

// Read as painting reads it: a value outside the range counts as its end.
CWideStringUI CProgressUI::AccessibleValue() const {
  const LONGLONG span = static_cast<LONGLONG>(maxValue) - minValue;
  LONGLONG percent = 0;
  if (span > 0) {
    const LONGLONG done = std::clamp<LONGLONG>(static_cast<LONGLONG>(value) - minValue, 0, span);
    percent = done * 100 / span;
  }
  CWideStringUI text;
  text.Format(L"%d%%", static_cast<int>(percent));
  return text;
}

}  // namespace SkinUI

#include "ui/controls/horizontal_layout.h"

#include <algorithm>
#include <cwchar>

#include "ui/controls/scroll_bar.h"

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"HorizontalLayoutUI";
constexpr wchar_t kInterfaceName[] = L"HorizontalLayout";

}  // namespace

CHorizontalLayoutUI::CHorizontalLayoutUI() : separator(false) {}

const wchar_t* CHorizontalLayoutUI::ClassName() const {
  return kClassName;
}

void* CHorizontalLayoutUI::InterfaceFor(const wchar_t* interfaceName) {
  if (interfaceName != nullptr && wcscmp(interfaceName, kInterfaceName) == 0) return this;
  return CContainerUI::InterfaceFor(interfaceName);
}

UINT CHorizontalLayoutUI::ControlFlags() const {
  return IsEnabled() && separator.Size() != 0 ? ControlFlagSetCursor : 0;
}

// The vertical layout's two passes along x, in 64 bits as there. Horizontal
// content never asks for a vertical bar, and the vertical scroll position is
// not applied.
void CHorizontalLayoutUI::SetBounds(const RECT& rect) {
  CControlUI::SetBounds(rect);
  if (OwnCount() == 0) {
    // Placed against the inset rectangle, the bars not taken off.
    UpdateScrollBars(InnerRect(), 0, 0);
    return;
  }
  const CRectUI rc = WithoutBars(InnerRect());
  const bool horizontalShown = IsShownBar(horizontalScrollBar.get());
  long long availableWidth = rc.GetWidth();
  const long long availableHeight = rc.GetHeight();
  if (horizontalShown) availableWidth += horizontalScrollBar->GetScrollRange();
  const CSizeUI available(ClampCoordinate(availableWidth), ClampCoordinate(availableHeight));

  int adjustables = 0;
  long long fixedTotal = 0;
  int flowing = 0;
  for (int i = 0; i < OwnCount(); ++i) {
    CControlUI* child = OwnChild(i);
    if (!child->IsVisible() || child->IsFloat()) continue;
    const CRectUI pad = child->GetPadding();
    long long width = child->PreferredSize(available).cx;
    if (width == 0) {
      ++adjustables;
    } else {
      width = ClampWidth(*child, ClampToInt(width));
    }
    fixedTotal += width + pad.left + pad.right;
    ++flowing;
  }
  fixedTotal += static_cast<long long>(flowing - 1) * childPadding;
  const long long expand =
      adjustables > 0 ? std::max<long long>(0, (availableWidth - fixedTotal) / adjustables) : 0;

  long long x = rc.left - (horizontalShown ? horizontalScrollBar->GetScrollPos() : 0LL);
  long long remaining = availableWidth;
  // As in the vertical layout: what the children after the current one still need.
  long long fixedRemaining = fixedTotal;
  int seen = 0;
  for (int i = 0; i < OwnCount(); ++i) {
    CControlUI* child = OwnChild(i);
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      PlaceFloatChild(i);
      continue;
    }
    const CRectUI pad = child->GetPadding();
    remaining -= pad.left;
    fixedRemaining -= static_cast<long long>(pad.left) + pad.right;
    const SIZE preferred = child->PreferredSize(CSizeUI(ClampCoordinate(remaining), available.cy));
    long long width = 0;
    if (preferred.cx == 0) {
      ++seen;
      width = seen == adjustables ? std::max<long long>(0, remaining - pad.right - fixedRemaining)
                                  : expand;
      width = ClampWidth(*child, ClampToInt(width));
    } else {
      width = ClampWidth(*child, preferred.cx);
      fixedRemaining -= width;
    }
    long long height = child->GetFixedHeight();
    if (height == 0) height = std::max<long long>(0, availableHeight - pad.top - pad.bottom);
    height = ClampHeight(*child, ClampToInt(height));

    // The child's rectangle takes in its right padding.
    const long long left = x + pad.left;
    const long long top = static_cast<long long>(rc.top) + pad.top;
    child->SetBounds(CRectUI::Clamped(left, top, left + width + pad.right, top + height));
    x += width + childPadding + pad.left + pad.right;
    remaining -= width + childPadding + pad.right;
    fixedRemaining -= childPadding;
  }
  UpdateScrollBars(rc, 0, 0);
}

void CHorizontalLayoutUI::HandleEvent(TControlEvent& event) {
  const TSeparatorTarget target{itemRect, fixedWidth, minWidth, maxWidth};
  // A drag moves the layout's own edge, not through SetBounds.
  if (separator.HandleEvent(*this, target, event)) {
    NoteBoundsChanged();
    return;
  }
  CContainerUI::HandleEvent(event);
}

void CHorizontalLayoutUI::ApplyAttribute(const wchar_t* attribute, const wchar_t* value) {
  if (attribute == nullptr || value == nullptr) return;
  if (wcscmp(attribute, L"sepwidth") == 0) {
    SetSepWidth(AttributeValue::Integer(value));
  } else if (wcscmp(attribute, L"sepimm") == 0) {
    SetSepImmediateMode(AttributeValue::Boolean(value));
  } else {
    CContainerUI::ApplyAttribute(attribute, value);
  }
}

void CHorizontalLayoutUI::PaintOverlay(HDC dc, const RECT& /*dirty*/) {
  separator.PaintOverlay(dc);
}

}  // namespace SkinUI

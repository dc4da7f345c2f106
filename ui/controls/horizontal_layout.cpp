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

// The vertical layout's two passes along x. Horizontal content never asks for
// a vertical bar, and the vertical scroll position is not applied.
void CHorizontalLayoutUI::SetBounds(const RECT& rect) {
  CControlUI::SetBounds(rect);
  CRectUI rc = InnerRect();
  if (OwnCount() == 0) {
    // Placed against the inset rectangle, the bars not taken off.
    UpdateScrollBars(rc, 0, 0);
    return;
  }
  const bool horizontalShown = IsShownBar(horizontalScrollBar.get());
  if (IsShownBar(verticalScrollBar.get())) rc.right -= verticalScrollBar->GetFixedWidth();
  if (horizontalShown) rc.bottom -= horizontalScrollBar->GetFixedHeight();
  int availableWidth = rc.GetWidth();
  const int availableHeight = rc.GetHeight();
  if (horizontalShown) availableWidth += horizontalScrollBar->GetScrollRange();
  const CSizeUI available(availableWidth, availableHeight);

  int adjustables = 0;
  int fixedTotal = 0;
  int flowing = 0;
  for (int i = 0; i < OwnCount(); ++i) {
    CControlUI* child = OwnChild(i);
    if (!child->IsVisible() || child->IsFloat()) continue;
    const CRectUI pad = child->GetPadding();
    int width = child->PreferredSize(available).cx;
    if (width == 0) {
      ++adjustables;
    } else {
      width = ClampWidth(*child, width);
    }
    fixedTotal += width + pad.left + pad.right;
    ++flowing;
  }
  fixedTotal += (flowing - 1) * childPadding;
  const int expand =
      adjustables > 0 ? std::max<int>(0, (availableWidth - fixedTotal) / adjustables) : 0;

  int x = rc.left - (horizontalShown ? horizontalScrollBar->GetScrollPos() : 0);
  int remaining = availableWidth;
  // As in the vertical layout: what the children after the current one still need.
  int fixedRemaining = fixedTotal;
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
    fixedRemaining -= pad.left + pad.right;
    const SIZE preferred = child->PreferredSize(CSizeUI(remaining, availableHeight));
    int width = 0;
    if (preferred.cx == 0) {
      ++seen;
      width =
          seen == adjustables ? std::max<int>(0, remaining - pad.right - fixedRemaining) : expand;
      width = ClampWidth(*child, width);
    } else {
      width = ClampWidth(*child, preferred.cx);
      fixedRemaining -= width;
    }
    int height = child->GetFixedHeight();
    if (height == 0) height = std::max<int>(0, availableHeight - pad.top - pad.bottom);
    height = ClampHeight(*child, height);

    // The child's rectangle takes in its right padding.
    child->SetBounds(CRectUI(x + pad.left, rc.top + pad.top, x + pad.left + width + pad.right,
                             rc.top + pad.top + height));
    x += width + childPadding + pad.left + pad.right;
    remaining -= width + childPadding + pad.right;
    fixedRemaining -= childPadding;
  }
  UpdateScrollBars(rc, 0, 0);
}

void CHorizontalLayoutUI::HandleEvent(TControlEvent& event) {
  const TSeparatorTarget target{itemRect, fixedWidth, minWidth, maxWidth};
  if (separator.HandleEvent(*this, target, event)) return;
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

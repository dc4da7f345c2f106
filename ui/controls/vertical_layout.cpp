#include "ui/controls/vertical_layout.h"

#include <algorithm>
#include <cwchar>

#include "ui/controls/scroll_bar.h"

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"VerticalLayoutUI";
constexpr wchar_t kInterfaceName[] = L"VerticalLayout";

}  // namespace

CVerticalLayoutUI::CVerticalLayoutUI() : separator(true) {}

const wchar_t* CVerticalLayoutUI::ClassName() const {
  return kClassName;
}

void* CVerticalLayoutUI::InterfaceFor(const wchar_t* interfaceName) {
  if (interfaceName != nullptr && wcscmp(interfaceName, kInterfaceName) == 0) return this;
  return CContainerUI::InterfaceFor(interfaceName);
}

UINT CVerticalLayoutUI::ControlFlags() const {
  return IsEnabled() && separator.Size() != 0 ? ControlFlagSetCursor : 0;
}

void CVerticalLayoutUI::SetBounds(const RECT& rect) {
  CControlUI::SetBounds(rect);
  const CRectUI rc = WithoutBars(InnerRect());
  if (OwnCount() == 0) {
    UpdateScrollBars(rc, 0, 0);
    return;
  }
  UpdateScrollBars(rc, 0, PlaceChildren(rc, -1));
}

// Two passes: the first sums what the fixed children and the paddings take,
// the second places every child, the stretched ones sharing what is left and
// the last of them taking the rounding remainder. Sums run in 64 bits: sizes
// and paddings from the skin may be as large as 32 bits allow, and a wrapped
// sum would throw the children after it to negative places.
int CVerticalLayoutUI::PlaceChildren(const CRectUI& rc, int rowWidth) {
  const bool verticalShown = IsShownBar(verticalScrollBar.get());
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
    long long height = child->PreferredSize(available).cy;
    if (height == 0) {
      ++adjustables;
    } else {
      height = ClampHeight(*child, ClampToInt(height));
    }
    fixedTotal += height + pad.top + pad.bottom;
    ++flowing;
  }
  fixedTotal += static_cast<long long>(flowing - 1) * childPadding;
  const long long expand =
      adjustables > 0 ? std::max<long long>(0, (availableHeight - fixedTotal) / adjustables) : 0;

  long long y = rc.top - (verticalShown ? verticalScrollBar->GetScrollPos() : 0LL);
  const long long x = rc.left - (horizontalShown ? horizontalScrollBar->GetScrollPos() : 0LL);
  long long remaining = availableHeight;
  // What the children after the current one still need. The paddings and
  // gaps of children already placed leave it as they are used, so the last
  // stretched child is not cut by them a second time.
  long long fixedRemaining = fixedTotal;
  int seen = 0;
  long long needed = 0;
  for (int i = 0; i < OwnCount(); ++i) {
    CControlUI* child = OwnChild(i);
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      PlaceFloatChild(i);
      continue;
    }
    const CRectUI pad = child->GetPadding();
    remaining -= pad.top;
    fixedRemaining -= static_cast<long long>(pad.top) + pad.bottom;
    const SIZE preferred = child->PreferredSize(CSizeUI(available.cx, ClampCoordinate(remaining)));
    long long height = 0;
    if (preferred.cy == 0) {
      ++seen;
      height = seen == adjustables ? std::max<long long>(0, remaining - pad.bottom - fixedRemaining)
                                   : expand;
      height = ClampHeight(*child, ClampToInt(height));
    } else {
      height = ClampHeight(*child, preferred.cy);
      fixedRemaining -= height;
    }
    long long width = std::max<long long>(rowWidth, availableWidth - pad.left - pad.right);
    if (rowWidth < 0) {
      width = child->GetFixedWidth();
      if (width == 0) width = std::max<long long>(0, availableWidth - pad.left - pad.right);
    }
    width = ClampWidth(*child, ClampToInt(width));

    // The child's rectangle takes in its bottom padding.
    const long long left = x + pad.left;
    const long long top = y + pad.top;
    child->SetBounds(CRectUI::Clamped(left, top, left + width, top + height + pad.bottom));
    y += height + childPadding + pad.top + pad.bottom;
    needed += height + pad.top + pad.bottom;
    remaining -= height + childPadding + pad.bottom;
    fixedRemaining -= childPadding;
  }
  if (flowing == 0) return 0;
  return ClampCoordinate(needed + static_cast<long long>(flowing - 1) * childPadding);
}

void CVerticalLayoutUI::HandleEvent(TControlEvent& event) {
  const TSeparatorTarget target{itemRect, fixedHeight, minHeight, maxHeight};
  // A drag moves the layout's own edge, not through SetBounds.
  if (separator.HandleEvent(*this, target, event)) {
    NoteBoundsChanged();
    return;
  }
  CContainerUI::HandleEvent(event);
}

void CVerticalLayoutUI::ApplyAttribute(const wchar_t* attribute, const wchar_t* value) {
  if (attribute == nullptr || value == nullptr) return;
  if (wcscmp(attribute, L"sepheight") == 0) {
    SetSepHeight(AttributeValue::Integer(value));
  } else if (wcscmp(attribute, L"sepimm") == 0) {
    SetSepImmediateMode(AttributeValue::Boolean(value));
  } else {
    CContainerUI::ApplyAttribute(attribute, value);
  }
}

void CVerticalLayoutUI::PaintOverlay(HDC dc, const RECT& /*dirty*/) {
  separator.PaintOverlay(dc);
}

}  // namespace SkinUI

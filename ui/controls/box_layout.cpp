#include "ui/controls/box_layout.h"

#include <algorithm>
#include <cwchar>

#include "ui/controls/scroll_bar.h"

namespace SkinUI {

namespace {

constexpr wchar_t kVerticalClassName[] = L"VerticalLayoutUI";
constexpr wchar_t kVerticalInterfaceName[] = L"VerticalLayout";
constexpr wchar_t kHorizontalClassName[] = L"HorizontalLayoutUI";
constexpr wchar_t kHorizontalInterfaceName[] = L"HorizontalLayout";

// Sizes, paddings and rectangles seen along the box's axis and across it.
struct TBoxAxis {
  bool vertical;

  LONG Along(const SIZE& size) const { return vertical ? size.cy : size.cx; }
  LONG Before(const RECT& pad) const { return vertical ? pad.top : pad.left; }
  LONG After(const RECT& pad) const { return vertical ? pad.bottom : pad.right; }
  LONG AcrossBefore(const RECT& pad) const { return vertical ? pad.left : pad.top; }
  LONG AcrossAfter(const RECT& pad) const { return vertical ? pad.right : pad.bottom; }
  LONG Start(const RECT& rc) const { return vertical ? rc.top : rc.left; }
  LONG AcrossStart(const RECT& rc) const { return vertical ? rc.left : rc.top; }
  CSizeUI Size(int along, int across) const {
    return vertical ? CSizeUI(across, along) : CSizeUI(along, across);
  }
  RECT Rect(long long alongStart, long long acrossStart, long long alongEnd,
            long long acrossEnd) const {
    if (vertical) return CRectUI::Clamped(acrossStart, alongStart, acrossEnd, alongEnd);
    return CRectUI::Clamped(alongStart, acrossStart, alongEnd, acrossEnd);
  }
  int FixedAcross(const CControlUI& child) const {
    return child.Scale().ToDevice(vertical ? child.GetFixedWidth() : child.GetFixedHeight());
  }
};

long long ScrollOffset(const CScrollBarUI* bar) {
  return bar != nullptr && bar->IsVisible() ? bar->GetScrollPos() : 0;
}

}  // namespace

CBoxLayoutUI::CBoxLayoutUI(bool isVertical) : verticalAxis(isVertical), separator(isVertical) {}

UINT CBoxLayoutUI::ControlFlags() const {
  return IsEnabled() && separator.Size() != 0 ? ControlFlagSetCursor : 0;
}

// Horizontal content never asks for a vertical bar; the layouts keep no
// horizontal range (UpdateScrollBars places that bar only).
void CBoxLayoutUI::SetBounds(const RECT& rect) {
  CControlUI::SetBounds(rect);
  separator.SetSize(Scale().ToDevice(sepSize));
  const CRectUI rc = WithoutBars(InnerRect());
  if (OwnCount() == 0) {
    // A horizontal box places its bars against the inset rectangle, the
    // bars not taken off.
    UpdateScrollBars(verticalAxis ? rc : InnerRect(), 0, 0);
    return;
  }
  const int needed = PlaceChildren(rc, -1);
  if (verticalAxis) {
    UpdateScrollBars(rc, 0, needed);
  } else {
    UpdateScrollBars(rc, needed, 0);
  }
}

// Two passes: the first sums what the fixed children and the paddings take,
// the second places every child, the stretched ones sharing what is left and
// the last of them taking the rounding remainder. Sums run in 64 bits: sizes
// and paddings from the skin may be as large as 32 bits allow, and a wrapped
// sum would throw the children after it to negative places.
int CBoxLayoutUI::PlaceChildren(const CRectUI& rc, int crossMinimum) {
  const TBoxAxis axis{verticalAxis};
  long long availableWidth = rc.GetWidth();
  const long long availableHeight = rc.GetHeight();
  if (IsShownBar(horizontalScrollBar.get())) {
    availableWidth += horizontalScrollBar->GetScrollRange();
  }
  const CSizeUI available(ClampCoordinate(availableWidth), ClampCoordinate(availableHeight));
  const long long alongAvailable = verticalAxis ? availableHeight : availableWidth;
  const long long acrossAvailable = verticalAxis ? availableWidth : availableHeight;
  const auto clampAlong = [&](const CControlUI& child, int size) {
    return verticalAxis ? ClampHeight(child, size) : ClampWidth(child, size);
  };
  const auto clampAcross = [&](const CControlUI& child, int size) {
    return verticalAxis ? ClampWidth(child, size) : ClampHeight(child, size);
  };

  const long long childPadding = Scale().ToDevice(GetChildPadding());
  int adjustables = 0;
  long long fixedTotal = 0;
  int flowing = 0;
  for (int i = 0; i < OwnCount(); ++i) {
    CControlUI* child = OwnChild(i);
    if (!child->IsVisible() || child->IsFloat()) continue;
    const CRectUI pad = child->Scale().ToDevice(child->GetPadding());
    long long size = axis.Along(child->PreferredSize(available));
    if (size == 0) {
      ++adjustables;
    } else {
      size = clampAlong(*child, ClampToInt(size));
    }
    fixedTotal += size + axis.Before(pad) + axis.After(pad);
    ++flowing;
  }
  fixedTotal += (flowing - 1) * childPadding;
  const long long expand =
      adjustables > 0 ? std::max<long long>(0, (alongAvailable - fixedTotal) / adjustables) : 0;

  const CScrollBarUI* alongBar = verticalAxis ? verticalScrollBar.get() : horizontalScrollBar.get();
  long long along = axis.Start(rc) - ScrollOffset(alongBar);
  // A horizontal box does not scroll vertically.
  const long long across =
      axis.AcrossStart(rc) - (verticalAxis ? ScrollOffset(horizontalScrollBar.get()) : 0);
  long long remaining = alongAvailable;
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
    const CRectUI pad = child->Scale().ToDevice(child->GetPadding());
    remaining -= axis.Before(pad);
    fixedRemaining -= static_cast<long long>(axis.Before(pad)) + axis.After(pad);
    const SIZE preferred = child->PreferredSize(
        axis.Size(ClampCoordinate(remaining), verticalAxis ? available.cx : available.cy));
    long long size = 0;
    if (axis.Along(preferred) == 0) {
      ++seen;
      size = seen == adjustables
                 ? std::max<long long>(0, remaining - axis.After(pad) - fixedRemaining)
                 : expand;
      size = clampAlong(*child, ClampToInt(size));
    } else {
      size = clampAlong(*child, axis.Along(preferred));
      fixedRemaining -= size;
    }
    const long long room = acrossAvailable - axis.AcrossBefore(pad) - axis.AcrossAfter(pad);
    long long thickness = std::max<long long>(crossMinimum, room);
    if (crossMinimum < 0) {
      thickness = axis.FixedAcross(*child);
      if (thickness == 0) thickness = std::max<long long>(0, room);
    }
    thickness = clampAcross(*child, ClampToInt(thickness));

    // The child's rectangle takes in its padding after it along the axis.
    const long long start = along + axis.Before(pad);
    const long long side = across + axis.AcrossBefore(pad);
    child->SetBounds(axis.Rect(start, side, start + size + axis.After(pad), side + thickness));
    along += size + childPadding + axis.Before(pad) + axis.After(pad);
    needed += size + axis.Before(pad) + axis.After(pad);
    remaining -= size + childPadding + axis.After(pad);
    fixedRemaining -= childPadding;
  }
  if (flowing == 0) return 0;
  return ClampCoordinate(needed + (flowing - 1) * childPadding);
}

void CBoxLayoutUI::HandleEvent(TControlEvent& event) {
  const CDpiScaleUI scale = Scale();
  const TSeparatorTarget target{ItemRect(),
                                scale.ToDevice(verticalAxis ? GetMinHeight() : GetMinWidth()),
                                scale.ToDevice(verticalAxis ? GetMaxHeight() : GetMaxWidth())};
  const TSeparatorChange change = separator.HandleEvent(*this, target, event);
  if (!change.taken) {
    CContainerUI::HandleEvent(event);
    return;
  }
  if (change.fixedSize) {
    const int size = scale.ToLogical(*change.fixedSize);
    if (verticalAxis) {
      StoreFixedHeight(size);
    } else {
      StoreFixedWidth(size);
    }
  }
  if (change.itemRect) MoveEdgeTo(*change.itemRect);
  if (change.relayout) RequestParentRelayout();
  NoteBoundsChanged();
}

void CBoxLayoutUI::ApplyAttribute(const wchar_t* attribute, const wchar_t* value) {
  if (attribute == nullptr || value == nullptr) return;
  if (wcscmp(attribute, verticalAxis ? L"sepheight" : L"sepwidth") == 0) {
    SetSepSize(AttributeValue::Integer(value));
  } else if (wcscmp(attribute, L"sepimm") == 0) {
    SetSepImmediateMode(AttributeValue::Boolean(value));
  } else {
    CContainerUI::ApplyAttribute(attribute, value);
  }
}

void CBoxLayoutUI::PaintOverlay(HDC dc, const RECT& /*dirty*/) {
  separator.PaintOverlay(dc);
}

const wchar_t* CVerticalLayoutUI::ClassName() const {
  return kVerticalClassName;
}

void* CVerticalLayoutUI::InterfaceFor(const wchar_t* interfaceName) {
  if (interfaceName != nullptr && wcscmp(interfaceName, kVerticalInterfaceName) == 0) return this;
  return CContainerUI::InterfaceFor(interfaceName);
}

const wchar_t* CHorizontalLayoutUI::ClassName() const {
  return kHorizontalClassName;
}

void* CHorizontalLayoutUI::InterfaceFor(const wchar_t* interfaceName) {
  if (interfaceName != nullptr && wcscmp(interfaceName, kHorizontalInterfaceName) == 0) {
    return this;
  }
  return CContainerUI::InterfaceFor(interfaceName);
}

}  // namespace SkinUI

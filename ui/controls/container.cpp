// CContainerUI: the child list, visibility, tree search, float placement,
// attributes and clipped painting. Scrolling is in container_scroll.cpp.

#include "ui/controls/container.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "ui/controls/scroll_bar.h"
#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"ContainerUI";
constexpr wchar_t kInterfaceName[] = L"Container";
constexpr wchar_t kListInterfaceName[] = L"IContainer";
constexpr wchar_t kListItemInterfaceName[] = L"ListItem";
// From this many children on, hit tests go through the copy of their rectangles.
constexpr int kManyChildren = 64;

using AttributeValue::Is;

// One axis of a float child, in logical numbers: a negative offset measures
// from the far edge. Both edges are scaled, so children that meet in the skin
// meet on screen.
struct TFloatSpan {
  long long first;
  long long last;
  long long size;
  bool fromEnd = false;

  void Anchor() {
    fromEnd = first < 0;
    if (fromEnd) {
      first = last - size;
    } else {
      last = first + size;
    }
  }
  // The container's size changed by delta: move and grow by the percentages.
  void Move(long long delta, int movePercent, int zoomPercent) {
    first += delta * movePercent / 100;
    last = first + size + delta * zoomPercent / 100;
  }
};

bool Meets(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE;
}

}  // namespace

CContainerUI::CContainerUI() = default;

// Children go at once, not later: the window may be going away with us.
CContainerUI::~CContainerUI() {
  delayedDestroy = false;
  DestroyAllChildren();
  verticalScrollBar.reset();
  horizontalScrollBar.reset();
}

CControlUI* CContainerUI::ChildAt(int index) const {
  return static_cast<CControlUI*>(items.GetAt(index));
}

int CContainerUI::IndexOfChild(CControlUI* control) const {
  return items.Find(control);
}

int CContainerUI::GetCount() const {
  return items.GetSize();
}

bool CContainerUI::Add(CControlUI* control) {
  return InsertAt(control, GetCount());
}

// A child that would make the tree deeper than kMaxTreeDepth, or a loop, is
// refused.
bool CContainerUI::InsertAt(CControlUI* control, int index) {
  if (control == nullptr || !LinkChild(*control, this)) return false;
  if (GetManager() != nullptr) GetManager()->BindControlTree(control, this);
  if (IsVisible()) {
    RequestRelayout();
  } else {
    control->SetInnerVisible(false);
  }
  NoteChildrenChanged();
  return items.InsertAt(index, control);
}

bool CContainerUI::Remove(CControlUI* control) {
  const int index = IndexOfChild(control);
  if (index < 0) return false;
  RequestRelayout();
  NoteChildrenChanged();
  items.RemoveAt(index);
  if (autoDestroy) {
    DestroyChild(control);
  } else {
    UnlinkChild(*control);
  }
  return true;
}

bool CContainerUI::RemoveAt(int index) {
  CControlUI* child = ChildAt(index);
  return child != nullptr && Remove(child);
}

void CContainerUI::RemoveAll() {
  DestroyAllChildren();
  RequestRelayout();
}

bool CContainerUI::MoveChildTo(CControlUI* control, int index) {
  const int from = IndexOfChild(control);
  if (from < 0) return false;
  RequestRelayout();
  NoteChildrenChanged();
  items.RemoveAt(from);
  // An index past the end would otherwise drop the child from the list.
  return items.InsertAt(std::clamp(index, 0, items.GetSize()), control);
}

void CContainerUI::DestroyChild(CControlUI* child) {
  if (delayedDestroy && GetManager() != nullptr) {
    GetManager()->DeleteLater(child);
  } else {
    delete child;
  }
}

void CContainerUI::DestroyAllChildren() {
  for (int i = 0; i < OwnCount(); ++i) {
    if (autoDestroy) {
      DestroyChild(OwnChild(i));
    } else {
      UnlinkChild(*OwnChild(i));
    }
  }
  NoteChildrenChanged();
  items.Reset();
}

const wchar_t* CContainerUI::ClassName() const {
  return kClassName;
}

void* CContainerUI::InterfaceFor(const wchar_t* interfaceName) {
  if (interfaceName != nullptr && Is(interfaceName, kListInterfaceName)) {
    return static_cast<IContainerUI*>(this);
  }
  if (interfaceName != nullptr && Is(interfaceName, kInterfaceName)) return this;
  return CControlUI::InterfaceFor(interfaceName);
}

void CContainerUI::BindManager(IControlHostUI* newManager, CControlUI* newParent, bool init) {
  for (int i = 0; i < OwnCount(); ++i) OwnChild(i)->BindManager(newManager, this, init);
  // Bars belong to the window but have no parent: the container places them.
  if (verticalScrollBar) verticalScrollBar->BindManager(newManager, nullptr, init);
  if (horizontalScrollBar) horizontalScrollBar->BindManager(newManager, nullptr, init);
  CControlUI::BindManager(newManager, newParent, init);
}

void CContainerUI::SetVisible(bool show) {
  if (IsVisible() == show) return;
  CControlUI::SetVisible(show);
  SetInnerVisible(show);
}

// A child added while this container was hidden kept its own flag and was
// hidden through SetInnerVisible(false) alone, which showing it with
// SetVisible would not undo: its contents would stay hidden and it could
// never take focus.
void CContainerUI::SetInnerVisible(bool show) {
  CControlUI::SetInnerVisible(show);
  for (int i = 0; i < OwnCount(); ++i) {
    CControlUI* child = OwnChild(i);
    child->SetVisible(show);
    if (show && !child->IsInnerVisible()) child->SetInnerVisible(true);
  }
}

void CContainerUI::SetMouseEnabled(bool on) {
  if (verticalScrollBar) verticalScrollBar->SetMouseEnabled(on);
  if (horizontalScrollBar) horizontalScrollBar->SetMouseEnabled(on);
  CControlUI::SetMouseEnabled(on);
}

CControlUI* CContainerUI::FindInTree(FindControlProc test, LPVOID data, UINT flags) {
  if ((flags & FindVisible) != 0 && !IsVisible()) return nullptr;
  if ((flags & FindEnabled) != 0 && !IsEnabled()) return nullptr;
  const bool hitTest = (flags & FindHitTest) != 0;
  const POINT* point = static_cast<const POINT*>(data);
  if (hitTest && (point == nullptr || !ItemRect().Contains(*point))) return nullptr;

  CScrollBarUI* bars[] = {verticalScrollBar.get(), horizontalScrollBar.get()};
  for (CScrollBarUI* bar : bars) {
    if (bar == nullptr) continue;
    if (CControlUI* found = bar->FindInTree(test, data, flags)) return found;
  }
  if (hitTest && !mouseChildEnabled) return CControlUI::FindInTree(test, data, flags);

  const bool meFirst = (flags & FindMeFirst) != 0;
  if (meFirst) {
    if (CControlUI* found = CControlUI::FindInTree(test, data, flags)) return found;
  }
  const CRectUI client = ClientRect();
  const int count = OwnCount();
  const bool topFirst = (flags & FindTopFirst) != 0;
  // A hit test over many children reads their rectangles from one compact
  // copy and asks only the children under the point: a child never answers
  // for a point outside its own rectangle.
  const RECT* bounds = hitTest && count >= kManyChildren ? ChildBounds().data() : nullptr;
  for (int step = 0; step < count; ++step) {
    const int index = topFirst ? count - 1 - step : step;
    if (bounds != nullptr && !CRectUI(bounds[index]).Contains(*point)) continue;
    CControlUI* child = OwnChild(index);
    CControlUI* found = child->FindInTree(test, data, flags);
    if (found == nullptr) continue;
    // Flowing children scrolled under the inset or a bar are not hit there.
    if (!hitTest || found->IsFloat() || client.Contains(*point)) return found;
  }
  return meFirst ? nullptr : CControlUI::FindInTree(test, data, flags);
}

const std::vector<RECT>& CContainerUI::ChildBounds() {
  if (childBoundsVersion == ChildGeometryVersion() &&
      childBounds.size() == static_cast<size_t>(OwnCount())) {
    return childBounds;
  }
  childBounds.resize(OwnCount());
  for (int i = 0; i < OwnCount(); ++i) childBounds[i] = OwnChild(i)->Bounds();
  childBoundsVersion = ChildGeometryVersion();
  return childBounds;
}

// Over the child-list interface: for a list, its rows.
int CContainerUI::NearestSelectable(int index, bool forward) {
  const int count = GetCount();
  if (count == 0) return -1;
  index = std::clamp(index, 0, count - 1);
  auto selectable = [this](int i) {
    CControlUI* child = ChildAt(i);
    return child->InterfaceFor(kListItemInterfaceName) != nullptr && child->IsVisible() &&
           child->IsEnabled();
  };
  if (forward) {
    for (int i = index; i < count; ++i) {
      if (selectable(i)) return i;
    }
    return -1;
  }
  for (int i = index; i >= 0; --i) {
    if (selectable(i)) return i;
  }
  return NearestSelectable(0, true);
}

RECT CContainerUI::GetInset() const {
  return inset;
}

void CContainerUI::SetInset(const RECT& newInset) {
  inset = newInset;
  RequestRelayout();
}

int CContainerUI::GetChildPadding() const {
  return childPadding;
}

void CContainerUI::SetChildPadding(int padding) {
  childPadding = padding;
  RequestRelayout();
}

bool CContainerUI::IsAutoDelete() const {
  return autoDestroy;
}

void CContainerUI::SetAutoDelete(bool on) {
  autoDestroy = on;
}

bool CContainerUI::IsDeferredDelete() const {
  return delayedDestroy;
}

void CContainerUI::SetDeferredDelete(bool on) {
  delayedDestroy = on;
}

bool CContainerUI::IsMouseChildEnabled() const {
  return mouseChildEnabled;
}

void CContainerUI::SetMouseChildEnabled(bool on) {
  mouseChildEnabled = on;
}

int CContainerUI::ClampHeight(const CControlUI& child, int height) {
  const CDpiScaleUI scale = child.Scale();
  if (height < scale.ToDevice(child.GetMinHeight())) height = scale.ToDevice(child.GetMinHeight());
  if (height > scale.ToDevice(child.GetMaxHeight())) height = scale.ToDevice(child.GetMaxHeight());
  return height;
}

int CContainerUI::ClampWidth(const CControlUI& child, int width) {
  const CDpiScaleUI scale = child.Scale();
  if (width < scale.ToDevice(child.GetMinWidth())) width = scale.ToDevice(child.GetMinWidth());
  if (width > scale.ToDevice(child.GetMaxWidth())) width = scale.ToDevice(child.GetMaxWidth());
  return width;
}

CRectUI CContainerUI::InnerRect() const {
  const RECT edge = Scale().ToDevice(inset);
  return CRectUI::Clamped(static_cast<long long>(ItemRect().left) + edge.left,
                          static_cast<long long>(ItemRect().top) + edge.top,
                          static_cast<long long>(ItemRect().right) - edge.right,
                          static_cast<long long>(ItemRect().bottom) - edge.bottom);
}

int CContainerUI::DeviceBarWidth(const CScrollBarUI* bar) const {
  return Scale().ToDevice(bar->GetFixedWidth());
}

int CContainerUI::DeviceBarHeight(const CScrollBarUI* bar) const {
  return Scale().ToDevice(bar->GetFixedHeight());
}

CRectUI CContainerUI::ClientRect() const {
  return WithoutBars(InnerRect());
}

CRectUI CContainerUI::WithoutBars(const CRectUI& rect) const {
  long long right = rect.right;
  long long bottom = rect.bottom;
  if (IsShownBar(verticalScrollBar.get())) right -= DeviceBarWidth(verticalScrollBar.get());
  if (IsShownBar(horizontalScrollBar.get())) bottom -= DeviceBarHeight(horizontalScrollBar.get());
  return CRectUI::Clamped(rect.left, rect.top, right, bottom);
}

void CContainerUI::SetBounds(const RECT& rect) {
  CControlUI::SetBounds(rect);
  const CRectUI inner = InnerRect();
  for (int i = 0; i < OwnCount(); ++i) {
    CControlUI* child = OwnChild(i);
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      PlaceFloatChild(i);
    } else {
      child->SetBounds(inner);
    }
  }
}

// Negative offsets measure from the right or bottom edge. The first placement
// of a relative child only records the container's size; later ones move and
// grow it by the change.
void CContainerUI::PlaceFloatChild(int index) {
  CControlUI* child = OwnChild(index);
  if (child == nullptr || !child->IsVisible() || !child->IsFloat()) return;
  const SIZE offset = child->FixedOffset();
  // Logical, each side measured from the container edge it is anchored to.
  TFloatSpan across = {offset.cx, offset.cx, child->GetFixedWidth()};
  TFloatSpan down = {offset.cy, offset.cy, child->GetFixedHeight()};
  across.Anchor();
  down.Anchor();
  if (child->IsRelativePos()) {
    const TRelativePosUI relative = child->GetRelativePos();
    const CDpiScaleUI scale = Scale();
    const CSizeUI size(scale.ToLogical(ItemRect().GetWidth()),
                       scale.ToLogical(ItemRect().GetHeight()));
    if (relative.parentSize.cx != 0) {
      across.Move(static_cast<long long>(size.cx) - relative.parentSize.cx, relative.moveX,
                  relative.zoomX);
      down.Move(static_cast<long long>(size.cy) - relative.parentSize.cy, relative.moveY,
                relative.zoomY);
    }
    child->SetRelativeBaseSize(size);
  }
  const auto place = [this](const TFloatSpan& span, LONG start, LONG end) {
    const long long origin = span.fromEnd ? end : start;
    return std::make_pair(origin + Scale().ToDevice(ClampToInt(span.first)),
                          origin + Scale().ToDevice(ClampToInt(span.last)));
  };
  const auto [left, right] = place(across, ItemRect().left, ItemRect().right);
  const auto [top, bottom] = place(down, ItemRect().top, ItemRect().bottom);
  child->SetBounds(CRectUI::Clamped(left, top, right, bottom));
}

void CContainerUI::ApplyAttribute(const wchar_t* attribute, const wchar_t* value) {
  if (attribute == nullptr || value == nullptr) return;
  const bool hasVertical = verticalScrollBar != nullptr;
  const bool hasHorizontal = horizontalScrollBar != nullptr;
  if (Is(attribute, L"inset")) {
    SetInset(AttributeValue::Rectangle(value));
  } else if (Is(attribute, L"childpadding")) {
    SetChildPadding(AttributeValue::Integer(value));
  } else if (Is(attribute, L"mousechild")) {
    SetMouseChildEnabled(AttributeValue::Boolean(value));
  } else if (Is(attribute, L"vscrollbar")) {
    ShowScrollBars(AttributeValue::Boolean(value), hasHorizontal);
  } else if (Is(attribute, L"hscrollbar")) {
    ShowScrollBars(hasVertical, AttributeValue::Boolean(value));
  } else if (Is(attribute, L"vscrollbarstyle")) {
    ShowScrollBars(true, hasHorizontal);
    verticalScrollBar->ApplyAttributeText(value);
  } else if (Is(attribute, L"hscrollbarstyle")) {
    ShowScrollBars(hasVertical, true);
    horizontalScrollBar->ApplyAttributeText(value);
  } else {
    CControlUI::ApplyAttribute(attribute, value);
  }
}

void CContainerUI::Paint(HDC dc, const RECT& dirty) {
  RECT area;
  if (!IntersectRect(&area, &dirty, &ItemRect())) return;
  ClipGuard outer;
  CDrawKit::ClipToRect(dc, area, outer);
  CControlUI::Paint(dc, dirty);
  if (OwnCount() > 0) PaintChildren(dc, dirty);
  CScrollBarUI* bars[] = {verticalScrollBar.get(), horizontalScrollBar.get()};
  for (CScrollBarUI* bar : bars) {
    if (IsShownBar(bar) && Meets(dirty, bar->Bounds())) bar->Paint(dc, dirty);
  }
}

// Flowing children are clipped to the client area; float children may draw
// over the inset and the bars. Later children paint on top.
void CContainerUI::PaintChildren(HDC dc, const RECT& dirty) {
  const CRectUI client = ClientRect();
  RECT clientDirty;
  if (!IntersectRect(&clientDirty, &dirty, &client)) {
    for (int i = 0; i < OwnCount(); ++i) {
      CControlUI* child = OwnChild(i);
      if (!child->IsVisible() || !child->IsFloat()) continue;
      if (Meets(dirty, child->Bounds()) && Meets(ItemRect(), child->Bounds())) {
        child->Paint(dc, dirty);
      }
    }
    return;
  }
  ClipGuard inner;
  CDrawKit::ClipToRect(dc, clientDirty, inner);
  for (int i = 0; i < OwnCount(); ++i) {
    CControlUI* child = OwnChild(i);
    if (!child->IsVisible() || !Meets(dirty, child->Bounds())) continue;
    if (!child->IsFloat()) {
      if (Meets(client, child->Bounds())) child->Paint(dc, dirty);
      continue;
    }
    if (!Meets(ItemRect(), child->Bounds())) continue;
    CDrawKit::ClipUseOuter(dc, inner);
    child->Paint(dc, dirty);
    CDrawKit::ClipUseInner(dc, inner);
  }
}

DWORD CContainerUI::AccessibleRole() const {
  return ROLE_SYSTEM_GROUPING;
}

int CContainerUI::AccessibleChildCount() const {
  return OwnCount() + (verticalScrollBar ? 1 : 0) + (horizontalScrollBar ? 1 : 0);
}

CControlUI* CContainerUI::AccessibleChildAt(int index) const {
  if (index < 0) return nullptr;
  if (index < OwnCount()) return OwnChild(index);
  index -= OwnCount();
  if (verticalScrollBar && index-- == 0) return verticalScrollBar.get();
  if (horizontalScrollBar && index == 0) return horizontalScrollBar.get();
  return nullptr;
}

}  // namespace SkinUI

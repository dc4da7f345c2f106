// CControlUI: identity, place in the tree, geometry and state, and the
// repaint and re-layout requests that follow a change.

#include "ui/controls/control.h"

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"ControlUI";
constexpr wchar_t kInterfaceName[] = L"Control";

}  // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
  destroyHooks.Invoke(this);
  if (manager != nullptr) manager->ForgetControl(this);
}

CWideStringUI CControlUI::GetName() const {
  return name;
}

void CControlUI::SetName(const wchar_t* newName) {
  name = newName;
}

const wchar_t* CControlUI::ClassName() const {
  return kClassName;
}

void* CControlUI::InterfaceFor(const wchar_t* interfaceName) {
  if (interfaceName != nullptr && wcscmp(interfaceName, kInterfaceName) == 0) return this;
  return nullptr;
}

UINT CControlUI::ControlFlags() const {
  return 0;
}

bool CControlUI::IsTabStop() const {
  return (ControlFlags() & ControlFlagTabStop) != 0;
}

bool CControlUI::Activate() {
  return IsVisible() && IsEnabled();
}

IControlHostUI* CControlUI::GetManager() const {
  return manager;
}

void CControlUI::BindManager(IControlHostUI* newManager, CControlUI* newParent, bool init) {
  manager = newManager;
  parent = newParent;
  if (init && parent != nullptr) Initialize();
}

ISkinResourcesUI* CControlUI::Resources() const {
  return manager != nullptr ? &manager->Resources() : nullptr;
}

CDpiScaleUI CControlUI::Scale() const {
  return manager != nullptr ? manager->Resources().Scale() : CDpiScaleUI();
}

POINT CControlUI::LastMousePos() const {
  return manager != nullptr ? manager->LastMousePos() : CPointUI(-1, -1);
}

CControlUI* CControlUI::GetParent() const {
  return parent;
}

int CControlUI::DepthInTree() const {
  int depth = 1;
  for (const CControlUI* above = parent; above != nullptr && depth <= kMaxTreeDepth;
       above = above->parent) {
    ++depth;
  }
  return depth;
}

// A control put into its own subtree would make the tree a loop, which every
// walk over it would follow for ever.
bool CControlUI::LinkChild(CControlUI& child, CControlUI* newParent) {
  if (newParent == nullptr) return false;
  int depthAbove = 0;
  for (const CControlUI* above = newParent; above != nullptr; above = above->parent) {
    if (above == &child || ++depthAbove + child.subtreeDepth > kMaxTreeDepth) return false;
  }
  child.parent = newParent;
  int depth = child.subtreeDepth + 1;
  for (CControlUI* above = newParent; above != nullptr && above->subtreeDepth < depth;
       above = above->parent) {
    above->subtreeDepth = depth++;
  }
  return true;
}

CWideStringUI CControlUI::GetText() const {
  return text;
}

void CControlUI::SetText(const wchar_t* newText) {
  if (text == (newText != nullptr ? newText : L"")) return;
  text = newText;
  Invalidate();
  NotifyAccessibility(EVENT_OBJECT_NAMECHANGE);
}

const RECT& CControlUI::Bounds() const {
  return itemRect;
}

void CControlUI::SetBounds(const RECT& rect) {
  CRectUI bounds = CRectUI::Clamped(rect.left, rect.top, rect.right, rect.bottom);
  if (bounds.right < bounds.left) bounds.right = bounds.left;
  if (bounds.bottom < bounds.top) bounds.bottom = bounds.top;

  CRectUI repaint = itemRect.IsEmpty() ? bounds : itemRect;
  itemRect = bounds;
  NoteBoundsChanged();
  if (manager == nullptr) return;

  if (!inSizeHooks) {
    inSizeHooks = true;
    sizeHooks.Invoke(this);
    inSizeHooks = false;
  }
  // A float control keeps the anchoring side its fixed offset's sign chose.
  if (isFloat && parent != nullptr) KeepFloatPlace(parent->Bounds());
  updateNeeded = false;

  repaint.Union(itemRect);
  for (CControlUI* ancestor = parent; ancestor != nullptr; ancestor = ancestor->GetParent()) {
    if (!IntersectRect(&repaint, &repaint, &ancestor->Bounds())) return;
  }
  manager->InvalidateArea(repaint);
}

namespace {

// One axis of a float control, back to logical numbers from both edges as
// the container placed them (edges scaled, not widths): from a scale of 1 up
// they come back exactly. The offset's sign keeps the anchoring side.
void KeepAxis(const CDpiScaleUI& scale, LONG first, LONG last, LONG outerFirst, LONG outerLast,
              LONG& offset, int& size) {
  if (offset >= 0) {
    offset = scale.ToLogical(first - outerFirst);
    size = scale.ToLogical(last - outerFirst) - offset;
  } else {
    offset = scale.ToLogical(last - outerLast);
    size = offset - scale.ToLogical(first - outerLast);
  }
}

}  // namespace

void CControlUI::KeepFloatPlace(const RECT& outer) {
  const CDpiScaleUI scale = Scale();
  KeepAxis(scale, itemRect.left, itemRect.right, outer.left, outer.right, fixedXY.cx, fixedWidth);
  KeepAxis(scale, itemRect.top, itemRect.bottom, outer.top, outer.bottom, fixedXY.cy, fixedHeight);
}

int CControlUI::GetWidth() const {
  return itemRect.GetWidth();
}

int CControlUI::GetHeight() const {
  return itemRect.GetHeight();
}

int CControlUI::GetX() const {
  return itemRect.left;
}

int CControlUI::GetY() const {
  return itemRect.top;
}

RECT CControlUI::GetPadding() const {
  return padding;
}

void CControlUI::SetPadding(const RECT& newPadding) {
  padding = newPadding;
  RequestParentRelayout();
}

SIZE CControlUI::FixedOffset() const {
  return fixedXY;
}

void CControlUI::SetFixedOffset(SIZE offset) {
  fixedXY = CSizeUI(offset);
  RequestGeometryUpdate();
}

// A float control places itself; a flowing one is placed by its parent.
void CControlUI::RequestGeometryUpdate() {
  if (isFloat) {
    RequestRelayout();
  } else {
    RequestParentRelayout();
  }
}

int CControlUI::GetFixedWidth() const {
  return fixedWidth;
}

void CControlUI::SetFixedWidth(int width) {
  if (width < 0) return;
  fixedWidth = width;
  RequestGeometryUpdate();
}

int CControlUI::GetFixedHeight() const {
  return fixedHeight;
}

void CControlUI::SetFixedHeight(int height) {
  if (height < 0) return;
  fixedHeight = height;
  RequestGeometryUpdate();
}

int CControlUI::GetMinWidth() const {
  return minWidth;
}

void CControlUI::SetMinWidth(int width) {
  if (width < 0 || width == minWidth) return;
  minWidth = width;
  RequestGeometryUpdate();
}

int CControlUI::GetMaxWidth() const {
  return maxWidth;
}

void CControlUI::SetMaxWidth(int width) {
  if (width < 0 || width == maxWidth) return;
  maxWidth = width;
  RequestGeometryUpdate();
}

int CControlUI::GetMinHeight() const {
  return minHeight;
}

void CControlUI::SetMinHeight(int height) {
  if (height < 0 || height == minHeight) return;
  minHeight = height;
  RequestGeometryUpdate();
}

int CControlUI::GetMaxHeight() const {
  return maxHeight;
}

void CControlUI::SetMaxHeight(int height) {
  if (height < 0 || height == maxHeight) return;
  maxHeight = height;
  RequestGeometryUpdate();
}

void CControlUI::SetRelativePos(int moveX, int moveY, int zoomX, int zoomY) {
  relativePos.relative = true;
  relativePos.moveX = moveX;
  relativePos.moveY = moveY;
  relativePos.zoomX = zoomX;
  relativePos.zoomY = zoomY;
}

void CControlUI::SetRelativeBaseSize(SIZE parentSize) {
  relativePos.parentSize = CSizeUI(parentSize);
}

TRelativePosUI CControlUI::GetRelativePos() const {
  return relativePos;
}

bool CControlUI::IsRelativePos() const {
  return relativePos.relative;
}

CWideStringUI CControlUI::GetToolTip() const {
  return toolTip;
}

void CControlUI::SetToolTip(const wchar_t* newText) {
  toolTip = newText;
}

wchar_t CControlUI::GetShortcut() const {
  return shortcut;
}

void CControlUI::SetShortcut(wchar_t ch) {
  shortcut = ch;
}

bool CControlUI::IsMenuEnabled() const {
  return menuUsed;
}

void CControlUI::SetMenuEnabled(bool on) {
  menuUsed = on;
}

const CWideStringUI& CControlUI::GetUserData() const {
  return userData;
}

void CControlUI::SetUserData(const wchar_t* newText) {
  userData = newText;
}

UINT_PTR CControlUI::Tag() const {
  return tag;
}

void CControlUI::SetTag(UINT_PTR newTag) {
  tag = newTag;
}

bool CControlUI::IsVisible() const {
  return visible;
}

bool CControlUI::IsInnerVisible() const {
  return innerVisible;
}

void CControlUI::SetVisible(bool show) {
  if (visible == show) return;
  const bool wasVisible = IsVisible();
  visible = show;
  if (focused) focused = false;
  if (!show && manager != nullptr && manager->FocusControl() == this) {
    manager->SetFocusControl(nullptr);
  }
  if (IsVisible() != wasVisible) RequestParentRelayout();
  NotifyAccessibility(show ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE);
}

void CControlUI::SetInnerVisible(bool show) {
  innerVisible = show;
  if (!show && manager != nullptr && manager->FocusControl() == this) {
    manager->SetFocusControl(nullptr);
  }
}

bool CControlUI::IsEnabled() const {
  return enabled;
}

void CControlUI::SetEnabled(bool on) {
  if (enabled == on) return;
  enabled = on;
  Invalidate();
  NotifyAccessibility(EVENT_OBJECT_STATECHANGE);
}

bool CControlUI::IsMouseEnabled() const {
  return mouseEnabled;
}

void CControlUI::SetMouseEnabled(bool on) {
  mouseEnabled = on;
}

bool CControlUI::IsKeyboardEnabled() const {
  return keyboardEnabled;
}

void CControlUI::SetKeyboardEnabled(bool on) {
  keyboardEnabled = on;
}

bool CControlUI::IsFocused() const {
  return focused;
}

void CControlUI::SetFocus() {
  if (manager != nullptr) manager->SetFocusControl(this);
}

bool CControlUI::IsFloat() const {
  return isFloat;
}

void CControlUI::SetFloat(bool on) {
  if (isFloat == on) return;
  isFloat = on;
  RequestParentRelayout();
}

CControlUI* CControlUI::FindInTree(FindControlProc test, LPVOID data, UINT flags) {
  if ((flags & FindVisible) != 0 && !IsVisible()) return nullptr;
  if ((flags & FindEnabled) != 0 && !IsEnabled()) return nullptr;
  if ((flags & FindHitTest) != 0) {
    if (!IsMouseEnabled() || data == nullptr) return nullptr;
    if (!itemRect.Contains(*static_cast<const POINT*>(data))) return nullptr;
  }
  return test != nullptr ? test(this, data) : nullptr;
}

void CControlUI::Initialize() {
  OnInitialize();
  initHooks.Invoke(this);
}

void CControlUI::OnInitialize() {}

SIZE CControlUI::PreferredSize(SIZE /*available*/) {
  return Scale().ToDevice(CSizeUI(fixedWidth, fixedHeight));
}

bool CControlUI::VisibleArea(RECT& area) const {
  area = itemRect;
  for (CControlUI* ancestor = parent; ancestor != nullptr; ancestor = ancestor->GetParent()) {
    if (!IntersectRect(&area, &area, &ancestor->Bounds())) return false;
  }
  return true;
}

void CControlUI::Invalidate() {
  if (!IsVisible() || manager == nullptr) return;
  RECT area;
  if (VisibleArea(area)) manager->InvalidateArea(area);
}

void CControlUI::RequestRelayout() {
  if (!IsVisible()) return;
  updateNeeded = true;
  Invalidate();
  if (manager != nullptr) manager->RequestLayout();
}

void CControlUI::RequestParentRelayout() {
  if (parent != nullptr) {
    parent->RequestRelayout();
    parent->Invalidate();
  } else {
    RequestRelayout();
  }
  if (manager != nullptr) manager->RequestLayout();
}

}  // namespace SkinUI

// What every row shares (repaint area, selection, activation, hot tracking,
// background by state), the drawn row base, the label row and the container
// row. The text row is in list_text_element.cpp.

#include "ui/controls/list/list_rows.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/controls/scroll_bar.h"
#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr wchar_t kElementClassName[] = L"ListElementUI";
constexpr wchar_t kElementInterfaceName[] = L"ListElement";
constexpr wchar_t kLabelClassName[] = L"ListLabelElementUI";
constexpr wchar_t kLabelInterfaceName[] = L"ListLabelElement";
constexpr wchar_t kContainerClassName[] = L"ListContainerElementUI";
constexpr wchar_t kContainerInterfaceName[] = L"ListContainerElement";
constexpr wchar_t kRowInterfaceName[] = L"ListItem";
constexpr wchar_t kOwnerInterfaceName[] = L"IListOwner";
// Added to the item font's height and the item padding.
constexpr int kRowMargin = 8;
// Text is measured in a rectangle this large.
constexpr LONG kMeasureExtent = 9999;

using AttributeValue::Is;

IListOwnerUI* OwnerInterfaceOf(CControlUI* control) {
  if (control == nullptr) return nullptr;
  return static_cast<IListOwnerUI*>(control->InterfaceFor(kOwnerInterfaceName));
}

bool IsShown(const CScrollBarUI* bar) {
  return bar != nullptr && bar->IsVisible();
}

// Draws one of the list's images over the row; one that cannot be drawn is
// emptied for every row of the list.
bool DrawOrDrop(HDC dc, CControlUI& row, CWideStringUI& image) {
  if (image.IsEmpty()) return false;
  if (row.PaintImageSpec(dc, image)) return true;
  image.Empty();
  return false;
}

}  // namespace

namespace ListRow {

// Only what the body shows between its inset and its bars, and every
// ancestor after it, is repainted.
void Invalidate(CControlUI& row) {
  if (!row.IsVisible() || row.GetManager() == nullptr) return;
  CControlUI* parent = row.GetParent();
  auto* container =
      parent != nullptr ? static_cast<CContainerUI*>(parent->InterfaceFor(L"Container")) : nullptr;
  if (container == nullptr) {
    row.Invalidate();
    return;
  }
  const CDpiScaleUI scale = row.Scale();
  const RECT inset = scale.ToDevice(container->GetInset());
  CRectUI shown = container->Bounds();
  shown.left += inset.left;
  shown.top += inset.top;
  shown.right -= inset.right;
  shown.bottom -= inset.bottom;
  if (IsShown(container->VerticalScrollBar())) {
    shown.right -= scale.ToDevice(container->VerticalScrollBar()->GetFixedWidth());
  }
  if (IsShown(container->HorizontalScrollBar())) {
    shown.bottom -= scale.ToDevice(container->HorizontalScrollBar()->GetFixedHeight());
  }
  RECT area = row.Bounds();
  if (!IntersectRect(&area, &area, &shown)) return;
  for (CControlUI* above = container->GetParent(); above != nullptr; above = above->GetParent()) {
    if (!IntersectRect(&area, &area, &above->Bounds())) return;
  }
  row.GetManager()->InvalidateArea(area);
}

// Deselecting does not tell the list: the list deselects rows itself.
bool Select(CControlUI& row, TListRowState& rowState, bool value) {
  if (!row.IsEnabled()) return false;
  if (value == rowState.selected) return true;
  rowState.selected = value;
  if (value && rowState.owner != nullptr) rowState.owner->SelectRow(rowState.index, false);
  Invalidate(row);
  return true;
}

bool Activate(CControlUI& row, bool activated) {
  if (!activated) return false;
  if (row.GetManager() != nullptr) {
    row.GetManager()->SendNotification(&row, NotifyType::kItemActivate);
  }
  return true;
}

void AfterVisibilityChange(CControlUI& row, TListRowState& rowState) {
  if (row.IsVisible() || !rowState.selected) return;
  rowState.selected = false;
  if (rowState.owner != nullptr) rowState.owner->SelectRow(-1, false);
}

bool HandleActivation(CControlUI& row, const TControlEvent& event) {
  const bool activates = event.kind == EventDoubleClick ||
                         (event.kind == EventKeyDown && event.key == VK_RETURN && row.IsEnabled());
  if (!activates) return false;
  if (row.IsEnabled()) {
    row.Activate();
    Invalidate(row);
  }
  return true;
}

bool HandlePointer(CControlUI& row, IListItemUI& item, TListRowState& rowState,
                   const TControlEvent& event) {
  const TPressOutcome outcome = rowState.press.OnPointer(
      event, row.IsEnabled(), true, PressKind::kClickOnPress, PressButtons::kLeftOrRight);
  if (!outcome.taken) return false;
  if (outcome.clicked) {
    if (row.GetManager() != nullptr) {
      row.GetManager()->SendNotification(&row, NotifyType::kItemClick);
    }
    item.Select(true);
    Invalidate(row);
  } else if (outcome.changed && event.kind != EventButtonUp) {
    // Rows show no pushed look: only a change of the hot one repaints.
    Invalidate(row);
  }
  return true;
}

// Later states win: hot over the plain colour, selected over hot, disabled
// over everything. An image that draws ends the background, line included.
void PaintBack(HDC dc, CControlUI& row, const TListRowState& rowState, const RECT& rect) {
  if (rowState.owner == nullptr) return;
  TListStyle& style = *rowState.owner->ListStyle();
  const bool even = rowState.index % 2 == 0;
  const bool hot = rowState.press.IsHot();
  const bool enabled = row.IsEnabled();
  DWORD color = style.alternateBack && !even ? 0 : style.backColor;
  if (hot) color = style.hotBackColor;
  if (rowState.selected) color = style.selectedBackColor;
  if (!enabled) color = style.disabledBackColor;
  if (color != 0) CDrawKit::FillColor(dc, rect, row.AdjustedColor(color));

  if (!enabled && DrawOrDrop(dc, row, style.disabledImage)) return;
  if (rowState.selected && DrawOrDrop(dc, row, style.selectedImage)) return;
  if (hot && DrawOrDrop(dc, row, style.hotImage)) return;
  if (!style.alternateBack || even) row.PaintBackImage(dc);
  if (row.GetBkImage().IsEmpty() && DrawOrDrop(dc, row, style.backImage)) return;
  if (style.lineColor == 0) return;
  const RECT line = {rect.left, rect.bottom - 1, rect.right, rect.bottom - 1};
  CDrawKit::DrawLineSegment(dc, line, 1, row.AdjustedColor(style.lineColor));
}

DWORD TextColor(const TListStyle& style, const TListRowState& rowState, bool enabled) {
  DWORD color = style.textColor;
  if (rowState.press.IsHot()) color = style.hotTextColor;
  if (rowState.selected) color = style.selectedTextColor;
  if (!enabled) color = style.disabledTextColor;
  return color;
}

}  // namespace ListRow

const wchar_t* CListElementUI::ClassName() const {
  return kElementClassName;
}

void* CListElementUI::InterfaceFor(const wchar_t* name) {
  if (Is(name, kRowInterfaceName)) return static_cast<IListItemUI*>(this);
  if (Is(name, kElementInterfaceName)) return this;
  return CControlUI::InterfaceFor(name);
}

bool CListElementUI::Activate() {
  return ListRow::Activate(*this, CControlUI::Activate());
}

void CListElementUI::SetVisible(bool show) {
  CControlUI::SetVisible(show);
  ListRow::AfterVisibilityChange(*this, row);
}

void CListElementUI::SetEnabled(bool on) {
  CControlUI::SetEnabled(on);
  if (!IsEnabled()) row.press.Reset();
}

void CListElementUI::SetOwner(CControlUI* control) {
  row.owner = OwnerInterfaceOf(control);
}

bool CListElementUI::Select(bool value) {
  return ListRow::Select(*this, row, value);
}

bool CListElementUI::IsHot() const {
  return row.press.IsHot();
}

void CListElementUI::SetChecked(bool on) {
  if (!Change(checked, on)) return;
  ListRow::Invalidate(*this);
  NotifyAccessibility(EVENT_OBJECT_STATECHANGE);
}

DWORD CListElementUI::AccessibleRole() const {
  return ROLE_SYSTEM_LISTITEM;
}

DWORD CListElementUI::AccessibleOwnState() const {
  DWORD state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (row.selected) state |= STATE_SYSTEM_SELECTED;
  if (checkable && checked) state |= STATE_SYSTEM_CHECKED;
  return state;
}

CWideStringUI CListElementUI::AccessibleDefaultAction() const {
  return L"Select";
}

bool CListElementUI::DoAccessibleDefaultAction() {
  return SelectForAccessibility();
}

bool CListElementUI::SelectForAccessibility() {
  if (row.owner == nullptr || !IsVisible() || !IsEnabled()) return false;
  return row.owner->SelectRow(row.index, true);
}

// The check sits in the first column when the list has columns.
bool CListElementUI::DescribeAccessiblePart(int part, TAccessiblePartUI& description) const {
  if (part != 1 || !checkable) return false;
  description.role = ROLE_SYSTEM_CHECKBUTTON;
  description.name = const_cast<CListElementUI*>(this)->AccessibleName();
  description.state = (checked ? STATE_SYSTEM_CHECKED : 0) | STATE_SYSTEM_SELECTABLE |
                      (IsEnabled() ? 0 : STATE_SYSTEM_UNAVAILABLE);
  description.defaultAction = checked ? L"Uncheck" : L"Check";
  description.bounds = Bounds();
  if (row.owner != nullptr && row.owner->ListStyle()->columnCount > 0) {
    const RECT& column = row.owner->ListStyle()->columns[0];
    description.bounds.left = std::max(description.bounds.left, column.left);
    description.bounds.right = std::min(description.bounds.right, column.right);
  }
  return true;
}

bool CListElementUI::DoAccessiblePartAction(int part) {
  return part == 1 && ToggleCheck();
}

bool CListElementUI::ToggleCheck() {
  if (!checkable || !IsEnabled() || !IsVisible()) return false;
  SetChecked(!checked);
  if (GetManager() != nullptr) {
    GetManager()->SendNotification(this, NotifyType::kItemCheck, row.index, checked ? 1 : 0);
  }
  return true;
}

void CListElementUI::PassOn(TControlEvent& event) {
  if (row.owner != nullptr) {
    row.owner->HandleEvent(event);
  } else {
    CControlUI::HandleEvent(event);
  }
}

void CListElementUI::HandleEvent(TControlEvent& event) {
  const bool taken = IsMouseEnabled() || !IsMouseEvent(event.kind);
  if (taken && ListRow::HandleActivation(*this, event)) return;
  PassOn(event);
}

void CListElementUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || value == nullptr) return;
  if (Is(name, L"selected")) {
    Select(true);
  } else {
    CControlUI::ApplyAttribute(name, value);
  }
}

const wchar_t* CListLabelElementUI::ClassName() const {
  return kLabelClassName;
}

void* CListLabelElementUI::InterfaceFor(const wchar_t* name) {
  if (Is(name, kLabelInterfaceName)) return this;
  return CListElementUI::InterfaceFor(name);
}

void CListLabelElementUI::HandleEvent(TControlEvent& event) {
  if (!IsMouseEnabled() && IsMouseEvent(event.kind)) {
    PassOn(event);
    return;
  }
  if (ListRow::HandlePointer(*this, *this, row, event)) return;
  CListElementUI::HandleEvent(event);
}

int CListLabelElementUI::RowHeight() const {
  const CDpiScaleUI scale = Scale();
  if (GetFixedHeight() > 0) return scale.ToDevice(GetFixedHeight());
  const TListStyle& style = *row.owner->ListStyle();
  const FontRecord* font =
      GetManager() != nullptr ? GetManager()->Resources().FontInfoAt(style.font) : nullptr;
  const int fontHeight = font != nullptr ? font->metrics.tmHeight : 0;
  const RECT pad = scale.ToDevice(style.textPadding);
  return fontHeight + pad.top + pad.bottom + scale.ToDevice(kRowMargin);
}

SIZE CListLabelElementUI::PreferredSize(SIZE /*available*/) {
  if (row.owner == nullptr) return CSizeUI(0, 0);
  const TListStyle& style = *row.owner->ListStyle();
  CSizeUI size(Scale().ToDevice(GetFixedWidth()), RowHeight());
  if (GetFixedWidth() > 0 || GetManager() == nullptr) return size;
  RECT measured = {0, 0, kMeasureExtent, kMeasureExtent};
  if (!Text().IsEmpty()) {
    const UINT format = (style.textStyle & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT | DT_SINGLELINE;
    if (style.showHtml) {
      int noLinks = 0;
      CDrawKit::DrawMarkupText(GetManager()->PaintDC(), Resources(), measured, Text(), 0, nullptr,
                               nullptr, noLinks, format);
    } else {
      CDrawKit::DrawPlainText(GetManager()->PaintDC(), Resources(), measured, Text(), 0, style.font,
                              format);
    }
  } else {
    measured.right = 0;
  }
  const RECT pad = Scale().ToDevice(style.textPadding);
  size.cx = measured.right - measured.left + pad.left + pad.right;
  return size;
}

void CListLabelElementUI::Paint(HDC dc, const RECT& dirty) {
  if (!BeginPaint(dirty)) return;
  ListRow::PaintBack(dc, *this, row, ItemRect());
  PaintCells(dc, ItemRect());
}

void CListLabelElementUI::PaintCells(HDC dc, const RECT& rect) {
  if (Text().IsEmpty() || row.owner == nullptr) return;
  const TListStyle& style = *row.owner->ListStyle();
  const DWORD color = ListRow::TextColor(style, row, IsEnabled());
  const RECT pad = Scale().ToDevice(style.textPadding);
  RECT area = {rect.left + pad.left, rect.top + pad.top, rect.right - pad.right,
               rect.bottom - pad.bottom};
  const UINT format = style.textStyle | DT_SINGLELINE;
  if (style.showHtml) {
    int noLinks = 0;
    CDrawKit::DrawMarkupText(dc, Resources(), area, Text(), color, nullptr, nullptr, noLinks,
                             format);
  } else {
    CDrawKit::DrawPlainText(dc, Resources(), area, Text(), color, style.font, format);
  }
}

const wchar_t* CListContainerElementUI::ClassName() const {
  return kContainerClassName;
}

void* CListContainerElementUI::InterfaceFor(const wchar_t* name) {
  if (Is(name, kRowInterfaceName)) return static_cast<IListItemUI*>(this);
  if (Is(name, kContainerInterfaceName)) return this;
  return CContainerUI::InterfaceFor(name);
}

bool CListContainerElementUI::Activate() {
  return ListRow::Activate(*this, CContainerUI::Activate());
}

void CListContainerElementUI::SetVisible(bool show) {
  CContainerUI::SetVisible(show);
  ListRow::AfterVisibilityChange(*this, row);
}

void CListContainerElementUI::SetEnabled(bool on) {
  CContainerUI::SetEnabled(on);
  if (!IsEnabled()) row.press.Reset();
}

void CListContainerElementUI::SetOwner(CControlUI* control) {
  row.owner = OwnerInterfaceOf(control);
}

bool CListContainerElementUI::Select(bool value) {
  return ListRow::Select(*this, row, value);
}

void CListContainerElementUI::HandleEvent(TControlEvent& event) {
  const bool mouseNotTaken = !IsMouseEnabled() && IsMouseEvent(event.kind);
  if (!mouseNotTaken && (ListRow::HandleActivation(*this, event) ||
                         ListRow::HandlePointer(*this, *this, row, event))) {
    return;
  }
  if (row.owner != nullptr) {
    row.owner->HandleEvent(event);
  } else if (mouseNotTaken) {
    CContainerUI::HandleEvent(event);
  } else {
    CControlUI::HandleEvent(event);
  }
}

void CListContainerElementUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || value == nullptr) return;
  if (Is(name, L"selected")) {
    Select(true);
  } else {
    CContainerUI::ApplyAttribute(name, value);
  }
}

void CListContainerElementUI::Paint(HDC dc, const RECT& dirty) {
  if (!BeginPaint(dirty)) return;
  ListRow::PaintBack(dc, *this, row, ItemRect());
  CContainerUI::Paint(dc, dirty);
}

}  // namespace SkinUI

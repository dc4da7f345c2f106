// CListUI: its own children (header and body), the row list behind the
// child-list interface, selection, keys and the wheel.

#include "ui/controls/list/list.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/controls/list/list_header.h"
#include "ui/controls/list/list_rows.h"
#include "ui/controls/scroll_bar.h"
#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"ListUI";
constexpr wchar_t kInterfaceName[] = L"List";
constexpr wchar_t kListInterfaceName[] = L"IList";
constexpr wchar_t kOwnerInterfaceName[] = L"IListOwner";
constexpr wchar_t kHeaderInterfaceName[] = L"ListHeader";
constexpr wchar_t kHeaderItemClass[] = L"ListHeaderItemUI";
constexpr wchar_t kRowInterfaceName[] = L"ListItem";
// The wheel turned away from the user (0) or towards the user (1).
constexpr WPARAM kWheelUp = 0;
constexpr WPARAM kWheelDown = 1;

using AttributeValue::Is;

bool IsHeaderItem(CControlUI* control) {
  return wcsstr(control->ClassName(), kHeaderItemClass) != nullptr;
}

IListItemUI* RowOf(CControlUI* control) {
  if (control == nullptr) return nullptr;
  return static_cast<IListItemUI*>(control->InterfaceFor(kRowInterfaceName));
}

}  // namespace

CListUI::CListUI() {
  header = new CListHeaderUI;
  body = new CListBodyUI(this);
  CContainerUI::InsertAt(header, 0);
  CContainerUI::InsertAt(body, 1);
}

// The header and the body (and the rows with it) go with the container.
CListUI::~CListUI() = default;

const wchar_t* CListUI::ClassName() const {
  return kClassName;
}

void* CListUI::InterfaceFor(const wchar_t* name) {
  if (name == nullptr) return nullptr;
  if (Is(name, kInterfaceName)) return this;
  if (Is(name, kListInterfaceName)) return static_cast<IListUI*>(this);
  if (Is(name, kOwnerInterfaceName)) return static_cast<IListOwnerUI*>(this);
  return CVerticalLayoutUI::InterfaceFor(name);
}

UINT CListUI::ControlFlags() const {
  return ControlFlagTabStop;
}

// The header and the body are the list's own children, laid out by the
// vertical layout; the columns then take the header items' places.
void CListUI::SetBounds(const RECT& rect) {
  layingOutColumns = true;
  CVerticalLayoutUI::SetBounds(rect);
  LayOutColumns(rect);
  layingOutColumns = false;
}

CControlUI* CListUI::ChildAt(int index) const {
  return body->ChildAt(index);
}

int CListUI::GetCount() const {
  return body->GetCount();
}

int CListUI::IndexOfChild(CControlUI* control) const {
  if (control != nullptr && IsHeaderItem(control)) return header->IndexOfChild(control);
  return body->IndexOfChild(control);
}

IListItemUI* CListUI::RowAt(int index) const {
  return RowOf(body->ChildAt(index));
}

void CListUI::RenumberRows(int from, int to) {
  for (int i = std::max(from, 0); i <= to && i < GetCount(); ++i) {
    if (IListItemUI* row = RowAt(i)) row->SetRowIndex(i);
  }
}

void CListUI::UpdateColumnCount() {
  listInfo.columnCount = std::min(header->GetCount(), kMaxListColumns);
}

bool CListUI::Add(CControlUI* control) {
  if (control == nullptr) return false;
  if (control->InterfaceFor(kHeaderInterfaceName) != nullptr) return AddHeader(control);
  if (IsHeaderItem(control)) {
    const bool added = header->Add(control);
    UpdateColumnCount();
    return added;
  }
  const int index = GetCount();
  if (!body->InsertRow(control, index)) return false;
  if (IListItemUI* row = RowOf(control)) {
    row->SetOwner(this);
    row->SetRowIndex(index);
  }
  return true;
}

// A header built from markup replaces the list's own header while that one
// is still empty. Handing in the header already in use changes nothing: it
// is a child of the list once only.
bool CListUI::AddHeader(CControlUI* control) {
  if (control == header || !CContainerUI::InsertAt(control, 0)) return false;
  if (header->GetCount() == 0) {
    CListHeaderUI* old = header;
    NoteChildrenChanged();
    items.RemoveAt(items.Find(old));
    header = static_cast<CListHeaderUI*>(control->InterfaceFor(kHeaderInterfaceName));
    if (GetManager() != nullptr) {
      GetManager()->DeleteLater(old);
    } else {
      delete old;
    }
  }
  UpdateColumnCount();
  return true;
}

bool CListUI::InsertAt(CControlUI* control, int index) {
  if (control == nullptr) return false;
  if (control->InterfaceFor(kHeaderInterfaceName) != nullptr) return AddHeader(control);
  if (IsHeaderItem(control)) {
    const bool added = header->InsertAt(control, index);
    UpdateColumnCount();
    return added;
  }
  if (!body->InsertRow(control, index)) return false;
  if (IListItemUI* row = RowOf(control)) {
    row->SetOwner(this);
    row->SetRowIndex(index);
  }
  RenumberRows(index + 1, GetCount() - 1);
  if (currentSelection >= index) ++currentSelection;
  return true;
}

bool CListUI::Remove(CControlUI* control) {
  if (control == nullptr || control == header) return false;
  if (IsHeaderItem(control)) {
    const bool removed = header->Remove(control);
    UpdateColumnCount();
    return removed;
  }
  return RemoveRow(control);
}

// Removing the selected row selects the nearest selectable row before it
// (or the first one after), reported as a selection from none.
bool CListUI::RemoveRow(CControlUI* control) {
  const int index = body->IndexOfChild(control);
  if (index < 0) return false;
  ForgetRow(control);
  if (!body->Remove(control)) return false;
  RenumberRows(index, GetCount() - 1);
  if (index == expandedItem) {
    expandedItem = -1;
  } else if (index < expandedItem) {
    --expandedItem;
  }
  if (index == currentSelection) {
    currentSelection = -1;
    SelectRow(NearestSelectable(index, false), false);
  } else if (index < currentSelection) {
    --currentSelection;
  }
  return true;
}

bool CListUI::RemoveAt(int index) {
  CControlUI* row = ChildAt(index);
  return row != nullptr && Remove(row);
}

void CListUI::RemoveAll() {
  currentSelection = -1;
  expandedItem = -1;
  for (int i = 0; i < GetCount(); ++i) ForgetRow(ChildAt(i));
  body->RemoveAll();
}

// A removed row may live on until the window's next message (a handler of
// its own click may remove it); it must not act on the list with an index
// that now belongs to another row.
void CListUI::ForgetRow(CControlUI* control) {
  IListItemUI* row = RowOf(control);
  if (row == nullptr) return;
  row->SetOwner(nullptr);
  row->SetRowIndex(-1);
}

bool CListUI::MoveChildTo(CControlUI* control, int index) {
  if (control == nullptr) return false;
  if (IsHeaderItem(control)) return header->MoveChildTo(control, index);
  const int from = body->IndexOfChild(control);
  if (from < 0) return false;
  CControlUI* selected = body->ChildAt(currentSelection);
  if (!body->MoveChildTo(control, index)) return false;
  const int to = body->IndexOfChild(control);
  RenumberRows(std::min(from, to), std::max(from, to));
  if (selected != nullptr) currentSelection = body->IndexOfChild(selected);
  return true;
}

bool CListUI::SelectRow(int index, bool takeFocus) {
  if (index == currentSelection) return true;
  const int previous = currentSelection;
  if (currentSelection >= 0) {
    if (IListItemUI* row = RowAt(currentSelection)) row->Select(false);
    currentSelection = -1;
  }
  if (index < 0) return false;
  CControlUI* control = body->ChildAt(index);
  IListItemUI* row = RowOf(control);
  if (row == nullptr || !control->IsVisible() || !control->IsEnabled()) return false;
  currentSelection = index;
  if (!row->Select(true)) {
    currentSelection = -1;
    return false;
  }
  ScrollIntoView(index);
  control->NotifyAccessibility(EVENT_OBJECT_SELECTION);
  if (takeFocus) control->SetFocus();
  if (GetManager() != nullptr)
    GetManager()->SendNotification(this, NotifyType::kItemSelect, index, previous);
  return true;
}

bool CListUI::ExpandRow(int index, bool expand) {
  if (expandedItem >= 0 && !listInfo.multiExpanding) {
    if (IListItemUI* row = RowAt(expandedItem)) row->Expand(false);
    expandedItem = -1;
  }
  if (expand) {
    CControlUI* control = body->ChildAt(index);
    IListItemUI* row = RowOf(control);
    if (row == nullptr || !control->IsVisible()) return false;
    expandedItem = index;
    if (!row->Expand(true)) {
      expandedItem = -1;
      return false;
    }
  }
  RequestRelayout();
  return true;
}

// Only a row reaching out of the visible part of the body is scrolled to,
// by as little as brings it in. A row ending exactly on the area's bottom
// edge is wholly visible and stays where it is. Before the rows have been
// laid out there is nothing to measure: scrolling then would only move the
// list by whatever the bars cut from an empty body.
void CListUI::ScrollIntoView(int index) {
  if (currentSelection < 0) return;
  CControlUI* row = body->ChildAt(index);
  if (row == nullptr) return;
  const CRectUI place = row->Bounds();
  const CRectUI bodyRect = body->Bounds();
  if (place.IsEmpty() || bodyRect.IsEmpty()) return;
  const RECT bodyInset = Scale().ToDevice(body->GetInset());
  long long bottom = static_cast<long long>(bodyRect.bottom) - bodyInset.bottom;
  const CScrollBarUI* bar = body->HorizontalScrollBar();
  if (IsShownBar(bar)) bottom -= Scale().ToDevice(bar->GetFixedHeight());
  const CRectUI area = CRectUI::Clamped(
      bodyRect.left, static_cast<long long>(bodyRect.top) + bodyInset.top, bodyRect.right, bottom);
  if (place.top >= area.top && place.bottom <= area.bottom) return;
  Scroll(0, place.bottom > area.bottom ? place.bottom - area.bottom : place.top - area.top);
}

void CListUI::Scroll(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  const SIZE pos = body->GetScrollPos();
  body->SetScrollPos(CSizeUI(ClampToInt(static_cast<long long>(pos.cx) + dx),
                             ClampToInt(static_cast<long long>(pos.cy) + dy)));
}

void CListUI::HandleEvent(TControlEvent& event) {
  if (!IsMouseEnabled() && IsMouseEvent(event.kind)) {
    if (GetParent() != nullptr) {
      GetParent()->HandleEvent(event);
    } else {
      CVerticalLayoutUI::HandleEvent(event);
    }
    return;
  }
  if (event.kind == EventSetFocus || event.kind == EventKillFocus) {
    StoreFocused(event.kind == EventSetFocus);
    return;
  }
  if (event.kind == EventKeyDown && HandleKey(event)) return;
  if (event.kind == EventScrollWheel && HandleWheel(event)) return;
  CVerticalLayoutUI::HandleEvent(event);
}

// Keys and wheel steps past either end select nothing new: the nearest
// selectable row is searched from a clamped index.
bool CListUI::HandleKey(const TControlEvent& event) {
  switch (event.key) {
    case VK_RETURN:
      if (currentSelection >= 0) {
        if (CControlUI* row = ChildAt(currentSelection)) row->Activate();
      }
      return true;
    case VK_PRIOR:
      SelectRow(NearestSelectable(currentSelection - RowsPerPage(), false), true);
      return true;
    case VK_NEXT:
      SelectRow(PageDownTarget(), true);
      return true;
    case VK_SPACE:
      return ToggleSelectedCheck();
    case VK_END:
      SelectRow(NearestSelectable(GetCount() - 1, true), true);
      return true;
    case VK_HOME:
      SelectRow(NearestSelectable(0, false), true);
      return true;
    case VK_UP:
      SelectRow(NearestSelectable(currentSelection - 1, false), true);
      return true;
    case VK_DOWN:
      SelectRow(NearestSelectable(currentSelection + 1, true), true);
      return true;
    default:
      return false;
  }
}

// One page of rows less one, so that the row left stays in view.
int CListUI::RowsPerPage() const {
  const CControlUI* row = ChildAt(currentSelection >= 0 ? currentSelection : 0);
  const int rowHeight = row != nullptr ? row->GetHeight() : 0;
  if (rowHeight <= 0) return 1;
  return std::max(1, body->GetHeight() / rowHeight - 1);
}

// Past the last selectable row the search goes back to it.
int CListUI::PageDownTarget() {
  if (currentSelection < 0) return NearestSelectable(0, true);
  const int target = std::min(currentSelection + RowsPerPage(), GetCount() - 1);
  const int found = NearestSelectable(target, true);
  return found >= 0 ? found : NearestSelectable(target, false);
}

bool CListUI::ToggleSelectedCheck() {
  CControlUI* row = ChildAt(currentSelection);
  auto* element =
      row != nullptr ? static_cast<CListElementUI*>(row->InterfaceFor(L"ListElement")) : nullptr;
  return element != nullptr && element->ToggleCheck();
}

// The selected row, as far as the row area shows it.
RECT CListUI::FocusIndicatorRect() const {
  const CControlUI* row = ChildAt(currentSelection);
  RECT shown = {};
  if (row == nullptr || !row->IsVisible() ||
      !IntersectRect(&shown, &row->Bounds(), &body->Bounds())) {
    return Bounds();
  }
  return shown;
}

bool CListUI::HandleWheel(const TControlEvent& event) {
  const WPARAM direction = LOWORD(event.wParam);
  if (direction == kWheelUp) {
    if (scrollSelect) {
      SelectRow(NearestSelectable(currentSelection - 1, false), true);
    } else {
      ScrollLineUp();
    }
    return true;
  }
  if (direction == kWheelDown) {
    if (scrollSelect) {
      SelectRow(NearestSelectable(currentSelection + 1, true), true);
    } else {
      ScrollLineDown();
    }
    return true;
  }
  return false;
}

DWORD CListUI::AccessibleRole() const {
  return ROLE_SYSTEM_LIST;
}

}  // namespace SkinUI

// CListTextElementUI: one text per column, asked of the list's callback, and
// the links of markup cells.

#include <algorithm>
#include <cwchar>

#include "ui/controls/list/list_rows.h"
#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"ListTextElementUI";
constexpr wchar_t kInterfaceName[] = L"ListTextElement";
constexpr wchar_t kListInterfaceName[] = L"IList";

}  // namespace

const wchar_t* CListTextElementUI::ClassName() const {
  return kClassName;
}

void* CListTextElementUI::InterfaceFor(const wchar_t* name) {
  if (name != nullptr && wcscmp(name, kInterfaceName) == 0) return this;
  return CListLabelElementUI::InterfaceFor(name);
}

UINT CListTextElementUI::ControlFlags() const {
  return IsEnabled() && linkCount > 0 ? ControlFlagSetCursor : 0;
}

void CListTextElementUI::SetOwner(CControlUI* control) {
  CListLabelElementUI::SetOwner(control);
  list = control != nullptr ? static_cast<IListUI*>(control->InterfaceFor(kListInterfaceName))
                            : nullptr;
}

SIZE CListTextElementUI::PreferredSize(SIZE available) {
  if (list == nullptr || row.owner == nullptr) return CControlUI::PreferredSize(available);
  return CSizeUI(Scale().ToDevice(GetFixedWidth()), RowHeight());
}

int CListTextElementUI::LinkAt(POINT point) const {
  for (int i = 0; i < linkCount; ++i) {
    if (PtInRect(&linkRects[i], point)) return i;
  }
  return -1;
}

void CListTextElementUI::HandleEvent(TControlEvent& event) {
  if (!IsMouseEnabled() && IsMouseEvent(event.kind)) {
    if (list != nullptr) {
      list->HandleEvent(event);
    } else {
      CListLabelElementUI::HandleEvent(event);
    }
    return;
  }
  if (HandleLinkEvent(event)) return;
  CListLabelElementUI::HandleEvent(event);
}

// Moves and leaves only update the hot link and go on to the row's own
// hot tracking.
bool CListTextElementUI::HandleLinkEvent(const TControlEvent& event) {
  const int link = LinkAt(event.point);
  switch (event.kind) {
    case EventSetCursor:
      if (link < 0) return false;
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return true;
    case EventButtonUp:
      if (!IsEnabled() || link < 0) return false;
      if (GetManager() != nullptr) GetManager()->SendNotification(this, NotifyType::kLink, link);
      return true;
    case EventMouseMove:
      if (linkCount > 0 && link != hotLink) {
        ListRow::Invalidate(*this);
        hotLink = link;
      }
      return false;
    case EventMouseLeave:
      if (linkCount > 0 && hotLink != -1) {
        ListRow::Invalidate(*this);
        hotLink = -1;
      }
      return false;
    default:
      return false;
  }
}

// The callback is asked only about a row the list really holds at that
// index, so that a stale or forged index never reaches the application's
// row table.
const wchar_t* CListTextElementUI::CellText(int column) {
  IListCallbackUI* source = list->CellTextSource();
  if (source == nullptr) return GetText(column);
  CListBodyUI* body = list->Body();
  if (body == nullptr || row.index < 0 || body->ChildAt(row.index) != this) return nullptr;
  return source->CellText(this, row.index, column);
}

// Markup cells write their links into the row's table from the links found
// so far on, and may use only the slots that are left.
void CListTextElementUI::PaintCells(HDC dc, const RECT& rect) {
  if (list == nullptr || row.owner == nullptr) return;
  const TListStyle& style = *row.owner->ListStyle();
  const DWORD color = ListRow::TextColor(style, row, IsEnabled());
  const UINT format = style.textStyle | DT_SINGLELINE;
  linkCount = 0;
  const int columns = std::clamp(style.columnCount, 0, kMaxListColumns);
  const RECT pad = Scale().ToDevice(style.textPadding);
  for (int i = 0; i < columns; ++i) {
    const RECT& column = style.columns[i];
    const RECT cell = {column.left + pad.left, rect.top + pad.top, column.right - pad.right,
                       rect.bottom - pad.bottom};
    const wchar_t* cellText = CellText(i);
    if (cellText == nullptr || *cellText == 0) continue;
    if (!style.showHtml) {
      RECT area = cell;
      CDrawKit::DrawPlainText(dc, Resources(), area, cellText, color, style.font, format);
      continue;
    }
    PaintCell(dc, cell, cellText, color, format);
  }
  for (int i = linkCount; i < kMaxLinks; ++i) {
    linkRects[i] = RECT{};
    linkTargets[i].Empty();
  }
}

void CListTextElementUI::PaintCell(HDC dc, RECT cell, const wchar_t* cellText, DWORD color,
                                   UINT format) {
  int room = kMaxLinks - linkCount;
  RECT* rects = room > 0 ? linkRects + linkCount : nullptr;
  CWideStringUI* targets = room > 0 ? linkTargets + linkCount : nullptr;
  if (room <= 0) room = 0;
  CDrawKit::DrawMarkupText(dc, Resources(), cell, cellText, color, rects, targets, room, format,
                           LastMousePos());
  linkCount += std::clamp(room, 0, kMaxLinks - linkCount);
}

const wchar_t* CListTextElementUI::GetText(int column) const {
  if (column < 0 || column >= static_cast<int>(texts.size()) || !texts[column]) return nullptr;
  return texts[column]->GetData();
}

void CListTextElementUI::SetText(int column, const wchar_t* newText) {
  if (list == nullptr || row.owner == nullptr) return;
  const int columns = std::clamp(row.owner->ListStyle()->columnCount, 0, kMaxListColumns);
  if (column < 0 || column >= columns) return;
  if (static_cast<int>(texts.size()) < columns) texts.resize(columns);
  std::unique_ptr<CWideStringUI>& slot = texts[column];
  if (newText == nullptr && !slot) return;
  if (newText != nullptr && slot && *slot == newText) return;
  slot = newText != nullptr ? std::make_unique<CWideStringUI>(newText) : nullptr;
  ListRow::Invalidate(*this);
}

CWideStringUI CListTextElementUI::PlainCell(int column) {
  const wchar_t* cell = CellText(column);
  const bool markup = row.owner != nullptr && row.owner->ListStyle()->showHtml;
  return PlainText(cell != nullptr ? cell : L"", markup);
}

CWideStringUI CListTextElementUI::AccessibleName() {
  CWideStringUI name = CListLabelElementUI::AccessibleName();
  if (!name.IsEmpty() || list == nullptr || row.owner == nullptr) return name;
  const int columns = std::clamp(row.owner->ListStyle()->columnCount, 0, kMaxListColumns);
  for (int i = 0; i < columns && name.IsEmpty(); ++i) name = PlainCell(i);
  return name;
}

CWideStringUI CListTextElementUI::AccessibleDescription() {
  CWideStringUI description = CListLabelElementUI::AccessibleDescription();
  if (!description.IsEmpty() || list == nullptr || row.owner == nullptr) return description;
  const CWideStringUI name = AccessibleName();
  const int columns = std::clamp(row.owner->ListStyle()->columnCount, 0, kMaxListColumns);
  for (int i = 0; i < columns; ++i) {
    const CWideStringUI cell = PlainCell(i);
    if (cell.IsEmpty() || cell == name) continue;
    if (!description.IsEmpty()) description += L", ";
    description += cell;
  }
  return description;
}

}  // namespace SkinUI

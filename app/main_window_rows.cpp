// CZizuVerUI: the update list's rows, their check marks, and the
// description of the selected row.

#include "app/main_window.h"
#include "ui/controls/list/list_rows.h"

namespace {

// Only a click this far into the row, in its check column, toggles it.
constexpr int kCheckColumnRight = 17;
constexpr int kCheckColumnTopMargin = 2;

}  // namespace

void CZizuVerUI::FillUpdateList() {
  controls_.list->RemoveAll();
  rows_.clear();
  std::vector<UpdateEntry> entries;
  agent_.CollectUpdates(entries);
  for (const UpdateEntry& entry : entries) AddRow(MakeUpdateRow(entry));
  controls_.list->SelectRow(0, true);
}

// Checked rows go first, so they end up in the reverse of the agent's order.
// A title cut to its cell shows whole in the row's tooltip.
void CZizuVerUI::AddRow(UpdateRow row) {
  auto* element = new SkinUI::CListTextElementUI;
  element->SetToolTip(row.title.c_str());
  element->SetCheckable();
  element->SetChecked(row.checked);
  if (row.checked) {
    rows_.insert(rows_.begin(), std::move(row));
    controls_.list->InsertAt(element, 0);
  } else {
    rows_.push_back(std::move(row));
    controls_.list->Add(element);
  }
}

// The option reports the click before it flips its own state.
void CZizuVerUI::ToggleAllRows() {
  const bool checked = !controls_.checkAll->IsSelected();
  const int count = controls_.list->GetCount();
  for (int i = 0; i < count && HasRow(i); ++i) SetRowCheck(i, checked);
}

void CZizuVerUI::SetRowCheck(int index, bool checked) {
  rows_[index].checked = checked;
  rows_[index].checkCell = CheckCell(checked);
  SkinUI::CControlUI* row = controls_.list->ChildAt(index);
  if (row == nullptr) return;
  auto* element = static_cast<SkinUI::CListElementUI*>(row->InterfaceFor(L"ListElement"));
  if (element != nullptr) element->SetChecked(checked);
  row->Invalidate();
}

// Check_All is selected exactly while every row is checked.
void CZizuVerUI::FollowRowChecks() {
  bool allChecked = true;
  for (const UpdateRow& row : rows_) allChecked &= row.checked;
  controls_.checkAll->SetSelected(allChecked);
}

// Space on the selected row, or a screen reader's toggle, flipped the row's
// own check: the row list and the check cell follow it.
void CZizuVerUI::ToggleRowFromCheck(const SkinUI::TNotifyMsg& msg) {
  const int index = static_cast<int>(msg.wParam);
  if (!HasRow(index) || index >= controls_.list->GetCount()) return;
  SetRowCheck(index, msg.lParam != 0);
  FollowRowChecks();
}

void CZizuVerUI::ToggleRowOnClick(const SkinUI::TNotifyMsg& msg) {
  auto* item = msg.sender != nullptr
                   ? static_cast<SkinUI::IListItemUI*>(msg.sender->InterfaceFor(L"ListItem"))
                   : nullptr;
  if (item == nullptr) return;
  const int index = item->RowIndex();
  // The row and the point are in the window's pixels, the skin's numbers logical.
  const SkinUI::CDpiScaleUI scale = msg.sender->Scale();
  const RECT bounds = msg.sender->Bounds();
  const RECT padding = scale.ToDevice(msg.sender->GetPadding());
  int heights = 0;
  for (int i = 0; i <= index && i < controls_.list->GetCount(); ++i) {
    heights += controls_.list->ChildAt(i)->GetHeight();
  }
  const POINT point = msg.point;
  const bool inCheckColumn =
      point.x >= bounds.left + padding.left &&
      point.x <= bounds.left + scale.ToDevice(kCheckColumnRight) &&
      point.y >= bounds.top + padding.top + scale.ToDevice(kCheckColumnTopMargin) &&
      point.y <= bounds.top + heights - padding.bottom;
  if (inCheckColumn && HasRow(index)) SetRowCheck(index, !rows_[index].checked);
  FollowRowChecks();
}

// The message text is plain text: it shows the title and date as the agent
// gave them, not their escaped cells.
void CZizuVerUI::ShowDescription() {
  const int index = controls_.list->CurrentSelection();
  if (!HasRow(index)) return;
  const UpdateRow& row = rows_[index];
  // A title longer than the line is cut there, so that the date and the
  // description still show below it.
  const std::wstring titleLine = MessageFit()(L"Title: " + row.title);
  SkinUI::CWideStringUI text;
  text.Format(L"%s\r\nDate: %s\r\nDescription: %s", titleLine.c_str(), row.date.c_str(),
              row.description.c_str());
  controls_.message->SetText(text);
  controls_.message->SetToolTip(row.description.c_str());
}

const wchar_t* CZizuVerUI::CellText(SkinUI::CControlUI* /*row*/, int rowIndex, int column) {
  if (!HasRow(rowIndex)) return L"";
  const UpdateRow& row = rows_[rowIndex];
  switch (column) {
    case 0:
      return row.checkCell.c_str();
    case 1:
      return row.titleCell.c_str();
    case 2:
      return row.dateCell.c_str();
    case 3:
      return row.sizeCell.c_str();
    default:
      return L"";
  }
}

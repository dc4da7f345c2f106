#pragma once
// The rows of a list. Every row implements IListItemUI, through which the
// list numbers, owns, selects and draws it. Drawn rows (CListElementUI and
// below) paint their background by state from the list's TListStyle and then
// their cells; a text row asks the list's IListCallbackUI for every cell and
// keeps the links of markup cells. A container row holds other controls.
// Rows hand every event they do not consume to the list.

#include <memory>
#include <vector>

#include "ui/controls/container.h"
#include "ui/controls/list/list.h"
#include "ui/controls/press_behavior.h"

namespace SkinUI {

class IListItemUI {
 public:
  virtual int RowIndex() const = 0;
  virtual void SetRowIndex(int index) = 0;
  virtual IListOwnerUI* Owner() const = 0;
  // The owner is the control's "IListOwner" interface.
  virtual void SetOwner(CControlUI* control) = 0;
  virtual bool IsSelected() const = 0;
  // False for a disabled row; selecting tells the owner.
  virtual bool Select(bool select = true) = 0;
  virtual bool IsExpanded() const = 0;
  virtual bool Expand(bool expand = true) = 0;
  virtual void PaintCells(HDC dc, const RECT& rect) = 0;

 protected:
  ~IListItemUI() = default;
};

// What drawn rows and container rows keep alike.
struct TListRowState {
  // Position among the list's rows, set by the list.
  int index = -1;
  bool selected = false;
  // Hot tracking and clicks; only the hot look shows.
  CPressBehaviorUI press;
  IListOwnerUI* owner = nullptr;
};

// Behaviour shared by every row class.
namespace ListRow {
// Repaints the part of the row that its container and every ancestor show.
void Invalidate(CControlUI& row);
bool Select(CControlUI& row, TListRowState& rowState, bool value);
// Sends "itemactivate" when the base activation succeeded.
bool Activate(CControlUI& row, bool activated);
// A selected row that is hidden gives up the list's selection.
void AfterVisibilityChange(CControlUI& row, TListRowState& rowState);
// Double-click and Enter activate an enabled row; true when consumed.
bool HandleActivation(CControlUI& row, const TControlEvent& event);
// Hot tracking, and "itemclick" then selection on either button; true when
// consumed.
bool HandlePointer(CControlUI& row, IListItemUI& item, TListRowState& rowState,
                   const TControlEvent& event);
// The background by state, the list's images and the separator line; the
// row's own background image is dropped when it cannot be drawn.
void PaintBack(HDC dc, CControlUI& row, const TListRowState& rowState, const RECT& rect);
DWORD TextColor(const TListStyle& style, const TListRowState& rowState, bool enabled);
}  // namespace ListRow

// The base of the drawn rows: selection, activation and the row background.
class CListElementUI : public CControlUI, public IListItemUI {
 public:
  const wchar_t* ClassName() const override;
  // "ListItem" gives the row interface, "ListElement" the row.
  void* InterfaceFor(const wchar_t* name) override;
  bool Activate() override;
  void SetVisible(bool visible = true) override;
  // Disabling clears the state word.
  void SetEnabled(bool enabled = true) override;
  void HandleEvent(TControlEvent& event) override;
  // "selected" selects the row whatever its value.
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

  int RowIndex() const override { return row.index; }
  void SetRowIndex(int index) override { row.index = index; }
  IListOwnerUI* Owner() const override { return row.owner; }
  void SetOwner(CControlUI* control) override;
  bool IsSelected() const override { return row.selected; }
  bool Select(bool select = true) override;
  bool IsExpanded() const override { return false; }
  bool Expand(bool /*expand*/ = true) override { return false; }

  DWORD AccessibleRole() const override;
  DWORD AccessibleOwnState() const override;
  CWideStringUI AccessibleDefaultAction() const override;
  // Selects the row and gives it the focus.
  bool DoAccessibleDefaultAction() override;
  bool SelectForAccessibility() override;
  // A checkable row's check is part 1.
  int AccessiblePartCount() const override { return checkable ? 1 : 0; }
  bool DescribeAccessiblePart(int part, TAccessiblePartUI& description) const override;
  bool DoAccessiblePartAction(int part) override;

  bool IsHot() const;

  // A row may carry a check that the user toggles with Space (or a screen
  // reader through its default action); how it looks is up to its cells.
  bool IsCheckable() const { return checkable; }
  void SetCheckable(bool on = true) { checkable = on; }
  bool IsChecked() const { return checked; }
  // The application's own change: nothing is sent.
  void SetChecked(bool on);
  // The user's toggle: flips the check and sends "itemcheck". False for a
  // row without a check, or one that is disabled or hidden.
  bool ToggleCheck();

 protected:
  // Events the row does not consume go to the list, or without one to the
  // control base.
  void PassOn(TControlEvent& event);

  TListRowState row;

 private:
  bool checkable = false;
  bool checked = false;
};

// One text across the row, with hot tracking and clicks.
class CListLabelElementUI : public CListElementUI {
 public:
  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  void HandleEvent(TControlEvent& event) override;
  // The fixed height, or the item font plus the item padding and a margin;
  // the fixed width, or the text measured on one line plus the padding.
  SIZE PreferredSize(SIZE available) override;
  // The background by state, then the cells.
  void Paint(HDC dc, const RECT& dirty) override;
  void PaintCells(HDC dc, const RECT& rect) override;

 protected:
  // The item font's height plus the item padding and a margin.
  int RowHeight() const;
};

// One text per column, from the list's callback or from the texts stored in
// the row; markup cells share the row's eight link slots.
class CListTextElementUI : public CListLabelElementUI {
 public:
  static constexpr int kMaxLinks = 8;

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  // Sets the cursor itself while enabled and it has links.
  UINT ControlFlags() const override;
  void HandleEvent(TControlEvent& event) override;
  // The fixed width (the body widens the row to the header) by the row height.
  SIZE PreferredSize(SIZE available) override;
  // Also keeps the control's "IList" interface.
  void SetOwner(CControlUI* control) override;
  void PaintCells(HDC dc, const RECT& rect) override;
  // Without a name of its own, the first cell with text (markup read as
  // plain text); the description joins the other cells that have text.
  CWideStringUI AccessibleName() override;
  CWideStringUI AccessibleDescription() override;

  // The stored text of a column, or null.
  const wchar_t* GetText(int column) const;
  // Needs a list; columns outside the list's columns are ignored.
  void SetText(int column, const wchar_t* text);
  using CListLabelElementUI::GetText;
  using CListLabelElementUI::SetText;

  // The links laid out by the last paint.
  int LinkCount() const { return linkCount; }
  const RECT* LinkRects() const { return linkRects; }
  const CWideStringUI* LinkTargets() const { return linkTargets; }
  int HotLink() const { return hotLink; }

 private:
  int LinkAt(POINT point) const;
  // Consumes the event when it belongs to a link.
  bool HandleLinkEvent(const TControlEvent& event);
  // The callback's text for a cell that the row really holds, else the
  // stored text.
  const wchar_t* CellText(int column);
  CWideStringUI PlainCell(int column);
  void PaintCell(HDC dc, RECT cell, const wchar_t* text, DWORD color, UINT style);

  IListUI* list = nullptr;
  std::vector<std::unique_ptr<CWideStringUI>> texts;
  int linkCount = 0;
  int hotLink = -1;
  RECT linkRects[kMaxLinks] = {};
  // Kept last: nothing of this class lies behind the link table.
  CWideStringUI linkTargets[kMaxLinks];
};

// A row that is itself a container of other controls.
class CListContainerElementUI : public CContainerUI, public IListItemUI {
 public:
  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  UINT ControlFlags() const override { return 0; }
  bool Activate() override;
  void SetVisible(bool visible = true) override;
  void SetEnabled(bool enabled = true) override;
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  // The background by state, then the children.
  void Paint(HDC dc, const RECT& dirty) override;

  int RowIndex() const override { return row.index; }
  void SetRowIndex(int index) override { row.index = index; }
  IListOwnerUI* Owner() const override { return row.owner; }
  void SetOwner(CControlUI* control) override;
  bool IsSelected() const override { return row.selected; }
  bool Select(bool select = true) override;
  bool IsExpanded() const override { return false; }
  bool Expand(bool /*expand*/ = true) override { return false; }
  void PaintCells(HDC /*dc*/, const RECT& /*rect*/) override {}

 private:
  TListRowState row;
};

}  // namespace SkinUI

#pragma once
// The multi-column list: a header whose items define the columns, and a body
// that holds the rows and owns the scroll bars. The list keeps the selection,
// moves it with the keyboard and the wheel, reports "itemselect", and hands
// every scrolling request to the body. The rows take their look from one
// shared TListStyle and talk to the list through IListOwnerUI / IListUI.
//
// The child-list interface of the list answers its rows (adding a row adds
// it to the body); the header and the body are the list's own children and
// are laid out, painted and searched by the list itself.

#include "ui/controls/box_layout.h"

namespace SkinUI {

class CListBodyUI;
class CListHeaderUI;
class CListUI;
class IListItemUI;

constexpr int kMaxListColumns = 32;

// Column rectangles and the look of every row of one list.
struct TListStyle {
  // min(header item count, kMaxListColumns), and the items' rectangles.
  int columnCount = 0;
  RECT columns[kMaxListColumns] = {};
  int font = -1;
  UINT textStyle = DT_VCENTER;
  CRectUI textPadding;
  DWORD textColor = 0xFF000000;
  DWORD backColor = 0;
  CWideStringUI backImage;
  // Only rows with an even index get the background colour and image.
  bool alternateBack = false;
  DWORD selectedTextColor = 0xFF000000;
  DWORD selectedBackColor = 0xFFC1E3FF;
  CWideStringUI selectedImage;
  DWORD hotTextColor = 0xFF000000;
  DWORD hotBackColor = 0xFFE9F5FF;
  CWideStringUI hotImage;
  DWORD disabledTextColor = 0xFFCCCCCC;
  DWORD disabledBackColor = 0xFFFFFFFF;
  CWideStringUI disabledImage;
  // 0 = no separator line under the rows.
  DWORD lineColor = 0;
  bool showHtml = false;
  bool multiExpanding = false;
};

// Implemented by the application: the text of every cell.
class IListCallbackUI {
 public:
  // row is the row asking; a null result draws nothing.
  virtual const wchar_t* CellText(CControlUI* row, int rowIndex, int column) = 0;

 protected:
  ~IListCallbackUI() = default;
};

// What a row sees of the list that owns it.
class IListOwnerUI {
 public:
  virtual TListStyle* ListStyle() = 0;
  // -1 when no row is selected.
  virtual int CurrentSelection() const = 0;
  virtual bool SelectRow(int index, bool takeFocus = false) = 0;
  // Rows hand every event they do not consume to the list.
  virtual void HandleEvent(TControlEvent& event) = 0;

 protected:
  ~IListOwnerUI() = default;
};

// What a list-aware row or the application sees of the list.
class IListUI : public IListOwnerUI {
 public:
  virtual CListHeaderUI* Header() const = 0;
  virtual CListBodyUI* Body() const = 0;
  virtual IListCallbackUI* CellTextSource() const = 0;
  virtual void SetCellTextSource(IListCallbackUI* source) = 0;
  // None of the row classes can expand, so expanding always fails.
  virtual bool ExpandRow(int index, bool expand = true) = 0;
  virtual int ExpandedRow() const = 0;

 protected:
  ~IListUI() = default;
};

// The row area: a vertical layout whose rows are as wide as the header, with
// the list's scroll bars. Horizontal scrolling moves the header with it.
class CListBodyUI : public CVerticalLayoutUI {
 public:
  explicit CListBodyUI(CListUI* list) : owner(list) {}

  void SetBounds(const RECT& rect) override;
  void HandleEvent(TControlEvent& event) override;
  void SetScrollPos(SIZE pos) override;
  // Readers see the rows as the list's own.
  bool IsAccessibleLevel() const override { return false; }
  // The container's insertion, but a new layout is asked for only when none
  // is pending yet.
  bool InsertRow(CControlUI* control, int index);

 private:
  // Shows, sizes or hides the horizontal bar for the width the rows need;
  // rc loses or gains the bar's height.
  void UpdateHorizontalBar(CRectUI& rc, int neededWidth);
  int HorizontalPos() const;

  CListUI* owner;
};

class CListUI : public CVerticalLayoutUI, public IListUI {
 public:
  CListUI();
  ~CListUI() override;

  const wchar_t* ClassName() const override;
  // "List", "IList", "IListOwner", then the vertical layout's names.
  void* InterfaceFor(const wchar_t* name) override;
  UINT ControlFlags() const override;
  // Places the header and the body, then copies the header items into the
  // column rectangles.
  void SetBounds(const RECT& rect) override;
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  // The selected row while there is one.
  RECT FocusIndicatorRect() const override;
  DWORD AccessibleRole() const override;

  // The rows behind the child-list interface; header items go to the header.
  CControlUI* ChildAt(int index) const override;
  int IndexOfChild(CControlUI* control) const override;
  bool MoveChildTo(CControlUI* control, int index) override;
  int GetCount() const override;
  bool Add(CControlUI* control) override;
  bool InsertAt(CControlUI* control, int index) override;
  // The header itself is never removed: the list keeps using it.
  bool Remove(CControlUI* control) override;
  bool RemoveAt(int index) override;
  void RemoveAll() override;

  TListStyle* ListStyle() override { return &listInfo; }
  int CurrentSelection() const override { return currentSelection; }
  // Selects the row, brings it into view and sends "itemselect"; a negative
  // index only deselects. False for a missing, hidden or disabled row.
  bool SelectRow(int index, bool takeFocus = false) override;
  CListHeaderUI* Header() const override { return header; }
  CListBodyUI* Body() const override { return body; }
  IListCallbackUI* CellTextSource() const override { return textCallback; }
  void SetCellTextSource(IListCallbackUI* source) override { textCallback = source; }
  bool ExpandRow(int index, bool expand = true) override;
  int ExpandedRow() const override { return expandedItem; }

  void ScrollIntoView(int index);
  void Scroll(int dx, int dy);
  bool IsScrollSelect() const { return scrollSelect; }
  void SetScrollSelect(bool on) { scrollSelect = on; }
  void SetItemShowHtml(bool on);
  void SetItemTextPadding(const RECT& padding);
  // The header was laid out on its own: the columns take its items' places.
  void FollowHeader();

  int GetChildPadding() const override;
  void SetChildPadding(int padding) override;
  SIZE GetScrollPos() const override;
  SIZE GetScrollRange() const override;
  void SetScrollPos(SIZE pos) override;
  void ScrollLineUp() override;
  void ScrollLineDown() override;
  void ScrollPageUp() override;
  void ScrollPageDown() override;
  void ScrollToTop() override;
  void ScrollToBottom() override;
  void ScrollLineLeft() override;
  void ScrollLineRight() override;
  void ScrollPageLeft() override;
  void ScrollPageRight() override;
  void ScrollToLeftEdge() override;
  void ScrollToRightEdge() override;
  void ShowScrollBars(bool vertical, bool horizontal) override;
  CScrollBarUI* VerticalScrollBar() const override;
  CScrollBarUI* HorizontalScrollBar() const override;

 private:
  friend class CListBodyUI;

  bool AddHeader(CControlUI* control);
  // The row interface of body child index, or null.
  IListItemUI* RowAt(int index) const;
  void RenumberRows(int from, int to);
  bool RemoveRow(CControlUI* control);
  // Cuts a row that leaves the list off from it.
  void ForgetRow(CControlUI* control);
  // Up, Down, Home, End and the page keys move the selection; Space toggles
  // the check of the selected row; Enter activates it.
  bool HandleKey(const TControlEvent& event);
  int RowsPerPage() const;
  int PageDownTarget();
  bool ToggleSelectedCheck();
  bool HandleWheel(const TControlEvent& event);
  bool ApplyItemAttribute(const wchar_t* name, const wchar_t* value);
  void LayOutColumns(const RECT& rect);
  // The body scrolled horizontally by dx: the header items follow.
  void ShiftColumns(int dx);
  // Moves the first column count header items left by shift and copies
  // their places into the columns.
  void PlaceColumns(int shift);
  // Header items of a hidden header count as visible while shown is true.
  void ShowHiddenHeaderItems(bool shown);
  void UpdateColumnCount();

  bool scrollSelect = false;
  int currentSelection = -1;
  int expandedItem = -1;
  IListCallbackUI* textCallback = nullptr;
  CListBodyUI* body = nullptr;
  CListHeaderUI* header = nullptr;
  TListStyle listInfo;
  // Set while SetBounds places the columns itself.
  bool layingOutColumns = false;
};

}  // namespace SkinUI

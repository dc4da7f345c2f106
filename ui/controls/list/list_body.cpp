// CListBodyUI: rows as wide as the header, the horizontal bar kept by the
// body, and scrolling that moves the header with the rows. Also the list's
// column rectangles, which follow the header items.

#include <algorithm>

#include "ui/controls/list/list.h"
#include "ui/controls/list/list_header.h"
#include "ui/controls/scroll_bar.h"

namespace SkinUI {

int CListBodyUI::HorizontalPos() const {
  return GetScrollPos().cx;
}

// The vertical layout of the rows, except that the rows are as wide as the
// header needs (or the body, when wider), and the horizontal bar is shown
// with the range the header's overflow gives it. The bar is settled before
// the rows are placed, so that they are placed once at the final width.
void CListBodyUI::SetBounds(const RECT& rect) {
  CControlUI::SetBounds(rect);
  CRectUI rc = WithoutBars(InnerRect());

  CListHeaderUI* header = owner != nullptr ? owner->Header() : nullptr;
  int neededWidth = 0;
  if (header != nullptr && header->GetCount() > 0) {
    neededWidth = std::max<int>(0, header->PreferredSize(CSizeUI(rc.GetWidth(), 0)).cx);
  }
  const int scrolledBefore = HorizontalPos();
  UpdateHorizontalBar(rc, neededWidth);
  // A shorter range pulled the position back: the header follows.
  if (HorizontalPos() != scrolledBefore && owner != nullptr) {
    owner->ShiftColumns(HorizontalPos() - scrolledBefore);
  }
  UpdateScrollBars(rc, 0, PlaceChildren(rc, neededWidth));
}

void CListBodyUI::UpdateHorizontalBar(CRectUI& rc, int neededWidth) {
  CScrollBarUI* bar = horizontalScrollBar.get();
  if (bar == nullptr) return;
  const int overflow = neededWidth - rc.GetWidth();
  if (overflow > 0) {
    bar->SetScrollRange(overflow);
    if (bar->IsVisible()) return;
    bar->SetVisible(true);
    bar->SetScrollPos(0);
    rc.bottom = ClampCoordinate(static_cast<long long>(rc.bottom) - DeviceBarHeight(bar));
    return;
  }
  if (!bar->IsVisible()) return;
  bar->SetVisible(false);
  bar->SetScrollRange(0);
  bar->SetScrollPos(0);
  rc.bottom = ClampCoordinate(static_cast<long long>(rc.bottom) + DeviceBarHeight(bar));
}

// Lists are filled with thousands of rows at a time, and every request is a
// round trip to the window system; until the next layout the body's area is
// invalid and the layout asked for already.
bool CListBodyUI::InsertRow(CControlUI* control, int index) {
  if (control == nullptr || !LinkChild(*control, this)) return false;
  if (GetManager() != nullptr) GetManager()->BindControlTree(control, this);
  if (!IsVisible()) {
    control->SetInnerVisible(false);
  } else if (!IsRelayoutPending()) {
    RequestRelayout();
  }
  NoteChildrenChanged();
  return items.InsertAt(index, control);
}

void CListBodyUI::HandleEvent(TControlEvent& event) {
  if (owner != nullptr) {
    owner->HandleEvent(event);
  } else {
    CVerticalLayoutUI::HandleEvent(event);
  }
}

void CListBodyUI::SetScrollPos(SIZE pos) {
  const int before = HorizontalPos();
  CVerticalLayoutUI::SetScrollPos(pos);
  const int dx = HorizontalPos() - before;
  if (dx != 0 && owner != nullptr) owner->ShiftColumns(dx);
}

void CListUI::ShowHiddenHeaderItems(bool shown) {
  if (header->IsVisible()) return;
  for (int i = 0; i < header->GetCount(); ++i) {
    auto* item =
        static_cast<CListHeaderItemUI*>(header->ChildAt(i)->InterfaceFor(L"ListHeaderItem"));
    if (item != nullptr) item->SetShownForLayout(shown);
  }
}

// A hidden header is still laid out, on a line of no height, so that the
// columns keep their widths.
void CListUI::LayOutColumns(const RECT& rect) {
  if (!header->IsVisible()) {
    ShowHiddenHeaderItems(true);
    header->SetBounds(CRectUI(rect.left, 0, rect.right, 0));
    ShowHiddenHeaderItems(false);
  }
  PlaceColumns(std::max<int>(0, body->GetScrollPos().cx));
}

void CListUI::ShiftColumns(int dx) {
  // SetBounds places the columns from a fresh header layout itself.
  if (layingOutColumns || dx == 0) return;
  PlaceColumns(dx);
}

void CListUI::FollowHeader() {
  if (layingOutColumns) return;
  PlaceColumns(std::max<int>(0, body->GetScrollPos().cx));
}

void CListUI::PlaceColumns(int shift) {
  UpdateColumnCount();
  ShowHiddenHeaderItems(true);
  for (int i = 0; i < listInfo.columnCount; ++i) {
    CControlUI* item = header->ChildAt(i);
    if (!item->IsVisible() || item->IsFloat()) continue;
    if (shift != 0) {
      const RECT& at = item->Bounds();
      item->SetBounds(CRectUI::Clamped(static_cast<long long>(at.left) - shift, at.top,
                                       static_cast<long long>(at.right) - shift, at.bottom));
    }
    listInfo.columns[i] = item->Bounds();
  }
  ShowHiddenHeaderItems(false);
}

}  // namespace SkinUI

// CListUI: list attributes, the look of the rows, and the scrolling
// requests it hands to the body.

#include <cwchar>

#include "ui/controls/list/list.h"
#include "ui/controls/list/list_header.h"
#include "ui/controls/scroll_bar.h"

namespace SkinUI {

namespace {

using AttributeValue::Is;

struct TColorAttribute {
  const wchar_t* name;
  DWORD TListStyle::*field;
};
constexpr TColorAttribute kColorAttributes[] = {
    {L"itemtextcolor", &TListStyle::textColor},
    {L"itembkcolor", &TListStyle::backColor},
    {L"itemselectedtextcolor", &TListStyle::selectedTextColor},
    {L"itemselectedbkcolor", &TListStyle::selectedBackColor},
    {L"itemhottextcolor", &TListStyle::hotTextColor},
    {L"itemhotbkcolor", &TListStyle::hotBackColor},
    {L"itemdisabledtextcolor", &TListStyle::disabledTextColor},
    {L"itemdisabledbkcolor", &TListStyle::disabledBackColor},
    {L"itemlinecolor", &TListStyle::lineColor},
};

struct TImageAttribute {
  const wchar_t* name;
  CWideStringUI TListStyle::*field;
};
const TImageAttribute kImageAttributes[] = {
    {L"itembkimage", &TListStyle::backImage},
    {L"itemselectedimage", &TListStyle::selectedImage},
    {L"itemhotimage", &TListStyle::hotImage},
    {L"itemdisabledimage", &TListStyle::disabledImage},
};

}  // namespace

void CListUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || value == nullptr) return;
  using namespace AttributeValue;
  // The bars live on the body: their attributes go there, and each keeps
  // the other bar as the body has it.
  if (Is(name, L"vscrollbar")) {
    ShowScrollBars(Boolean(value), HorizontalScrollBar() != nullptr);
  } else if (Is(name, L"hscrollbar")) {
    ShowScrollBars(VerticalScrollBar() != nullptr, Boolean(value));
  } else if (Is(name, L"vscrollbarstyle")) {
    ShowScrollBars(true, HorizontalScrollBar() != nullptr);
    VerticalScrollBar()->ApplyAttributeText(value);
  } else if (Is(name, L"hscrollbarstyle")) {
    ShowScrollBars(VerticalScrollBar() != nullptr, true);
    HorizontalScrollBar()->ApplyAttributeText(value);
  } else if (Is(name, L"header")) {
    header->SetVisible(!Is(value, L"hidden"));
  } else if (Is(name, L"headerbkimage")) {
    header->SetBkImage(value);
  } else if (Is(name, L"scrollselect")) {
    SetScrollSelect(Boolean(value));
  } else if (Is(name, L"multiexpanding")) {
    listInfo.multiExpanding = Boolean(value);
  } else if (Is(name, L"itemshowhtml")) {
    SetItemShowHtml(Boolean(value));
  } else if (Is(name, L"itemtextpadding")) {
    SetItemTextPadding(Rectangle(value));
  } else if (!ApplyItemAttribute(name, value)) {
    CVerticalLayoutUI::ApplyAttribute(name, value);
  }
}

// The look of the rows; each change repaints the list.
bool CListUI::ApplyItemAttribute(const wchar_t* name, const wchar_t* value) {
  using namespace AttributeValue;
  for (const TColorAttribute& color : kColorAttributes) {
    if (!Is(name, color.name)) continue;
    listInfo.*color.field = Color(value);
    Invalidate();
    return true;
  }
  for (const TImageAttribute& image : kImageAttributes) {
    if (!Is(name, image.name)) continue;
    listInfo.*image.field = value;
    Invalidate();
    return true;
  }
  if (Is(name, L"itemfont")) {
    listInfo.font = Integer(value);
  } else if (Is(name, L"itemalign")) {
    listInfo.textStyle = HorizontallyAlignedStyle(listInfo.textStyle, value);
  } else if (Is(name, L"itemendellipsis")) {
    listInfo.textStyle = Boolean(value) ? listInfo.textStyle | DT_END_ELLIPSIS
                                        : listInfo.textStyle & ~DT_END_ELLIPSIS;
  } else if (Is(name, L"itemaltbk")) {
    listInfo.alternateBack = Boolean(value);
  } else {
    return false;
  }
  Invalidate();
  return true;
}

// Rows measure themselves with it, so their heights may change.
void CListUI::SetItemShowHtml(bool on) {
  if (listInfo.showHtml == on) return;
  listInfo.showHtml = on;
  RequestRelayout();
}

void CListUI::SetItemTextPadding(const RECT& padding) {
  listInfo.textPadding = padding;
  Invalidate();
}

int CListUI::GetChildPadding() const {
  return body->GetChildPadding();
}

void CListUI::SetChildPadding(int padding) {
  body->SetChildPadding(padding);
}

SIZE CListUI::GetScrollPos() const {
  return body->GetScrollPos();
}

SIZE CListUI::GetScrollRange() const {
  return body->GetScrollRange();
}

void CListUI::SetScrollPos(SIZE pos) {
  body->SetScrollPos(pos);
}

void CListUI::ScrollLineUp() {
  body->ScrollLineUp();
}

void CListUI::ScrollLineDown() {
  body->ScrollLineDown();
}

void CListUI::ScrollPageUp() {
  body->ScrollPageUp();
}

void CListUI::ScrollPageDown() {
  body->ScrollPageDown();
}

void CListUI::ScrollToTop() {
  body->ScrollToTop();
}

void CListUI::ScrollToBottom() {
  body->ScrollToBottom();
}

void CListUI::ScrollLineLeft() {
  body->ScrollLineLeft();
}

void CListUI::ScrollLineRight() {
  body->ScrollLineRight();
}

void CListUI::ScrollPageLeft() {
  body->ScrollPageLeft();
}

void CListUI::ScrollPageRight() {
  body->ScrollPageRight();
}

void CListUI::ScrollToLeftEdge() {
  body->ScrollToLeftEdge();
}

void CListUI::ScrollToRightEdge() {
  body->ScrollToRightEdge();
}

void CListUI::ShowScrollBars(bool vertical, bool horizontal) {
  body->ShowScrollBars(vertical, horizontal);
}

CScrollBarUI* CListUI::VerticalScrollBar() const {
  return body->VerticalScrollBar();
}

CScrollBarUI* CListUI::HorizontalScrollBar() const {
  return body->HorizontalScrollBar();
}

}  // namespace SkinUI

// CListHeaderUI and CListHeaderItemUI: header layout, column dragging,
// state images, separator image and caption.

#include "ui/controls/list/list_header.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/controls/list/list.h"
#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr wchar_t kHeaderClassName[] = L"ListHeaderUI";
constexpr wchar_t kHeaderInterfaceName[] = L"ListHeader";
constexpr wchar_t kItemClassName[] = L"ListHeaderItemUI";
constexpr wchar_t kItemInterfaceName[] = L"ListHeaderItem";
// Added to the default font's height: header rows and items without a height.
constexpr int kHeaderMargin = 6;
constexpr int kItemMargin = 14;
constexpr int kItemMinWidth = 16;

using AttributeValue::Is;

int DefaultFontHeight(IControlHostUI* host) {
  const FontRecord* font = host->Resources().DefaultFontInfo();
  return font != nullptr ? font->metrics.tmHeight : 0;
}

}  // namespace

UINT HorizontallyAlignedStyle(UINT style, const wchar_t* value) {
  if (value == nullptr) return style;
  if (wcsstr(value, L"left") != nullptr) style &= ~(DT_CENTER | DT_RIGHT);
  if (wcsstr(value, L"center") != nullptr) style = (style & ~DT_RIGHT) | DT_CENTER;
  if (wcsstr(value, L"right") != nullptr) style = (style & ~DT_CENTER) | DT_RIGHT;
  return style;
}

const wchar_t* CListHeaderUI::ClassName() const {
  return kHeaderClassName;
}

void* CListHeaderUI::InterfaceFor(const wchar_t* name) {
  if (name != nullptr && Is(name, kHeaderInterfaceName)) return this;
  return CHorizontalLayoutUI::InterfaceFor(name);
}

SIZE CListHeaderUI::PreferredSize(SIZE available) {
  CSizeUI size(0, Scale().ToDevice(GetFixedHeight()));
  const bool measureHeight = GetFixedHeight() == 0 && GetManager() != nullptr;
  if (measureHeight) size.cy = DefaultFontHeight(GetManager()) + Scale().ToDevice(kHeaderMargin);
  long long width = 0;
  for (int i = 0; i < GetCount(); ++i) {
    const SIZE item = ChildAt(i)->PreferredSize(available);
    width += item.cx;
    if (measureHeight) size.cy = std::max<LONG>(size.cy, item.cy);
  }
  size.cx = ClampCoordinate(width);
  return size;
}

void CListHeaderUI::SetBounds(const RECT& rect) {
  CHorizontalLayoutUI::SetBounds(rect);
  auto* list =
      GetParent() != nullptr ? static_cast<CListUI*>(GetParent()->InterfaceFor(L"List")) : nullptr;
  if (list != nullptr) list->FollowHeader();
}

CListHeaderItemUI::CListHeaderItemUI() {
  SetMinWidth(kItemMinWidth);
}

const wchar_t* CListHeaderItemUI::ClassName() const {
  return kItemClassName;
}

void* CListHeaderItemUI::InterfaceFor(const wchar_t* name) {
  if (name != nullptr && Is(name, kItemInterfaceName)) return this;
  return CControlUI::InterfaceFor(name);
}

UINT CListHeaderItemUI::ControlFlags() const {
  return IsEnabled() && sepWidth != 0 ? ControlFlagSetCursor : 0;
}

void CListHeaderItemUI::SetEnabled(bool on) {
  CControlUI::SetEnabled(on);
  if (!IsEnabled()) press.Reset();
}

RECT CListHeaderItemUI::GetSeparatorRect() const {
  const int width = Scale().ToDevice(sepWidth);
  if (width >= 0) {
    return CRectUI(ItemRect().right - width, ItemRect().top, ItemRect().right, ItemRect().bottom);
  }
  return CRectUI(ItemRect().left, ItemRect().top, ItemRect().left - width, ItemRect().bottom);
}

void CListHeaderItemUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || value == nullptr) return;
  using namespace AttributeValue;
  if (Is(name, L"dragable")) {
    SetDragable(Boolean(value));
  } else if (Is(name, L"sepwidth")) {
    SetSepWidth(Integer(value));
  } else if (Is(name, L"align")) {
    SetTextStyle(HorizontallyAlignedStyle(textStyle, value));
  } else if (Is(name, L"endellipsis")) {
    SetTextStyle(Boolean(value) ? textStyle | DT_END_ELLIPSIS : textStyle & ~DT_END_ELLIPSIS);
  } else if (Is(name, L"font")) {
    SetFont(Integer(value));
  } else if (Is(name, L"textcolor")) {
    SetTextColor(Color(value));
  } else if (Is(name, L"textpadding")) {
    SetTextPadding(Rectangle(value));
  } else if (Is(name, L"showhtml")) {
    SetShowHtml(Boolean(value));
  } else if (Is(name, L"normalimage")) {
    SetNormalImage(value);
  } else if (Is(name, L"hotimage")) {
    SetHotImage(value);
  } else if (Is(name, L"pushedimage")) {
    SetPushedImage(value);
  } else if (Is(name, L"focusedimage")) {
    SetFocusedImage(value);
  } else if (Is(name, L"sepimage")) {
    SetSepImage(value);
  } else {
    CControlUI::ApplyAttribute(name, value);
  }
}

SIZE CListHeaderItemUI::PreferredSize(SIZE available) {
  if (GetFixedHeight() > 0 || GetManager() == nullptr) return CControlUI::PreferredSize(available);
  return CSizeUI(Scale().ToDevice(GetFixedWidth()),
                 DefaultFontHeight(GetManager()) + Scale().ToDevice(kItemMargin));
}

void CListHeaderItemUI::HandleEvent(TControlEvent& event) {
  if (!IsMouseEnabled() && IsMouseEvent(event.kind)) {
    if (GetParent() != nullptr) {
      GetParent()->HandleEvent(event);
    } else {
      CControlUI::HandleEvent(event);
    }
    return;
  }
  if (OnPointer(event)) return;
  switch (event.kind) {
    case EventSetFocus:
    case EventKillFocus:
      Invalidate();
      break;
    case EventSetCursor:
      if (IsEnabled() && dragable && CRectUI(GetSeparatorRect()).Contains(event.point)) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return;
      }
      break;
    default:
      break;
  }
  CControlUI::HandleEvent(event);
}

// A press on the separator drags the column's edge when the item allows it
// and is otherwise ignored; anywhere else it is a click on the column header.
bool CListHeaderItemUI::OnPointer(const TControlEvent& event) {
  const bool onSeparator = CRectUI(GetSeparatorRect()).Contains(event.point);
  const PressKind kind = onSeparator ? PressKind::kDragEdge : PressKind::kClickOnPress;
  const TPressOutcome outcome = press.OnPointer(event, IsEnabled(), !onSeparator || dragable, kind);
  if (!outcome.taken) return false;
  if (outcome.pressed && press.IsDragging()) lastMouse = event.point;
  if (outcome.clicked && GetManager() != nullptr) {
    GetManager()->SendNotification(this, NotifyType::kHeaderClick);
  }
  if (outcome.dragged) OnDrag(event);
  if (outcome.dragEnded) {
    RequestColumnLayout();
  } else if (outcome.changed) {
    Invalidate();
  }
  return true;
}

// The dragged edge follows the pointer while the column stays wider than
// its minimum; a step that would reach the minimum is dropped, and the
// pointer has to come back past the point of the last accepted step.
void CListHeaderItemUI::OnDrag(const TControlEvent& event) {
  CRectUI moved = ItemRect();
  const int dx = event.point.x - lastMouse.x;
  if (sepWidth >= 0) {
    moved.right += dx;
  } else {
    moved.left += dx;
  }
  if (moved.GetWidth() <= Scale().ToDevice(GetMinWidth())) return;
  StoreFixedWidth(Scale().ToLogical(moved.GetWidth()));
  lastMouse = event.point;
  RequestColumnLayout();
}

void CListHeaderItemUI::RequestColumnLayout() {
  if (GetParent() != nullptr) {
    GetParent()->RequestParentRelayout();
  } else {
    RequestParentRelayout();
  }
}

void CListHeaderItemUI::PaintStateImage(HDC dc) {
  press.Set(ButtonState::kFocused, IsFocused());
  CWideStringUI* chosen = &normalImage;
  if (press.IsPushed()) {
    chosen = &pushedImage;
  } else if (press.IsHot()) {
    chosen = &hotImage;
  } else if (press.Has(ButtonState::kFocused)) {
    chosen = &focusedImage;
  }
  if (chosen->IsEmpty()) chosen = &normalImage;
  PaintImageOrDrop(dc, *chosen);

  if (sepImage.IsEmpty()) return;
  const RECT strip = GetSeparatorRect();
  sepModifier.Format(L"dest='%d,%d,%d,%d'", strip.left - ItemRect().left,
                     strip.top - ItemRect().top, strip.right - ItemRect().left,
                     strip.bottom - ItemRect().top);
  PaintImageOrDrop(dc, sepImage, sepModifier);
}

void CListHeaderItemUI::PaintTextLayer(HDC dc) {
  if (textColor == 0 && GetManager() != nullptr)
    textColor = GetManager()->Resources().DefaultTextColor();
  if (Text().IsEmpty()) return;
  const RECT pad = Scale().ToDevice(textPadding);
  RECT area = {ItemRect().left + pad.left, ItemRect().top + pad.top, ItemRect().right - pad.right,
               ItemRect().bottom - pad.bottom};
  const UINT style = textStyle | DT_SINGLELINE;
  if (showHtml) {
    int noLinks = 0;
    CDrawKit::DrawMarkupText(dc, Resources(), area, Text(), textColor, nullptr, nullptr, noLinks,
                             style);
  } else {
    CDrawKit::DrawPlainText(dc, Resources(), area, Text(), textColor, font, style);
  }
}

void CListHeaderItemUI::SetDragable(bool on) {
  dragable = on;
  if (!on) press.Set(ButtonState::kCaptured, false);
}

void CListHeaderItemUI::SetSepWidth(int width) {
  ChangeAndInvalidate(sepWidth, width);
}

void CListHeaderItemUI::SetTextStyle(UINT style) {
  ChangeAndInvalidate(textStyle, style);
}

void CListHeaderItemUI::SetTextColor(DWORD color) {
  ChangeAndInvalidate(textColor, color);
}

void CListHeaderItemUI::SetFont(int index) {
  ChangeAndInvalidate(font, index);
}

void CListHeaderItemUI::SetTextPadding(const RECT& padding) {
  if (textPadding == padding) return;
  textPadding = padding;
  Invalidate();
}

void CListHeaderItemUI::SetShowHtml(bool on) {
  ChangeAndInvalidate(showHtml, on);
}

void CListHeaderItemUI::ChangeImage(CWideStringUI& field, const wchar_t* image) {
  if (field == (image != nullptr ? image : L"")) return;
  field = image;
  Invalidate();
}

DWORD CListHeaderItemUI::AccessibleRole() const {
  return ROLE_SYSTEM_COLUMNHEADER;
}

}  // namespace SkinUI

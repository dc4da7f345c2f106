// CLabelUI: text attributes, the text layer and the size estimate.

#include "ui/controls/label.h"

#include <oleacc.h>

#include <cwchar>

#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"LabelUI";
constexpr wchar_t kInterfaceName[] = L"Label";
constexpr int kLabelMargin = 4;

// The words of "align", looked for as substrings in this order. "vcenter"
// holds "center", so it centres horizontally too.
struct TAlignWord {
  const wchar_t* word;
  UINT clear;
  UINT set;
};
constexpr TAlignWord kAlignWords[] = {
    {L"left", DT_CENTER | DT_RIGHT, 0},  {L"center", DT_RIGHT, DT_CENTER},
    {L"right", DT_CENTER, DT_RIGHT},     {L"top", DT_VCENTER | DT_BOTTOM, 0},
    {L"vcenter", DT_BOTTOM, DT_VCENTER}, {L"bottom", DT_VCENTER, DT_BOTTOM},
};

UINT AlignedStyle(UINT style, const wchar_t* value) {
  for (const TAlignWord& align : kAlignWords) {
    if (wcsstr(value, align.word) == nullptr) continue;
    style = (style & ~align.clear) | align.set;
  }
  return style;
}

using AttributeValue::Is;

}  // namespace

CLabelUI::CLabelUI() = default;

const wchar_t* CLabelUI::ClassName() const {
  return kClassName;
}

void* CLabelUI::InterfaceFor(const wchar_t* name) {
  if (name != nullptr && wcscmp(name, kInterfaceName) == 0) return this;
  return CControlUI::InterfaceFor(name);
}

void CLabelUI::HandleEvent(TControlEvent& event) {
  switch (event.kind) {
    case EventSetFocus:
      StoreFocused(true);
      return;
    case EventKillFocus:
      StoreFocused(false);
      return;
    case EventMouseEnter:
    case EventMouseLeave:
      return;
    default:
      CControlUI::HandleEvent(event);
  }
}

bool CLabelUI::ForwardMouseEventIfNotTaken(TControlEvent& event) {
  if (IsMouseEnabled() || !IsMouseEvent(event.kind)) return false;
  if (GetParent() != nullptr) {
    GetParent()->HandleEvent(event);
  } else {
    CLabelUI::HandleEvent(event);
  }
  return true;
}

void CLabelUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || value == nullptr) return;
  using namespace AttributeValue;
  if (Is(name, L"align")) {
    SetTextStyle(AlignedStyle(textStyle, value));
  } else if (Is(name, L"endellipsis")) {
    SetTextStyle(Boolean(value) ? textStyle | DT_END_ELLIPSIS : textStyle & ~DT_END_ELLIPSIS);
  } else if (Is(name, L"font")) {
    SetFont(Integer(value));
  } else if (Is(name, L"textcolor")) {
    SetTextColor(Color(value));
  } else if (Is(name, L"disabledtextcolor")) {
    SetDisabledTextColor(Color(value));
  } else if (Is(name, L"textpadding")) {
    SetTextPadding(Rectangle(value));
  } else if (Is(name, L"showhtml")) {
    SetShowHtml(Boolean(value));
  } else {
    CControlUI::ApplyAttribute(name, value);
  }
}

SIZE CLabelUI::PreferredSize(SIZE available) {
  if (GetFixedHeight() > 0 || GetManager() == nullptr) return CControlUI::PreferredSize(available);
  return PreferredSizeWithMargin(kLabelMargin);
}

SIZE CLabelUI::PreferredSizeWithMargin(int margin) {
  const FontRecord* record = GetManager()->Resources().FontInfoAt(font);
  const int height = record != nullptr ? record->metrics.tmHeight : 0;
  return CSizeUI(Scale().ToDevice(GetFixedWidth()), height + Scale().ToDevice(margin));
}

void CLabelUI::PaintTextLayer(HDC dc) {
  ApplyDefaultTextColors();
  if (Text().IsEmpty()) return;
  RECT area = TextArea();
  DrawTextIn(dc, area, IsEnabled() ? textColor : disabledTextColor, textStyle | DT_SINGLELINE);
}

void CLabelUI::ApplyDefaultTextColors() {
  if (GetManager() == nullptr) return;
  if (textColor == 0) textColor = GetManager()->Resources().DefaultTextColor();
  if (disabledTextColor == 0) disabledTextColor = GetManager()->Resources().DisabledTextColor();
}

RECT CLabelUI::TextArea() const {
  const RECT pad = Scale().ToDevice(textPadding);
  return CRectUI(ItemRect().left + pad.left, ItemRect().top + pad.top, ItemRect().right - pad.right,
                 ItemRect().bottom - pad.bottom);
}

void CLabelUI::DrawTextIn(HDC dc, RECT& area, DWORD color, UINT style) {
  if (showHtml) {
    int noLinks = 0;
    CDrawKit::DrawMarkupText(dc, Resources(), area, Text(), color, nullptr, nullptr, noLinks,
                             style);
  } else {
    CDrawKit::DrawPlainText(dc, Resources(), area, Text(), color, font, style);
  }
}

void CLabelUI::SetTextStyle(UINT style) {
  ChangeAndInvalidate(textStyle, style);
}

void CLabelUI::SetTextColor(DWORD color) {
  ChangeAndInvalidate(textColor, color);
}

void CLabelUI::SetDisabledTextColor(DWORD color) {
  ChangeAndInvalidate(disabledTextColor, color);
}

void CLabelUI::SetFont(int index) {
  ChangeAndInvalidate(font, index);
}

void CLabelUI::SetTextPadding(const RECT& padding) {
  if (textPadding == padding) return;
  textPadding = padding;
  Invalidate();
}

void CLabelUI::SetShowHtml(bool on) {
  ChangeAndInvalidate(showHtml, on);
}

DWORD CLabelUI::AccessibleRole() const {
  return ROLE_SYSTEM_STATICTEXT;
}

CWideStringUI CLabelUI::AccessibleName() {
  if (!GetAccessibleName().IsEmpty()) return GetAccessibleName();
  const CWideStringUI plain = PlainText(Text(), showHtml);
  return !plain.IsEmpty() ? plain : GetToolTip();
}

DWORD CLabelUI::AccessibleOwnState() const {
  return STATE_SYSTEM_READONLY;
}

}  // namespace SkinUI

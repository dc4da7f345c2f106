// CButtonUI: state handling, activation and the state-dependent looks.

#include "ui/controls/button.h"

#include <oleacc.h>

#include <cwchar>

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"ButtonUI";
constexpr wchar_t kInterfaceName[] = L"Button";
constexpr int kButtonMargin = 8;
constexpr wchar_t kSpaceKey = VK_SPACE;
constexpr wchar_t kEnterKey = VK_RETURN;

using AttributeValue::Is;

}  // namespace

CButtonUI::CButtonUI() {
  textStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

const wchar_t* CButtonUI::ClassName() const {
  return kClassName;
}

void* CButtonUI::InterfaceFor(const wchar_t* name) {
  if (name != nullptr && wcscmp(name, kInterfaceName) == 0) return this;
  return CLabelUI::InterfaceFor(name);
}

UINT CButtonUI::ControlFlags() const {
  return (IsKeyboardEnabled() ? ControlFlagTabStop : 0) | (IsEnabled() ? ControlFlagSetCursor : 0);
}

bool CButtonUI::Activate() {
  if (!CLabelUI::Activate()) return false;
  if (GetManager() != nullptr) GetManager()->SendNotification(this, NotifyType::kClick);
  return true;
}

void CButtonUI::SetEnabled(bool on) {
  CLabelUI::SetEnabled(on);
  if (!IsEnabled()) press.Reset(ButtonState::kSelected);
}

void CButtonUI::HandleEvent(TControlEvent& event) {
  if (ForwardMouseEventIfNotTaken(event)) return;
  const bool over = ItemRect().Contains(event.point);
  const TPressOutcome outcome =
      press.OnPointer(event, IsEnabled(), over, PressKind::kClickOnRelease);
  if (outcome.taken) {
    if (outcome.changed) Invalidate();
    if (outcome.clicked) Activate();
    return;
  }
  switch (event.kind) {
    case EventSetFocus:
    case EventKillFocus:
      Invalidate();
      break;  // the label records the focus
    case EventKeyDown:
      if (IsKeyboardEnabled() && (event.key == kSpaceKey || event.key == kEnterKey)) {
        Activate();
        return;
      }
      break;
    case EventContextMenu:
      if (IsMenuEnabled() && GetManager() != nullptr) {
        GetManager()->SendNotification(this, NotifyType::kMenu, event.wParam, event.lParam);
      }
      return;
    case EventSetCursor:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return;
    default:
      break;
  }
  CLabelUI::HandleEvent(event);
}

void CButtonUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || value == nullptr) return;
  using AttributeValue::Color;
  if (Is(name, L"normalimage")) {
    SetNormalImage(value);
  } else if (Is(name, L"hotimage")) {
    SetHotImage(value);
  } else if (Is(name, L"pushedimage")) {
    SetPushedImage(value);
  } else if (Is(name, L"focusedimage")) {
    SetFocusedImage(value);
  } else if (Is(name, L"disabledimage")) {
    SetDisabledImage(value);
  } else if (Is(name, L"hottextcolor")) {
    SetHotTextColor(Color(value));
  } else if (Is(name, L"pushedtextcolor")) {
    SetPushedTextColor(Color(value));
  } else if (Is(name, L"focusedtextcolor")) {
    SetFocusedTextColor(Color(value));
  } else {
    CLabelUI::ApplyAttribute(name, value);
  }
}

SIZE CButtonUI::PreferredSize(SIZE available) {
  if (GetFixedHeight() > 0 || GetManager() == nullptr) return CControlUI::PreferredSize(available);
  return PreferredSizeWithMargin(kButtonMargin);
}

void CButtonUI::RefreshStateBits() {
  press.Set(ButtonState::kFocused, IsFocused());
  press.Set(ButtonState::kDisabled, !IsEnabled());
}

// Only the first state that applies is considered: a disabled button without
// a disabled image shows its normal image, never its hot or pushed one.
CWideStringUI* CButtonUI::StateImage() {
  if (press.Has(ButtonState::kDisabled)) return &disabledImage;
  if (press.Has(ButtonState::kPushed)) return &pushedImage;
  if (press.Has(ButtonState::kHot)) return &hotImage;
  if (press.Has(ButtonState::kFocused)) return &focusedImage;
  return nullptr;
}

void CButtonUI::PaintStateImage(HDC dc) {
  RefreshStateBits();
  CWideStringUI* image = StateImage();
  if (image != nullptr && PaintImageOrDrop(dc, *image)) return;
  PaintImageOrDrop(dc, normalImage);
}

void CButtonUI::PaintTextLayer(HDC dc) {
  RefreshStateBits();
  ApplyDefaultTextColors();
  if (Text().IsEmpty()) return;
  DWORD color = IsEnabled() ? textColor : disabledTextColor;
  if (press.Has(ButtonState::kPushed) && pushedTextColor != 0) {
    color = pushedTextColor;
  } else if (press.Has(ButtonState::kHot) && hotTextColor != 0) {
    color = hotTextColor;
  } else if (press.Has(ButtonState::kFocused) && focusedTextColor != 0) {
    color = focusedTextColor;
  }
  RECT area = TextArea();
  DrawTextIn(dc, area, color, textStyle);
}

void CButtonUI::ChangeImage(CWideStringUI& field, const wchar_t* image) {
  if (field == (image != nullptr ? image : L"")) return;
  field = image;
  Invalidate();
}

void CButtonUI::ChangeColor(DWORD& field, DWORD color) {
  if (field == color) return;
  field = color;
  Invalidate();
}

void CButtonUI::SetNormalImage(const wchar_t* image) {
  ChangeImage(normalImage, image);
}

void CButtonUI::SetHotImage(const wchar_t* image) {
  ChangeImage(hotImage, image);
}

void CButtonUI::SetPushedImage(const wchar_t* image) {
  ChangeImage(pushedImage, image);
}

void CButtonUI::SetFocusedImage(const wchar_t* image) {
  ChangeImage(focusedImage, image);
}

void CButtonUI::SetDisabledImage(const wchar_t* image) {
  ChangeImage(disabledImage, image);
}

void CButtonUI::SetHotTextColor(DWORD color) {
  ChangeColor(hotTextColor, color);
}

void CButtonUI::SetPushedTextColor(DWORD color) {
  ChangeColor(pushedTextColor, color);
}

void CButtonUI::SetFocusedTextColor(DWORD color) {
  ChangeColor(focusedTextColor, color);
}

DWORD CButtonUI::AccessibleRole() const {
  return ROLE_SYSTEM_PUSHBUTTON;
}

DWORD CButtonUI::AccessibleOwnState() const {
  return press.IsPushed() ? STATE_SYSTEM_PRESSED : 0;
}

CWideStringUI CButtonUI::AccessibleDefaultAction() const {
  return L"Press";
}

bool CButtonUI::DoAccessibleDefaultAction() {
  return Activate();
}

}  // namespace SkinUI

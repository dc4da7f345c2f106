// COptionUI: selection, option groups and the selected look.

#include "ui/controls/option.h"

#include <oleacc.h>

#include <cwchar>

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"OptionUI";
constexpr wchar_t kInterfaceName[] = L"Option";

using AttributeValue::Is;

}  // namespace

COptionUI::COptionUI() = default;

COptionUI::~COptionUI() {
  if (!group.IsEmpty() && GetManager() != nullptr) GetManager()->LeaveOptionGroup(group, this);
}

const wchar_t* COptionUI::ClassName() const {
  return kClassName;
}

void* COptionUI::InterfaceFor(const wchar_t* name) {
  if (name != nullptr && wcscmp(name, kInterfaceName) == 0) return this;
  return CButtonUI::InterfaceFor(name);
}

// The option is a member of its group exactly while it is bound to the
// window that keeps the group: a window never holds an option that was
// unbound from it, and so never one that was deleted afterwards.
void COptionUI::BindManager(IControlHostUI* newManager, CControlUI* newParent, bool init) {
  IControlHostUI* oldManager = GetManager();
  if (oldManager != nullptr && oldManager != newManager && !group.IsEmpty()) {
    oldManager->LeaveOptionGroup(group, this);
  }
  CButtonUI::BindManager(newManager, newParent, init);
  if (GetManager() != nullptr && !group.IsEmpty() && (init || GetManager() != oldManager)) {
    GetManager()->JoinOptionGroup(group, this);
  }
}

bool COptionUI::Activate() {
  if (!CButtonUI::Activate()) return false;
  // Clicking a selected radio option changes nothing.
  SetSelected(group.IsEmpty() ? !selected : true);
  return true;
}

void COptionUI::HandleEvent(TControlEvent& event) {
  if (event.kind == EventKeyDown && !group.IsEmpty() && IsKeyboardEnabled()) {
    const bool back = event.key == VK_LEFT || event.key == VK_UP;
    const bool on = event.key == VK_RIGHT || event.key == VK_DOWN;
    if (back || on) {
      if (COptionUI* next = NeighbourInGroup(on)) {
        next->SetFocus();
        next->Activate();
      }
      return;
    }
  }
  CButtonUI::HandleEvent(event);
}

// A member of a group that the keyboard can reach, or null.
COptionUI* COptionUI::ReachableMember(void* member) {
  auto* control = static_cast<CControlUI*>(member);
  auto* option =
      control != nullptr ? static_cast<COptionUI*>(control->InterfaceFor(kInterfaceName)) : nullptr;
  if (option == nullptr || !option->IsVisible() || !option->IsInnerVisible() ||
      !option->IsEnabled()) {
    return nullptr;
  }
  return option;
}

bool COptionUI::IsTabStop() const {
  if (!CButtonUI::IsTabStop()) return false;
  if (group.IsEmpty() || selected || GetManager() == nullptr) return true;
  const CPointerArrayUI* members = GetManager()->OptionGroup(group);
  if (members == nullptr) return true;
  for (int i = 0; i < members->GetSize(); ++i) {
    const COptionUI* option = ReachableMember(members->GetAt(i));
    if (option != nullptr && option->IsSelected()) return false;
  }
  return true;
}

COptionUI* COptionUI::NeighbourInGroup(bool forward) const {
  if (GetManager() == nullptr) return nullptr;
  const CPointerArrayUI* members = GetManager()->OptionGroup(group);
  if (members == nullptr) return nullptr;
  const int count = members->GetSize();
  const int self = members->Find(this);
  if (self < 0) return nullptr;
  for (int step = 1; step < count; ++step) {
    const int index = (self + (forward ? step : count - step)) % count;
    COptionUI* option = ReachableMember(members->GetAt(index));
    if (option != nullptr) return option;
  }
  return nullptr;
}

void COptionUI::SetSelected(bool value) {
  if (selected == value) return;
  selected = value;
  press.Set(ButtonState::kSelected, value);
  if (GetManager() != nullptr) {
    if (group.IsEmpty()) {
      GetManager()->SendNotification(this, NotifyType::kSelectChanged);
    } else if (selected) {
      DeselectOtherMembers();
      GetManager()->SendNotification(this, NotifyType::kSelectChanged);
    }
  }
  Invalidate();
  NotifyAccessibility(EVENT_OBJECT_STATECHANGE);
}

// The members switched off report nothing: only the newly selected one does.
void COptionUI::DeselectOtherMembers() {
  const CPointerArrayUI* members = GetManager()->OptionGroup(group);
  if (members == nullptr) return;
  for (int i = 0; i < members->GetSize(); ++i) {
    auto* member = static_cast<CControlUI*>(members->GetAt(i));
    if (member == nullptr || member == this) continue;
    auto* option = static_cast<COptionUI*>(member->InterfaceFor(kInterfaceName));
    if (option != nullptr) option->SetSelected(false);
  }
}

void COptionUI::SetGroup(const wchar_t* name) {
  const wchar_t* newName = name != nullptr ? name : L"";
  if (group == newName) return;
  if (!group.IsEmpty() && GetManager() != nullptr) GetManager()->LeaveOptionGroup(group, this);
  group = newName;
  if (!group.IsEmpty() && GetManager() != nullptr) GetManager()->JoinOptionGroup(group, this);
}

void COptionUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || value == nullptr) return;
  if (Is(name, L"group")) {
    SetGroup(value);
  } else if (Is(name, L"selected")) {
    SetSelected(AttributeValue::Boolean(value));
  } else if (Is(name, L"selectedimage")) {
    SetSelectedImage(value);
  } else if (Is(name, L"foreimage")) {
    SetForeImage(value);
  } else if (Is(name, L"selectedtextcolor")) {
    SetSelectedTextColor(AttributeValue::Color(value));
  } else {
    CButtonUI::ApplyAttribute(name, value);
  }
}

// Options never show a pushed look or the pushed text colour.
void COptionUI::PaintStateImage(HDC dc) {
  press.Set(ButtonState::kPushed, false);
  if (!selected || !PaintImageOrDrop(dc, selectedImage)) CButtonUI::PaintStateImage(dc);
  PaintImageOrDrop(dc, foreImage);
}

void COptionUI::PaintTextLayer(HDC dc) {
  if (!selected) {
    CButtonUI::PaintTextLayer(dc);
    return;
  }
  RefreshStateBits();
  ApplyDefaultTextColors();
  if (Text().IsEmpty()) return;
  DWORD color = IsEnabled() ? textColor : disabledTextColor;
  if (IsEnabled() && selectedTextColor != 0) color = selectedTextColor;
  RECT area = TextArea();
  DrawTextIn(dc, area, color, textStyle);
}

void COptionUI::SetSelectedTextColor(DWORD color) {
  ChangeColor(selectedTextColor, color);
}

void COptionUI::SetSelectedImage(const wchar_t* image) {
  ChangeImage(selectedImage, image);
}

void COptionUI::SetForeImage(const wchar_t* image) {
  ChangeImage(foreImage, image);
}

DWORD COptionUI::AccessibleRole() const {
  return group.IsEmpty() ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_RADIOBUTTON;
}

DWORD COptionUI::AccessibleOwnState() const {
  return selected ? STATE_SYSTEM_CHECKED : 0;
}

CWideStringUI COptionUI::AccessibleDefaultAction() const {
  return selected && group.IsEmpty() ? L"Uncheck" : L"Check";
}

bool COptionUI::SelectForAccessibility() {
  return selected || Activate();
}

}  // namespace SkinUI

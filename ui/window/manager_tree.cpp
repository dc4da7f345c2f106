// CWindowManagerUI: installing and removing control trees, the name map,
// hit testing and option groups.

#include "ui/window/window_manager.h"

#include "ui/controls/control.h"

namespace SkinUI {

namespace {

CControlUI* CALLBACK RegisterName(CControlUI* control, LPVOID data) {
  const CWideStringUI name = control->GetName();
  if (!name.IsEmpty()) static_cast<CStringMapUI*>(data)->Set(name, control);
  return nullptr;
}

CControlUI* CALLBACK CountControl(CControlUI*, LPVOID data) {
  ++*static_cast<int*>(data);
  return nullptr;
}

CControlUI* CALLBACK ControlUnderPoint(CControlUI* control, LPVOID data) {
  return CRectUI(control->Bounds()).Contains(*static_cast<const POINT*>(data)) ? control : nullptr;
}

template <typename T>
void DeleteValues(CStringMapUI& map) {
  for (int i = 0; i < map.GetCount(); ++i) delete static_cast<T*>(map.Find(map.KeyAt(i)));
  map.Clear();
}

}  // namespace

bool CWindowManagerUI::SetRootControl(CControlUI* control) {
  SetFocusControl(nullptr);
  keyDown = nullptr;
  hover = nullptr;
  pressed = nullptr;
  if (root != nullptr) {
    overlayPainters.clear();
    DeleteLater(root);
  }
  root = control;
  firstLayoutPending = true;
  updateNeeded = true;
  focusNeeded = true;
  NoteRootInstalled(control != nullptr);
  // The new tree is laid out and shown at the next paint.
  if (window != nullptr) InvalidateRect(window, nullptr, FALSE);
  return BindControlTree(control);
}

bool CWindowManagerUI::BindControlTree(CControlUI* control, CControlUI* parent) {
  if (control == nullptr) return false;
  if (parent == nullptr) parent = control->GetParent();
  control->BindManager(this, parent, true);
  RegisterNames(control);
  return true;
}

void CWindowManagerUI::RegisterNames(CControlUI* control) {
  control->FindInTree(RegisterName, &nameMap, 0);
}

int CWindowManagerUI::CountControls() {
  int count = 0;
  if (root != nullptr) root->FindInTree(CountControl, &count, 0);
  return count;
}

// Called from the control's destructor, so only the base class's answers
// are used here.
void CWindowManagerUI::ForgetControl(CControlUI* control) {
  if (control == nullptr) return;
  if (keyDown == control) keyDown = nullptr;
  if (hover == control) hover = nullptr;
  if (pressed == control) {
    // Its capture would otherwise swallow every click until the next press.
    pressed = nullptr;
    ReleaseMouse();
  }
  if (focus == control) focus = nullptr;
  if (root == control) root = nullptr;
  RemoveOverlayPainter(control);
  StopControlTimers(control);
  const CWideStringUI name = control->GetName();
  if (!name.IsEmpty() && nameMap.Find(name) == control) nameMap.Remove(name);
  for (auto& queued : notificationQueue) {
    if (queued->sender == control) queued->sender = nullptr;
  }
}

void CWindowManagerUI::DeleteLater(CControlUI* control) {
  if (control == nullptr) return;
  control->BindManager(this, nullptr, false);
  delayedDeletions.push_back(control);
  // Without a window the tree waits for the manager's own end.
  if (window != nullptr) PostMessageW(window, kDeleteLaterMessage, 0, 0);
}

void CWindowManagerUI::DeleteWaitingTrees() {
  for (CControlUI* waiting : std::exchange(delayedDeletions, {})) delete waiting;
}

CControlUI* CWindowManagerUI::ControlAt(POINT point) {
  if (root == nullptr) return nullptr;
  return root->FindInTree(ControlUnderPoint, &point, FindVisible | FindHitTest | FindTopFirst);
}

CControlUI* CWindowManagerUI::ControlByName(const wchar_t* name) {
  return static_cast<CControlUI*>(nameMap.Find(name));
}

bool CWindowManagerUI::JoinOptionGroup(const wchar_t* group, CControlUI* control) {
  if (group == nullptr || control == nullptr) return false;
  auto* members = static_cast<CPointerArrayUI*>(optionGroups.Find(group));
  if (members != nullptr) {
    if (members->Find(control) >= 0) return false;
    return members->Add(control);
  }
  members = new CPointerArrayUI();
  members->Add(control);
  optionGroups.Insert(group, members);
  return true;
}

void CWindowManagerUI::LeaveOptionGroup(const wchar_t* group, CControlUI* control) {
  auto* members = static_cast<CPointerArrayUI*>(optionGroups.Find(group));
  if (members == nullptr) return;
  const int index = members->Find(control);
  if (index >= 0) members->RemoveAt(index);
  if (!members->IsEmpty()) return;
  delete members;
  optionGroups.Remove(group);
}

CPointerArrayUI* CWindowManagerUI::OptionGroup(const wchar_t* group) {
  return static_cast<CPointerArrayUI*>(optionGroups.Find(group));
}

void CWindowManagerUI::FreeOptionGroups() {
  DeleteValues<CPointerArrayUI>(optionGroups);
}

}  // namespace SkinUI

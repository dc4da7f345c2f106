// CWindowManagerUI: installing and removing control trees, the name map,
// hit testing and option groups.

#include "ui/window/window_manager.h"

#include <algorithm>

#include "ui/controls/container.h"
#include "ui/controls/scroll_bar.h"

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

// Scroll bars hang under no parent: the container that owns them stands in.
CControlUI* ParentOrOwner(CControlUI* control) {
  if (CControlUI* parent = control->GetParent()) return parent;
  auto* bar = static_cast<CScrollBarUI*>(control->InterfaceFor(L"ScrollBar"));
  return bar != nullptr ? bar->Owner() : nullptr;
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
  CDispatchScope scope(dispatch);
  SetFocusControl(nullptr);
  if (scope.ManagerGone()) return false;
  keyDown = nullptr;
  hover = nullptr;
  // A held button's capture would otherwise outlive it: cursor updates stay
  // swallowed until the next press.
  if (pressed != nullptr) {
    pressed = nullptr;
    ReleaseMouse();
  }
  // Installing the installed tree again must not hand it to deletion.
  if (root != nullptr && root != control) {
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
  const auto state = dispatch;
  control->BindManager(this, parent, true);
  // An initialisation hook may have closed the window.
  if (state->managerGone) return false;
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
  if (access) access->Forget(control);
  RemoveOverlayPainter(control);
  StopControlTimers(control);
  const CWideStringUI name = control->GetName();
  if (!name.IsEmpty() && nameMap.Find(name) == control) nameMap.Remove(name);
  for (auto& queued : notificationQueue) {
    if (queued->sender == control) queued->sender = nullptr;
  }
}

void CWindowManagerUI::DeleteLater(CControlUI* control) {
  // A tree handed over twice is still deleted once.
  if (control == nullptr || std::find(delayedDeletions.begin(), delayedDeletions.end(), control) !=
                                delayedDeletions.end()) {
    return;
  }
  DropReferencesInto(control);
  control->BindManager(this, nullptr, false);
  delayedDeletions.push_back(control);
  // Without a window the tree waits for the manager's own end.
  if (window != nullptr) PostMessageW(window, kDeleteLaterMessage, 0, 0);
}

void CWindowManagerUI::DeleteWaitingTrees() {
  if (dispatch->depth > 1) {
    dispatch->deletionPutOff = true;
    return;
  }
  for (CControlUI* waiting : std::exchange(delayedDeletions, {})) delete waiting;
}

// A removed subtree lives until the next message; until then it must not be
// hovered, pressed, focused or hear the key going up.
void CWindowManagerUI::DropReferencesInto(CControlUI* subtree) {
  auto inside = [subtree](CControlUI* control) {
    for (int steps = 0; control != nullptr && steps <= kMaxTreeDepth; ++steps) {
      if (control == subtree) return true;
      control = ParentOrOwner(control);
    }
    return false;
  };
  if (inside(hover)) hover = nullptr;
  if (inside(keyDown)) keyDown = nullptr;
  if (inside(focus)) focus = nullptr;
  if (inside(pressed)) {
    pressed = nullptr;
    ReleaseMouse();
  }
}

bool CWindowManagerUI::IsInstalled(CControlUI* control) const {
  if (control == nullptr || root == nullptr || !Owns(control)) return false;
  for (int steps = 0; steps <= kMaxTreeDepth; ++steps) {
    CControlUI* above = ParentOrOwner(control);
    if (above == nullptr) return control == root;
    control = above;
  }
  return false;
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

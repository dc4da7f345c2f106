// CWindowManagerUI: the focus control, Tab order, and the keyboard handling
// done before dispatch (Tab, Alt keys, Alt+shortcut).

#include "ui/window/window_manager.h"

#include <cwchar>

#include "ui/controls/control.h"

namespace SkinUI {

namespace {

// What the tab search carries from control to control.
struct TTabSearch {
  CControlUI* start = nullptr;
  CControlUI* lastSeen = nullptr;
  bool forward = true;
  bool nextIsIt = false;
};

CControlUI* CALLBACK FindTabStop(CControlUI* control, LPVOID data) {
  auto* search = static_cast<TTabSearch*>(data);
  if (control == search->start) {
    if (search->forward) {
      search->nextIsIt = true;
      return nullptr;
    }
    return search->lastSeen;
  }
  if ((control->ControlFlags() & ControlFlagTabStop) == 0) return nullptr;
  search->lastSeen = control;
  return search->nextIsIt || search->start == nullptr ? control : nullptr;
}

wchar_t UpperCase(wchar_t ch) {
  return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(
      CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(ch)))));
}

bool ClassNameContains(const CControlUI* control, const wchar_t* part) {
  const wchar_t* name = control->ClassName();
  return name != nullptr && wcsstr(name, part) != nullptr;
}

struct TShortcutSearch {
  wchar_t character = 0;
  bool found = false;
};

// A label that carries the shortcut hands it on to the next control in
// search order that is not a label.
CControlUI* CALLBACK FindShortcut(CControlUI* control, LPVOID data) {
  auto* search = static_cast<TShortcutSearch*>(data);
  if (!control->IsVisible()) return nullptr;
  if (UpperCase(control->GetShortcut()) == search->character) search->found = true;
  if (!search->found || ClassNameContains(control, L"LabelUI")) return nullptr;
  return control;
}

// A rich edit that takes Tab itself answers this interface name.
constexpr wchar_t kWantsTabInterface[] = L"WantsTab";

bool FocusKeepsTab(CControlUI* focus) {
  return focus != nullptr && focus->IsVisible() && focus->IsEnabled() &&
         ClassNameContains(focus, L"RichEditUI") && focus->InterfaceFor(kWantsTabInterface);
}

}  // namespace

void CWindowManagerUI::GiveWindowFocus() {
  if (window != nullptr) SetFocus(window);
}

bool CWindowManagerUI::TakeFocusFrom(CControlUI* newFocus) {
  CControlUI* losing = focus;
  TControlEvent event;
  event.kind = EventKillFocus;
  event.sender = newFocus;
  if (!Deliver(losing, event) || !Notify(losing, NotifyType::kKillFocus)) return false;
  focus = nullptr;
  return true;
}

// A control that a killfocus handler took out of the tree does not get the
// focus.
void CWindowManagerUI::SetFocusControl(CControlUI* control) {
  CDispatchScope scope(dispatch);
  if (GetFocus() != window && control != focus) GiveWindowFocus();
  if (control == focus) return;
  if (focus != nullptr && !TakeFocusFrom(control)) return;
  if (control == nullptr) return;
  if (!IsInstalled(control) || !control->IsVisible() || !control->IsEnabled() ||
      !control->IsInnerVisible()) {
    return;
  }
  focus = control;
  TControlEvent event;
  event.kind = EventSetFocus;
  event.sender = control;
  if (!Deliver(control, event)) return;
  Notify(control, NotifyType::kSetFocus);
}

void CWindowManagerUI::FocusAfterLayout(CControlUI* control) {
  CDispatchScope scope(dispatch);
  GiveWindowFocus();
  if (control == nullptr) return;
  if (focus != nullptr && !TakeFocusFrom(control)) return;
  // Set quietly: the move at the next paint goes on from here to control.
  focus = TabSearch(control, false, nullptr);
  focusNeeded = true;
  if (root != nullptr) root->RequestRelayout();
}

CControlUI* CWindowManagerUI::TabSearch(CControlUI* start, bool forward, CControlUI** lastSeen) {
  TTabSearch search;
  search.start = start;
  search.forward = forward;
  CControlUI* found = nullptr;
  if (root != nullptr) {
    found = root->FindInTree(FindTabStop, &search, FindVisible | FindEnabled | FindMeFirst);
  }
  if (lastSeen != nullptr) *lastSeen = search.lastSeen;
  return found;
}

bool CWindowManagerUI::MoveFocusByTab(bool forward) {
  CDispatchScope scope(dispatch);
  if (updateNeeded && forward) {
    // Tab order needs the layout; the move happens at the next paint.
    focusNeeded = true;
    if (window != nullptr) InvalidateRect(window, nullptr, FALSE);
    return true;
  }
  CControlUI* lastSeen = nullptr;
  CControlUI* next = TabSearch(focus, forward, &lastSeen);
  if (next == nullptr) next = forward ? TabSearch(nullptr, true, nullptr) : lastSeen;
  if (next != nullptr) SetFocusControl(next);
  if (scope.ManagerGone()) return true;
  focusNeeded = false;
  return true;
}

bool CWindowManagerUI::FilterBeforeDispatch(UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
  CDispatchScope scope(dispatch);
  const bool filtered = OfferToFilters(dispatchFilters, message, wParam, lParam, result);
  if (scope.ManagerGone() || filtered) return true;
  switch (message) {
    case WM_KEYDOWN:
      return wParam == VK_TAB && OnTabKey();
    case WM_SYSKEYDOWN:
      if (focus != nullptr) SendKeyEvent(focus, EventSysKey, wParam);
      return false;
    case WM_SYSCHAR:
      return OnSysChar(wParam);
    default:
      return false;
  }
}

bool CWindowManagerUI::OnTabKey() {
  if (FocusKeepsTab(focus)) return false;
  MoveFocusByTab(GetKeyState(VK_SHIFT) >= 0);
  return true;
}

bool CWindowManagerUI::OnSysChar(WPARAM character) {
  // Character 0 would match every control without a shortcut.
  if (root == nullptr || character == 0) return false;
  TShortcutSearch search;
  search.character = UpperCase(static_cast<wchar_t>(character));
  CControlUI* target =
      root->FindInTree(FindShortcut, &search, FindEnabled | FindTopFirst | FindMeFirst);
  if (target == nullptr) return false;
  const auto state = dispatch;
  target->SetFocus();
  // The focus handlers may have closed the window or taken the target away.
  if (!state->managerGone && IsInstalled(target)) target->Activate();
  return true;
}

}  // namespace SkinUI

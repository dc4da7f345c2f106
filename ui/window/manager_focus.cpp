// CWindowManagerUI: the focus control, Tab order, and the keyboard handling
// done before dispatch (Tab, Alt keys, Alt+shortcut).

#include "ui/window/window_manager.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "ui/controls/control.h"

namespace SkinUI {

namespace {

// Tab stops and, as a marker, the control a search starts from.
struct TTabCollection {
  CControlUI* start = nullptr;
  std::vector<CControlUI*> found;
};

CControlUI* CALLBACK CollectTabStop(CControlUI* control, LPVOID data) {
  auto* collection = static_cast<TTabCollection*>(data);
  const bool stop = control->IsTabStop();
  if ((stop && control->IsInnerVisible()) || control == collection->start) {
    collection->found.push_back(control);
  }
  return nullptr;
}

// Top to bottom, and left to right along a line. A control is on the line
// of the first control of it when their tops are less than half the
// shorter one's height apart: a tall control (a list) does not pull the
// small ones beside or inside it onto its line.
bool OnOneLine(const RECT& first, const RECT& other) {
  const LONG shorter = std::min(first.bottom - first.top, other.bottom - other.top);
  return other.top - first.top < shorter / 2;
}

void SortInReadingOrder(std::vector<CControlUI*>& controls) {
  auto top = [](const CControlUI* a, const CControlUI* b) {
    return a->Bounds().top < b->Bounds().top;
  };
  auto left = [](const CControlUI* a, const CControlUI* b) {
    return a->Bounds().left < b->Bounds().left;
  };
  std::stable_sort(controls.begin(), controls.end(), top);
  for (auto line = controls.begin(); line != controls.end();) {
    const RECT& first = (*line)->Bounds();
    auto end = line + 1;
    while (end != controls.end() && OnOneLine(first, (*end)->Bounds())) ++end;
    std::stable_sort(line, end, left);
    line = end;
  }
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
  InvalidateFocusIndicator();
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
  InvalidateFocusIndicator();
  TControlEvent event;
  event.kind = EventSetFocus;
  event.sender = control;
  if (!Deliver(control, event)) return;
  NotifyAccessibleEvent(EVENT_OBJECT_FOCUS, control);
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

// The stops in reading order: the next one after start (the first without
// a start), or the one before it; lastSeen gets the last stop of the order.
CControlUI* CWindowManagerUI::TabSearch(CControlUI* start, bool forward, CControlUI** lastSeen) {
  TTabCollection collection;
  collection.start = start;
  if (root != nullptr) {
    root->FindInTree(CollectTabStop, &collection, FindVisible | FindEnabled | FindMeFirst);
  }
  std::vector<CControlUI*>& order = collection.found;
  SortInReadingOrder(order);
  CControlUI* last = nullptr;
  for (auto it = order.rbegin(); it != order.rend() && last == nullptr; ++it) {
    if (*it != start || start->IsTabStop()) last = *it;
  }
  if (lastSeen != nullptr) *lastSeen = last;
  auto at = std::find(order.begin(), order.end(), start);
  if (start == nullptr || at == order.end())
    return start == nullptr && !order.empty() ? order[0] : nullptr;
  if (forward) return at + 1 != order.end() ? *(at + 1) : nullptr;
  return at != order.begin() ? *(at - 1) : nullptr;
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
      NoteKeyboardUse();
      return wParam == VK_TAB && OnTabKey();
    case WM_SYSKEYDOWN:
      NoteKeyboardUse();
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

// Keys that no control used: Esc closes the window by the system's close
// command, so the owner's close rule applies as for its close button and
// Alt+F4; a Tab that did not pass the routing before dispatch moves focus.
void CWindowManagerUI::ApplyWindowKeyDefault(WPARAM key) {
  if (key == VK_ESCAPE && window != nullptr) {
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (key == VK_TAB && !FocusKeepsTab(focus)) {
    MoveFocusByTab(GetKeyState(VK_SHIFT) >= 0);
  }
}

// As on the platform's dialogs, the indicator shows from the first key on.
void CWindowManagerUI::NoteKeyboardUse() {
  if (keyboardCues) return;
  keyboardCues = true;
  InvalidateFocusIndicator();
}

void CWindowManagerUI::InvalidateFocusIndicator() {
  if (focus != nullptr && window != nullptr) InvalidateArea(focus->FocusIndicatorRect());
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

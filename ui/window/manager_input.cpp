// CWindowManagerUI: mouse routing (hover, leave, press and capture, double
// click, context menu, wheel), the cursor, and keyboard messages.

#include "ui/window/window_manager.h"

#include "ui/controls/control.h"

namespace SkinUI {

namespace {

// Mouse messages carry signed 16-bit coordinates.
CPointUI PointFrom(LPARAM lParam) {
  return CPointUI(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

CPointUI ClientPointFromScreen(HWND window, LPARAM lParam) {
  POINT point = PointFrom(lParam);
  ScreenToClient(window, &point);
  return CPointUI(point);
}

LPARAM PackPoint(const POINT& point) {
  return static_cast<LPARAM>((static_cast<DWORD>(point.y) << 16) |
                             (static_cast<DWORD>(point.x) & 0xFFFF));
}

// The point (-1, -1), under no control.
constexpr LPARAM kNowherePoint = -1;

}  // namespace

bool CWindowManagerUI::HandleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, lParam);
      return false;
    case WM_MOUSEHOVER:
      return OnMouseHover(lParam);
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return false;
    case WM_LBUTTONDOWN:
      OnButtonDown(EventButtonDown, wParam, lParam);
      return false;
    case WM_RBUTTONDOWN:
      OnButtonDown(EventRightButtonDown, wParam, lParam);
      return false;
    case WM_LBUTTONDBLCLK:
      OnDoubleClick(wParam, lParam);
      return false;
    case WM_LBUTTONUP:
      OnButtonUp(wParam, lParam);
      return false;
    case WM_CONTEXTMENU:
      OnContextMenu(wParam, lParam);
      return false;
    case WM_MOUSEWHEEL:
      OnMouseWheel(wParam, lParam);
      return false;
    default:
      return false;
  }
}

bool CWindowManagerUI::SendMouseEvent(CControlUI* control, int kind, const POINT& point,
                                      WPARAM wParam, LPARAM lParam, KeyStateWord keyState) {
  TControlEvent event;
  event.kind = kind;
  event.sender = control;
  event.point = CPointUI(point);
  event.keyState = keyState;
  event.wParam = wParam;
  event.lParam = lParam;
  return Deliver(control, event);
}

void CWindowManagerUI::ArmMouseTracking() {
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = window;
  track.dwHoverTime = HoverDelay();
  _TrackMouseEvent(&track);
  mouseTrackingArmed = true;
}

void CWindowManagerUI::OnMouseMove(WPARAM, LPARAM lParam) {
  lastMousePoint = PointFrom(lParam);
  if (!mouseTrackingArmed) ArmMouseTracking();
  CControlUI* target = ControlAt(lastMousePoint);
  if (target != nullptr && !Owns(target)) return;
  if (hover != nullptr && hover != target) {
    CControlUI* left = hover;
    hover = nullptr;
    if (!SendMouseEvent(left, EventMouseLeave, lastMousePoint)) return;
    HideToolTip();
    // The handler may have taken the control under the mouse out of the tree.
    if (!IsInstalled(target)) target = nullptr;
  }
  if (target != nullptr && target != hover) {
    hover = target;
    if (!SendMouseEvent(target, EventMouseEnter, lastMousePoint)) return;
    if (!IsInstalled(target)) target = nullptr;
  }
  // The pressed control follows the mouse wherever it goes.
  CControlUI* receiver = pressed != nullptr ? pressed : target;
  if (receiver != nullptr) SendMouseEvent(receiver, EventMouseMove, lastMousePoint);
}

bool CWindowManagerUI::OnMouseHover(LPARAM lParam) {
  mouseTrackingArmed = false;
  const CPointUI point = PointFrom(lParam);
  CControlUI* control = ControlAt(point);
  if (control == nullptr) return false;
  if (hover != nullptr && !SendMouseEvent(hover, EventMouseHover, point)) return true;
  if (!IsInstalled(control)) return true;
  const CWideStringUI text = control->GetToolTip();
  if (!text.IsEmpty()) ShowToolTip(control, text);
  return true;
}

void CWindowManagerUI::OnMouseLeave() {
  HideToolTip();
  // The move to (-1, -1) finds no control, so the hovered one hears it left.
  if (mouseTrackingArmed) SendMessageW(window, WM_MOUSEMOVE, 0, kNowherePoint);
  mouseTrackingArmed = false;
}

// The focus handlers run before the press: one that removes the control, or
// replaces the tree, leaves nothing pressed, and the control hears no press
// (so it can send no "click" either).
void CWindowManagerUI::OnButtonDown(int kind, WPARAM wParam, LPARAM lParam) {
  lastMousePoint = PointFrom(lParam);
  GiveWindowFocus();
  CControlUI* control = ControlAt(lastMousePoint);
  if (control == nullptr || !Owns(control)) return;
  pressed = control;
  const auto state = dispatch;
  control->SetFocus();
  if (state->managerGone || pressed != control) return;
  CaptureMouse();
  SendMouseEvent(control, kind, lastMousePoint, wParam, lParam, LOWORD(wParam));
}

void CWindowManagerUI::OnDoubleClick(WPARAM wParam, LPARAM lParam) {
  lastMousePoint = PointFrom(lParam);
  GiveWindowFocus();
  CControlUI* control = ControlAt(lastMousePoint);
  if (control == nullptr || !Owns(control)) return;
  CaptureMouse();
  if (!SendMouseEvent(control, EventDoubleClick, lastMousePoint, 0, 0, LOWORD(wParam))) return;
  if (IsInstalled(control)) {
    pressed = control;
  } else {
    ReleaseMouse();
  }
}

void CWindowManagerUI::OnButtonUp(WPARAM wParam, LPARAM lParam) {
  lastMousePoint = PointFrom(lParam);
  CControlUI* released = pressed;
  if (released == nullptr) return;
  ReleaseMouse();
  if (!SendMouseEvent(released, EventButtonUp, lastMousePoint, wParam, lParam, LOWORD(wParam))) {
    return;
  }
  if (pressed == released) pressed = nullptr;
}

void CWindowManagerUI::OnContextMenu(WPARAM wParam, LPARAM lParam) {
  lastMousePoint = ClientPointFromScreen(window, lParam);
  CControlUI* released = pressed;
  if (released == nullptr) return;
  ReleaseMouse();
  if (!SendMouseEvent(released, EventContextMenu, lastMousePoint, 0,
                      reinterpret_cast<LPARAM>(released), LOWORD(wParam))) {
    return;
  }
  if (pressed == released) pressed = nullptr;
}

void CWindowManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
  lastMousePoint = ClientPointFromScreen(window, lParam);
  CControlUI* control = ControlAt(lastMousePoint);
  if (control == nullptr || !Owns(control)) return;
  const WPARAM towardsUser = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
  if (!SendMouseEvent(control, EventScrollWheel, lastMousePoint, towardsUser, lParam,
                      CurrentKeyStateWord())) {
    return;
  }
  // Content may have scrolled under the mouse: let the hover state follow.
  SendMessageW(window, WM_MOUSEMOVE, 0, PackPoint(lastMousePoint));
}

bool CWindowManagerUI::OnSetCursor(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT) return false;
  if (mouseCaptured) return true;
  POINT point = {};
  GetCursorPos(&point);
  ScreenToClient(window, &point);
  CControlUI* control = ControlAt(point);
  if (control == nullptr || !Owns(control)) return false;
  if ((control->ControlFlags() & ControlFlagSetCursor) == 0) return false;
  TControlEvent event;
  event.kind = EventSetCursor;
  event.point = CPointUI(point);
  event.wParam = wParam;
  event.lParam = lParam;
  event.keyState = CurrentKeyStateWord();
  Deliver(control, event);
  return true;
}

bool CWindowManagerUI::SendKeyEvent(CControlUI* control, int kind, WPARAM key, bool* unanswered) {
  TControlEvent event;
  event.kind = kind;
  event.key = static_cast<wchar_t>(key);
  event.point = lastMousePoint;
  event.keyState = CurrentKeyStateWord();
  const bool alive = Deliver(control, event);
  if (unanswered != nullptr) *unanswered = event.unanswered;
  return alive;
}

void CWindowManagerUI::OnKey(int kind, WPARAM wParam) {
  switch (kind) {
    case EventKeyDown: {
      NoteKeyboardUse();
      bool unanswered = true;
      CControlUI* target = focus;
      if (target != nullptr) {
        if (!SendKeyEvent(target, EventKeyDown, wParam, &unanswered)) return;
        keyDown = target;
      }
      if (unanswered) ApplyWindowKeyDefault(wParam);
      return;
    }
    case EventKeyUp:
      if (keyDown == nullptr || !SendKeyEvent(keyDown, EventKeyUp, wParam)) return;
      keyDown = nullptr;
      return;
    case EventChar:
      if (focus != nullptr) SendKeyEvent(focus, EventChar, wParam);
      return;
    default:
      return;
  }
}

}  // namespace SkinUI

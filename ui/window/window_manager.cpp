// CWindowManagerUI: construction and destruction, attaching to the window,
// and the message table.

#include "ui/window/window_manager.h"

#include <algorithm>

#include "ui/controls/control.h"
#include "ui/render/imaging_library.h"
#include "ui/window/window_dpi.h"

namespace SkinUI {

namespace {

// WM_DPICHANGED, which older headers do not declare.
constexpr UINT kDpiChangedMessage = 0x02E0;

template <typename T>
bool AddOnce(std::vector<T*>& list, T* item) {
  if (item == nullptr || std::find(list.begin(), list.end(), item) != list.end()) return false;
  list.push_back(item);
  return true;
}

template <typename T>
bool RemoveItem(std::vector<T*>& list, T* item) {
  auto found = std::find(list.begin(), list.end(), item);
  if (found == list.end()) return false;
  list.erase(found);
  return true;
}

// Done once, with the first manager of the process. The imaging library is
// loaded by its full system path, never by bare name: a copy planted beside
// the program would otherwise run inside it.
void InitialiseProcessOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);
  LoadImagingLibrary();
}

}  // namespace

std::vector<CWindowManagerUI*>& CWindowManagerUI::LiveManagers() {
  static std::vector<CWindowManagerUI*> managers;
  return managers;
}

bool CWindowManagerUI::IsLive(const CWindowManagerUI* manager) {
  const auto& managers = LiveManagers();
  return std::find(managers.begin(), managers.end(), manager) != managers.end();
}

CWindowManagerUI::CWindowManagerUI() : CWindowManagerUI(std::make_unique<CWindowResourcesUI>()) {}

CWindowManagerUI::CWindowManagerUI(std::unique_ptr<CWindowResourcesUI> windowResources)
    : resources(std::move(windowResources)),
      access(std::make_unique<CAccessRegistryUI>(static_cast<IAccessHostUI&>(*this))) {
  InitialiseProcessOnce();
}

// Readers that still hold objects of this window find them cut off before
// any control goes.
CWindowManagerUI::~CWindowManagerUI() {
  access.reset();
  dispatch->managerGone = true;
  if (dispatch->depth > 0) {
    OrphanTrees();
  } else {
    for (CControlUI* waiting : std::exchange(delayedDeletions, {})) delete waiting;
  }
  notificationQueue.clear();
  nameMap.Clear();
  delete std::exchange(root, nullptr);
  NoteRootInstalled(false);
  resources->FreeResources();
  FreeOptionGroups();
  StopAllTimers();
  DestroyToolTip();
  DropPaintBuffers();
  if (paintDC != nullptr) ReleaseDC(window, std::exchange(paintDC, nullptr));
  RemoveItem(LiveManagers(), this);
}

// The trees go on living, unbound, for the code still running in them, and
// are deleted when the outermost delivery has returned.
void CWindowManagerUI::OrphanTrees() {
  std::vector<CControlUI*> trees = std::exchange(delayedDeletions, {});
  if (root != nullptr) trees.push_back(std::exchange(root, nullptr));
  for (CControlUI* tree : trees) {
    tree->BindManager(nullptr, nullptr, false);
    dispatch->orphans.push_back(tree);
  }
}

void CWindowManagerUI::AttachWindow(HWND handle) {
  if (paintDC != nullptr) ReleaseDC(window, std::exchange(paintDC, nullptr));
  window = handle;
  dispatch->window = handle;
  paintDC = handle != nullptr ? GetDC(handle) : nullptr;
  resources->SetMetricsDC(paintDC);
  AttachSettings(window);
  if (handle != nullptr) ApplyScale(CDpiScaleUI(WindowDpi(handle)));
  AddOnce(LiveManagers(), this);
}

// A message whose handling ended the manager counts as handled: the window
// it was for is gone.
bool CWindowManagerUI::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                           LRESULT& result) {
  if (window == nullptr) return false;
  CDispatchScope scope(dispatch);
  if (!DrainNotificationQueue()) return true;
  const bool filtered = OfferToFilters(messageFilters, message, wParam, lParam, result);
  if (scope.ManagerGone() || filtered) return true;
  const bool handled = DispatchWindowMessage(message, wParam, lParam, result);
  if (scope.ManagerGone() || handled) return true;
  return !DrainNotificationQueue();
}

bool CWindowManagerUI::OfferToFilters(const std::vector<IMessageFilterUI*>& list, UINT message,
                                      WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // A filter may remove itself while it runs.
  const std::vector<IMessageFilterUI*> filters = list;
  for (IMessageFilterUI* filter : filters) {
    bool handled = false;
    const LRESULT answer = filter->FilterMessage(message, wParam, lParam, handled);
    if (handled) {
      result = answer;
      return true;
    }
  }
  return false;
}

bool CWindowManagerUI::DispatchWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                             LRESULT& result) {
  if (message == CAccessRegistryUI::ActionMessage()) {
    if (access) access->RunAction(wParam, lParam);
    return true;
  }
  switch (message) {
    case WM_GETOBJECT:
      return access && access->AnswerGetObject(wParam, lParam, result);
    case WM_DESTROY:
      // An owner may keep its manager past the window: what readers hold of
      // it is cut off with the window.
      access.reset();
      return false;
    case kDeleteLaterMessage:
      DeleteWaitingTrees();
      return false;
    case WM_CLOSE:
      OnClose();
      return false;
    case WM_SIZE:
      OnSize();
      return true;
    case WM_PAINT:
      OnPaint();
      return true;
    case WM_PRINTCLIENT:
      OnPrintClient(reinterpret_cast<HDC>(wParam), lParam);
      return false;
    case WM_ERASEBKGND:
      // The whole client area is painted from the offscreen bitmap.
      result = 1;
      return true;
    case kDpiChangedMessage:
      OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      result = 0;
      return true;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
      return false;
    case WM_SETCURSOR:
      return OnSetCursor(wParam, lParam);
    case WM_MOUSEMOVE:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
      return HandleMouseMessage(message, wParam, lParam);
    case WM_KEYDOWN:
      OnKey(EventKeyDown, wParam);
      return false;
    case WM_KEYUP:
      OnKey(EventKeyUp, wParam);
      return false;
    case WM_CHAR:
      OnKey(EventChar, wParam);
      return false;
    case WM_TIMER:
      OnTimer(wParam);
      return false;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr) ReflectToChild(header->hwndFrom, message, wParam, lParam, result);
      return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (lParam == 0) return false;
      return ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result);
    default:
      return false;
  }
}

bool CWindowManagerUI::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
  result = SendMessageW(child, kReflectedMessageBase + message, wParam, lParam);
  return true;
}

void CWindowManagerUI::OnClose() {
  // Both pointers stay set: the window is about to go, and a refused close
  // leaves the tree as it was.
  if (hover != nullptr && !SendMouseEvent(hover, EventMouseLeave, lastMousePoint)) return;
  if (pressed != nullptr && !SendMouseEvent(pressed, EventButtonUp, lastMousePoint)) return;
  const auto state = dispatch;
  SetFocusControl(nullptr);
  if (state->managerGone) return;
  HWND owner = GetWindow(window, GW_OWNER);
  if (owner != nullptr) SetFocus(owner);
}

void CWindowManagerUI::OnSize() {
  if (focus != nullptr) {
    TControlEvent event;
    event.kind = EventWindowSize;
    event.sender = focus;
    if (!Deliver(focus, event)) return;
  }
  if (root != nullptr) root->RequestRelayout();
}

// Everything made for the old scale goes; the tree stays as it is, so what
// the user sees and chose survives the move to another monitor.
void CWindowManagerUI::ApplyScale(CDpiScaleUI scale) {
  SetSettingsScale(scale);
  if (resources->Scale() == scale) return;
  resources->SetScale(scale);
  // Made again on the next tip, with the system's font for the new scale.
  DestroyToolTip();
  DropPaintBuffers();
  if (root != nullptr) root->RequestRelayout();
  if (window != nullptr) InvalidateRect(window, nullptr, FALSE);
}

// The new scale is in place before the window takes the rectangle Windows
// suggests, so the size change that follows lays out at it.
void CWindowManagerUI::OnDpiChanged(int dpi, const RECT* suggested) {
  ApplyScale(CDpiScaleUI(dpi));
  if (suggested == nullptr) return;
  SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowManagerUI::OnGetMinMaxInfo(MINMAXINFO* info) const {
  if (info == nullptr) return;
  const CSizeUI minimum(SettingsScale().ToDevice(MinTrackSize()));
  const CSizeUI maximum(SettingsScale().ToDevice(MaxTrackSize()));
  if (minimum.cx > 0) info->ptMinTrackSize.x = minimum.cx;
  if (minimum.cy > 0) info->ptMinTrackSize.y = minimum.cy;
  if (maximum.cx > 0) info->ptMaxTrackSize.x = maximum.cx;
  if (maximum.cy > 0) info->ptMaxTrackSize.y = maximum.cy;
}

bool CWindowManagerUI::Owns(const CControlUI* control) const {
  return control != nullptr && control->GetManager() == static_cast<const IControlHostUI*>(this);
}

bool CWindowManagerUI::Deliver(CControlUI* control, TControlEvent& event) {
  if (control == nullptr) return true;
  const auto state = dispatch;
  event.time = GetTickCount();
  control->RouteEvent(event);
  return !state->managerGone;
}

bool CWindowManagerUI::AddListener(INotifyUI* listener) {
  if (listener == nullptr) return false;
  listeners.push_back(listener);
  return true;
}

bool CWindowManagerUI::AddFilter(IMessageFilterUI* filter) {
  return AddOnce(messageFilters, filter);
}

bool CWindowManagerUI::RemoveFilter(IMessageFilterUI* filter) {
  return RemoveItem(messageFilters, filter);
}

bool CWindowManagerUI::AddDispatchFilter(IMessageFilterUI* filter) {
  return AddOnce(dispatchFilters, filter);
}

bool CWindowManagerUI::RemoveDispatchFilter(IMessageFilterUI* filter) {
  return RemoveItem(dispatchFilters, filter);
}

bool CWindowManagerUI::AddOverlayPainter(CControlUI* control) {
  return AddOnce(overlayPainters, control);
}

bool CWindowManagerUI::RemoveOverlayPainter(CControlUI* control) {
  return RemoveItem(overlayPainters, control);
}

void CWindowManagerUI::InvalidateArea(const RECT& area) {
  // A control not yet laid out has nothing to repaint, and the paint about
  // to begin covers its own rectangle; either call would only cost the
  // system a trip.
  if (IsRectEmpty(&area) || paintPending.Contains(area)) return;
  if (collectingInvalidation) {
    RECT joined;
    UnionRect(&joined, &collectedArea, &area);
    collectedArea = joined;
    return;
  }
  if (window != nullptr) InvalidateRect(window, &area, FALSE);
}

void CWindowManagerUI::NotifyAccessibleEvent(DWORD event, CControlUI* control) {
  if (access) access->NotifyEvent(event, control);
}

void CWindowManagerUI::CaptureMouse() {
  SetCapture(window);
  mouseCaptured = true;
}

void CWindowManagerUI::ReleaseMouse() {
  if (mouseCaptured) ReleaseCapture();
  mouseCaptured = false;
}

CSizeUI CWindowManagerUI::ClientSize() const {
  RECT client = {};
  if (window != nullptr) GetClientRect(window, &client);
  return CSizeUI(client.right - client.left, client.bottom - client.top);
}

}  // namespace SkinUI

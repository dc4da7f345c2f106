#pragma once
// The per-window engine of the framework. Every native window that shows a
// control tree owns one; the window offers each message to
// HandleWindowMessage first and handles it itself only when the manager does
// not. The manager turns native messages into events for single controls,
// tracks the hovered, pressed, key-down and focused controls, lays out and
// paints the tree through an offscreen bitmap, runs per-control timers, shows
// tooltips, moves focus with Tab and Alt+shortcuts, and sends notifications
// to the application's listeners, at once or through a queue.
//
// It holds the window's shared resources (CWindowResourcesUI), which its
// controls and their drawing reach through Resources(), and carries the
// skin's window settings. Everything runs on the thread that owns the
// window; nothing is locked.

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <memory>
#include <vector>

#include "ui/access/access_host.h"
#include "ui/access/access_registry.h"
#include "ui/core/control_event.h"
#include "ui/core/control_host.h"
#include "ui/core/gdi_handles.h"
#include "ui/core/notify.h"
#include "ui/core/string_map.h"
#include "ui/render/dib_section.h"
#include "ui/render/paint_memo.h"
#include "ui/window/dispatch_scope.h"
#include "ui/window/window_resources.h"
#include "ui/window/window_settings.h"

namespace SkinUI {

class CControlUI;

// Posted to the window; the trees waiting for deletion are deleted when it
// arrives, after the message that asked for it has been handled completely.
constexpr UINT kDeleteLaterMessage = WM_APP + 1;
// Native child windows get WM_NOTIFY, WM_COMMAND and the control-colour
// messages back as this offset plus the message.
constexpr UINT kReflectedMessageBase = 0x2000;

// One running or stopped control timer; stopped records stay for a restart.
struct TimerRecord {
  CControlUI* control = nullptr;
  UINT key = 0;
  HWND window = nullptr;
  UINT nativeId = 0;
  bool stopped = false;
};

class CWindowManagerUI : public IControlHostUI, public CWindowSettingsUI, private IAccessHostUI {
 public:
  CWindowManagerUI();
  // Resources of a kind of their own (a test's may record what drawing asks).
  explicit CWindowManagerUI(std::unique_ptr<CWindowResourcesUI> resources);
  CWindowManagerUI(const CWindowManagerUI&) = delete;
  CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;
  // Deletes the waiting and installed trees, the queued notifications, the
  // resources, timers, tooltip and paint buffers, in that order. Inside a
  // delivery (a handler closed the window) the trees are unbound instead and
  // deleted when the delivery has unwound.
  virtual ~CWindowManagerUI();

  void AttachWindow(HWND window);
  // False when the owning window should handle the message itself.
  bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Keyboard handling before dispatch: Tab, Alt keys and shortcuts. True when
  // the message is consumed.
  bool FilterBeforeDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Gives every live manager whose window (or native parent, for a child
  // window) the message is for a look at it; true when one consumed it.
  static bool RouteBeforeDispatch(const MSG& msg);
  // Runs until WM_QUIT.
  static void RunMessageLoop();
  // Painting through the offscreen bitmap is on unless switched off here.
  void SetOffscreenPainting(bool on) { offscreenPainting = on; }
  // Gives the resource chain's fonts, defaults and colours to this window.
  bool SetParentResources(CWindowManagerUI* parent) {
    return resources->SetParentResources(parent != nullptr ? parent->resources.get() : nullptr);
  }

  // Installs a new tree; the old one is deleted after the current message.
  bool SetRootControl(CControlUI* control);
  CControlUI* RootControl() const { return root; }

  // Focus goes to the first tab stop after the one before control, once the
  // next layout has run.
  void FocusAfterLayout(CControlUI* control);
  bool MoveFocusByTab(bool forward);

  bool AddListener(INotifyUI* listener);
  bool AddFilter(IMessageFilterUI* filter);
  bool RemoveFilter(IMessageFilterUI* filter);
  bool AddDispatchFilter(IMessageFilterUI* filter);
  bool RemoveDispatchFilter(IMessageFilterUI* filter);

  void StopAllTimers();
  void StopControlTimers(CControlUI* control);

  void CaptureMouse();
  void ReleaseMouse();
  bool HasMouseCapture() const { return mouseCaptured; }
  // Whether the focus indicator is drawn: from the first key pressed in the
  // window on, so that a mouse user's screen stays as it was.
  bool ShowsKeyboardCues() const { return keyboardCues; }
  // Topmost visible control that takes the mouse under the client point.
  CControlUI* ControlAt(POINT point);
  CControlUI* ControlByName(const wchar_t* name);
  CSizeUI ClientSize() const;

  void InvalidateArea(const RECT& area) override;
  void RequestLayout() override { updateNeeded = true; }
  void SetFocusControl(CControlUI* control) override;
  CControlUI* FocusControl() const override { return focus; }
  bool StartControlTimer(CControlUI* control, UINT key, UINT intervalMs) override;
  bool StopControlTimer(CControlUI* control, UINT key) override;
  using IControlHostUI::SendNotification;
  void SendNotification(TNotifyMsg& msg, bool async) override;
  bool AddOverlayPainter(CControlUI* control) override;
  bool RemoveOverlayPainter(CControlUI* control) override;
  bool JoinOptionGroup(const wchar_t* group, CControlUI* control) override;
  void LeaveOptionGroup(const wchar_t* group, CControlUI* control) override;
  CPointerArrayUI* OptionGroup(const wchar_t* group) override;
  bool BindControlTree(CControlUI* control, CControlUI* parent = nullptr) override;
  void ForgetControl(CControlUI* control) override;
  void DeleteLater(CControlUI* control) override;
  void NotifyAccessibleEvent(DWORD event, CControlUI* control) override;
  HWND WindowHandle() const override { return window; }
  CPointUI LastMousePos() const override { return lastMousePoint; }
  HDC PaintDC() const override { return paintDC; }
  CWindowResourcesUI& Resources() override { return *resources; }

 private:
  // What the accessibility tree asks of the window.
  HWND AccessWindow() const override { return window; }
  CControlUI* AccessRoot() const override { return root; }
  bool IsInAccessTree(CControlUI* control) const override { return IsInstalled(control); }

  // Message table, in window_manager.cpp.
  bool DispatchWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The first filter of the list that handles the message answers it.
  static bool OfferToFilters(const std::vector<IMessageFilterUI*>& list, UINT message,
                             WPARAM wParam, LPARAM lParam, LRESULT& result);
  void OnClose();
  void OnSize();
  void ApplyScale(CDpiScaleUI scale);
  void OnDpiChanged(int dpi, const RECT* suggested);
  void OnGetMinMaxInfo(MINMAXINFO* info) const;
  bool ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool Owns(const CControlUI* control) const;
  // In the installed tree of this window: not removed, not in a replaced tree.
  bool IsInstalled(CControlUI* control) const;
  // The deliveries below answer false when the manager ended while the
  // handlers ran; the caller must then return without touching it.
  bool Deliver(CControlUI* control, TControlEvent& event);
  // Stops sending to controls of a subtree that leaves the tree.
  void DropReferencesInto(CControlUI* subtree);
  void OrphanTrees();
  // WM_APP + 1's work: deletes the trees waiting for deletion. Inside a
  // nested delivery (a handler running its own message loop) code of those
  // trees may still be running further up: the deletion is put off until the
  // outermost delivery has returned.
  void DeleteWaitingTrees();

  // Painting, in manager_paint.cpp.
  void OnPaint();
  bool LayOutTree();
  void LayOutPendingControls();
  void EnsureOffscreenBuffer(const RECT& client);
  void PaintThroughOffscreen(HDC windowDC, const RECT& paint, const RECT& update);
  void CopyTranslucentBackground(const RECT& paint);
  void DrawDirtyRect(HDC windowDC, const RECT& update) const;
  // Over the focus control, once the keyboard has been used.
  void PaintFocusIndicator(HDC dc, const RECT& paint);
  void DropPaintBuffers();
  void OnPrintClient(HDC dc, LPARAM flags);

  // Mouse and keyboard, in manager_input.cpp.
  bool HandleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnMouseMove(WPARAM wParam, LPARAM lParam);
  bool OnMouseHover(LPARAM lParam);
  void OnMouseLeave();
  void OnButtonDown(int kind, WPARAM wParam, LPARAM lParam);
  void OnDoubleClick(WPARAM wParam, LPARAM lParam);
  void OnButtonUp(WPARAM wParam, LPARAM lParam);
  void OnContextMenu(WPARAM wParam, LPARAM lParam);
  void OnMouseWheel(WPARAM wParam, LPARAM lParam);
  bool OnSetCursor(WPARAM wParam, LPARAM lParam);
  void OnKey(int kind, WPARAM wParam);
  void ArmMouseTracking();
  bool SendMouseEvent(CControlUI* control, int kind, const POINT& point, WPARAM wParam = 0,
                      LPARAM lParam = 0, KeyStateWord keyState = 0);
  // unanswered (optional) tells whether no control used the key.
  bool SendKeyEvent(CControlUI* control, int kind, WPARAM key, bool* unanswered = nullptr);

  // Tooltip, in manager_tooltip.cpp.
  void ShowToolTip(CControlUI* control, const CWideStringUI& text);
  void HideToolTip();
  UINT HoverDelay() const;
  void DestroyToolTip();

  // Focus and keyboard shortcuts, in manager_focus.cpp.
  bool TakeFocusFrom(CControlUI* newFocus);
  CControlUI* TabSearch(CControlUI* start, bool forward, CControlUI** lastSeen);
  bool OnTabKey();
  bool OnSysChar(WPARAM character);
  void GiveWindowFocus();
  void ApplyWindowKeyDefault(WPARAM key);
  void NoteKeyboardUse();
  void InvalidateFocusIndicator();

  // Timers, in manager_timers.cpp.
  TimerRecord* FindTimer(CControlUI* control, UINT key, bool runningOnly);
  void OnTimer(WPARAM nativeId);
  void KillRunningTimer(TimerRecord& record);

  // Notifications, in manager_notify.cpp.
  bool Deliver(TNotifyMsg& msg);
  bool Notify(CControlUI* sender, const wchar_t* type);
  bool DrainNotificationQueue();

  // Tree, in manager_tree.cpp.
  void RegisterNames(CControlUI* control);
  int CountControls();
  void FreeOptionGroups();

  // Every live manager, in attach order.
  static std::vector<CWindowManagerUI*>& LiveManagers();
  static bool IsLive(const CWindowManagerUI* manager);

  // Declared first, so that it goes last.
  std::unique_ptr<CWindowResourcesUI> resources;
  std::shared_ptr<TDispatchState> dispatch = std::make_shared<TDispatchState>();
  // The screen readers' view of the tree; it goes first, with the window.
  std::unique_ptr<CAccessRegistryUI> access;
  HWND window = nullptr;
  HDC paintDC = nullptr;
  UniqueMemoryDC offscreenDC;
  DibSection offscreenBitmap;
  bool offscreenFresh = false;  // nothing painted into it yet
  // What the draws into the offscreen bitmap left, to put back next time.
  CPaintMemoUI paintMemo;
  UniqueMemoryDC backgroundDC;
  UniqueBitmap backgroundBitmap;
  HWND toolTip = nullptr;
  TTTOOLINFOW toolInfo = {};
  CWideStringUI toolTipText;

  CControlUI* root = nullptr;
  CControlUI* focus = nullptr;
  CControlUI* hover = nullptr;
  CControlUI* pressed = nullptr;
  CControlUI* keyDown = nullptr;
  CPointUI lastMousePoint{-1, -1};
  UINT timerIdCounter = 4096;

  bool firstLayoutPending = true;
  bool updateNeeded = false;
  bool focusNeeded = false;
  bool offscreenPainting = true;
  bool mouseTrackingArmed = false;
  bool mouseCaptured = false;
  // The focus indicator shows once a key was pressed in the window.
  bool keyboardCues = false;
  // While the tree is laid out, every control placed asks for its area to be
  // repainted; one request for the union of them all costs one trip to the
  // window system instead of one per control.
  bool collectingInvalidation = false;
  CRectUI collectedArea;
  // Between reading the update region and BeginPaint, the rectangle that
  // paint is sure to cover (empty when the region is no single rectangle):
  // what layout and focus ask to repaint inside it is painted anyway.
  CRectUI paintPending;

  std::vector<INotifyUI*> listeners;
  std::vector<std::unique_ptr<TimerRecord>> timers;
  std::vector<IMessageFilterUI*> dispatchFilters;
  std::vector<IMessageFilterUI*> messageFilters;
  std::vector<CControlUI*> overlayPainters;
  std::vector<CControlUI*> delayedDeletions;
  std::deque<std::unique_ptr<TNotifyMsg>> notificationQueue;
  CStringMapUI nameMap{83};
  // group name -> owned CPointerArrayUI of option controls, in join order.
  CStringMapUI optionGroups{83};
};

}  // namespace SkinUI

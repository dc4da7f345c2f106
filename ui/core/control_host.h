#pragma once
// What controls ask of the window that hosts them: repaint and layout,
// focus, timers, notifications, painting after the tree, option groups,
// their place in the tree, and the window's resources. The window manager
// implements it; controls are written against this interface only, so they
// can be tested with a small stand-in.
//
// Everything runs on the window's thread and nothing blocks.

#include <windows.h>

#include "ui/core/geometry.h"
#include "ui/core/notify.h"
#include "ui/core/pointer_array.h"
#include "ui/core/skin_resources.h"

namespace SkinUI {

class CControlUI;

class IControlHostUI {
 public:
  // The area is repainted at the next paint; nothing is drawn at once.
  virtual void InvalidateArea(const RECT& area) = 0;
  // The whole tree is laid out again before the next paint.
  virtual void RequestLayout() = 0;
  // The previous focus control gets EventKillFocus and "killfocus"; the new
  // one, when it belongs here and is visible, enabled and shown by its
  // parents, gets EventSetFocus and "setfocus". Null removes focus.
  virtual void SetFocusControl(CControlUI* control) = 0;
  virtual CControlUI* FocusControl() const = 0;

  // False when the key is already running; a stopped key restarts with the
  // new interval.
  virtual bool StartControlTimer(CControlUI* control, UINT key, UINT intervalMs) = 0;
  // False when the key is not running.
  virtual bool StopControlTimer(CControlUI* control, UINT key) = 0;

  // Stamps the record with the tick count and the last mouse point.
  // Synchronous: the sender's hooks and every listener have received it on
  // return. Asynchronous: a copy is delivered when the window handles its next
  // message, with a null sender if the control died meanwhile.
  virtual void SendNotification(TNotifyMsg& msg, bool async) = 0;
  // Builds the record and sends it as above. A class that overrides the
  // virtual form hides this one: it must say `using
  // IControlHostUI::SendNotification;`.
  void SendNotification(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0,
                        LPARAM lParam = 0, bool async = false) {
    TNotifyMsg msg;
    msg.sender = sender;
    msg.type = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotification(msg, async);
  }

  virtual bool AddOverlayPainter(CControlUI* control) = 0;
  virtual bool RemoveOverlayPainter(CControlUI* control) = 0;
  virtual bool JoinOptionGroup(const wchar_t* group, CControlUI* control) = 0;
  virtual void LeaveOptionGroup(const wchar_t* group, CControlUI* control) = 0;
  // The members in join order, or null.
  virtual CPointerArrayUI* OptionGroup(const wchar_t* group) = 0;

  // Gives the subtree this manager and its parent, initialises it and
  // registers its named controls. False for a null control.
  virtual bool BindControlTree(CControlUI* control, CControlUI* parent = nullptr) = 0;
  // Called by a control's destructor: every reference to it is dropped.
  virtual void ForgetControl(CControlUI* control) = 0;
  // Detaches the subtree now and deletes it after the current message.
  virtual void DeleteLater(CControlUI* control) = 0;

  // Tells screen readers that something changed on a control of the
  // installed tree (an EVENT_OBJECT_* value); nothing for other controls.
  virtual void NotifyAccessibleEvent(DWORD event, CControlUI* control) = 0;

  // The native window the tree lives in (null before it is attached).
  virtual HWND WindowHandle() const = 0;
  virtual CPointUI LastMousePos() const = 0;
  // A device context of the window, usable for measuring text outside painting.
  virtual HDC PaintDC() const = 0;
  // The fonts, images, colours and class defaults the window's controls share.
  virtual ISkinResourcesUI& Resources() = 0;

 protected:
  ~IControlHostUI() = default;
};

}  // namespace SkinUI

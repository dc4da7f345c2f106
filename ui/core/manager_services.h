#pragma once
// What controls and the drawing helpers ask of the window manager. The window
// manager implements it; controls and drawing code are written against this
// interface only, so they can be tested with a small stand-in.
//
// Everything runs on the window's thread and nothing blocks.

#include <windows.h>

#include "ui/core/geometry.h"
#include "ui/core/notify.h"
#include "ui/core/pointer_array.h"
#include "ui/core/resource_records.h"

namespace SkinUI {

class CControlUI;
class CZipArchive;

// Process-wide hue shift (degrees, 180 = none) and saturation and lightness
// scales (percent, 100 = none).
struct TColorShift {
  short hue = 180;
  short saturation = 100;
  short lightness = 100;
};

class IManagerServicesUI {
 public:
  // --- repaint, layout, focus --------------------------------------------
  // The area is repainted at the next paint; nothing is drawn at once.
  virtual void InvalidateArea(const RECT& area) = 0;
  // The whole tree is laid out again before the next paint.
  virtual void RequestLayout() = 0;
  // The previous focus control gets EventKillFocus and "killfocus"; the new
  // one, when it belongs here and is visible, enabled and shown by its
  // parents, gets EventSetFocus and "setfocus". Null removes focus.
  virtual void SetFocusControl(CControlUI* control) = 0;
  virtual CControlUI* FocusControl() const = 0;

  // --- timers --------------------------------------------------------------
  // False when the key is already running; a stopped key restarts with the
  // new interval.
  virtual bool StartControlTimer(CControlUI* control, UINT key, UINT intervalMs) = 0;
  // False when the key is not running.
  virtual bool StopControlTimer(CControlUI* control, UINT key) = 0;
  virtual void StopControlTimers(CControlUI* control) = 0;

  // --- mouse capture -------------------------------------------------------
  virtual void CaptureMouse() = 0;
  virtual void ReleaseMouse() = 0;
  virtual bool HasMouseCapture() const = 0;

  // --- notifications -------------------------------------------------------
  // Stamps the record with the tick count and the last mouse point.
  // Synchronous: the sender's hooks and every listener have received it on
  // return. Asynchronous: a copy is delivered when the window handles its next
  // message, with a null sender if the control died meanwhile.
  virtual void SendNotification(TNotifyMsg& msg, bool async) = 0;
  // Builds the record and sends it as above. A class that overrides the
  // virtual form hides this one: it must say `using
  // IManagerServicesUI::SendNotification;`.
  void SendNotification(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0,
                        LPARAM lParam = 0, bool async = false) {
    TNotifyMsg msg;
    msg.sender = sender;
    msg.type = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotification(msg, async);
  }

  // --- painting after the tree, option groups --------------------------------
  virtual bool AddOverlayPainter(CControlUI* control) = 0;
  virtual bool RemoveOverlayPainter(CControlUI* control) = 0;
  virtual bool JoinOptionGroup(const wchar_t* group, CControlUI* control) = 0;
  virtual void LeaveOptionGroup(const wchar_t* group, CControlUI* control) = 0;
  // The members in join order, or null.
  virtual CPointerArrayUI* OptionGroup(const wchar_t* group) = 0;

  // --- the control tree ------------------------------------------------------
  // Topmost visible control that takes the mouse under the client point.
  virtual CControlUI* ControlAt(POINT point) = 0;
  virtual CControlUI* ControlByName(const wchar_t* name) = 0;
  // Gives the subtree this manager and its parent, initialises it and
  // registers its named controls. False for a null control.
  virtual bool BindControlTree(CControlUI* control, CControlUI* parent = nullptr) = 0;
  // Called by a control's destructor: every reference to it is dropped.
  virtual void ForgetControl(CControlUI* control) = 0;
  // Detaches the subtree now and deletes it after the current message.
  virtual void DeleteLater(CControlUI* control) = 0;

  // --- window facts ----------------------------------------------------------
  // The native window the tree lives in (null before it is attached).
  virtual HWND WindowHandle() const = 0;
  virtual CPointUI LastMousePos() const = 0;
  virtual CSizeUI ClientSize() const = 0;
  // A device context of the window, usable for measuring text outside painting.
  virtual HDC PaintDC() const = 0;

  // --- skin location (process-wide settings, offered here for controls) ------
  virtual HINSTANCE ModuleInstance() const = 0;
  virtual HINSTANCE ResourceModule() const = 0;
  virtual const wchar_t* ResourceFolder() const = 0;
  virtual const wchar_t* ResourceArchiveName() const = 0;
  virtual bool ArchiveKeptOpen() const = 0;
  // The in-memory skin archive, or null.
  virtual CZipArchive* KeptArchive() const = 0;

  // --- colours ---------------------------------------------------------------
  virtual TColorShift GlobalColorShift() const = 0;
  // ARGB; from the root-most manager of the resource chain.
  virtual DWORD DefaultTextColor() const = 0;
  virtual DWORD DisabledTextColor() const = 0;
  virtual DWORD LinkTextColor() const = 0;
  virtual DWORD LinkHoverTextColor() const = 0;
  virtual DWORD SelectedBackColor() const = 0;

  // --- fonts -----------------------------------------------------------------
  // Any index outside the font table (-1 included) gives the default font.
  virtual HFONT FontAt(int index) = 0;
  // Records with their metrics filled.
  virtual FontRecord* FontInfoAt(int index) = 0;
  virtual FontRecord* FontInfoOf(HFONT font) = 0;
  virtual FontRecord* DefaultFontInfo() = 0;
  // Creates the font and appends it to the table; null when creation fails.
  virtual HFONT RegisterFont(const wchar_t* face, int size, bool bold, bool underline,
                             bool italic) = 0;
  // First table font (here or in the resource parents) with the same face
  // (case-sensitive), size and styles, or null.
  virtual HFONT FindMatchingFont(const wchar_t* face, int size, bool bold, bool underline,
                                 bool italic) = 0;

  // --- images and class defaults ---------------------------------------------
  // Loaded on first request and kept under its name; later requests get the
  // kept image whatever mask they pass. Null when it cannot be loaded.
  virtual ImageRecord* ObtainImage(const wchar_t* name, const wchar_t* resourceType,
                                   DWORD mask) = 0;
  // The skin's default attribute list for the class, or null.
  virtual const wchar_t* ClassDefaults(const wchar_t* className) = 0;

 protected:
  ~IManagerServicesUI() = default;
};

}  // namespace SkinUI

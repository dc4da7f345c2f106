#pragma once
// Notifications from controls to the application, and the message filters
// that see native messages before the window manager does.

#include <windows.h>

#include "ui/core/geometry.h"
#include "ui/core/wide_string.h"

namespace SkinUI {

class CControlUI;

struct TNotifyMsg {
  // One of the notification literals: "click", "itemselect", "windowinit" ...
  CWideStringUI type;
  // Null when the control was destroyed while the notification was queued.
  CControlUI* sender = nullptr;
  DWORD time = 0;
  CPointUI point;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// The notification types the framework sends.
namespace NotifyType {
constexpr wchar_t kWindowInit[] = L"windowinit";
constexpr wchar_t kSetFocus[] = L"setfocus";
constexpr wchar_t kKillFocus[] = L"killfocus";
constexpr wchar_t kTimer[] = L"timer";
constexpr wchar_t kMenu[] = L"menu";
constexpr wchar_t kClick[] = L"click";
constexpr wchar_t kSelectChanged[] = L"selectchanged";
constexpr wchar_t kLink[] = L"link";
constexpr wchar_t kScroll[] = L"scroll";
constexpr wchar_t kItemClick[] = L"itemclick";
constexpr wchar_t kItemActivate[] = L"itemactivate";
constexpr wchar_t kItemSelect[] = L"itemselect";
// A row's check was toggled by the user (keyboard or assistive technology):
// wParam is the row index, lParam 1 when it is now checked.
constexpr wchar_t kItemCheck[] = L"itemcheck";
constexpr wchar_t kHeaderClick[] = L"headerclick";
}  // namespace NotifyType

class INotifyUI {
 public:
  virtual void Receive(TNotifyMsg& msg) = 0;

 protected:
  ~INotifyUI() = default;
};

class IMessageFilterUI {
 public:
  // Sets handled to stop any further processing of the message.
  virtual LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

 protected:
  ~IMessageFilterUI() = default;
};

}  // namespace SkinUI

// CWindowManagerUI: the tooltip window, made on the first tooltip and shown
// over the hovered control.

#include "ui/window/window_manager.h"

#include "ui/controls/control.h"
#include "ui/core/window_wnd.h"

namespace SkinUI {

namespace {

// Hover notices come after this delay while no tooltip window exists yet.
constexpr UINT kDefaultHoverDelayMs = 400;

}  // namespace

UINT CWindowManagerUI::HoverDelay() const {
  if (toolTip == nullptr) return kDefaultHoverDelayMs;
  return static_cast<UINT>(SendMessageW(toolTip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
}

void CWindowManagerUI::ShowToolTip(CControlUI* control, const CWideStringUI& text) {
  // The tool record points at this copy for as long as the tip may show it.
  toolTipText = text;
  toolInfo = {};
  toolInfo.cbSize = TTTOOLINFOW_V2_SIZE;
  toolInfo.uFlags = TTF_IDISHWND | TTF_PARSELINKS;
  toolInfo.hwnd = window;
  toolInfo.uId = reinterpret_cast<UINT_PTR>(window);
  toolInfo.hinst = FrameworkInstance();
  toolInfo.lpszText = const_cast<wchar_t*>(toolTipText.GetData());
  toolInfo.rect = control->Bounds();
  if (toolTip == nullptr) {
    toolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                              FrameworkInstance(), nullptr);
    if (toolTip == nullptr) return;
    SendMessageW(toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo));
  }
  SendMessageW(toolTip, TTM_SETMAXTIPWIDTH, 0, control->GetWidth());
  SendMessageW(toolTip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&toolInfo));
  SendMessageW(toolTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo));
}

void CWindowManagerUI::HideToolTip() {
  if (toolTip == nullptr) return;
  SendMessageW(toolTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&toolInfo));
}

void CWindowManagerUI::DestroyToolTip() {
  // The tip is owned by the window and may already be gone with it.
  if (toolTip != nullptr && IsWindow(toolTip)) DestroyWindow(toolTip);
  toolTip = nullptr;
}

}  // namespace SkinUI

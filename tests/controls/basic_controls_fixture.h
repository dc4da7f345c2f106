#pragma once
// Shared by the basic control tests: solid state images registered with the
// stand-in manager, events built in one line, painting into a canvas.

#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/controls/control.h"

namespace SkinUITest {

// One colour per look, so a pixel tells which image was drawn.
constexpr DWORD kNormalLook = 0xFF3060C0;
constexpr DWORD kHotLook = 0xFF30A050;
constexpr DWORD kPushedLook = 0xFFC03030;
constexpr DWORD kFocusedLook = 0xFFE0B020;
constexpr DWORD kDisabledLook = 0xFF909090;
constexpr DWORD kSelectedLook = 0xFF8040C0;
constexpr DWORD kPaper = 0xFFFFFFFF;

inline DWORD Rgb(DWORD argb) {
  return argb & 0x00FFFFFF;
}

inline void AddSolidImage(CTestManager& manager, const wchar_t* name, DWORD color, int width = 4,
                          int height = 4) {
  manager.AddImage(name, width, height, std::vector<DWORD>(width * height, color));
}

// normal.png, hot.png, pushed.png, focused.png, disabled.png, selected.png.
inline void AddStateImages(CTestManager& manager) {
  AddSolidImage(manager, L"normal.png", kNormalLook);
  AddSolidImage(manager, L"hot.png", kHotLook);
  AddSolidImage(manager, L"pushed.png", kPushedLook);
  AddSolidImage(manager, L"focused.png", kFocusedLook);
  AddSolidImage(manager, L"disabled.png", kDisabledLook);
  AddSolidImage(manager, L"selected.png", kSelectedLook);
}

inline SkinUI::TControlEvent MakeEvent(int kind, POINT point = {0, 0}, wchar_t key = 0) {
  SkinUI::TControlEvent event;
  event.kind = kind;
  event.point = SkinUI::CPointUI(point);
  event.key = key;
  return event;
}

inline void Send(SkinUI::CControlUI& control, int kind, POINT point = {0, 0}, wchar_t key = 0) {
  SkinUI::TControlEvent event = MakeEvent(kind, point, key);
  event.sender = &control;
  control.RouteEvent(event);
}

inline void PaintInto(SkinUI::CControlUI& control, Canvas& canvas) {
  control.Paint(canvas.dc(), canvas.Bounds());
}

// The notification types the stand-in manager recorded, in order.
inline std::vector<std::wstring> SentTypes(const CTestManager& manager) {
  std::vector<std::wstring> types;
  for (const auto& sent : manager.notifications) types.push_back(sent.type);
  return types;
}

}  // namespace SkinUITest

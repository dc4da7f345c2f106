#pragma once
// A control for window tests that writes every event it gets, and its own
// end, into a shared log, and can be set up to act as a tab stop, a cursor
// setter, a label or a rich edit, or to misbehave during layout.

#include <string>
#include <vector>

#include "ui/controls/control.h"

namespace SkinUITest {

// Logged when a probe is destroyed.
constexpr int kProbeDestroyed = -1;

struct TEventRecord {
  std::wstring control;
  int kind = 0;
  SkinUI::CControlUI* sender = nullptr;
  wchar_t key = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  POINT point = {};
  SkinUI::KeyStateWord keyState = 0;
};

class CEventLog {
 public:
  void Clear() { records.clear(); }
  // "name:kind" entries in arrival order, e.g. {"a:10", "b:11", "b:9"}.
  std::vector<std::string> Entries() const;
  // Kinds that reached the named control, in order.
  std::vector<int> KindsOf(const wchar_t* control) const;
  int Count(const wchar_t* control, int kind) const;
  // The last record of that kind for the control, or null.
  const TEventRecord* Last(const wchar_t* control, int kind) const;

  std::vector<TEventRecord> records;
};

class CProbeControlUI : public SkinUI::CControlUI {
 public:
  // Placed at (x, y) inside its panel with size (width, height).
  CProbeControlUI(const wchar_t* name, CEventLog* log, int x = 0, int y = 0, int width = 0,
                  int height = 0);
  ~CProbeControlUI() override;

  const wchar_t* ClassName() const override { return className.c_str(); }
  UINT ControlFlags() const override { return flags; }
  void* InterfaceFor(const wchar_t* name) override;
  bool Activate() override;
  void SetBounds(const RECT& rect) override;
  void HandleEvent(SkinUI::TControlEvent& event) override;
  // Fills the control with overlayColor (when set) after the whole tree.
  void PaintOverlay(HDC dc, const RECT& dirty) override;

  std::wstring className = L"ProbeUI";
  UINT flags = 0;
  // A faulty control that asks for layout again each time it is placed.
  bool relayoutOnEveryPlacement = false;
  // Answers the interface a rich edit that takes Tab answers.
  bool wantsTab = false;
  DWORD overlayColor = 0;
  int activations = 0;
  int placements = 0;

 private:
  CEventLog* log_;
};

}  // namespace SkinUITest

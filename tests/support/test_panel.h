#pragma once
// A minimal container for the window manager's tests, so that they do not
// depend on the real container's layout and scrolling rules: it owns its
// children, places each at its fixed offset and size inside itself (a zero
// size fills the panel), searches and paints them in list order.

#include <vector>

#include "ui/controls/control.h"

namespace SkinUITest {

class CTestPanelUI : public SkinUI::CControlUI {
 public:
  CTestPanelUI() = default;
  ~CTestPanelUI() override;

  // Takes ownership; binds the child when the panel already has a window.
  void Add(SkinUI::CControlUI* child);
  // Gives up ownership of child without deleting it; false when not a child.
  bool Detach(SkinUI::CControlUI* child);
  int ChildCount() const { return static_cast<int>(children_.size()); }

  const wchar_t* ClassName() const override { return L"TestPanelUI"; }
  void BindManager(SkinUI::IControlHostUI* manager, SkinUI::CControlUI* parent,
                   bool init = true) override;
  void SetBounds(const RECT& rect) override;
  SkinUI::CControlUI* FindInTree(SkinUI::FindControlProc test, LPVOID data, UINT flags) override;
  void Paint(HDC dc, const RECT& dirty) override;
  int AccessibleChildCount() const override { return ChildCount(); }
  SkinUI::CControlUI* AccessibleChildAt(int index) const override {
    return index >= 0 && index < ChildCount() ? children_[index] : nullptr;
  }

 private:
  std::vector<SkinUI::CControlUI*> children_;
};

}  // namespace SkinUITest

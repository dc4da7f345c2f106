#pragma once
// Stacks its children top to bottom: fixed heights are kept, children of
// height 0 share the rest, minimum and maximum heights clamp both, paddings
// separate them, and the vertical bar appears when they do not fit. An
// optional separator band on the top or bottom edge resizes the layout.

#include "ui/controls/container.h"
#include "ui/controls/layout_separator.h"

namespace SkinUI {

class CVerticalLayoutUI : public CContainerUI {
 public:
  CVerticalLayoutUI();

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  UINT ControlFlags() const override;
  void SetBounds(const RECT& rect) override;
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  void PaintOverlay(HDC dc, const RECT& dirty) override;

  int GetSepHeight() const { return separator.Size(); }
  void SetSepHeight(int height) { separator.SetSize(height); }
  bool IsSepImmediateMode() const { return separator.IsImmediate(); }
  void SetSepImmediateMode(bool on) { separator.SetImmediate(*this, on); }

 protected:
  // Places the children inside rc and returns the height they need. With
  // rowWidth < 0 a child is as wide as it asks, or as the room; otherwise at
  // least rowWidth wide (list rows, as wide as their header).
  int PlaceChildren(const CRectUI& rc, int rowWidth);

 private:
  CLayoutSeparatorUI separator;
};

}  // namespace SkinUI

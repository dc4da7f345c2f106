#pragma once
// Places its children left to right: fixed widths are kept, children of
// width 0 share the rest, minimum and maximum widths clamp both and paddings
// separate them. An optional separator band on the left or right edge
// resizes the layout.

#include "ui/controls/container.h"
#include "ui/controls/layout_separator.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CContainerUI {
 public:
  CHorizontalLayoutUI();

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  UINT ControlFlags() const override;
  void SetBounds(const RECT& rect) override;
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  void PaintOverlay(HDC dc, const RECT& dirty) override;

  int GetSepWidth() const { return separator.Size(); }
  void SetSepWidth(int width) { separator.SetSize(width); }
  bool IsSepImmediateMode() const { return separator.IsImmediate(); }
  void SetSepImmediateMode(bool on) { separator.SetImmediate(*this, on); }

 private:
  CLayoutSeparatorUI separator;
};

}  // namespace SkinUI

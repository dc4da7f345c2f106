#pragma once
// Places its children one after the other along one axis, top to bottom or
// left to right: fixed sizes along the axis are kept, children of size 0
// share the rest, minimum and maximum sizes clamp both, paddings separate
// them, and a vertical box shows its vertical bar when they do not fit. An
// optional separator band on one edge resizes the box. The vertical and the
// horizontal layout are this box with their axis.

#include "ui/controls/container.h"
#include "ui/controls/layout_separator.h"

namespace SkinUI {

class CBoxLayoutUI : public CContainerUI {
 public:
  UINT ControlFlags() const override;
  void SetBounds(const RECT& rect) override;
  void HandleEvent(TControlEvent& event) override;
  // "sepheight" (vertical) or "sepwidth" (horizontal), and "sepimm".
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  void PaintOverlay(HDC dc, const RECT& dirty) override;

  bool IsVertical() const { return verticalAxis; }
  // Logical; the separator itself works in the window's pixels.
  int GetSepSize() const { return sepSize; }
  void SetSepSize(int size) {
    sepSize = size;
    separator.SetSize(Scale().ToDevice(size));
  }
  bool IsSepImmediateMode() const { return separator.IsImmediate(); }
  void SetSepImmediateMode(bool on) { separator.SetImmediate(*this, on); }

 protected:
  explicit CBoxLayoutUI(bool isVertical);

  // Places the children inside rc and returns the length they need along the
  // axis. With crossMinimum < 0 a child is as wide (or tall) across the axis
  // as it asks, or as the room; otherwise at least crossMinimum (list rows,
  // as wide as their header).
  int PlaceChildren(const CRectUI& rc, int crossMinimum);

 private:
  const bool verticalAxis;
  CLayoutSeparatorUI separator;
  int sepSize = 0;
};

class CVerticalLayoutUI : public CBoxLayoutUI {
 public:
  CVerticalLayoutUI() : CBoxLayoutUI(true) {}

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
};

class CHorizontalLayoutUI : public CBoxLayoutUI {
 public:
  CHorizontalLayoutUI() : CBoxLayoutUI(false) {}

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
};

}  // namespace SkinUI

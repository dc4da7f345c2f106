#pragma once
// Wrapping text that may hold markup links: the links found at the last paint
// are hit-tested for the hand cursor, the hover look and "link" on release.

#include "ui/controls/label.h"

namespace SkinUI {

class CTextUI : public CLabelUI {
 public:
  static constexpr int kMaxLinks = 8;

  CTextUI();

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  // Sets the cursor itself while it has links.
  UINT ControlFlags() const override;
  void HandleEvent(TControlEvent& event) override;
  // Measures the text wrapped to the available (or fixed) width.
  SIZE PreferredSize(SIZE available) override;
  void PaintTextLayer(HDC dc) override;

  // The links laid out by the last paint.
  int LinkCount() const { return linkCount; }
  const RECT* LinkRects() const { return linkRects; }
  const CWideStringUI* LinkTargets() const { return linkTargets; }
  // The link under the mouse, or -1.
  int HotLink() const { return hotLink; }

 private:
  // Index of the first link holding the point, or -1.
  int LinkAt(POINT point) const;

  int linkCount = 0;
  int hotLink = -1;
  RECT linkRects[kMaxLinks] = {};
  // Kept last: nothing of this class lies behind the link table.
  CWideStringUI linkTargets[kMaxLinks];
};

}  // namespace SkinUI

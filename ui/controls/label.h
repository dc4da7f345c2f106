#pragma once
// One line of text: colours, font, alignment and padding of the text, drawn
// plain or as markup. The base of every control that shows text.

#include "ui/controls/control.h"

namespace SkinUI {

class CLabelUI : public CControlUI {
 public:
  CLabelUI();

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  // The fixed size when a fixed height is set, else the fixed width by the
  // font's height plus a margin.
  SIZE PreferredSize(SIZE available) override;
  void PaintTextLayer(HDC dc) override;
  DWORD AccessibleRole() const override;
  // Markup text is read as plain text.
  CWideStringUI AccessibleName() override;
  DWORD AccessibleOwnState() const override;

  // DrawTextW format bits; labels add DT_SINGLELINE when painting.
  UINT GetTextStyle() const { return textStyle; }
  void SetTextStyle(UINT style);
  // 0 means "not set": the window's default replaces it at the first paint.
  DWORD GetTextColor() const { return textColor; }
  void SetTextColor(DWORD color);
  DWORD GetDisabledTextColor() const { return disabledTextColor; }
  void SetDisabledTextColor(DWORD color);
  // Index into the window's font table; outside it, the default font.
  int GetFont() const { return font; }
  void SetFont(int index);
  RECT GetTextPadding() const { return textPadding; }
  void SetTextPadding(const RECT& padding);
  bool IsShowHtml() const { return showHtml; }
  void SetShowHtml(bool on);

 protected:
  // A control that does not take the mouse hands mouse events to its parent
  // (or, without one, to the label's handling); true when it did.
  bool ForwardMouseEventIfNotTaken(TControlEvent& event);
  // Colours of 0 take the window's defaults, for good.
  void ApplyDefaultTextColors();
  // The item rectangle inset by the text padding.
  RECT TextArea() const;
  // Markup (without links) or plain text with the control's font.
  void DrawTextIn(HDC dc, RECT& area, DWORD color, UINT style);
  // Margin added to the font height by PreferredSize.
  SIZE PreferredSizeWithMargin(int margin);

  DWORD textColor = 0;
  DWORD disabledTextColor = 0;
  int font = -1;
  UINT textStyle = DT_VCENTER;
  CRectUI textPadding;
  bool showHtml = false;
};

}  // namespace SkinUI

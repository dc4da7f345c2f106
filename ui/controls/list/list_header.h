#pragma once
// The header row of a list: a horizontal layout of column headers. Each
// header item shows a caption and state images, reports "headerclick" when
// pressed, and has a separator strip on one edge that can be dragged to make
// the column wider or narrower, never below its minimum width. The list
// copies the items' rectangles into its columns after every layout.

#include "ui/controls/box_layout.h"
#include "ui/controls/control.h"
#include "ui/controls/press_behavior.h"

namespace SkinUI {

// The horizontal words of an "align" value ("left", "center", "right"),
// looked for as substrings in that order; the vertical bits stay as they are.
UINT HorizontallyAlignedStyle(UINT style, const wchar_t* value);

class CListHeaderUI : public CHorizontalLayoutUI {
 public:
  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  // The fixed height, or the tallest item but at least the default font plus
  // a margin; the width is the sum of every item's estimated width, hidden
  // ones included, which is the width the list's rows need.
  SIZE PreferredSize(SIZE available) override;
  // Readers see the column headers as the list's own.
  bool IsAccessibleLevel() const override { return false; }
  // A header laid out on its own tells its list, whose columns follow it.
  void SetBounds(const RECT& rect) override;
};

class CListHeaderItemUI : public CControlUI {
 public:
  CListHeaderItemUI();

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  // Sets the cursor itself while enabled and it has a separator.
  UINT ControlFlags() const override;
  // Disabling clears the state word.
  void SetEnabled(bool enabled = true) override;
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  // With a fixed height the fixed size, else the fixed width by the default
  // font's height plus a margin.
  SIZE PreferredSize(SIZE available) override;
  void PaintStateImage(HDC dc) override;
  DWORD AccessibleRole() const override;
  void PaintTextLayer(HDC dc) override;

  // The separator strip in window coordinates: at the right edge for a
  // width >= 0, the leftmost pixels for a negative one.
  RECT GetSeparatorRect() const;
  // ButtonState bits: focused, hot, pushed, captured (dragging).
  UINT GetButtonState() const { return press.State(); }

  bool IsDragable() const { return dragable; }
  void SetDragable(bool on);
  int GetSepWidth() const { return sepWidth; }
  void SetSepWidth(int width);
  UINT GetTextStyle() const { return textStyle; }
  void SetTextStyle(UINT style);
  // 0 = not set: the window's default replaces it at the first paint.
  DWORD GetTextColor() const { return textColor; }
  void SetTextColor(DWORD color);
  int GetFont() const { return font; }
  void SetFont(int index);
  RECT GetTextPadding() const { return textPadding; }
  void SetTextPadding(const RECT& padding);
  bool IsShowHtml() const { return showHtml; }
  void SetShowHtml(bool on);
  void SetNormalImage(const wchar_t* image) { ChangeImage(normalImage, image); }
  void SetHotImage(const wchar_t* image) { ChangeImage(hotImage, image); }
  void SetPushedImage(const wchar_t* image) { ChangeImage(pushedImage, image); }
  void SetFocusedImage(const wchar_t* image) { ChangeImage(focusedImage, image); }
  void SetSepImage(const wchar_t* image) { ChangeImage(sepImage, image); }

  // Lets the items of a hidden header count as visible while the list lays
  // them out for its columns; no layout or repaint is requested.
  void SetShownForLayout(bool shown) { StoreVisible(shown); }

 private:
  // True when the event was one of the press events.
  bool OnPointer(const TControlEvent& event);
  void OnDrag(const TControlEvent& event);
  // The header's parent lays out again, and with it the columns and rows.
  void RequestColumnLayout();
  void ChangeImage(CWideStringUI& field, const wchar_t* image);

  CPointUI lastMouse;
  bool dragable = true;
  CPressBehaviorUI press;
  int sepWidth = 4;
  DWORD textColor = 0;
  int font = -1;
  UINT textStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  bool showHtml = false;
  CRectUI textPadding{2, 0, 2, 0};
  CWideStringUI normalImage;
  CWideStringUI hotImage;
  CWideStringUI pushedImage;
  CWideStringUI focusedImage;
  CWideStringUI sepImage;
  CWideStringUI sepModifier;
};

}  // namespace SkinUI

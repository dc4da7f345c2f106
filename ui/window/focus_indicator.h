#pragma once
// The keyboard focus indicator the window draws over the focused control
// after the tree has painted: its style, read from the words of a
// "focusrect" value, and its drawing.
//
// A value holds, in any order: "none" (no indicator), "dotted" or "solid",
// up to two numbers (the line width, then the inset from the control's
// edge, in pixels) and up to two colours "#AARRGGBB" (the line, then the
// gaps of a dotted line). What a value leaves out comes from the style it
// refines: the window's own, which starts as dotted 1 2 #FF000000 #FFFFFFFF.
// A dotted line alternates both colours, so it shows on any background.

#include <windows.h>

namespace SkinUI {

struct TFocusIndicatorStyle {
  bool shown = true;
  bool dotted = true;
  int width = 1;
  int inset = 2;
  // Alpha is not used: the indicator is always opaque.
  DWORD color = 0xFF000000;
  DWORD gapColor = 0xFFFFFFFF;
};

// An empty or null text gives base unchanged.
TFocusIndicatorStyle ParseFocusIndicatorStyle(const wchar_t* text,
                                              const TFocusIndicatorStyle& base);

// The rectangle inset by the style's inset, drawn only inside clip.
void DrawFocusIndicator(HDC dc, const RECT& rect, const RECT& clip,
                        const TFocusIndicatorStyle& style);

}  // namespace SkinUI

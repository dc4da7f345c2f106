#pragma once
// The settings the skin's "Window" element carries for the native window: its
// size at start, resize border, caption area, corner rounding, tracking
// limits, opacity, a translucent background and the dirty-rectangle outline.

#include <windows.h>

#include "ui/core/geometry.h"
#include "ui/window/focus_indicator.h"

namespace SkinUI {

class CWindowSettingsUI {
 public:
  // Resizes the window (no move, no reordering, no activation) only while no
  // control tree is installed.
  void SetInitialSize(int cx, int cy);
  CSizeUI InitialSize() const { return initialSize; }
  void SetResizeBorder(const RECT& border) { resizeBorder = border; }
  CRectUI ResizeBorder() const { return resizeBorder; }
  // Client coordinates, edges included; the owning window reports it as caption.
  void SetCaptionArea(const RECT& area) { captionArea = area; }
  CRectUI CaptionArea() const { return captionArea; }
  void SetCornerRounding(int cx, int cy) { cornerRounding = CSizeUI(cx, cy); }
  CSizeUI CornerRounding() const { return cornerRounding; }
  // Components greater than 0 are applied in WM_GETMINMAXINFO.
  void SetMinTrackSize(int cx, int cy) { minTrackSize = CSizeUI(cx, cy); }
  CSizeUI MinTrackSize() const { return minTrackSize; }
  void SetMaxTrackSize(int cx, int cy) { maxTrackSize = CSizeUI(cx, cy); }
  CSizeUI MaxTrackSize() const { return maxTrackSize; }
  // Stores the value clamped to 0-255. A value within that range makes the
  // window layered with that constant alpha; one outside it makes the window
  // plain again.
  void SetWindowOpacity(int value);
  int WindowOpacity() const { return opacity; }
  void SetTranslucentBackground(bool on) { translucentBackground = on; }
  bool IsTranslucentBackground() const { return translucentBackground; }
  void SetShowDirtyRect(bool on) { showDirtyRect = on; }
  bool ShowsDirtyRect() const { return showDirtyRect; }
  // The focus indicator of every control without a "focusrect" of its own:
  // the words refine the built-in dotted style.
  void SetFocusIndicatorStyle(const wchar_t* words) {
    focusIndicator = ParseFocusIndicatorStyle(words, TFocusIndicatorStyle());
  }
  const TFocusIndicatorStyle& FocusIndicatorStyle() const { return focusIndicator; }

 protected:
  // The window the settings act on.
  void AttachSettings(HWND window) { settingsWindow = window; }
  // Whether a control tree is installed (the initial size no longer resizes).
  void NoteRootInstalled(bool installed) { rootInstalled = installed; }

 private:
  HWND settingsWindow = nullptr;
  bool rootInstalled = false;
  CSizeUI initialSize;
  CRectUI resizeBorder;
  CRectUI captionArea;
  CSizeUI cornerRounding;
  CSizeUI minTrackSize;
  CSizeUI maxTrackSize;
  int opacity = 255;
  bool translucentBackground = false;
  bool showDirtyRect = false;
  TFocusIndicatorStyle focusIndicator;
};

}  // namespace SkinUI

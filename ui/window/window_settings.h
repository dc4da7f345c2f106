#pragma once
// The settings the skin's "Window" element carries for the native window: its
// size at start, resize border, caption area, corner rounding, tracking
// limits, opacity, a translucent background and the dirty-rectangle outline.
// Sizes and areas are stored as the skin gives them, in logical pixels; the
// Device forms are what the window uses at its scale.

#include <windows.h>

#include "ui/core/dpi_scale.h"
#include "ui/core/geometry.h"
#include "ui/window/focus_indicator.h"

namespace SkinUI {

class CWindowSettingsUI {
 public:
  // Resizes the window (no move, no reordering, no activation) to the size at
  // its scale, only while no control tree is installed.
  void SetInitialSize(int cx, int cy);
  CSizeUI InitialSize() const { return initialSize; }
  CSizeUI DeviceInitialSize() const { return CSizeUI(settingsScale.ToDevice(initialSize)); }
  void SetResizeBorder(const RECT& border) { resizeBorder = border; }
  CRectUI ResizeBorder() const { return resizeBorder; }
  CRectUI DeviceResizeBorder() const { return settingsScale.ToDevice(resizeBorder); }
  // Client coordinates, edges included; the owning window reports it as caption.
  void SetCaptionArea(const RECT& area) { captionArea = area; }
  CRectUI CaptionArea() const { return captionArea; }
  CRectUI DeviceCaptionArea() const { return settingsScale.ToDevice(captionArea); }
  void SetCornerRounding(int cx, int cy) { cornerRounding = CSizeUI(cx, cy); }
  CSizeUI CornerRounding() const { return cornerRounding; }
  CSizeUI DeviceCornerRounding() const { return CSizeUI(settingsScale.ToDevice(cornerRounding)); }
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
  void SetSettingsScale(CDpiScaleUI scale) { settingsScale = scale; }
  CDpiScaleUI SettingsScale() const { return settingsScale; }

 private:
  HWND settingsWindow = nullptr;
  bool rootInstalled = false;
  CDpiScaleUI settingsScale;
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

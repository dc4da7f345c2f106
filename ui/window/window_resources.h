#pragma once
// What the controls of one window share: fonts addressed by index, images
// addressed by name, default attribute lists per control class, the default
// colours, and the window settings the skin's "Window" element carries.
//
// A window may name another one as its resource parent (a drop-down shares
// the resources of the window that owns it): fonts, class defaults and
// default colours are then looked up through that chain, and the colours and
// the default font come from its root-most member.

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/core/geometry.h"
#include "ui/core/resource_records.h"
#include "ui/core/string_map.h"
#include "ui/core/wide_string.h"

namespace SkinUI {

class CWindowResourcesUI {
 public:
  CWindowResourcesUI();
  CWindowResourcesUI(const CWindowResourcesUI&) = delete;
  CWindowResourcesUI& operator=(const CWindowResourcesUI&) = delete;
  ~CWindowResourcesUI();

  // --- resource parent ---------------------------------------------------------
  // Null clears it. Refused when this object is already in the parent's chain.
  bool SetParentResources(CWindowResourcesUI* parent);
  CWindowResourcesUI* ParentResources() const { return parentResources; }

  // --- fonts -------------------------------------------------------------------
  // Appends a new font (indices count from 0 in registration order); null when
  // the font cannot be made. Equal requests still get separate entries.
  HFONT RegisterFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
  // Any index outside the table (-1 included) gives the default font.
  HFONT FontAt(int index);
  FontRecord* FontInfoAt(int index);
  // The record holding that font here or in a parent; else the default font's.
  FontRecord* FontInfoOf(HFONT font);
  // First table font here, then in each parent, with the same face
  // (case-sensitive), size and styles; null when none.
  HFONT FindMatchingFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
  // Keeps the old default font when the new one cannot be made (false).
  bool ReplaceDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
  // The root-most window's default font, metrics filled.
  FontRecord* DefaultFontInfo();
  int FontCount() const { return static_cast<int>(fonts.size()); }
  void ClearFonts();

  // --- images (this window only, no parent chain) ------------------------------
  // Loaded on first request and kept under its name; the mask counts only for
  // that first load. Null when it cannot be loaded.
  ImageRecord* ObtainImage(const wchar_t* name, const wchar_t* resourceType, DWORD mask);
  // With a resource type, name is a decimal resource number. A name already
  // kept stays as it is (the new image is dropped) and the result is true.
  bool LoadAndKeepImage(const wchar_t* name, const wchar_t* resourceType, DWORD mask);
  int ImageCount() const { return images.GetCount(); }
  void ClearImages();

  // --- class defaults: the first list given for a class wins --------------------
  void AddClassDefaults(const wchar_t* className, const wchar_t* attributeList);
  // Here, then in each parent; null when none.
  const wchar_t* ClassDefaults(const wchar_t* className);
  void ClearClassDefaults();

  // --- default colours (ARGB) ------------------------------------------------------
  // Setters store here; getters answer for the root-most window of the chain.
  DWORD DisabledTextColor() const { return RootResources().disabledTextColor; }
  DWORD DefaultTextColor() const { return RootResources().defaultTextColor; }
  DWORD LinkTextColor() const { return RootResources().linkTextColor; }
  DWORD LinkHoverTextColor() const { return RootResources().linkHoverTextColor; }
  DWORD SelectedBackColor() const { return RootResources().selectedBackColor; }
  void SetDisabledTextColor(DWORD color) { disabledTextColor = color; }
  void SetDefaultTextColor(DWORD color) { defaultTextColor = color; }
  void SetLinkTextColor(DWORD color) { linkTextColor = color; }
  void SetLinkHoverTextColor(DWORD color) { linkHoverTextColor = color; }
  void SetSelectedBackColor(DWORD color) { selectedBackColor = color; }

  // --- window settings ----------------------------------------------------------------
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

 protected:
  // The window and the device context metrics are read with.
  void AttachResources(HWND window, HDC paintDC);
  // Whether a control tree is installed (the initial size no longer resizes).
  void NoteRootInstalled(bool installed) { rootInstalled = installed; }
  // Everything in the tables is freed; the default font stays.
  void FreeResources();

 private:
  const CWindowResourcesUI& RootResources() const;
  CWindowResourcesUI& RootResources();
  bool ChainContains(const CWindowResourcesUI* candidate) const;
  FontRecord* WithMetrics(FontRecord* record, HDC dc) const;
  FontRecord* FindFontRecord(HFONT font);

  HWND resourceWindow = nullptr;
  HDC metricsDC = nullptr;
  bool rootInstalled = false;
  CWindowResourcesUI* parentResources = nullptr;

  CSizeUI initialSize;
  CRectUI resizeBorder;
  CRectUI captionArea;
  CSizeUI cornerRounding;
  CSizeUI minTrackSize;
  CSizeUI maxTrackSize;
  int opacity = 255;
  bool translucentBackground = false;
  bool showDirtyRect = false;

  DWORD disabledTextColor = 0xFFA7A6AA;
  DWORD defaultTextColor = 0xFF000000;
  DWORD linkTextColor = 0xFF0000FF;
  DWORD linkHoverTextColor = 0xFFD3215F;
  DWORD selectedBackColor = 0xFFBAE4FF;

  std::unique_ptr<FontRecord> defaultFont;
  std::vector<std::unique_ptr<FontRecord>> fonts;
  // name -> ImageRecord*, and class name -> CWideStringUI*; both owned.
  CStringMapUI images{83};
  CStringMapUI classDefaults{83};
};

}  // namespace SkinUI

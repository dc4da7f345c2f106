#pragma once
// What the controls of one window share: fonts addressed by index, images
// addressed by name, default attribute lists per control class and the
// default colours. The window manager holds one and hands it to its controls
// and to drawing as their skin resources.
//
// A window may name another one as its resource parent (a drop-down shares
// the resources of the window that owns it): fonts, class defaults and
// default colours are then looked up through that chain, and the colours and
// the default font come from its root-most member.

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/core/resource_records.h"
#include "ui/core/skin_resources.h"
#include "ui/core/string_map.h"
#include "ui/core/wide_string.h"

namespace SkinUI {

class CWindowResourcesUI : public ISkinResourcesUI {
 public:
  CWindowResourcesUI();
  CWindowResourcesUI(const CWindowResourcesUI&) = delete;
  CWindowResourcesUI& operator=(const CWindowResourcesUI&) = delete;
  virtual ~CWindowResourcesUI();

  // The fonts are made again and the images dropped (they load again, at
  // the new scale, when next asked for); the font table keeps its indices.
  void SetScale(CDpiScaleUI newScale);
  CDpiScaleUI Scale() const override { return scale; }

  // Null clears it. Refused when this object is already in the parent's chain.
  bool SetParentResources(CWindowResourcesUI* parent);
  CWindowResourcesUI* ParentResources() const { return parentResources; }

  // Appends a new font (indices count from 0 in registration order); null when
  // the font cannot be made. Equal requests still get separate entries.
  HFONT RegisterFont(const wchar_t* face, int size, bool bold, bool underline,
                     bool italic) override;
  // Any index outside the table (-1 included) gives the default font.
  HFONT FontAt(int index) override;
  FontRecord* FontInfoAt(int index) override;
  // The record holding that font here or in a parent; else the default font's.
  FontRecord* FontInfoOf(HFONT font) override;
  // First table font here, then in each parent, with the same face
  // (case-sensitive), size and styles; null when none.
  HFONT FindMatchingFont(const wchar_t* face, int size, bool bold, bool underline,
                         bool italic) override;
  // Keeps the old default font when the new one cannot be made (false).
  bool ReplaceDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
  // The root-most window's default font, metrics filled.
  FontRecord* DefaultFontInfo() override;
  int FontCount() const { return static_cast<int>(fonts.size()); }
  void ClearFonts();

  // Images: this window only, no parent chain.
  // Loaded on first request and kept under its name; the mask counts only for
  // that first load. Null when it cannot be loaded.
  ImageRecord* ObtainImage(const wchar_t* name, const wchar_t* resourceType, DWORD mask) override;
  // With a resource type, name is a decimal resource number. A name already
  // kept stays as it is (the new image is dropped) and the result is true.
  bool LoadAndKeepImage(const wchar_t* name, const wchar_t* resourceType, DWORD mask);
  int ImageCount() const { return images.GetCount(); }
  void ClearImages();

  void AddClassDefaults(const wchar_t* className, const wchar_t* attributeList);
  // Here, then in each parent; null when none.
  const wchar_t* ClassDefaults(const wchar_t* className) override;
  void ClearClassDefaults();

  // Default colours: ARGB.
  // Setters store here; getters answer for the root-most window of the chain.
  DWORD DisabledTextColor() const override { return RootResources().disabledTextColor; }
  DWORD DefaultTextColor() const override { return RootResources().defaultTextColor; }
  DWORD LinkTextColor() const override { return RootResources().linkTextColor; }
  DWORD LinkHoverTextColor() const override { return RootResources().linkHoverTextColor; }
  DWORD SelectedBackColor() const override { return RootResources().selectedBackColor; }
  void SetDisabledTextColor(DWORD color) { disabledTextColor = color; }
  void SetDefaultTextColor(DWORD color) { defaultTextColor = color; }
  void SetLinkTextColor(DWORD color) { linkTextColor = color; }
  void SetLinkHoverTextColor(DWORD color) { linkHoverTextColor = color; }
  void SetSelectedBackColor(DWORD color) { selectedBackColor = color; }
  // The process-wide shift (process_settings.h).
  TColorShift GlobalColorShift() const override;

  // The device context font metrics are read with.
  void SetMetricsDC(HDC dc) { metricsDC = dc; }
  // Everything in the tables is freed; the default font stays.
  void FreeResources();

 private:
  const CWindowResourcesUI& RootResources() const;
  CWindowResourcesUI& RootResources();
  bool ChainContains(const CWindowResourcesUI* candidate) const;
  FontRecord* WithMetrics(FontRecord* record, HDC dc) const;
  FontRecord* FindFontRecord(HFONT font);
  std::unique_ptr<FontRecord> CreateSkinFont(const wchar_t* face, int size, bool bold,
                                             bool underline, bool italic) const;
  std::unique_ptr<FontRecord> CreateStockDefaultFont() const;
  void RemakeFonts();

  HDC metricsDC = nullptr;
  CWindowResourcesUI* parentResources = nullptr;
  CDpiScaleUI scale;

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

#pragma once
// What drawing asks of the window it draws for: the skin's fonts, images,
// colours and class defaults. The window's resources implement it; drawing
// code (ui/render) is written against this interface only.
//
// Everything runs on the window's thread and nothing blocks.

#include <windows.h>

#include "ui/core/dpi_scale.h"
#include "ui/core/resource_records.h"

namespace SkinUI {

// Process-wide hue shift (degrees, 180 = none) and saturation and lightness
// scales (percent, 100 = none).
struct TColorShift {
  short hue = 180;
  short saturation = 100;
  short lightness = 100;
};

class ISkinResourcesUI {
 public:
  // The scale the fonts and images are made for. Skin numbers are logical
  // (96 DPI); this turns them into the window's pixels.
  virtual CDpiScaleUI Scale() const = 0;
  virtual TColorShift GlobalColorShift() const = 0;
  // ARGB; from the root-most window of the resource chain.
  virtual DWORD DefaultTextColor() const = 0;
  virtual DWORD DisabledTextColor() const = 0;
  virtual DWORD LinkTextColor() const = 0;
  virtual DWORD LinkHoverTextColor() const = 0;
  virtual DWORD SelectedBackColor() const = 0;

  // Sizes in the font records are logical; the fonts themselves are made at
  // the scale. Any index outside the font table (-1 included) gives the
  // default font.
  virtual HFONT FontAt(int index) = 0;
  // Records with their metrics filled.
  virtual FontRecord* FontInfoAt(int index) = 0;
  virtual FontRecord* FontInfoOf(HFONT font) = 0;
  virtual FontRecord* DefaultFontInfo() = 0;
  // Creates the font and appends it to the table; null when creation fails.
  virtual HFONT RegisterFont(const wchar_t* face, int size, bool bold, bool underline,
                             bool italic) = 0;
  // First table font (here or in the resource parents) with the same face
  // (case-sensitive), size and styles, or null.
  virtual HFONT FindMatchingFont(const wchar_t* face, int size, bool bold, bool underline,
                                 bool italic) = 0;

  // Loaded on first request and kept under its name; later requests get the
  // kept image whatever mask they pass. Null when it cannot be loaded. The
  // bitmap holds the image at the scale; the record also tells its logical
  // size.
  virtual ImageRecord* ObtainImage(const wchar_t* name, const wchar_t* resourceType,
                                   DWORD mask) = 0;
  // The skin's default attribute list for the class, or null.
  virtual const wchar_t* ClassDefaults(const wchar_t* className) = 0;

 protected:
  ~ISkinResourcesUI() = default;
};

}  // namespace SkinUI

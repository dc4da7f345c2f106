#pragma once
// The image specification language of skins:
//   file='btn.png' source='0,0,34,20' corner='4,4,4,4' mask='#FFFF00FF'
// A plain name with no "=" ("bg.png") names the whole image.

#include <windows.h>

#include <functional>

#include "ui/core/dpi_scale.h"
#include "ui/core/geometry.h"
#include "ui/core/wide_string.h"

namespace SkinUI {

struct TImageSpec {
  CWideStringUI name;
  CWideStringUI type;
  CRectUI dest;
  CRectUI source;
  // The source came in the bitmap's pixels, not in the image's logical ones.
  bool sourceInPixels = false;
  CRectUI corners;
  DWORD mask = 0;
  BYTE fade = 255;
  bool hole = false;
  bool xtiled = false;
  bool ytiled = false;
  int imageCount = 0;
};

class CImageSpecParser {
 public:
  // Called with the state in force whenever a further image is named.
  using FlushImage = std::function<void(const TImageSpec&)>;

  // item bounds the "dest" key, whose logical offsets are scaled to the
  // item's pixels; flush may be empty. inPixels reads "dest" and "source" as
  // pixels of the window and of the bitmap, unscaled: the form in which
  // controls describe the parts they computed themselves.
  CImageSpecParser(const RECT& item, FlushImage flush, CDpiScaleUI scale = CDpiScaleUI(),
                   bool inPixels = false);

  // Applies the key='value' pairs of text to spec. Parsing of this text stops
  // at the first pair that is not well formed or not followed by one space.
  void Parse(const wchar_t* text, TImageSpec& spec) const;

  // "a,b,c,d": four decimal numbers, each followed by one separator of any
  // kind; missing numbers are 0.
  static CRectUI ParseFourNumbers(const wchar_t* value);

 private:
  void ApplyKey(const CWideStringUI& key, const CWideStringUI& value, TImageSpec& spec) const;
  void FlushIfNamed(const TImageSpec& spec) const;

  CRectUI itemRect;
  FlushImage flushImage;
  CDpiScaleUI scale;
  bool inPixels;
};

}  // namespace SkinUI

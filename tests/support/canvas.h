#pragma once
// Test helpers: a 32-bit memory bitmap to draw into and read back, PNG
// files written from ARGB pixels, and a scratch folder for them.

#include <windows.h>

#include <string>
#include <vector>

#include "ui/core/gdi_handles.h"
#include "ui/render/dib_section.h"

namespace SkinUITest {

class Canvas {
 public:
  Canvas(int width, int height, DWORD fill = 0xFFFFFFFF);
  HDC dc() const { return dc_.get(); }
  int width() const { return dib_.width; }
  int height() const { return dib_.height; }
  RECT Bounds() const { return {0, 0, dib_.width, dib_.height}; }
  void Fill(DWORD argb);
  // The stored pixel as 0xAARRGGBB.
  DWORD Pixel(int x, int y) const;
  DWORD Rgb(int x, int y) const { return Pixel(x, y) & 0x00FFFFFF; }
  // Top-down ARGB rows, for comparing and for writing PNG files.
  std::vector<DWORD> Pixels() const;
  bool SameRgbAs(const Canvas& other) const;
  int CountRgb(DWORD rgb) const;

 private:
  SkinUI::DibSection dib_;
  SkinUI::UniqueMemoryDC dc_;
  HGDIOBJ previous_ = nullptr;
};

// Writes ARGB pixels (not premultiplied) as a PNG file.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<DWORD>& argb);
// Encodes to bytes in memory.
std::vector<unsigned char> EncodePng(int width, int height, const std::vector<DWORD>& argb);

// A PNG of scan lines as they stand (each led by its filter byte) under the
// header fields given, the compressed data split into `pieces` chunks with
// an ancillary chunk between each two; no check sums.
struct TRawPng {
  int width = 0;
  int height = 0;
  unsigned char depth = 8;
  unsigned char colorType = 6;  // red, green, blue and alpha
  unsigned char interlace = 0;
  std::vector<unsigned char> scanLines;
  int pieces = 1;
};
std::vector<unsigned char> PackPng(const TRawPng& raw);

// The folder of the running test program.
std::wstring ProgramFolder();

}  // namespace SkinUITest

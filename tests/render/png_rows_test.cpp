// The skin's kind of PNG (8-bit red, green, blue and alpha, not interlaced)
// is read a row at a time straight into the bitmap; every filter gives the
// pixels the general decoder gives, and other kinds and damaged data are
// left to the general decoder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tests/support/canvas.h"
#include "ui/render/image_decoder.h"
#include "ui/render/png_rows.h"

namespace {

using Bytes = std::vector<unsigned char>;
using SkinUITest::PackPng;
using SkinUITest::TRawPng;

constexpr int kWidth = 37;  // not a multiple of the four-pixel steps
constexpr int kHeight = 9;
constexpr int kPixelBytes = 4;

// Varied bytes, some pixels translucent, so that every filter has work.
Bytes SamplePixels() {
  Bytes rgba(kWidth * kHeight * kPixelBytes);
  for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<unsigned char>(i * 37 + i / 5);
  for (size_t i = 3; i < rgba.size(); i += 4 * 3) rgba[i] = 255;
  // Where Paeth's estimate lies as near above as above-left (rows 3 and 5
  // are Paeth rows below), above must win.
  for (int y : {3, 5}) {
    unsigned char* row = rgba.data() + y * kWidth * kPixelBytes;
    unsigned char* above = row - kWidth * kPixelBytes;
    row[0] = 110;
    above[0] = 100;
    above[kPixelBytes] = 80;
  }
  return rgba;
}

// The neighbour nearest the estimate; of equally near ones, the first of
// left, above, above-left.
int Paeth(int left, int above, int aboveLeft) {
  const int estimate = left + above - aboveLeft;
  int nearest = left;
  for (int candidate : {above, aboveLeft}) {
    if (std::abs(estimate - candidate) < std::abs(estimate - nearest)) nearest = candidate;
  }
  return nearest;
}

// Row y filtered with the filters given in turn, as an encoder writes them.
Bytes Filter(const Bytes& rgba, int width, int height, const Bytes& filters) {
  const int rowBytes = width * kPixelBytes;
  Bytes lines;
  for (int y = 0; y < height; ++y) {
    const unsigned char filter = filters[y % filters.size()];
    lines.push_back(filter);
    const unsigned char* row = rgba.data() + y * rowBytes;
    const unsigned char* above = y > 0 ? row - rowBytes : nullptr;
    for (int i = 0; i < rowBytes; ++i) {
      const int a = i >= kPixelBytes ? row[i - kPixelBytes] : 0;
      const int b = above != nullptr ? above[i] : 0;
      const int c = above != nullptr && i >= kPixelBytes ? above[i - kPixelBytes] : 0;
      const int predicted[] = {0, a, b, (a + b) / 2, Paeth(a, b, c)};
      lines.push_back(static_cast<unsigned char>(row[i] - predicted[filter]));
    }
  }
  return lines;
}

TRawPng RgbaPng(const Bytes& filters, int pieces = 1) {
  TRawPng raw;
  raw.width = kWidth;
  raw.height = kHeight;
  raw.scanLines = Filter(SamplePixels(), kWidth, kHeight, filters);
  raw.pieces = pieces;
  return raw;
}

// kHeight rows of rowBytes each, unfiltered.
Bytes UnfilteredLines(int rowBytes) {
  Bytes lines;
  for (int y = 0; y < kHeight; ++y) {
    lines.push_back(0);
    for (int i = 0; i < rowBytes; ++i) lines.push_back(static_cast<unsigned char>(y * 31 + i));
  }
  return lines;
}

// The rows handed out, one after the other; empty when the reading failed.
Bytes ReadRows(const Bytes& png) {
  Bytes rows;
  int width = 0;
  SkinUI::TPngRowReader reader;
  reader.begin = [&width](int w, int) {
    width = w;
    return true;
  };
  reader.row = [&](int y, const unsigned char* rgba) {
    EXPECT_EQ(static_cast<size_t>(y * width * kPixelBytes), rows.size());
    rows.insert(rows.end(), rgba, rgba + width * kPixelBytes);
  };
  if (!SkinUI::ReadRgbaPngRows(png.data(), png.size(), reader)) return Bytes();
  return rows;
}

std::vector<DWORD> PixelsOf(const SkinUI::ImageRecord& image) {
  const DWORD* pixels = SkinUI::ImagePixels(image);
  return std::vector<DWORD>(pixels, pixels + image.width * image.height);
}

// What the decoder gives, next to what the general decoder alone gives.
void ExpectTheGeneralDecodersBitmap(const Bytes& png) {
  auto decoded = SkinUI::DecodeBitmapImage(png.data(), png.size(), 0);
  auto general = SkinUI::StoreDecodedPixels(SkinUI::DecodeImagePixels(png.data(), png.size()));
  ASSERT_TRUE(decoded && general);
  EXPECT_EQ(general->hasAlpha, decoded->hasAlpha);
  EXPECT_TRUE(EqualRect(&general->opaqueInterior, &decoded->opaqueInterior));
  EXPECT_EQ(PixelsOf(*general), PixelsOf(*decoded));
}

}  // namespace

// The first row has nothing above it: each filter is tried there too.
TEST(PngRows, EveryFilterGivesBackThePixelsAndTheGeneralDecodersBitmap) {
  for (unsigned char first = 0; first <= 4; ++first) {
    SCOPED_TRACE(first);
    const Bytes png = PackPng(RgbaPng({first, 0, 1, 2, 3, 4}));
    EXPECT_EQ(SamplePixels(), ReadRows(png));
    ExpectTheGeneralDecodersBitmap(png);
  }
  const Bytes pieces = PackPng(RgbaPng({4, 2, 1}, 5));
  EXPECT_EQ(SamplePixels(), ReadRows(pieces)) << "data in five chunks, others between them";
  ExpectTheGeneralDecodersBitmap(pieces);
}

TEST(PngRows, OtherKindsAndDamagedDataAreLeftToTheGeneralDecoder) {
  TRawPng rgb = RgbaPng({0});
  rgb.colorType = 2;
  rgb.scanLines = UnfilteredLines(kWidth * 3);
  TRawPng interlaced;  // one pixel: its one pass is the whole image
  interlaced.width = interlaced.height = 1;
  interlaced.interlace = 1;
  interlaced.scanLines = {0, 10, 20, 30, 40};
  TRawPng spare = RgbaPng({0});  // a row more than the header says
  spare.scanLines.resize(spare.scanLines.size() + 1 + kWidth * kPixelBytes);
  for (const TRawPng* other : {&rgb, &interlaced, &spare}) {
    const Bytes png = PackPng(*other);
    EXPECT_TRUE(ReadRows(png).empty());
    EXPECT_TRUE(SkinUI::DecodeBitmapImage(png.data(), png.size(), 0)) << "decoded all the same";
  }

  TRawPng badFilter = RgbaPng({0, 1});
  badFilter.scanLines[3 * (1 + kWidth * kPixelBytes)] = 5;
  TRawPng short_ = RgbaPng({0});
  short_.scanLines.resize(short_.scanLines.size() - 1);
  Bytes cut = PackPng(RgbaPng({2}));
  cut.resize(cut.size() - 40);
  Bytes noData = PackPng(RgbaPng({2}));
  noData.resize(33);  // signature and header alone
  for (const Bytes& damaged : {PackPng(badFilter), PackPng(short_), cut, noData}) {
    EXPECT_TRUE(ReadRows(damaged).empty());
    EXPECT_FALSE(SkinUI::DecodeBitmapImage(damaged.data(), damaged.size(), 0));
  }

  const Bytes png = PackPng(RgbaPng({1}));
  SkinUI::TPngRowReader refusing;
  refusing.begin = [](int, int) { return false; };
  refusing.row = [](int, const unsigned char*) { ADD_FAILURE() << "a row after a refusal"; };
  EXPECT_FALSE(SkinUI::ReadRgbaPngRows(png.data(), png.size(), refusing));
}

// Skin images at a display scale: the drawing chosen among 1x, 1.5x and 2x,
// its resampling, and nine pieces whose corners scale with it.

#include <gtest/gtest.h>

#include "tests/render/image_fixture.h"
#include "ui/render/draw_kit.h"
#include "ui/render/image_decoder.h"
#include "ui/render/scaled_image.h"

namespace SkinUITest {
namespace {

using SkinUI::CDpiScaleUI;
using SkinUI::LoadImageAtScale;

DWORD PixelOf(const SkinUI::ImageRecord& image, int x, int y) {
  DIBSECTION section = {};
  GetObjectW(image.bitmap.get(), sizeof(section), &section);
  return static_cast<const DWORD*>(section.dsBm.bmBits)[y * image.width + x];
}

std::vector<DWORD> Solid(int width, int height, DWORD colour) {
  return std::vector<DWORD>(static_cast<size_t>(width) * height, colour);
}

class ScaledImageTest : public DrawingTest {
 protected:
  // The same 4 x 4 picture drawn for three scales, each in its own colour.
  void AddThreeDrawings() {
    AddPng(L"p.png", 4, 4, Solid(4, 4, kRed));
    AddPng(L"p@1.5x.png", 6, 6, Solid(6, 6, kGreen));
    AddPng(L"p@2x.png", 8, 8, Solid(8, 8, kBlue));
  }
  std::unique_ptr<SkinUI::ImageRecord> Load(const wchar_t* name, int dpi) {
    return LoadImageAtScale(name, nullptr, 0, CDpiScaleUI(dpi));
  }
};

TEST(ImageVariantName, SuffixGoesBeforeTheExtensionOfTheFileNameOnly) {
  EXPECT_STREQ(L"bg@2x.png", SkinUI::ImageVariantName(L"bg.png", L"@2x").GetData());
  EXPECT_STREQ(L"vscroll-2@1.5x.png",
               SkinUI::ImageVariantName(L"vscroll-2.png", L"@1.5x").GetData());
  EXPECT_STREQ(L"skin.v2\\bg@2x", SkinUI::ImageVariantName(L"skin.v2\\bg", L"@2x").GetData());
  EXPECT_STREQ(L"bg.png", SkinUI::ImageVariantName(L"bg.png", L"").GetData());
}

TEST_F(ScaledImageTest, TakesTheSmallestDrawingNotSmallerThanTheScaleNeeds) {
  AddThreeDrawings();
  struct TCase {
    int dpi;
    int size;
    DWORD colour;
  } const cases[] = {{96, 4, kRed},   {120, 5, kGreen}, {144, 6, kGreen},
                     {168, 7, kBlue}, {192, 8, kBlue},  {240, 10, kBlue}};
  for (const TCase& c : cases) {
    auto image = Load(L"p.png", c.dpi);
    ASSERT_TRUE(image) << c.dpi;
    EXPECT_EQ(c.size, image->width) << c.dpi;
    EXPECT_EQ(c.size, image->height) << c.dpi;
    EXPECT_EQ(4, image->LogicalWidth()) << c.dpi;
    EXPECT_EQ(4, image->LogicalHeight()) << c.dpi;
    EXPECT_EQ(c.colour, PixelOf(*image, c.size / 2, c.size / 2)) << c.dpi;
    EXPECT_EQ(c.dpi != 96, image->IsScaled()) << c.dpi;
  }
}

TEST_F(ScaledImageTest, AnImageDrawnOnlyAt1xIsEnlargedAndADrawingOnlyAt2xReduced) {
  AddPng(L"only.png", 4, 2, Solid(4, 2, kRed));
  auto enlarged = Load(L"only.png", 144);
  ASSERT_TRUE(enlarged);
  EXPECT_EQ(6, enlarged->width);
  EXPECT_EQ(3, enlarged->height);
  AddPng(L"big@2x.png", 8, 4, Solid(8, 4, kBlue));
  auto reduced = Load(L"big.png", 96);
  ASSERT_TRUE(reduced);
  EXPECT_EQ(4, reduced->width);
  EXPECT_FALSE(reduced->IsScaled());
  EXPECT_FALSE(Load(L"missing.png", 144));
}

TEST_F(ScaledImageTest, GrowingInterpolatesInsteadOfRepeatingPixels) {
  AddPng(L"edge.png", 2, 1, {kBlack, kWhite});
  auto image = Load(L"edge.png", 192);
  ASSERT_TRUE(image);
  ASSERT_EQ(4, image->width);
  EXPECT_EQ(0xFF000000u, PixelOf(*image, 0, 0));
  EXPECT_EQ(0xFF404040u, PixelOf(*image, 1, 0));  // a quarter of the way to white
  EXPECT_EQ(0xFFBFBFBFu, PixelOf(*image, 2, 0));
  EXPECT_EQ(0xFFFFFFFFu, PixelOf(*image, 3, 0));
}

TEST_F(ScaledImageTest, ShrinkingAveragesTheAreaEachPixelCoversInPremultipliedColour) {
  const std::vector<unsigned char> png = EncodePng(3, 1, {kWhite, kBlack, kClear});
  auto decoded = SkinUI::DecodeBitmapImage(png.data(), png.size(), 0);
  ASSERT_TRUE(decoded);
  auto image = SkinUI::ResampleImage(*decoded, 2, 1);
  ASSERT_TRUE(image);
  // Pixel 0 covers white and half of black: two thirds white. Pixel 1 covers
  // half of black and the clear pixel: a third of black's cover, and the
  // clear pixel adds no colour.
  EXPECT_EQ(0xFFAAAAAAu, PixelOf(*image, 0, 0));
  EXPECT_EQ(0x55000000u, PixelOf(*image, 1, 0));
  EXPECT_EQ(1, image->hasAlpha);
  EXPECT_EQ(3, image->LogicalWidth());
}

// A logical 8 x 8 image with red corners of 2, made for the scale: its
// corners are scale(2) pixels of the bitmap.
std::unique_ptr<SkinUI::ImageRecord> CornerImage(CDpiScaleUI scale) {
  const int size = scale.ToDevice(8);
  const int corner = scale.ToDevice(2);
  std::vector<DWORD> pixels(static_cast<size_t>(size) * size, kBlue);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const bool cornerX = x < corner || x >= size - corner;
      const bool cornerY = y < corner || y >= size - corner;
      if (cornerX && cornerY) pixels[static_cast<size_t>(y) * size + x] = kRed;
    }
  }
  const std::vector<unsigned char> png = EncodePng(size, size, pixels);
  auto image = SkinUI::DecodeBitmapImage(png.data(), png.size(), 0);
  image->logicalWidth = 8;
  image->logicalHeight = 8;
  return image;
}

TEST_F(ScaledImageTest, NinePieceCornersKeepTheirScaledSizeAtOddFactors) {
  for (const int dpi : {120, 168}) {  // 1.25 and 1.75
    const CDpiScaleUI scale(dpi);
    manager_.SetScale(scale);
    manager_.AddImage(L"corners.png", CornerImage(scale));
    Canvas canvas(40, 30);
    ASSERT_TRUE(DrawSpec(canvas, L"file='corners.png' corner='2,2,2,2'"));
    const int corner = scale.ToDevice(2);  // 3 at 1.25, 4 at 1.75
    for (const POINT at : {POINT{0, 0}, POINT{corner - 1, corner - 1}, POINT{39, 29},
                           POINT{40 - corner, 30 - corner}, POINT{40 - corner, 0}}) {
      EXPECT_EQ(Rgb(kRed), canvas.Rgb(at.x, at.y)) << dpi << " " << at.x << "," << at.y;
    }
    for (const POINT at :
         {POINT{corner, corner}, POINT{20, 0}, POINT{0, 15}, POINT{39 - corner, 29 - corner}}) {
      EXPECT_EQ(Rgb(kBlue), canvas.Rgb(at.x, at.y)) << dpi << " " << at.x << "," << at.y;
    }
  }
}

TEST_F(ScaledImageTest, SourceRectanglesAndDestinationsAreScaledByTheirEdges) {
  const CDpiScaleUI scale(120);
  manager_.SetScale(scale);
  manager_.AddImage(L"corners.png", CornerImage(scale));
  Canvas canvas(40, 30, kWhite);
  // The top-left corner alone (logical 0,0,2,2), placed at logical 4,4 of the item.
  ASSERT_TRUE(DrawSpec(canvas, L"file='corners.png' source='0,0,2,2' dest='4,4,6,6'"));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(4, 4));  // logical 4 is pixel 5
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(5, 5));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(7, 7));  // logical 6 is pixel 8 (7.5)
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(8, 8));
}

}  // namespace
}  // namespace SkinUITest

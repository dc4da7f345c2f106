// The image specification language and nine-piece drawing, checked pixel by
// pixel in memory bitmaps.

#include <gtest/gtest.h>

#include <thread>

#include "tests/render/image_fixture.h"
#include "ui/render/blend_fallback.h"
#include "ui/render/draw_kit.h"
#include "ui/render/image_spec.h"

namespace SkinUITest {
namespace {

using SkinUI::CDrawKit;

constexpr DWORD A = 0xFF101010, B = 0xFF202020, C = 0xFF303030, D = 0xFF404040;
constexpr DWORD K = kBlack;

class ImageSpecTest : public DrawingTest {};

// An image specification drawn into an item with a paint rectangle.
struct TDrawCase {
  const wchar_t* spec;
  RECT item;
  RECT paint;
};

// 100 x 60: an opaque body of varied colour in a translucent rim two pixels
// wide with transparent corners, like a window background.
std::vector<DWORD> FramedArtwork() {
  std::vector<DWORD> pixels(100 * 60);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 100; ++x) {
      const int edge = std::min(std::min(x, 99 - x), std::min(y, 59 - y));
      DWORD alpha = edge == 0 ? 0x60 : edge == 1 ? 0xC0 : 0xFF;
      if (std::min(x, 99 - x) + std::min(y, 59 - y) < 3) alpha = 0;
      pixels[y * 100 + x] = (alpha << 24) | static_cast<DWORD>((x * 2) << 16 | (y * 4) << 8 | 0x80);
    }
  }
  return pixels;
}

// Forwards to the platform blend, adding up the pixels it was asked to blend.
SkinUI::AlphaBlendProc g_platformBlend = nullptr;
long g_blendedPixels = 0;
long g_blendCalls = 0;
BOOL WINAPI CountingBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw,
                          int sh, BLENDFUNCTION blend) {
  g_blendedPixels += static_cast<long>(w) * h;
  ++g_blendCalls;
  return g_platformBlend(dst, x, y, w, h, src, sx, sy, sw, sh, blend);
}

TEST_F(ImageSpecTest, PlainNameStretchesTheWholeImageOverTheItem) {
  AddQuad();
  Canvas canvas(8, 8);
  EXPECT_TRUE(DrawSpec(canvas, L"quad.png"));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(1, 1));
  EXPECT_EQ(Rgb(kGreen), canvas.Rgb(6, 1));
  EXPECT_EQ(Rgb(kBlue), canvas.Rgb(1, 6));
  EXPECT_EQ(Rgb(kYellow), canvas.Rgb(6, 6));
}

TEST_F(ImageSpecTest, FileKeyLoadsFromTheResourceFolderAndSourcePicksPartOfIt) {
  AddQuad();
  Canvas canvas(8, 8);
  EXPECT_TRUE(DrawSpec(canvas, L"file='quad.png' source='2,0,4,2'"));
  EXPECT_EQ(64, canvas.CountRgb(Rgb(kGreen)));
}

TEST_F(ImageSpecTest, DestIsRelativeToTheItemAndNeverPassesItsRightOrBottom) {
  AddQuad();
  Canvas canvas(12, 12);
  const RECT item = {0, 0, 10, 10};
  DrawSpec(canvas, item, L"file='quad.png' dest='2,2,6,6'");
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(1, 1));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(2, 2));
  EXPECT_EQ(Rgb(kYellow), canvas.Rgb(5, 5));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(6, 6));

  canvas.Fill(kWhite);
  DrawSpec(canvas, item, L"file='quad.png' dest='6,6,20,20'");
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(6, 6));
  EXPECT_EQ(Rgb(kYellow), canvas.Rgb(9, 9));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(10, 10));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(11, 6));

  canvas.Fill(kWhite);
  const RECT shifted = {4, 4, 12, 12};
  DrawSpec(canvas, shifted, L"file='quad.png' dest='-2,-2,2,2'");
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(2, 2));
  EXPECT_EQ(Rgb(kYellow), canvas.Rgb(5, 5));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(6, 6));
}

// 16 x 38: two red rows on top, two blue rows at the bottom, yellow side
// columns and a green middle.
std::vector<DWORD> TallPixels() {
  std::vector<DWORD> pixels(16 * 38, kGreen);
  for (int y = 0; y < 38; ++y) {
    for (int x = 0; x < 16; ++x) {
      DWORD& p = pixels[y * 16 + x];
      if (y < 2) {
        p = kRed;
      } else if (y >= 36) {
        p = kBlue;
      } else if (x < 2 || x >= 14) {
        p = kYellow;
      }
    }
  }
  return pixels;
}

TEST_F(ImageSpecTest, CornersKeepTheirSizeWhileTheMiddleStretches) {
  AddPng(L"tall.png", 16, 38, TallPixels());
  Canvas canvas(16, 100);
  DrawSpec(canvas, L"file='tall.png' corner='2,2,2,2'");
  for (int x : {0, 5, 15}) {
    EXPECT_EQ(Rgb(kRed), canvas.Rgb(x, 0));
    EXPECT_EQ(Rgb(kRed), canvas.Rgb(x, 1));
    EXPECT_EQ(Rgb(kBlue), canvas.Rgb(x, 98));
    EXPECT_EQ(Rgb(kBlue), canvas.Rgb(x, 99));
  }
  EXPECT_EQ(Rgb(kGreen), canvas.Rgb(5, 2));
  EXPECT_EQ(Rgb(kGreen), canvas.Rgb(5, 97));
  EXPECT_EQ(Rgb(kYellow), canvas.Rgb(0, 50));
  EXPECT_EQ(Rgb(kYellow), canvas.Rgb(15, 50));
  EXPECT_EQ(Rgb(kGreen), canvas.Rgb(2, 50));
}

TEST_F(ImageSpecTest, HoleLeavesTheMiddleUndrawn) {
  AddPng(L"tall.png", 16, 38, TallPixels());
  Canvas canvas(16, 100, kWhite);
  DrawSpec(canvas, L"file='tall.png' corner='2,2,2,2' hole='true'");
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(8, 50));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(8, 0));
  EXPECT_EQ(Rgb(kYellow), canvas.Rgb(0, 50));
  EXPECT_EQ(Rgb(kBlue), canvas.Rgb(8, 99));

  canvas.Fill(kWhite);
  DrawSpec(canvas, L"file='tall.png' corner='2,2,2,2' hole='yes'");
  EXPECT_EQ(Rgb(kGreen), canvas.Rgb(8, 50));
}

TEST_F(ImageSpecTest, MaskMakesMatchingPixelsTransparent) {
  AddPng(L"masked.png", 2, 1, {kMagenta, kRed});
  Canvas canvas(2, 1, kWhite);
  DrawSpec(canvas, L"file='masked.png' mask='#FFFF00FF'");
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(0, 0));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(1, 0));

  AddPng(L"unmasked.png", 2, 1, {kMagenta, kRed});
  canvas.Fill(kWhite);
  DrawSpec(canvas, L"file='unmasked.png'");
  EXPECT_EQ(Rgb(kMagenta), canvas.Rgb(0, 0));
}

TEST_F(ImageSpecTest, FadeBlendsAnOpaqueImageWithConstantAlpha) {
  AddQuad();
  Canvas canvas(8, 8, kWhite);
  DrawSpec(canvas, L"file='quad.png' fade='128'");
  const DWORD pixel = canvas.Pixel(1, 1);
  EXPECT_GE(RedOf(pixel), 250);
  EXPECT_NEAR(127, GreenOf(pixel), 4);
  EXPECT_NEAR(127, BlueOf(pixel), 4);

  canvas.Fill(kWhite);
  DrawSpec(canvas, L"file='quad.png' fade='384'");  // low 8 bits: 128
  EXPECT_NEAR(127, GreenOf(canvas.Pixel(1, 1)), 4);
}

// 6 x 2: a black border column on each side of four tile columns A B C D.
void AddStrip(DrawingTest* test, const wchar_t* name, bool across) {
  const std::vector<DWORD> row = {K, A, B, C, D, K};
  std::vector<DWORD> pixels;
  if (across) {
    pixels = row;
    pixels.insert(pixels.end(), row.begin(), row.end());
  } else {
    for (DWORD p : row) pixels.insert(pixels.end(), {p, p});
  }
  test->AddPng(name, across ? 6 : 2, across ? 2 : 6, pixels);
}

TEST_F(ImageSpecTest, OpaqueInteriorIsCopiedWithThePixelsABlendOfTheWholeImageGives) {
  AddPng(L"framed.png", 100, 60, FramedArtwork());
  SkinUI::ImageRecord* image = manager_.ObtainImage(L"framed.png", nullptr, 0);
  ASSERT_NE(nullptr, image);
  const RECT interior = image->opaqueInterior;
  const RECT expected = {2, 2, 98, 58};
  ASSERT_TRUE(EqualRect(&interior, &expected));

  const RECT item = {5, 7, 105, 67};
  const RECT cut = {0, 0, 60, 40};
  const TDrawCase cases[] = {
      {L"framed.png", item, {0, 0, 130, 80}},
      {L"framed.png", item, cut},
      {L"file='framed.png' corner='10,10,10,10'", {0, 0, 130, 80}, {0, 0, 130, 80}},
      {L"file='framed.png' source='-4,0,96,60'", item, {0, 0, 130, 80}},
      {L"file='framed.png' source='10,10,90,50'", {20, 20, 100, 60}, {0, 0, 130, 80}},
      {L"file='framed.png' fade='200'", item, {0, 0, 130, 80}},
      {L"file='framed.png' xtiled='true' ytiled='true'", {0, 0, 130, 80}, {0, 0, 130, 80}},
  };
  auto draw = [&](Canvas& canvas, const TDrawCase& c) {
    for (int x = 0; x < 130; x += 10) {
      CDrawKit::FillColor(canvas.dc(), RECT{x, 0, x + 5, 80}, 0xFF000000 | (x * 0x010203));
    }
    CDrawKit::DrawImageSpec(canvas.dc(), &manager_, c.item, c.paint, c.spec);
  };
  for (const TDrawCase& c : cases) {
    SCOPED_TRACE(c.spec);
    // The canvas starts half transparent, so the alpha bytes are compared too.
    Canvas copied(130, 80, 0x80336699);
    Canvas blended(130, 80, 0x80336699);
    draw(copied, c);
    image->opaqueInterior = RECT{};
    draw(blended, c);
    image->opaqueInterior = interior;
    EXPECT_TRUE(copied.Pixels() == blended.Pixels());
  }

  // Drawn at its own size only the rim is blended; the rest is copied.
  g_platformBlend = SkinUI::PlatformAlphaBlend();
  ASSERT_NE(nullptr, g_platformBlend);
  BlendOverride counting(CountingBlend, SkinUI::PlatformGradientFill());
  g_blendedPixels = 0;
  Canvas canvas(130, 80, kWhite);
  DrawSpec(canvas, item, L"framed.png");
  EXPECT_EQ(100 * 60 - 96 * 56, g_blendedPixels);
  // Not with the program's own fallback, which treats alpha differently.
  BlendOverride fallback(SkinUI::BlendFallback, SkinUI::PlatformGradientFill());
  Canvas viaFallback(130, 80, 0x80336699);
  Canvas wholeFallback(130, 80, 0x80336699);
  DrawSpec(viaFallback, item, L"framed.png");
  image->opaqueInterior = RECT{};
  DrawSpec(wholeFallback, item, L"framed.png");
  image->opaqueInterior = interior;
  EXPECT_TRUE(viaFallback.Pixels() == wholeFallback.Pixels());
}

// An image drawn again at one size is drawn from its pieces put together
// once; every draw gives the pixels (alpha included) of its pieces blended
// one by one, also where it must not be put together: a paint rectangle
// through it, corners larger than it, a source beyond the bitmap, fade,
// tiling, and more sizes than are kept.
TEST_F(ImageSpecTest, AnImageDrawnAgainAtOneSizeGivesThePixelsOfItsPiecesDrawnOneByOne) {
  std::vector<DWORD> art(20 * 12);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      const int edge = std::min(std::min(x, 19 - x), std::min(y, 11 - y));
      const DWORD alpha = std::min(x, 19 - x) + std::min(y, 11 - y) < 3 ? 0x30 * edge
                          : edge == 0                                   ? 0xA0 + x
                                                                        : 0xFF;
      art[y * 20 + x] = (alpha << 24) | static_cast<DWORD>((x * 12) << 16 | (y * 20) << 8 | 0x40);
    }
  }
  AddPng(L"face.png", 20, 12, art);
  SkinUI::ImageRecord* image = manager_.ObtainImage(L"face.png", nullptr, 0);
  ASSERT_NE(nullptr, image);

  const RECT all = {0, 0, 90, 60};
  const TDrawCase cases[] = {
      {L"file='face.png' corner='4,4,4,4'", {5, 7, 50, 40}, all},
      {L"file='face.png' corner='4,4,4,4'", {-3, 2, 40, 17}, all},
      {L"file='face.png' corner='4,4,4,4'", {5, 7, 50, 40}, {0, 0, 30, 60}},
      {L"file='face.png' corner='4,4,4,4'", {5, 7, 11, 12}, all},
      {L"file='face.png' corner='3,0,5,0' hole='true'", {1, 1, 88, 59}, all},
      {L"file='face.png' source='-2,0,20,12' corner='4,4,4,4'", {5, 7, 50, 40}, all},
      {L"file='face.png' corner='4,4,4,4' fade='200'", {5, 7, 50, 40}, all},
      {L"file='face.png' corner='4,4,4,4' xtiled='true'", {5, 7, 50, 40}, all},
  };
  auto draw = [&](Canvas& canvas, const wchar_t* spec, const RECT& item, const RECT& paint) {
    for (int x = 0; x < 90; x += 6) {
      CDrawKit::FillColor(canvas.dc(), RECT{x, 0, x + 3, 60}, 0x90000000 | (x * 0x020301));
    }
    CDrawKit::DrawImageSpec(canvas.dc(), &manager_, item, paint, spec);
  };
  auto drawnOneByOne = [&](const wchar_t* spec, const RECT& item, const RECT& paint) {
    const std::shared_ptr<void> kept = image->drawnArrangements;
    image->drawnArrangements.reset();
    Canvas canvas(90, 60, 0x80336699);
    draw(canvas, spec, item, paint);
    image->drawnArrangements = kept;
    return canvas.Pixels();
  };
  for (const TDrawCase& c : cases) {
    SCOPED_TRACE(c.spec);
    const std::vector<DWORD> expected = drawnOneByOne(c.spec, c.item, c.paint);
    for (int round = 0; round < 3; ++round) {
      Canvas canvas(90, 60, 0x80336699);
      draw(canvas, c.spec, c.item, c.paint);
      EXPECT_TRUE(canvas.Pixels() == expected) << "draw " << round + 1;
    }
  }
  // Six sizes in turn, twice over: more than are kept.
  for (int round = 0; round < 2; ++round) {
    for (int grow = 0; grow < 6; ++grow) {
      const RECT item = {2, 3, 30 + grow * 7, 20 + grow * 5};
      const wchar_t* spec = L"file='face.png' corner='4,4,4,4'";
      Canvas canvas(90, 60, 0x80336699);
      draw(canvas, spec, item, all);
      EXPECT_TRUE(canvas.Pixels() == drawnOneByOne(spec, item, all)) << "size " << grow;
    }
  }

  // The first draw blends nine pieces, the second puts them together and
  // draws the picture, every later one draws the picture only: its opaque
  // middle copied, its rim blended in four strips.
  g_platformBlend = SkinUI::PlatformAlphaBlend();
  ASSERT_NE(nullptr, g_platformBlend);
  BlendOverride counting(CountingBlend, SkinUI::PlatformGradientFill());
  image->drawnArrangements.reset();
  Canvas canvas(90, 60, kWhite);
  std::vector<long> calls;
  for (int round = 0; round < 3; ++round) {
    g_blendCalls = 0;
    DrawSpec(canvas, RECT{5, 7, 50, 40}, L"file='face.png' corner='4,4,4,4'");
    calls.push_back(g_blendCalls);
  }
  EXPECT_EQ((std::vector<long>{9, 13, 4}), calls);
}

TEST_F(ImageSpecTest, ADrawnImageIsFreeAgainAndThreadsDrawWithoutDisturbingEachOther) {
  AddQuad(L"one.png");
  AddPng(L"two.png", 2, 2, {kBlue, kGreen, kYellow, kRed});
  Canvas canvas(8, 8, kWhite);
  DrawSpec(canvas, L"one.png");
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(0, 0));

  // The bitmap is not left selected anywhere: another DC can take it.
  SkinUI::ImageRecord* one = manager_.ObtainImage(L"one.png", nullptr, 0);
  SkinUI::ImageRecord* two = manager_.ObtainImage(L"two.png", nullptr, 0);
  ASSERT_NE(nullptr, one);
  ASSERT_NE(nullptr, two);
  {
    SkinUI::UniqueMemoryDC other(nullptr);
    HGDIOBJ previous = SelectObject(other.get(), one->bitmap.get());
    EXPECT_NE(nullptr, previous);
    SelectObject(other.get(), previous);
  }

  // Each thread draws its own image many times, each with its own DC.
  auto drawMany = [](SkinUI::ImageRecord* image, std::vector<DWORD>* result) {
    Canvas target(8, 8, kWhite);
    for (int i = 0; i < 200; ++i) {
      CDrawKit::DrawImagePieces(target.dc(), image->bitmap.get(), target.Bounds(), target.Bounds(),
                                RECT{0, 0, image->width, image->height}, RECT{0, 0, 0, 0}, false);
    }
    *result = target.Pixels();
  };
  std::vector<DWORD> first, second;
  std::thread a(drawMany, one, &first);
  std::thread b(drawMany, two, &second);
  a.join();
  b.join();
  std::vector<DWORD> expectedFirst, expectedSecond;
  drawMany(one, &expectedFirst);
  drawMany(two, &expectedSecond);
  EXPECT_TRUE(first == expectedFirst);
  EXPECT_TRUE(second == expectedSecond);
  EXPECT_EQ(kYellow, expectedSecond[7 * 8] | 0xFF000000);
}

TEST_F(ImageSpecTest, XTiledRepeatsTheMiddleAndCropsTheLastTile) {
  AddStrip(this, L"across.png", true);
  for (const wchar_t* spec : {L"file='across.png' corner='1,0,1,0' xtiled='true'",
                              L"file='across.png' corner='1,0,1,0' xtiled='true' fade='254'"}) {
    SCOPED_TRACE(spec);
    Canvas canvas(12, 3, kWhite);
    DrawSpec(canvas, spec);
    const DWORD expected[12] = {K, A, B, C, D, A, B, C, D, A, B, K};
    for (int x = 0; x < 12; ++x) {
      for (int y = 0; y < 3; ++y) EXPECT_NEAR(RedOf(expected[x]), RedOf(canvas.Pixel(x, y)), 2);
    }
  }
}

TEST_F(ImageSpecTest, YTiledRepeatsTheMiddleDownwards) {
  AddStrip(this, L"down.png", false);
  Canvas canvas(3, 12, kWhite);
  DrawSpec(canvas, L"file='down.png' corner='0,1,0,1' ytiled='true'");
  const DWORD expected[12] = {K, A, B, C, D, A, B, C, D, A, B, K};
  for (int y = 0; y < 12; ++y) EXPECT_EQ(Rgb(expected[y]), canvas.Rgb(1, y)) << y;
}

TEST_F(ImageSpecTest, TiledBothWaysCopiesTilesAtSourceSize) {
  AddPng(L"grid.png", 4, 4, {K, K, K, K, K, A, B, K, K, C, D, K, K, K, K, K});
  Canvas canvas(9, 9, kWhite);
  DrawSpec(canvas, L"file='grid.png' corner='1,1,1,1' xtiled='true' ytiled='true'");
  EXPECT_EQ(Rgb(A), canvas.Rgb(1, 1));
  EXPECT_EQ(Rgb(B), canvas.Rgb(2, 1));
  EXPECT_EQ(Rgb(A), canvas.Rgb(3, 1));
  EXPECT_EQ(Rgb(C), canvas.Rgb(1, 2));
  EXPECT_EQ(Rgb(D), canvas.Rgb(6, 6));
  EXPECT_EQ(Rgb(A), canvas.Rgb(7, 7));
  EXPECT_EQ(Rgb(K), canvas.Rgb(8, 8));
  EXPECT_EQ(Rgb(K), canvas.Rgb(4, 0));
}

TEST_F(ImageSpecTest, TilingWithBordersAsWideAsTheSourceDrawsTheMiddleStretched) {
  AddPng(L"narrow.png", 4, 2, {K, A, B, K, K, A, B, K});
  for (const wchar_t* corners : {L"2,0,2,0", L"3,0,3,0", L"0,1,0,1"}) {
    SCOPED_TRACE(corners);
    Canvas tiled(20, 6, kWhite);
    Canvas stretched(20, 6, kWhite);
    wchar_t spec[128];
    wsprintfW(spec, L"file='narrow.png' corner='%s' xtiled='true' ytiled='true'", corners);
    DrawSpec(tiled, spec);
    wsprintfW(spec, L"file='narrow.png' corner='%s' xtiled='true'", corners);
    Canvas tiledAcross(20, 6, kWhite);
    DrawSpec(tiledAcross, spec);
    wsprintfW(spec, L"file='narrow.png' corner='%s'", corners);
    DrawSpec(stretched, spec);
    EXPECT_TRUE(tiled.SameRgbAs(stretched));
    EXPECT_TRUE(tiledAcross.SameRgbAs(stretched));
  }

  // The direct call with a 4-pixel source and 2,0,2,0 corners.
  SkinUI::ImageRecord* image = manager_.ObtainImage(L"narrow.png", nullptr, 0);
  ASSERT_NE(nullptr, image);
  Canvas direct(20, 6, kWhite);
  CDrawKit::DrawImagePieces(direct.dc(), image->bitmap.get(), direct.Bounds(), direct.Bounds(),
                            RECT{0, 0, 4, 2}, RECT{2, 0, 2, 0}, false, 255, false, true, false);
  EXPECT_EQ(Rgb(K), direct.Rgb(0, 3));
  EXPECT_EQ(Rgb(A), direct.Rgb(1, 3));
  EXPECT_EQ(Rgb(kWhite), direct.Rgb(10, 3));  // no tile to repeat, nothing to stretch
  EXPECT_EQ(Rgb(B), direct.Rgb(18, 3));
}

TEST_F(ImageSpecTest, ATabBetweenPairsEndsTheParsing) {
  AddQuad();
  Canvas canvas(8, 8);
  DrawSpec(canvas, L"file='quad.png'\tsource='2,0,4,2'");
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(1, 1));
  EXPECT_EQ(Rgb(kYellow), canvas.Rgb(6, 6));

  canvas.Fill(kWhite);
  DrawSpec(canvas, L"file='quad.png'  source='2,0,4,2'");  // two spaces still continue
  EXPECT_EQ(64, canvas.CountRgb(Rgb(kGreen)));
}

TEST_F(ImageSpecTest, SecondFileIsDrawnIntoTheSameDestinationAfterTheFirst) {
  AddQuad();
  AddPng(L"half.png", 2, 1, {kClear, kGreen});
  Canvas canvas(8, 8, kWhite);
  DrawSpec(canvas, L"file='quad.png' dest='0,0,4,4' file='half.png'");
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(0, 0));
  EXPECT_EQ(Rgb(kBlue), canvas.Rgb(0, 3));
  EXPECT_EQ(Rgb(kGreen), canvas.Rgb(3, 3));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(5, 5));
}

TEST_F(ImageSpecTest, ModifierAppliesOnTopOfTheSpecificationState) {
  AddQuad();
  AddPng(L"green.png", 1, 1, {kGreen});
  Canvas canvas(8, 8, kWhite);
  DrawSpec(canvas, L"file='quad.png'", L"source='2,0,4,2'");
  EXPECT_EQ(64, canvas.CountRgb(Rgb(kGreen)));

  // The image count starts again for the modifier, so its own file replaces
  // the first image instead of drawing after it; the dest carries over.
  canvas.Fill(kWhite);
  DrawSpec(canvas, L"file='quad.png' dest='0,0,4,4'", L"file='green.png'");
  EXPECT_EQ(16, canvas.CountRgb(Rgb(kGreen)));
  EXPECT_EQ(0, canvas.CountRgb(Rgb(kRed)));
}

TEST_F(ImageSpecTest, SourceBeyondTheImageIsClampedAndAllZeroMeansTheWholeImage) {
  AddQuad();
  Canvas whole(8, 8), clamped(8, 8), zero(8, 8);
  DrawSpec(whole, L"quad.png");
  DrawSpec(clamped, L"file='quad.png' source='0,0,100,100'");
  DrawSpec(zero, L"file='quad.png' source='0,0,0,0'");
  EXPECT_TRUE(clamped.SameRgbAs(whole));
  EXPECT_TRUE(zero.SameRgbAs(whole));
}

TEST_F(ImageSpecTest, MissingImageDrawsNothingAndOnlyMissingContextFails) {
  Canvas canvas(4, 4, kWhite);
  EXPECT_TRUE(DrawSpec(canvas, L"file='absent.png'"));
  EXPECT_EQ(16, canvas.CountRgb(Rgb(kWhite)));
  EXPECT_FALSE(CDrawKit::DrawNamedImage(canvas.dc(), &manager_, canvas.Bounds(), canvas.Bounds(),
                                        L"absent.png", nullptr, canvas.Bounds(), RECT{}, RECT{}, 0,
                                        255, false, false, false));
  EXPECT_FALSE(
      CDrawKit::DrawImageSpec(canvas.dc(), nullptr, canvas.Bounds(), canvas.Bounds(), L"quad.png"));
  EXPECT_FALSE(
      CDrawKit::DrawImageSpec(nullptr, &manager_, canvas.Bounds(), canvas.Bounds(), L"quad.png"));

  // The caller still learns which strings never draw.
  AddQuad();
  bool found = true;
  CDrawKit::DrawImageSpec(canvas.dc(), &manager_, canvas.Bounds(), canvas.Bounds(),
                          L"file='absent.png'", nullptr, &found);
  EXPECT_FALSE(found);
  CDrawKit::DrawImageSpec(canvas.dc(), &manager_, canvas.Bounds(), canvas.Bounds(), L"absent.png",
                          L"file='quad.png'", &found);
  EXPECT_TRUE(found);
}

TEST_F(ImageSpecTest, PiecesOutsideThePaintRectangleAreSkipped) {
  AddPng(L"tall.png", 16, 38, TallPixels());
  Canvas canvas(16, 100, kWhite);
  const RECT paint = {0, 50, 16, 100};
  CDrawKit::DrawImageSpec(canvas.dc(), &manager_, canvas.Bounds(), paint,
                          L"file='tall.png' corner='2,2,2,2'");
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(0, 0));   // top-left corner skipped
  EXPECT_EQ(Rgb(kGreen), canvas.Rgb(5, 10));  // middle touches paint: drawn whole
  EXPECT_EQ(Rgb(kBlue), canvas.Rgb(15, 99));

  // An unscaled opaque image copies only the part inside the paint rectangle.
  AddQuad();
  Canvas quad(4, 4, kWhite);
  CDrawKit::DrawImageSpec(quad.dc(), &manager_, quad.Bounds(), RECT{2, 0, 4, 4}, L"quad.png");
  EXPECT_EQ(Rgb(kWhite), quad.Rgb(0, 0));
  EXPECT_EQ(Rgb(kGreen), quad.Rgb(2, 0));
  EXPECT_EQ(Rgb(kYellow), quad.Rgb(3, 3));
}

TEST(ImageSpecParser, ReadsEveryKeyAndStopsAtMalformedPairs) {
  const RECT item = {10, 20, 110, 70};
  int flushed = 0;
  SkinUI::CImageSpecParser parser(item, [&](const SkinUI::TImageSpec&) { ++flushed; });
  SkinUI::TImageSpec spec;
  parser.Parse(
      L"file='a.png' restype='PNG' dest='1,2,300,4' source='5,6,7,8' "
      L"corner='1,1,2,2' mask='#FFFF00FF' fade='300' hole='true' xtiled='true' "
      L"ytiled='false' other='x'",
      spec);
  EXPECT_EQ(1, flushed);  // restype after file draws the first state
  EXPECT_STREQ(L"a.png", spec.name);
  EXPECT_STREQ(L"PNG", spec.type);
  EXPECT_EQ(SkinUI::CRectUI(11, 22, 110, 24), spec.dest);
  EXPECT_EQ(SkinUI::CRectUI(5, 6, 7, 8), spec.source);
  EXPECT_EQ(SkinUI::CRectUI(1, 1, 2, 2), spec.corners);
  EXPECT_EQ(0xFFFF00FFu, spec.mask);
  EXPECT_EQ(300 & 0xFF, spec.fade);
  EXPECT_TRUE(spec.hole);
  EXPECT_TRUE(spec.xtiled);
  EXPECT_FALSE(spec.ytiled);

  SkinUI::TImageSpec broken;
  parser.Parse(L"file='b.png' source=0,0,1,1 corner='1,1,1,1'", broken);
  EXPECT_STREQ(L"b.png", broken.name);
  EXPECT_EQ(SkinUI::CRectUI(), broken.source);
  EXPECT_EQ(SkinUI::CRectUI(), broken.corners);

  SkinUI::TImageSpec unterminated;
  parser.Parse(L"file='c.png' source='1,2,3", unterminated);
  EXPECT_EQ(SkinUI::CRectUI(), unterminated.source);

  // Fewer than four numbers never read past the value.
  EXPECT_EQ(SkinUI::CRectUI(7, 0, 0, 0), SkinUI::CImageSpecParser::ParseFourNumbers(L"7"));
  EXPECT_EQ(SkinUI::CRectUI(1, -2, 3, 4), SkinUI::CImageSpecParser::ParseFourNumbers(L"1,-2,3,4"));
}

}  // namespace
}  // namespace SkinUITest

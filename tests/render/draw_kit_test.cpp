// Image loading, fills, gradients, outlines, clipping, colours and plain text.

#include <gtest/gtest.h>

#include "tests/render/image_fixture.h"
#include "ui/markup/skin_resources.h"
#include "ui/render/blend_fallback.h"
#include "ui/render/draw_kit.h"
#include "tests/support/test_zip.h"
#include "ui/render/image_decoder.h"
#include "ui/render/image_prefetch.h"

namespace SkinUITest {
namespace {

using SkinUI::CDrawKit;

std::vector<DWORD> BitmapPixels(const SkinUI::ImageRecord& image) {
  std::vector<DWORD> pixels(static_cast<size_t>(image.width) * image.height);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, image.bitmap.get(), 0, image.height, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return pixels;
}

class ImageLoadTest : public DrawingTest {};

TEST_F(ImageLoadTest, DecodingPremultipliesTranslucentPixelsAndClearsMaskedOnes) {
  const std::vector<unsigned char> png = EncodePng(4, 1, {kRed, 0x8000FF00, kMagenta, 0x40FFFFFF});
  auto image = SkinUI::DecodeBitmapImage(png.data(), png.size(), 0xFFFF00FF);
  ASSERT_TRUE(image);
  EXPECT_EQ(4, image->width);
  EXPECT_EQ(1, image->height);
  EXPECT_EQ(1, image->hasAlpha);
  const std::vector<DWORD> pixels = BitmapPixels(*image);
  EXPECT_EQ(0xFFFF0000u, pixels[0]);
  EXPECT_EQ(0x80008000u, pixels[1]);  // 255 * 128 / 255 = 128
  EXPECT_EQ(0x00000000u, pixels[2]);  // matched the mask
  EXPECT_EQ(0x40404040u, pixels[3]);  // 255 * 64 / 255 = 64
}

// Every alpha against every channel value, in each of the three channels:
// channel * alpha / 255 rounded down, opaque pixels unchanged, and the mask
// compared with the premultiplied pixel.
TEST_F(ImageLoadTest, PremultipliesEveryAlphaAndChannelValueRoundingDown) {
  std::vector<DWORD> argb;
  for (DWORD alpha = 0; alpha < 256; ++alpha) {
    for (DWORD value = 0; value < 256; ++value) {
      argb.push_back((alpha << 24) | (value << 16) | ((255 - value) << 8) | (value ^ 0x5A));
    }
  }
  // Alpha 0x80 over red 0x80, green 0x7F and blue 0xDA, premultiplied.
  const DWORD mask = 0x80403F6D;
  const std::vector<unsigned char> png = EncodePng(256, 256, argb);
  auto image = SkinUI::DecodeBitmapImage(png.data(), png.size(), mask);
  ASSERT_TRUE(image);
  EXPECT_EQ(1, image->hasAlpha);
  const std::vector<DWORD> pixels = BitmapPixels(*image);
  int wrong = 0;
  for (size_t i = 0; i < argb.size(); ++i) {
    const DWORD alpha = argb[i] >> 24;
    const auto scaled = [alpha](DWORD channel) {
      return alpha == 255 ? channel : channel * alpha / 255;
    };
    DWORD expected = (alpha << 24) | (scaled((argb[i] >> 16) & 0xFF) << 16) |
                     (scaled((argb[i] >> 8) & 0xFF) << 8) | scaled(argb[i] & 0xFF);
    if (expected == mask) expected = 0;
    if (pixels[i] != expected && ++wrong <= 5) {
      ADD_FAILURE() << std::hex << "pixel " << argb[i] << " stored as " << pixels[i]
                    << ", expected " << expected;
    }
  }
  EXPECT_EQ(0, wrong);
  // The one pixel that matched the mask is the only one cleared.
  EXPECT_EQ(0u, pixels[0x80 * 256 + 0x80]);
}

// Of each image only the drawing the lookup at the window's scale takes
// first is decoded ahead, and the thread reads a copy of the archive: the
// registered block may change or go while it works.
TEST_F(ImageLoadTest, OnlyTheDrawingForTheScaleIsDecodedAheadFromACopy) {
  const std::vector<unsigned char> png = EncodePng(2, 2, {kRed, kRed, kRed, kRed});
  auto entry = [&png](const char* name) {
    TestZipEntry zipped;
    zipped.name = name;
    zipped.data.assign(png.begin(), png.end());
    return zipped;
  };
  Bytes archive =
      BuildTestZip({entry("a.png"), entry("a@1.5x.png"), entry("A@2x.png"), entry("only.png")});
  const Bytes kept = archive;
  SkinUI::SetResourceArchive(L"");
  SkinUI::SetArchiveFromMemory(archive.data(), static_cast<DWORD>(archive.size()));

  const struct {
    int dpi;
    std::vector<const wchar_t*> ahead;
    std::vector<const wchar_t*> notAhead;
  } cases[] = {{96, {L"a.png", L"only.png"}, {L"a@1.5x.png", L"a@2x.png"}},
               {120, {L"a@1.5x.png", L"only.png"}, {L"a.png", L"a@2x.png"}},
               {192, {L"a@2x.png", L"only.png"}, {L"a.png", L"a@1.5x.png"}},
               {288, {L"A@2x.png", L"only.png"}, {L"a.png", L"a@1.5x.png"}}};
  for (const auto& scale : cases) {
    SCOPED_TRACE(scale.dpi);
    SkinUI::StartImagePrefetch(SkinUI::CDpiScaleUI(scale.dpi));
    std::fill(archive.begin(), archive.end(), 0);  // the thread has its own copy
    SkinUI::WaitForImagePrefetch();
    archive = kept;
    for (const wchar_t* name : scale.notAhead) EXPECT_FALSE(SkinUI::TakePrefetchedImage(name, 0));
    for (const wchar_t* name : scale.ahead) EXPECT_TRUE(SkinUI::TakePrefetchedImage(name, 0));
  }
  SkinUI::SetResourceArchive(L"");
}

// The images of a skin archive in memory are decoded ahead on a second
// thread, a piece at a time; a load gets the image its own lookup would have
// decoded, with its mask, once; other lookups (another archive, none, a
// missing or broken entry) are not served from what was decoded ahead.
TEST_F(ImageLoadTest, ImagesDecodedAheadAreThoseTheLookupWouldDecode) {
  std::vector<DWORD> framed(40 * 30, kMagenta);
  for (size_t i = 0; i < framed.size(); i += 7) framed[i] = 0x80102030 + static_cast<DWORD>(i);
  const std::vector<unsigned char> big = EncodePng(40, 30, framed);
  const std::vector<unsigned char> small = EncodePng(2, 1, {kRed, kMagenta});
  // Larger than a piece of background work; its one translucent pixel lies
  // in the second piece.
  std::vector<DWORD> opaque(200 * 100, kRed);
  opaque[16384 + 7] = 0x80FF0000;
  const std::vector<unsigned char> late = EncodePng(200, 100, opaque);
  auto entry = [](const char* name, const std::vector<unsigned char>& data) {
    TestZipEntry zipped;
    zipped.name = name;
    zipped.data.assign(data.begin(), data.end());
    zipped.deflate = true;
    return zipped;
  };
  const Bytes archive = BuildTestZip({entry("Skin.xml", {'<', 'a', '/', '>'}),
                                      entry("big.png", big), entry("small.png", small),
                                      entry("late.png", late), entry("broken.png", {1, 2, 3})});
  SkinUI::SetResourceArchive(L"");
  SkinUI::SetArchiveFromMemory(archive.data(), static_cast<DWORD>(archive.size()));
  SkinUI::StartImagePrefetch();
  SkinUI::WaitForImagePrefetch();

  const struct {
    const wchar_t* name;
    const std::vector<unsigned char>* bytes;
    DWORD mask;
  } loads[] = {{L"BIG.png", &big, 0xFFFF00FF}, {L"small.png", &small, 0}, {L"late.png", &late, 0}};
  for (const auto& load : loads) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(load.name)));
    auto expected = SkinUI::DecodeBitmapImage(load.bytes->data(), load.bytes->size(), load.mask);
    auto loaded = CDrawKit::LoadBitmapImage(load.name, nullptr, load.mask);
    ASSERT_TRUE(expected && loaded);
    EXPECT_EQ(expected->hasAlpha, loaded->hasAlpha);
    EXPECT_TRUE(EqualRect(&expected->opaqueInterior, &loaded->opaqueInterior));
    EXPECT_TRUE(BitmapPixels(*expected) == BitmapPixels(*loaded));
  }
  // Handed out once; a new start decodes it again.
  EXPECT_FALSE(SkinUI::TakePrefetchedImage(L"small.png", 0));
  SkinUI::StartImagePrefetch();
  SkinUI::WaitForImagePrefetch();
  EXPECT_TRUE(SkinUI::TakePrefetchedImage(L"small.png", 0));
  EXPECT_FALSE(SkinUI::TakePrefetchedImage(L"broken.png", 0));
  EXPECT_FALSE(CDrawKit::LoadBitmapImage(L"broken.png", nullptr, 0));
  EXPECT_FALSE(SkinUI::TakePrefetchedImage(L"Skin.xml", 0));
  EXPECT_FALSE(SkinUI::TakePrefetchedImage(L"missing.png", 0));

  // Once lookups read plain files, nothing decoded ahead is handed out.
  SkinUI::StartImagePrefetch();
  SkinUI::WaitForImagePrefetch();
  SkinUI::SetResourceArchive(L"");
  EXPECT_FALSE(SkinUI::TakePrefetchedImage(L"big.png", 0));
  SkinUI::StartImagePrefetch();
  EXPECT_FALSE(SkinUI::TakePrefetchedImage(L"big.png", 0));
}

// A load whose image the second thread is still decoding decodes the images
// still waiting meanwhile; whichever thread decodes each, every load gets
// what its own lookup would decode.
TEST_F(ImageLoadTest, ALoadWaitingForTheSecondThreadDecodesOthersMeanwhile) {
  // Noise hardly compresses: the large image keeps the thread busy while
  // the load waits for it.
  std::vector<DWORD> noise(1200 * 1200);
  uint32_t seed = 7;
  for (DWORD& pixel : noise) {
    seed = seed * 1664525u + 1013904223u;
    pixel = 0xFF000000 | (seed >> 8);
  }
  std::vector<std::pair<std::string, Bytes>> images = {{"large.png", EncodePng(1200, 1200, noise)}};
  for (int i = 0; i < 6; ++i) {
    const DWORD shade = 0xFF102030 + static_cast<DWORD>(i) * 0x00101010;
    images.emplace_back("small" + std::to_string(i) + ".png",
                        EncodePng(20 + i, 10, std::vector<DWORD>((20 + i) * 10, shade)));
  }
  std::vector<TestZipEntry> entries(1);
  entries[0].name = "Skin.xml";
  entries[0].data = "<a/>";
  for (const auto& [name, png] : images) {
    entries.emplace_back();
    entries.back().name = name;
    entries.back().data.assign(png.begin(), png.end());
  }
  const Bytes archive = BuildTestZip(entries);
  SkinUI::SetResourceArchive(L"");
  SkinUI::SetArchiveFromMemory(archive.data(), static_cast<DWORD>(archive.size()));
  SkinUI::StartImagePrefetch();
  Sleep(5);  // long enough for the thread to list the images and begin the large one

  for (const auto& [name, png] : images) {
    SCOPED_TRACE(name);
    const std::wstring wide(name.begin(), name.end());
    auto loaded = CDrawKit::LoadBitmapImage(wide.c_str(), nullptr, 0);
    auto expected = SkinUI::DecodeBitmapImage(png.data(), png.size(), 0);
    ASSERT_TRUE(loaded && expected);
    EXPECT_TRUE(BitmapPixels(*expected) == BitmapPixels(*loaded));
  }
  SkinUI::WaitForImagePrefetch();
  SkinUI::SetResourceArchive(L"");
}

// When the archive's skin files name images (as plain attribute values or
// inside an image description, escaped or not, in any file), only those are
// decoded ahead; the rest decode when first drawn. Started again for
// another scale, the thread leaves the former one's images.
TEST_F(ImageLoadTest, OnlyTheImagesTheSkinFilesNameAreDecodedAhead) {
  const std::vector<unsigned char> png = EncodePng(2, 2, {kRed, kRed, kRed, kRed});
  auto entry = [](const char* name, std::vector<unsigned char> data) {
    TestZipEntry zipped;
    zipped.name = name;
    zipped.data.assign(data.begin(), data.end());
    zipped.deflate = true;
    return zipped;
  };
  const std::string skin =
      "<Window bkimage=\"bg.png\"><Button normalimage=\"file='Button.PNG' source='0,0,1,1'\" "
      "hotimage=\"file=&apos;hot.png&apos;\"/></Window>";
  const std::string other = "<Include><Control bkimage=\"sub\\other.png\"/></Include>";
  const Bytes archive =
      BuildTestZip({entry("Skin.xml", {skin.begin(), skin.end()}),
                    entry("Other.xml", {other.begin(), other.end()}), entry("bg.png", png),
                    entry("bg@2x.png", png), entry("button.png", png), entry("hot.png", png),
                    entry("sub/other.png", png), entry("icon.png", png)});
  SkinUI::SetResourceArchive(L"");
  SkinUI::SetArchiveFromMemory(archive.data(), static_cast<DWORD>(archive.size()));
  SkinUI::StartImagePrefetch();
  SkinUI::StartImagePrefetch(SkinUI::CDpiScaleUI(192));
  SkinUI::WaitForImagePrefetch();
  EXPECT_FALSE(SkinUI::TakePrefetchedImage(L"bg.png", 0));
  EXPECT_TRUE(SkinUI::TakePrefetchedImage(L"bg@2x.png", 0));
  for (const wchar_t* name : {L"button.png", L"hot.png", L"sub/other.png"}) {
    EXPECT_TRUE(SkinUI::TakePrefetchedImage(name, 0)) << testing::PrintToString(name);
  }
  EXPECT_FALSE(SkinUI::TakePrefetchedImage(L"icon.png", 0));
  EXPECT_TRUE(CDrawKit::LoadBitmapImage(L"icon.png", nullptr, 0));
  SkinUI::SetResourceArchive(L"");
}

TEST_F(ImageLoadTest, OpaqueImageWithoutMaskMatchHasNoAlpha) {
  const std::vector<unsigned char> png = EncodePng(2, 1, {kRed, kMagenta});
  auto opaque = SkinUI::DecodeBitmapImage(png.data(), png.size(), 0);
  ASSERT_TRUE(opaque);
  EXPECT_EQ(0, opaque->hasAlpha);
  auto masked = SkinUI::DecodeBitmapImage(png.data(), png.size(), 0xFFFF00FF);
  ASSERT_TRUE(masked);
  EXPECT_EQ(1, masked->hasAlpha);
}

::testing::AssertionResult InteriorIs(const std::vector<DWORD>& argb, int width, int height,
                                      DWORD mask, RECT expected) {
  const std::vector<unsigned char> png = EncodePng(width, height, argb);
  auto image = SkinUI::DecodeBitmapImage(png.data(), png.size(), mask);
  if (!image) return ::testing::AssertionFailure() << "not decoded";
  const RECT& r = image->opaqueInterior;
  if (EqualRect(&r, &expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "interior " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
}

TEST_F(ImageLoadTest, DecodingRecordsTheOpaqueInteriorInsideATranslucentRim) {
  // 12 x 8: a half-transparent rim one pixel wide, corners cut three deep.
  std::vector<DWORD> framed(12 * 8, kRed);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      const int dx = std::min(x, 11 - x);
      const int dy = std::min(y, 7 - y);
      if (dx == 0 || dy == 0) framed[y * 12 + x] = 0x80FF0000;
      if (dx + dy < 3) framed[y * 12 + x] = kClear;
    }
  }
  EXPECT_TRUE(InteriorIs(framed, 12, 8, 0, RECT{2, 2, 10, 6}));

  EXPECT_TRUE(InteriorIs(std::vector<DWORD>(12, kBlue), 4, 3, 0, RECT{0, 0, 4, 3}));
  // A masked pixel counts as transparent.
  std::vector<DWORD> corner(6 * 4, kBlue);
  corner[0] = kMagenta;
  EXPECT_TRUE(InteriorIs(corner, 6, 4, kMagenta, RECT{1, 1, 6, 4}));
  // A translucent pixel inside leaves no opaque rectangle; neither does a clear image.
  framed[4 * 12 + 6] = 0xFEFF0000;
  EXPECT_TRUE(InteriorIs(framed, 12, 8, 0, RECT{}));
  EXPECT_TRUE(InteriorIs(std::vector<DWORD>(16, 0x40FFFFFF), 4, 4, 0, RECT{}));
}

TEST_F(ImageLoadTest, LoadsFromTheResourceFolderAndFromAPlainPath) {
  AddQuad();
  auto fromFolder = CDrawKit::LoadBitmapImage(L"quad.png", nullptr, 0);
  ASSERT_TRUE(fromFolder);
  EXPECT_EQ(4, fromFolder->width);

  SkinUI::SetResourceFolder(L"");
  auto fromPath = CDrawKit::LoadBitmapImage(scratch_.File(L"quad.png").c_str(), nullptr, 0);
  ASSERT_TRUE(fromPath);
  EXPECT_EQ(BitmapPixels(*fromFolder), BitmapPixels(*fromPath));
}

TEST_F(ImageLoadTest, MissingEmptyOrUndecodableImagesGiveNothing) {
  EXPECT_FALSE(CDrawKit::LoadBitmapImage(L"nowhere.png", nullptr, 0));
  EXPECT_FALSE(CDrawKit::LoadBitmapImage(nullptr, nullptr, 0));

  HANDLE empty = CreateFileW(scratch_.File(L"empty.png").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, 0, nullptr);
  CloseHandle(empty);
  EXPECT_FALSE(CDrawKit::LoadBitmapImage(L"empty.png", nullptr, 0));

  std::vector<unsigned char> png = EncodePng(2, 2, {kRed, kRed, kRed, kRed});
  png.resize(png.size() / 2);  // cut in the middle of the data
  HANDLE cut = CreateFileW(scratch_.File(L"cut.png").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(cut, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
  CloseHandle(cut);
  EXPECT_FALSE(CDrawKit::LoadBitmapImage(L"cut.png", nullptr, 0));

  const unsigned char garbage[] = "not an image at all";
  EXPECT_FALSE(SkinUI::DecodeBitmapImage(garbage, sizeof(garbage), 0));
  EXPECT_FALSE(SkinUI::DecodeBitmapImage(nullptr, 0, 0));
}

class FillTest : public DrawingTest {};

TEST_F(FillTest, TransparentColourIsSkippedOpaqueFillsAndTheRestBlends) {
  Canvas canvas(4, 4, kWhite);
  CDrawKit::FillColor(canvas.dc(), canvas.Bounds(), 0x00FF0000);
  EXPECT_EQ(16, canvas.CountRgb(Rgb(kWhite)));

  CDrawKit::FillColor(canvas.dc(), RECT{1, 1, 3, 3}, 0xFF123456);
  EXPECT_EQ(0x123456u, canvas.Rgb(1, 1));
  EXPECT_EQ(0x123456u, canvas.Rgb(2, 2));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(3, 3));

  // Half red over black and over white: a true source-over blend on both.
  Canvas dark(2, 2, kBlack);
  CDrawKit::FillColor(dark.dc(), dark.Bounds(), 0x80FF0000);
  EXPECT_NEAR(128, RedOf(dark.Pixel(0, 0)), 2);
  EXPECT_EQ(0, GreenOf(dark.Pixel(0, 0)));
  Canvas light(2, 2, kWhite);
  CDrawKit::FillColor(light.dc(), light.Bounds(), 0x80FF0000);
  EXPECT_EQ(255, RedOf(light.Pixel(1, 1)));
  EXPECT_NEAR(127, GreenOf(light.Pixel(1, 1)), 2);
  EXPECT_NEAR(127, BlueOf(light.Pixel(1, 1)), 2);
}

TEST_F(FillTest, GradientRunsFromTheFirstColourToTheSecond) {
  Canvas vertical(4, 64, kWhite);
  CDrawKit::FillGradient(vertical.dc(), vertical.Bounds(), kBlack, kWhite, true, 64);
  EXPECT_LT(RedOf(vertical.Pixel(0, 0)), 10);
  EXPECT_GT(RedOf(vertical.Pixel(0, 63)), 245);
  for (int y = 1; y < 64; ++y)
    EXPECT_GE(RedOf(vertical.Pixel(2, y)), RedOf(vertical.Pixel(2, y - 1)));

  Canvas horizontal(64, 4, kBlack);
  CDrawKit::FillGradient(horizontal.dc(), horizontal.Bounds(), kRed, kBlue, false, 64);
  EXPECT_GT(RedOf(horizontal.Pixel(0, 0)), 245);
  EXPECT_GT(BlueOf(horizontal.Pixel(63, 0)), 245);
  EXPECT_EQ(RedOf(horizontal.Pixel(10, 0)), RedOf(horizontal.Pixel(10, 3)));
}

TEST_F(FillTest, GradientFallbackPaintsBandsWhenThePlatformGradientIsMissing) {
  BlendOverride noGradient(SkinUI::PlatformAlphaBlend(), nullptr);
  Canvas canvas(2, 64, kWhite);
  const DWORD first = 0xFF000000, second = 0xFFFC8040;
  CDrawKit::FillGradient(canvas.dc(), canvas.Bounds(), first, second, true, 4);  // 2^2 bands
  // Band i: (second * (4 - i) + first * i) >> 2, band 0 at the bottom.
  EXPECT_EQ(0xFC8040u, canvas.Rgb(0, 63));
  EXPECT_EQ(0xFC8040u, canvas.Rgb(0, 48));
  EXPECT_EQ(0xBD6030u, canvas.Rgb(0, 47));
  EXPECT_EQ(0x7E4020u, canvas.Rgb(0, 31));
  EXPECT_EQ(0x3F2010u, canvas.Rgb(0, 0));
  EXPECT_EQ(0x3F2010u, canvas.Rgb(1, 15));

  Canvas across(64, 1, kWhite);
  CDrawKit::FillGradient(across.dc(), across.Bounds(), first, second, false, 100);  // 64 bands
  EXPECT_EQ(0xFC8040u, across.Rgb(63, 0));
  EXPECT_EQ(0x030201u, across.Rgb(0, 0));  // band 63: the second colour >> 6
}

TEST_F(FillTest, TranslucentGradientBlendsWithTheAverageAlpha) {
  Canvas canvas(4, 4, kWhite);
  CDrawKit::FillGradient(canvas.dc(), canvas.Bounds(), 0x80000000, 0x80000000, true, 64);
  EXPECT_NEAR(127, RedOf(canvas.Pixel(1, 1)), 3);
  EXPECT_NEAR(127, BlueOf(canvas.Pixel(3, 3)), 3);

  canvas.Fill(kWhite);
  CDrawKit::FillGradient(canvas.dc(), canvas.Bounds(), 0x01000000, 0x00000000, true, 64);
  EXPECT_EQ(16, canvas.CountRgb(Rgb(kWhite)));  // average alpha 0: nothing drawn

  BlendOverride fallback(SkinUI::PlatformAlphaBlend(), nullptr);
  canvas.Fill(kWhite);
  CDrawKit::FillGradient(canvas.dc(), canvas.Bounds(), 0x80000000, 0x80000000, true, 64);
  EXPECT_NEAR(127, GreenOf(canvas.Pixel(2, 2)), 3);
}

TEST_F(FillTest, BlendFallbackCopiesOnlyFullyOpaquePixels) {
  AddPng(L"mixed.png", 2, 1, {kRed, 0x80008000});
  BlendOverride noBlend(nullptr, nullptr);
  Canvas canvas(2, 1, kWhite);
  DrawSpec(canvas, L"mixed.png");
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(0, 0));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(1, 0));  // a translucent pixel keeps the destination

  canvas.Fill(kWhite);
  DrawSpec(canvas, L"file='mixed.png' fade='200'");
  EXPECT_EQ(2, canvas.CountRgb(Rgb(kWhite)));
}

TEST_F(FillTest, OutlinesDrawFramesAndLines) {
  Canvas canvas(10, 10, kWhite);
  CDrawKit::DrawFrameRect(canvas.dc(), RECT{0, 0, 10, 10}, 2, kRed);
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(0, 0));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(1, 5));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(9, 9));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(2, 2));  // hollow inside
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(5, 5));

  canvas.Fill(kWhite);
  CDrawKit::DrawLineSegment(canvas.dc(), RECT{0, 4, 10, 4}, 1, kBlue);
  EXPECT_EQ(Rgb(kBlue), canvas.Rgb(0, 4));
  EXPECT_EQ(Rgb(kBlue), canvas.Rgb(8, 4));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(5, 5));

  canvas.Fill(kWhite);
  CDrawKit::DrawFrameRoundRect(canvas.dc(), RECT{0, 0, 10, 10}, 1, 6, 6, kGreen);
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(0, 0));  // the corner is rounded off
  EXPECT_EQ(Rgb(kGreen), canvas.Rgb(5, 0));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(5, 5));
}

class ClipTest : public DrawingTest {};

TEST_F(ClipTest, RectClipLimitsDrawingUntilReleased) {
  Canvas canvas(10, 10, kWhite);
  {
    SkinUI::ClipGuard guard;
    CDrawKit::ClipToRect(canvas.dc(), RECT{2, 2, 5, 5}, guard);
    CDrawKit::FillColor(canvas.dc(), canvas.Bounds(), kRed);
    EXPECT_EQ(9, canvas.CountRgb(Rgb(kRed)));
    EXPECT_EQ(Rgb(kRed), canvas.Rgb(4, 4));
    EXPECT_EQ(Rgb(kWhite), canvas.Rgb(5, 5));
  }
  CDrawKit::FillColor(canvas.dc(), canvas.Bounds(), kBlue);
  EXPECT_EQ(100, canvas.CountRgb(Rgb(kBlue)));
}

TEST_F(ClipTest, RoundClipCutsTheCornersOfTheItem) {
  Canvas canvas(20, 20, kWhite);
  SkinUI::ClipGuard guard;
  CDrawKit::ClipToRoundRect(canvas.dc(), canvas.Bounds(), canvas.Bounds(), 12, 12, guard);
  CDrawKit::FillColor(canvas.dc(), canvas.Bounds(), kRed);
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(0, 0));
  EXPECT_EQ(Rgb(kWhite), canvas.Rgb(0, 19));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(10, 10));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(10, 0));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(19, 10));
  CDrawKit::ReleaseClip(guard);
  CDrawKit::FillColor(canvas.dc(), canvas.Bounds(), kBlue);
  EXPECT_EQ(Rgb(kBlue), canvas.Rgb(0, 0));
}

TEST_F(ClipTest, OuterAndInnerSwitchBetweenThePreviousClipAndTheGuardsOwn) {
  Canvas canvas(10, 10, kWhite);
  SkinUI::ClipGuard outer;
  CDrawKit::ClipToRect(canvas.dc(), RECT{0, 0, 8, 8}, outer);
  SkinUI::ClipGuard inner;
  CDrawKit::ClipToRect(canvas.dc(), RECT{4, 4, 10, 10}, inner);
  CDrawKit::FillColor(canvas.dc(), canvas.Bounds(), kRed);
  EXPECT_EQ(16, canvas.CountRgb(Rgb(kRed)));  // 4..7 both ways

  CDrawKit::ClipUseOuter(canvas.dc(), inner);
  CDrawKit::FillColor(canvas.dc(), canvas.Bounds(), kGreen);
  EXPECT_EQ(64, canvas.CountRgb(Rgb(kGreen)));

  canvas.Fill(kWhite);
  CDrawKit::ClipUseInner(canvas.dc(), inner);
  CDrawKit::FillColor(canvas.dc(), canvas.Bounds(), kBlue);
  EXPECT_EQ(16, canvas.CountRgb(Rgb(kBlue)));
  inner.Release();
  outer.Release();
}

TEST(ColorMath, ConversionsAndShift) {
  EXPECT_EQ(RGB(0x12, 0x34, 0x56), SkinUI::ArgbToColorRef(0x80123456));

  const SkinUI::THslColor red = SkinUI::RgbToHsl(0xFFFF0000);
  EXPECT_FLOAT_EQ(0.0f, red.hue);
  EXPECT_FLOAT_EQ(1.0f, red.saturation);
  EXPECT_FLOAT_EQ(0.5f, red.lightness);
  EXPECT_NEAR(120.0f, SkinUI::RgbToHsl(0xFF00FF00).hue, 0.01f);
  EXPECT_NEAR(240.0f, SkinUI::RgbToHsl(0xFF0000FF).hue, 0.01f);
  EXPECT_FLOAT_EQ(0.0f, SkinUI::RgbToHsl(0xFF808080).saturation);

  EXPECT_EQ(0x00FF0000u, SkinUI::HslToRgb({0, 1, 0.5f}));
  EXPECT_EQ(0x0000FF00u, SkinUI::HslToRgb({120, 1, 0.5f}));
  EXPECT_EQ(0x00FFFFFFu, SkinUI::HslToRgb({0, 0, 1.5f}));  // clamped

  EXPECT_EQ(0x7F123456u, CDrawKit::ShiftColor(0x7F123456, 180, 100, 100));
  EXPECT_EQ(0x8000FF00u, CDrawKit::ShiftColor(0x80FF0000, 300, 100, 100));  // hue +120
  EXPECT_EQ(0xFF000000u, CDrawKit::ShiftColor(0xFFFF0000, 180, 100, 0));    // no lightness
  EXPECT_EQ(0xFF808080u, CDrawKit::ShiftColor(0xFF808080, 240, 100, 100));  // grey has no hue
}

TEST(PlainText, AmpersandIsNeverAPrefixAndMissingInputsDrawNothing) {
  CTestManager manager;
  Canvas canvas(200, 30, kWhite);
  RECT measured = {0, 0, 200, 30};
  CDrawKit::DrawPlainText(canvas.dc(), &manager, measured, L"a&b", kBlack, -1,
                          DT_CALCRECT | DT_SINGLELINE);
  SIZE extent = {};
  SelectObject(canvas.dc(), manager.FontAt(-1));
  GetTextExtentPoint32W(canvas.dc(), L"a&b", 3, &extent);
  EXPECT_EQ(extent.cx, measured.right - measured.left);

  RECT area = canvas.Bounds();
  CDrawKit::DrawPlainText(canvas.dc(), &manager, area, L"Text", kRed, -1, DT_SINGLELINE);
  EXPECT_GT(200 * 30, canvas.CountRgb(Rgb(kWhite)));
  canvas.Fill(kWhite);
  CDrawKit::DrawPlainText(canvas.dc(), nullptr, area, L"Text", kRed, -1, DT_SINGLELINE);
  CDrawKit::DrawPlainText(canvas.dc(), &manager, area, nullptr, kRed, -1, DT_SINGLELINE);
  EXPECT_EQ(200 * 30, canvas.CountRgb(Rgb(kWhite)));
}

// A plain text is drawn exactly as the platform's DrawTextW draws it with
// the same font, colour and flags: every alignment, boxes of odd and even
// size narrower and lower than the text, and texts the platform treats
// specially (tabs, line breaks, an ellipsis, characters beyond Latin).
TEST(PlainText, DrawsEachTextAsThePlatformsDrawTextDoes) {
  CTestManager manager;
  manager.RegisterFont(L"Tahoma", 19, true, false, false);
  manager.RegisterFont(L"Tahoma", 13, false, true, true);
  const wchar_t* const texts[] = {L"Update 17 of the list, 31.5 MB",
                                  L"a&b",
                                  L"W",
                                  L"tab\there",
                                  L"two\nlines",
                                  L"\u00C4\u00DF \u0645\u0631",
                                  L"e\u0301 \xD83D\xDE00"};
  const UINT aligns[] = {0, DT_CENTER, DT_RIGHT};
  const UINT verticals[] = {0, DT_VCENTER, DT_BOTTOM};
  const UINT extras[] = {DT_SINGLELINE, DT_SINGLELINE | DT_END_ELLIPSIS, DT_SINGLELINE | DT_NOCLIP,
                         DT_WORDBREAK, 0};
  const RECT boxes[] = {{4, 3, 204, 19}, {5, 4, 204, 21},   {7, 2, 40, 9},
                        {3, 6, 18, 30},  {-6, -3, 100, 12}, {10, 10, 10, 30}};
  int differing = 0;
  for (int font = -1; font < 2; ++font) {
    for (const wchar_t* text : texts) {
      for (UINT align : aligns) {
        for (UINT vertical : verticals) {
          for (UINT extra : extras) {
            for (const RECT& box : boxes) {
              const UINT format = align | vertical | extra;
              Canvas expected(220, 40, kWhite);
              Canvas drawn(220, 40, kWhite);
              SelectObject(expected.dc(), manager.FontAt(font));
              SetBkMode(expected.dc(), TRANSPARENT);
              SetTextColor(expected.dc(), RGB(0x20, 0x40, 0x80));
              RECT expectedBox = box;
              DrawTextW(expected.dc(), text, -1, &expectedBox, format | DT_NOPREFIX);
              SelectObject(drawn.dc(), manager.FontAt(-1));
              RECT drawnBox = box;
              CDrawKit::DrawPlainText(drawn.dc(), &manager, drawnBox, text, 0xFF204080, font,
                                      format);
              if (!drawn.SameRgbAs(expected) || !EqualRect(&drawnBox, &expectedBox)) {
                if (++differing <= 5) {
                  ADD_FAILURE() << "font " << font << " text "
                                << ::testing::PrintToString(std::wstring(text)) << " format "
                                << std::hex << format << std::dec << " box " << box.left << ","
                                << box.top << "," << box.right << "," << box.bottom;
                }
              }
            }
          }
        }
      }
    }
  }
  EXPECT_EQ(0, differing);
}

}  // namespace
}  // namespace SkinUITest

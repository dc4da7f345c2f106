// The paint memo: a draw is put back only over the pixels it was first made
// over, in the same place, with the same key, through a plain clip; what it
// keeps stays within its budget and goes when a font or image record goes.

#include <gtest/gtest.h>

#include <memory>

#include "ui/core/gdi_handles.h"
#include "ui/core/resource_records.h"
#include "ui/render/dib_section.h"
#include "ui/render/paint_memo.h"

namespace SkinUITest {
namespace {

using SkinUI::CMemoizedDraw;
using SkinUI::CMemoKey;
using SkinUI::CPaintMemoScope;
using SkinUI::CPaintMemoUI;

constexpr int kSize = 32;
constexpr DWORD kGrey = 0xFF808080;

class PaintMemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(surface);
    original = SelectObject(dc.get(), surface.bitmap.get());
    Fill(kGrey);
    memo.Attach({dc.get(), surface.pixels, kSize, kSize});
  }
  void TearDown() override { SelectObject(dc.get(), original); }

  void Fill(DWORD argb) { std::fill_n(surface.pixels, kSize * kSize, argb); }

  // A draw that cannot be told from its replay unless it really ran: it
  // adds one to every pixel of the area it is given, and counts its runs.
  bool Draw(const RECT& area, const wchar_t* name = L"brighten") {
    CMemoizedDraw draw(dc.get(), area);
    if (draw.Replay([&] { return CMemoKey(L'X').Add(name, wcslen(name)).Add(area).Take(); })) {
      return false;
    }
    RECT clip = {};
    GetClipBox(dc.get(), &clip);
    RECT painted = {};
    IntersectRect(&painted, &area, &clip);
    for (LONG y = painted.top; y < painted.bottom; ++y) {
      for (LONG x = painted.left; x < painted.right; ++x) surface.At(x, y) += 1;
    }
    ++runs;
    draw.Record();
    return true;
  }

  SkinUI::DibSection surface = SkinUI::CreateTopDownDib(kSize, kSize);
  SkinUI::UniqueMemoryDC dc{CreateCompatibleDC(nullptr)};
  HGDIOBJ original = nullptr;
  CPaintMemoUI memo;
  int runs = 0;
};

TEST_F(PaintMemoTest, ADrawIsPutBackOnlyOverThePixelsItWasMadeOver) {
  CPaintMemoScope scope(&memo);
  const RECT area = {4, 4, 12, 10};
  ASSERT_TRUE(Draw(area));
  EXPECT_EQ(kGrey + 1, surface.At(4, 4));
  Fill(kGrey);
  EXPECT_FALSE(Draw(area));  // put back
  EXPECT_EQ(kGrey + 1, surface.At(11, 9));
  EXPECT_EQ(kGrey, surface.At(12, 10));

  Fill(kGrey);
  surface.At(11, 9) = 0xFF000000;  // one pixel under the draw changed
  EXPECT_TRUE(Draw(area));
  EXPECT_EQ(0xFF000001, surface.At(11, 9));
  EXPECT_EQ(kGrey + 1, surface.At(4, 4));

  Fill(kGrey);
  EXPECT_TRUE(Draw({5, 4, 13, 10}));  // elsewhere: another key
  EXPECT_TRUE(Draw(area, L"darken"));
  EXPECT_EQ(4, runs);
}

TEST_F(PaintMemoTest, OnlyDrawsIntoTheSurfaceThroughAPlainClipAreRemembered) {
  const RECT area = {2, 2, 20, 20};
  EXPECT_TRUE(Draw(area));
  EXPECT_TRUE(Draw(area));  // no memo in force
  CPaintMemoScope scope(&memo);

  SkinUI::UniqueRegion round(CreateEllipticRgn(0, 0, kSize, kSize));
  SelectClipRgn(dc.get(), round.get());
  EXPECT_TRUE(Draw(area));
  EXPECT_TRUE(Draw(area));
  SelectClipRgn(dc.get(), nullptr);

  SetViewportOrgEx(dc.get(), 3, 0, nullptr);
  EXPECT_TRUE(Draw(area));
  EXPECT_TRUE(Draw(area));
  SetViewportOrgEx(dc.get(), 0, 0, nullptr);
  EXPECT_EQ(0u, memo.KeptBytes());

  // Cut to a rectangle: what is kept and put back is the part inside it.
  SkinUI::UniqueRegion left(CreateRectRgn(0, 0, 10, kSize));
  SelectClipRgn(dc.get(), left.get());
  Fill(kGrey);
  EXPECT_TRUE(Draw(area));
  Fill(kGrey);
  EXPECT_FALSE(Draw(area));
  EXPECT_EQ(kGrey + 1, surface.At(9, 2));
  EXPECT_EQ(kGrey, surface.At(10, 2));
  SelectClipRgn(dc.get(), nullptr);
  Fill(kGrey);
  EXPECT_TRUE(Draw(area));  // a wider clip: the kept part is not the whole draw
  EXPECT_EQ(kGrey + 1, surface.At(19, 19));
}

TEST_F(PaintMemoTest, WhatIsKeptStaysWithinTheBudgetAndTheLeastUsedGoesFirst) {
  CPaintMemoScope scope(&memo);
  // Each draw keeps 16 x 16 pixels twice: the budget, twice the surface,
  // holds four of them.
  const RECT quarters[] = {{0, 0, 16, 16}, {16, 0, 32, 16}, {0, 16, 16, 32}, {16, 16, 32, 32}};
  for (const RECT& quarter : quarters) Draw(quarter);
  EXPECT_EQ(4u * 16 * 16 * 2 * sizeof(DWORD), memo.KeptBytes());
  Fill(kGrey);
  EXPECT_FALSE(Draw(quarters[0]));  // used again: now the most recent
  Fill(kGrey);
  EXPECT_TRUE(Draw({1, 1, 17, 17}));  // a fifth: the least used goes
  EXPECT_EQ(4u * 16 * 16 * 2 * sizeof(DWORD), memo.KeptBytes());
  Fill(kGrey);
  EXPECT_FALSE(Draw(quarters[0]));
  Fill(kGrey);
  EXPECT_TRUE(Draw(quarters[1]));

  memo.Attach({dc.get(), surface.pixels, kSize, kSize});
  EXPECT_EQ(0u, memo.KeptBytes());
}

TEST_F(PaintMemoTest, AFontOrImageRecordGoingForgetsEveryDraw) {
  CPaintMemoScope scope(&memo);
  const RECT area = {0, 0, 8, 8};
  Draw(area);
  std::make_unique<SkinUI::ImageRecord>().reset();
  Fill(kGrey);
  EXPECT_TRUE(Draw(area));  // its bitmap's handle may be another's now
  Draw({8, 8, 16, 16});
  std::make_unique<SkinUI::FontRecord>().reset();
  Fill(kGrey);
  EXPECT_TRUE(Draw({8, 8, 16, 16}));
  EXPECT_EQ(4, runs);
}

}  // namespace
}  // namespace SkinUITest

// Renders a sheet of samples (nine-piece images, gradients, markup text with
// an inline image and a link) and keeps it as render_samples.png next to the
// test program, for a person to look at.

#include <gtest/gtest.h>

#include "tests/render/image_fixture.h"
#include "ui/render/draw_kit.h"

namespace SkinUITest {
namespace {

using SkinUI::CDrawKit;

// A 24 x 24 button face: transparent rounded corners, a dark border, a light
// body that darkens downwards.
std::vector<DWORD> ButtonFace() {
  std::vector<DWORD> pixels(24 * 24);
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 24; ++x) {
      const int dx = std::min(x, 23 - x);
      const int dy = std::min(y, 23 - y);
      DWORD p = 0xFFDDE8F5 - static_cast<DWORD>(y * 3) * 0x010101;
      if (dx == 0 || dy == 0 || (dx == 1 && dy == 1)) p = 0xFF24528C;
      if (dx + dy < 2) p = 0x00000000;
      pixels[y * 24 + x] = p;
    }
  }
  return pixels;
}

// A check mark on a transparent 12 x 12 field.
std::vector<DWORD> CheckMark() {
  std::vector<DWORD> pixels(12 * 12, 0x00000000);
  for (int i = 0; i < 4; ++i) {
    pixels[(6 + i) * 12 + 2 + i] = 0xFF1A8F3A;
    pixels[(7 + i) * 12 + 2 + i] = 0xFF1A8F3A;
  }
  for (int i = 0; i < 6; ++i) {
    pixels[(9 - i) * 12 + 5 + i] = 0xFF1A8F3A;
    pixels[(8 - i) * 12 + 5 + i] = 0xFF1A8F3A;
  }
  return pixels;
}

class RenderSamples : public DrawingTest {};

TEST_F(RenderSamples, SheetOfNinePieceGradientAndMarkupSamples) {
  AddPng(L"button.png", 24, 24, ButtonFace());
  AddPng(L"checked.png", 12, 12, CheckMark());
  Canvas sheet(420, 260, 0xFFF4F4F4);
  const RECT all = sheet.Bounds();

  // Nine-piece: one face at its own size, then stretched with fixed corners.
  CDrawKit::DrawImageSpec(sheet.dc(), &manager_, RECT{10, 10, 34, 34}, all, L"button.png");
  CDrawKit::DrawImageSpec(sheet.dc(), &manager_, RECT{44, 10, 204, 50}, all,
                          L"file='button.png' corner='4,4,4,4'");
  CDrawKit::DrawImageSpec(sheet.dc(), &manager_, RECT{214, 10, 254, 110}, all,
                          L"file='button.png' corner='4,4,4,4' fade='128'");
  CDrawKit::DrawImageSpec(sheet.dc(), &manager_, RECT{264, 10, 410, 50}, all,
                          L"file='button.png' corner='4,4,4,4' hole='true'");

  // Gradients: vertical, horizontal, and a translucent one over stripes.
  CDrawKit::FillGradient(sheet.dc(), RECT{10, 60, 100, 110}, 0xFF2B5FA8, 0xFFE8F0FA, true, 64);
  CDrawKit::FillGradient(sheet.dc(), RECT{110, 60, 204, 110}, 0xFFC83232, 0xFFF0D264, false, 64);
  for (int x = 264; x < 410; x += 12) {
    CDrawKit::FillColor(sheet.dc(), RECT{x, 60, x + 6, 110}, 0xFF000000);
  }
  CDrawKit::FillGradient(sheet.dc(), RECT{264, 60, 410, 110}, 0x80FFFFFF, 0x80FF8000, false, 64);
  CDrawKit::DrawFrameRoundRect(sheet.dc(), RECT{264, 60, 410, 110}, 1, 8, 8, 0xFF404040);

  // Markup text with an inline image, a link, colours and escapes.
  RECT rects[4] = {};
  SkinUI::CWideStringUI names[4];
  int links = 4;
  RECT text = {10, 125, 410, 250};
  CDrawKit::FillColor(sheet.dc(), text, 0xFFFFFFFF);
  CDrawKit::DrawMarkupText(
      sheet.dc(), &manager_, text,
      L"<i checked.png /> <b>3 updates</b> are ready. <a details>Show details</a>\n"
      L"<c #C83232>Restart</c> needed {<}after{>} install, <u>underlined</u> and "
      L"<i>italic</i> text wraps at the right edge of its rectangle when it runs on",
      0xFF202020, rects, names, links, DT_WORDBREAK);
  EXPECT_EQ(1, links);
  EXPECT_STREQ(L"details", names[0]);
  CDrawKit::DrawFrameRect(sheet.dc(), rects[0], 1, 0xFFFF00FF);

  const std::wstring path = ProgramFolder() + L"\\render_samples.png";
  std::vector<DWORD> opaque = sheet.Pixels();
  for (DWORD& p : opaque) p |= 0xFF000000;  // blends leave alpha bytes that PNG would honour
  ASSERT_TRUE(WritePng(path, sheet.width(), sheet.height(), opaque));
}

}  // namespace
}  // namespace SkinUITest

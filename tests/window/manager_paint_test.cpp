// Layout and painting of a real window, checked on the pixels the window
// shows afterwards.

#include <cstdio>
#include <cstdlib>

#include "tests/window/window_scene.h"
#include "ui/controls/control.h"
#include "ui/controls/label.h"
#include "ui/render/draw_kit.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

constexpr DWORD kBlue = 0xFF2040C0;
constexpr DWORD kGreen = 0xFF00A000;
constexpr DWORD kHalfRed = 0x80FF0000;

// Each channel within tolerance of the expected RGB.
::testing::AssertionResult Near(DWORD expected, DWORD actual, int tolerance = 3) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    if (std::abs(e - a) > tolerance) {
      char text[48];
      std::snprintf(text, sizeof(text), "expected 0x%06lX, got 0x%06lX",
                    static_cast<unsigned long>(expected & 0xFFFFFF),
                    static_cast<unsigned long>(actual & 0xFFFFFF));
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

// Half red over a colour, as the platform's blend makes it.
DWORD HalfRedOver(DWORD below) {
  const DWORD r = (0xFF * 0x80 + ((below >> 16) & 0xFF) * 0x7F) / 0xFF;
  const DWORD g = (((below >> 8) & 0xFF) * 0x7F) / 0xFF;
  const DWORD b = ((below & 0xFF) * 0x7F) / 0xFF;
  return (r << 16) | (g << 8) | b;
}

class ManagerPaint : public WindowScene {
 protected:
  void SetUp() override {
    panel->SetBkColor(kBlue);
    veil = AddProbe(L"veil", 20, 20, 60, 40);
    veil->SetBkColor(kHalfRed);
  }
  CProbeControlUI* veil = nullptr;
};

TEST_F(ManagerPaint, TheTreeIsPaintedThroughTheOffscreenBitmap) {
  auto* mark = AddProbe(L"mark", 150, 90, 30, 30);
  mark->overlayColor = 0xFFFFFF00;
  Show();
  manager().AddOverlayPainter(mark);
  window.InvalidateAll();
  window.Paint();
  auto screen = window.ReadScreen();
  CHarnessWindow::SavePng(*screen, L"manager_paint.png");
  EXPECT_TRUE(Near(kBlue, screen->Pixel(5, 5)));
  EXPECT_TRUE(Near(kBlue, screen->Pixel(239, 159)));
  EXPECT_TRUE(Near(HalfRedOver(kBlue), screen->Pixel(50, 40)));
  EXPECT_TRUE(Near(kBlue, screen->Pixel(81, 40)));
  EXPECT_TRUE(Near(0xFFFF00, screen->Pixel(160, 100)));  // the overlay, over the tree

  // The same tree painted on request into a memory bitmap.
  auto printed = window.PrintClient();
  EXPECT_TRUE(Near(HalfRedOver(kBlue), printed->Pixel(50, 40)));
  EXPECT_TRUE(Near(kBlue, printed->Pixel(5, 5)));

  // A painter that dies is dropped, not painted.
  panel->Detach(mark);
  delete mark;
  window.InvalidateAll();
  window.Paint();
  EXPECT_TRUE(Near(kBlue, window.ReadScreen()->Pixel(160, 100)));

  // Straight into the window works the same way.
  manager().SetOffscreenPainting(false);
  veil->SetBkColor(0xFF00FF00);
  window.Paint();
  EXPECT_TRUE(Near(0x00FF00, window.ReadScreen()->Pixel(50, 40)));
}

TEST_F(ManagerPaint, OnlyTheUpdateRectangleReachesTheWindow) {
  Show();
  panel->SetBkColor(kGreen);
  ValidateRect(window.GetHWND(), nullptr);  // forget the whole-panel request
  RECT small = {100, 100, 120, 110};
  InvalidateRect(window.GetHWND(), &small, FALSE);
  window.Paint();
  auto screen = window.ReadScreen();
  CHarnessWindow::SavePng(*screen, L"manager_update_rect.png");
  EXPECT_TRUE(Near(kGreen, screen->Pixel(100, 100)));
  EXPECT_TRUE(Near(kGreen, screen->Pixel(119, 109)));
  EXPECT_TRUE(Near(kBlue, screen->Pixel(99, 100)));
  EXPECT_TRUE(Near(kBlue, screen->Pixel(120, 109)));
  EXPECT_TRUE(Near(kBlue, screen->Pixel(110, 110)));

  // With dirty rectangles shown, the update rectangle is outlined in red.
  manager().SetShowDirtyRect(true);
  RECT dirty = {30, 80, 90, 120};
  InvalidateRect(window.GetHWND(), &dirty, FALSE);
  window.Paint();
  screen = window.ReadScreen();
  CHarnessWindow::SavePng(*screen, L"manager_dirty_rect.png");
  EXPECT_TRUE(Near(0xDC0000, screen->Pixel(30, 100), 0));
  EXPECT_TRUE(Near(0xDC0000, screen->Pixel(60, 119), 0));
  EXPECT_TRUE(Near(kGreen, screen->Pixel(60, 100)));
}

// Layout runs inside the paint, after the update region was read: what it
// moves is painted whether or not that region reached it.
TEST_F(ManagerPaint, WhatLayoutMovesIsPaintedBeyondTheUpdateRegion) {
  auto* growing = AddProbe(L"growing", 100, 60, 40, 40);
  growing->SetBkColor(kGreen);
  Show();
  const HWND hwnd = window.GetHWND();
  const auto paintAfterLayoutWith = [&](int width, std::initializer_list<RECT> pieces) {
    growing->SetFixedWidth(width);
    ValidateRect(hwnd, nullptr);  // only the pieces are due when the paint starts
    for (const RECT& piece : pieces) InvalidateRect(hwnd, &piece, FALSE);
    window.Paint();
    return window.ReadScreen();
  };
  // Two corners: a region whose bounds hold the whole window, and no more.
  auto screen = paintAfterLayoutWith(60, {RECT{0, 0, 10, 10}, RECT{230, 150, 240, 160}});
  EXPECT_TRUE(Near(kGreen, screen->Pixel(150, 80)));
  EXPECT_TRUE(Near(kBlue, screen->Pixel(161, 80)));
  // One corner only.
  screen = paintAfterLayoutWith(80, {RECT{0, 0, 10, 10}});
  CHarnessWindow::SavePng(*screen, L"manager_layout_in_paint.png");
  EXPECT_TRUE(Near(kGreen, screen->Pixel(170, 80)));
  EXPECT_TRUE(Near(kBlue, screen->Pixel(181, 80)));
}

TEST_F(ManagerPaint, ATranslucentBackgroundKeepsWhatTheWindowShowedBefore) {
  panel->SetBkColor(kHalfRed);
  veil->SetBkColor(0);
  manager().SetTranslucentBackground(true);
  {
    HDC dc = GetDC(window.GetHWND());
    UniqueBrush green(CreateSolidBrush(RGB(0, 0xA0, 0)));
    RECT all = {0, 0, 240, 160};
    FillRect(dc, &all, green.get());
    ReleaseDC(window.GetHWND(), dc);
  }
  Show();
  const DWORD blended = HalfRedOver(kGreen);
  EXPECT_TRUE(Near(blended, window.ReadScreen()->Pixel(120, 80)));

  // Later paints start from the kept copy, not from what is on screen now.
  window.InvalidateAll();
  window.Paint();
  auto screen = window.ReadScreen();
  CHarnessWindow::SavePng(*screen, L"manager_translucent.png");
  EXPECT_TRUE(Near(blended, screen->Pixel(120, 80)));
}

TEST_F(ManagerPaint, AControlThatAlwaysAsksForLayoutDoesNotHangThePaint) {
  auto* restless = AddProbe(L"restless", 100, 20, 40, 40);
  restless->relayoutOnEveryPlacement = true;
  InstallOnly();
  window.Paint();  // the root's own layout places it once
  ASSERT_EQ(1, restless->placements);
  window.Paint();  // the pending-layout search: stopped after 2 rounds per control
  EXPECT_GE(restless->placements, 2);
  EXPECT_LE(restless->placements, 1 + 3 * 2);
  EXPECT_TRUE(Near(HalfRedOver(kBlue), window.ReadScreen()->Pixel(50, 40)));
  EXPECT_EQ(1, notes().Count(L"windowinit"));
  ValidateRect(window.GetHWND(), nullptr);
}

// The paint selects the default font once for every text; a text in another
// font, and a default one after it, must still come out in their own fonts.
TEST_F(ManagerPaint, EachTextIsDrawnInItsOwnFont) {
  manager().Resources().RegisterFont(L"Tahoma", 22, true, false, false);
  const int fonts[] = {-1, 0, -1};
  for (int i = 0; i < 3; ++i) {
    auto* label = new CLabelUI;
    label->ApplyAttributeText((L"pos=\"10," + std::to_wstring(10 + 45 * i) + L",210," +
                               std::to_wstring(40 + 45 * i) + L"\" font=\"" +
                               std::to_wstring(fonts[i]) + L"\" text=\"Scan 12\" " +
                               L"textcolor=\"#FFFFFFFF\"")
                                  .c_str());
    panel->Add(label);
  }
  veil->SetVisible(false);
  Show();
  auto screen = window.ReadScreen();
  int inked[3] = {};
  for (int i = 0; i < 3; ++i) {
    Canvas expected(200, 30, kBlue);
    RECT area = expected.Bounds();
    CDrawKit::DrawPlainText(expected.dc(), &manager().Resources(), area, L"Scan 12", 0xFFFFFFFF,
                            fonts[i], DT_VCENTER | DT_SINGLELINE);
    int differing = 0;
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 200; ++x) {
        differing += screen->Rgb(10 + x, 10 + 45 * i + y) != expected.Rgb(x, y);
        inked[i] += expected.Rgb(x, y) != (kBlue & 0xFFFFFF);
      }
    }
    EXPECT_EQ(0, differing) << "label " << i;
  }
  EXPECT_GT(inked[1], inked[0] * 3 / 2);  // the large bold font
  EXPECT_EQ(inked[0], inked[2]);
}

// A repaint puts back what a text drew only where nothing about it changed.
TEST_F(ManagerPaint, ARepaintDrawsATextAgainWhenWhatIsBelowOrItsLooksChanged) {
  auto* label = new CLabelUI;
  label->ApplyAttributeText(L"pos=\"10,10,210,40\" text=\"Scan 12\" textcolor=\"#FFFFFFFF\"");
  panel->Add(label);
  veil->SetVisible(false);
  Show();
  const auto differing = [&](DWORD below, DWORD colour) {
    window.InvalidateAll();
    window.Paint();
    auto screen = window.ReadScreen();
    Canvas expected(200, 30, below);
    RECT area = expected.Bounds();
    CDrawKit::DrawPlainText(expected.dc(), &manager().Resources(), area, L"Scan 12", colour, -1,
                            DT_VCENTER | DT_SINGLELINE);
    int count = 0;
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 200; ++x) count += screen->Rgb(10 + x, 10 + y) != expected.Rgb(x, y);
    }
    return count;
  };
  EXPECT_EQ(0, differing(kBlue, 0xFFFFFFFF));
  EXPECT_EQ(0, differing(kBlue, 0xFFFFFFFF));
  panel->SetBkColor(kGreen);
  EXPECT_EQ(0, differing(kGreen, 0xFFFFFFFF));
  label->SetTextColor(0xFFFFFF00);
  EXPECT_EQ(0, differing(kGreen, 0xFFFFFF00));
  manager().Resources().ReplaceDefaultFont(L"Tahoma", 22, true, false, false);
  EXPECT_EQ(0, differing(kGreen, 0xFFFFFF00));
  CHarnessWindow::SavePng(*window.ReadScreen(), L"manager_repaint_memo.png");
}

}  // namespace
}  // namespace SkinUITest

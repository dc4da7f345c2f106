// Paints scroll bars in every state, with images and with the outline
// fallback, and two small layouts, and keeps the result as
// containers_sheet.png next to the test program for a person to look at.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/controls/horizontal_layout.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/vertical_layout.h"
#include "ui/render/draw_kit.h"

namespace {

using SkinUI::CControlUI;
using SkinUI::CRectUI;
using SkinUI::CScrollBarUI;
using SkinUI::TControlEvent;
using SkinUITest::Canvas;
using SkinUITest::CTestManager;

constexpr int kSide = 16;
constexpr DWORD kClear = 0x00000000;
constexpr DWORD kBorder = 0xFF5A7394;

struct TStateColors {
  const wchar_t* suffix;
  DWORD body;
  DWORD mark;
};
const TStateColors kStates[] = {{L"n", 0xFFDDE6F0, 0xFF34495E},
                                {L"h", 0xFFBFDAF7, 0xFF1F4E8C},
                                {L"p", 0xFF7FA8DB, 0xFFFFFFFF},
                                {L"d", 0xFFE4E4E4, 0xFFA8A8A8}};

// A 16 x 16 face with a border and clipped corners.
std::vector<DWORD> Face(DWORD body) {
  std::vector<DWORD> pixels(kSide * kSide, body);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const int dx = std::min(x, kSide - 1 - x);
      const int dy = std::min(y, kSide - 1 - y);
      if (dx == 0 || dy == 0) pixels[y * kSide + x] = kBorder;
      if (dx + dy == 0) pixels[y * kSide + x] = kClear;
    }
  }
  return pixels;
}

// An arrow pointing up, down, left or right ('u', 'd', 'l', 'r').
std::vector<DWORD> Arrow(char direction, const TStateColors& colors) {
  std::vector<DWORD> pixels = Face(colors.body);
  for (int i = 0; i < 4; ++i) {
    for (int j = 7 - i; j <= 8 + i; ++j) {
      const int along = (direction == 'u' || direction == 'l') ? 6 + i : 9 - i;
      const bool vertical = direction == 'u' || direction == 'd';
      const int x = vertical ? j : along;
      const int y = vertical ? along : j;
      pixels[y * kSide + x] = colors.mark;
    }
  }
  return pixels;
}

// Three grip lines across the bar.
std::vector<DWORD> Grip(bool horizontal, const TStateColors& colors) {
  std::vector<DWORD> pixels(kSide * kSide, kClear);
  for (int line = 5; line <= 9; line += 2) {
    for (int k = 4; k < 12; ++k) {
      pixels[horizontal ? k * kSide + line : line * kSide + k] = colors.mark;
    }
  }
  return pixels;
}

std::wstring Name(const wchar_t* part, const TStateColors& colors) {
  return std::wstring(part) + L"_" + colors.suffix + L".png";
}

// Registers every part image and returns the attribute list for a bar.
std::wstring RegisterBarImages(CTestManager& manager, bool horizontal) {
  const wchar_t* prefix = horizontal ? L"h" : L"v";
  const wchar_t* slots[] = {L"normal", L"hot", L"pushed", L"disabled"};
  std::wstring attributes;
  for (int s = 0; s < 4; ++s) {
    const TStateColors& c = kStates[s];
    const std::wstring b1 = Name((std::wstring(prefix) + L"b1").c_str(), c);
    const std::wstring b2 = Name((std::wstring(prefix) + L"b2").c_str(), c);
    const std::wstring thumb = Name((std::wstring(prefix) + L"thumb").c_str(), c);
    const std::wstring grip = Name((std::wstring(prefix) + L"grip").c_str(), c);
    manager.AddPixelImage(b1.c_str(), kSide, kSide, Arrow(horizontal ? 'l' : 'u', c));
    manager.AddPixelImage(b2.c_str(), kSide, kSide, Arrow(horizontal ? 'r' : 'd', c));
    manager.AddPixelImage(thumb.c_str(), kSide, kSide, Face(c.body));
    manager.AddPixelImage(grip.c_str(), kSide, kSide, Grip(horizontal, c));
    const std::wstring slot = slots[s];
    attributes += L"button1" + slot + L"image=\"" + b1 + L"\" ";
    attributes += L"button2" + slot + L"image=\"" + b2 + L"\" ";
    attributes += L"thumb" + slot + L"image=\"file='" + thumb + L"' corner='4,4,4,4'\" ";
    attributes += L"rail" + slot + L"image=\"" + grip + L"\" ";
  }
  manager.AddPixelImage(L"track.png", kSide, kSide, std::vector<DWORD>(kSide * kSide, 0xFFF0F3F7));
  return attributes + L"bknormalimage=\"track.png\"";
}

void Send(CScrollBarUI& bar, int kind, POINT point) {
  TControlEvent event;
  event.kind = kind;
  event.point = SkinUI::CPointUI(point);
  bar.RouteEvent(event);
}

POINT Middle(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

enum class Look { kNormal, kHot, kThumbPushed, kButtonPushed, kDisabled };

// One bar of the sheet, brought into its state by the events a user makes.
void PaintBar(Canvas& sheet, CTestManager& manager, const RECT& bounds, bool horizontal,
              const std::wstring& images, Look look) {
  CScrollBarUI bar;
  bar.BindManager(&manager, nullptr, false);
  bar.SetHorizontal(horizontal);
  bar.ApplyAttributeText(images.c_str());
  bar.SetScrollRange(200);
  bar.SetScrollPos(60);
  bar.SetBounds(bounds);
  switch (look) {
    case Look::kHot:
      Send(bar, SkinUI::EventMouseEnter, Middle(bar.ThumbRect()));
      break;
    case Look::kThumbPushed:
      Send(bar, SkinUI::EventMouseEnter, Middle(bar.ThumbRect()));
      Send(bar, SkinUI::EventButtonDown, Middle(bar.ThumbRect()));
      break;
    case Look::kButtonPushed:
      Send(bar, SkinUI::EventMouseEnter, Middle(bar.Button2Rect()));
      Send(bar, SkinUI::EventButtonDown, Middle(bar.Button2Rect()));
      break;
    case Look::kDisabled:
      bar.SetEnabled(false);
      break;
    case Look::kNormal:
      break;
  }
  bar.Paint(sheet.dc(), bar.Bounds());
}

void Label(Canvas& sheet, CTestManager& manager, RECT where, const wchar_t* text) {
  SkinUI::CDrawKit::DrawPlainText(sheet.dc(), &manager, where, text, 0xFF303030, -1,
                                  DT_SINGLELINE | DT_LEFT | DT_VCENTER);
}

CControlUI* Block(const wchar_t* attributes) {
  auto* control = new CControlUI;
  control->ApplyAttributeText(attributes);
  return control;
}

TEST(ContainersSheet, ScrollBarsInEveryStateAndTwoLayouts) {
  CTestManager manager;
  Canvas sheet(560, 420, 0xFFFAFAFA);
  const std::wstring vertical = RegisterBarImages(manager, false);
  const std::wstring horizontal = RegisterBarImages(manager, true);
  const Look looks[] = {Look::kNormal, Look::kHot, Look::kThumbPushed, Look::kButtonPushed,
                        Look::kDisabled};
  const wchar_t* names[] = {L"normal", L"hot", L"thumb", L"button", L"disabled"};

  for (int i = 0; i < 5; ++i) {
    const int x = 10 + i * 50;
    Label(sheet, manager, RECT{x, 2, x + 50, 16}, names[i]);
    PaintBar(sheet, manager, RECT{x, 20, x + 16, 160}, false, vertical, looks[i]);
    PaintBar(sheet, manager, RECT{x + 20, 20, x + 36, 160}, false, L"", looks[i]);
    const int y = 180 + i * 22;
    Label(sheet, manager, RECT{270, y, 330, y + 16}, names[i]);
    PaintBar(sheet, manager, RECT{330, y, 450, y + 16}, true, horizontal, looks[i]);
    PaintBar(sheet, manager, RECT{460, y, 550, y + 16}, true, L"", looks[i]);
  }

  // A page: header, a row of three, a stretched body, a footer, and a badge
  // floating over the inset.
  SkinUI::CVerticalLayoutUI page;
  page.BindManager(&manager, nullptr, false);
  page.ApplyAttributeText(
      L"inset=\"6,6,6,6\" childpadding=\"4\" bkcolor=\"#FFFFFFFF\" bordersize=\"1\" "
      L"bordercolor=\"#FF5A7394\"");
  page.Add(Block(L"height=\"24\" bkcolor=\"#FF2B5FA8\""));
  auto* row = new SkinUI::CHorizontalLayoutUI;
  row->ApplyAttributeText(L"height=\"40\" childpadding=\"4\"");
  page.Add(row);
  row->Add(Block(L"width=\"50\" bkcolor=\"#FFC83232\""));
  row->Add(Block(L"bkcolor=\"#FFF0D264\""));
  row->Add(Block(L"bkcolor=\"#FF1A8F3A\" maxwidth=\"60\""));
  page.Add(Block(L"bkcolor=\"#FFDDE8F5\""));
  page.Add(Block(L"height=\"20\" bkcolor=\"#FF24528C\""));
  page.Add(Block(L"float=\"true\" pos=\"-30,2,-2,14\" bkcolor=\"#FFFF8000\""));
  page.SetBounds(RECT{10, 200, 210, 400});
  page.Paint(sheet.dc(), sheet.Bounds());

  // A list-like layout whose rows overflow, scrolled by 50 with the skin's bar.
  manager.SetClassDefaults(L"VScrollBar", vertical.c_str());
  SkinUI::CVerticalLayoutUI list;
  list.BindManager(&manager, nullptr, false);
  list.ApplyAttributeText(L"vscrollbar=\"true\" bkcolor=\"#FFFFFFFF\"");
  for (int i = 0; i < 6; ++i) {
    list.Add(Block(i % 2 == 0 ? L"height=\"40\" bkcolor=\"#FFE8F0FA\""
                              : L"height=\"40\" bkcolor=\"#FFFFFFFF\""));
  }
  list.SetBounds(RECT{270, 300, 450, 410});
  list.SetScrollPos(SIZE{0, 50});
  list.Paint(sheet.dc(), sheet.Bounds());

  std::vector<DWORD> opaque = sheet.Pixels();
  for (DWORD& p : opaque) p |= 0xFF000000;
  ASSERT_TRUE(SkinUITest::WritePng(SkinUITest::ProgramFolder() + L"\\containers_sheet.png",
                                   sheet.width(), sheet.height(), opaque));

  // What the eye checks, in numbers: each state shows its own thumb colour,
  // the bars without images their outline, and the layouts their blocks.
  const int thumbY = 20 + 16 + 30;  // inside every vertical thumb at position 60
  EXPECT_EQ(0xDDE6F0u, sheet.Rgb(10 + 3, thumbY));
  EXPECT_EQ(0xBFDAF7u, sheet.Rgb(60 + 3, thumbY));
  EXPECT_EQ(0x7FA8DBu, sheet.Rgb(110 + 3, thumbY));
  EXPECT_EQ(0xE4E4E4u, sheet.Rgb(210 + 3, thumbY));
  EXPECT_EQ(0x85E4FFu, sheet.Rgb(30, 25));  // outline of the first fallback bar's button
  EXPECT_EQ(0x2B5FA8u, sheet.Rgb(100, 215));
  EXPECT_EQ(0xC83232u, sheet.Rgb(20, 250));
  EXPECT_EQ(0xFF8000u, sheet.Rgb(195, 205));
  EXPECT_TRUE(list.VerticalScrollBar()->IsVisible());
  EXPECT_EQ(130, list.VerticalScrollBar()->GetScrollRange());
}

}  // namespace

// Paints scroll bars in every state, with images and with the outline they
// fall back to when an image fails, and a small layout; keeps the result
// as containers_sheet.png next to the test program for a person to look at.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/controls/box_layout.h"
#include "ui/controls/scroll_bar.h"
#include "ui/render/draw_kit.h"

namespace {

using namespace SkinUI;

// Per state (normal, hot, pushed, disabled): slot name, face and mark colours.
const wchar_t* const kSlots[] = {L"normal", L"hot", L"pushed", L"disabled"};
const DWORD kFaces[] = {0xFFDDE6F0, 0xFFBFDAF7, 0xFF7FA8DB, 0xFFE4E4E4};
const DWORD kMarks[] = {0xFF34495E, 0xFF1F4E8C, 0xFFFFFFFF, 0xFFA8A8A8};

// A 16 x 16 bordered face; mark 'u' 'd' 'l' 'r' adds an arrow, 'g' a grip
// of three lines across a bar of that direction ('G' for horizontal bars).
std::vector<DWORD> Part(char mark, int state) {
  std::vector<DWORD> px(256, mark == 'g' || mark == 'G' ? 0u : kFaces[state]);
  auto at = [&](int x, int y) -> DWORD& { return px[y * 16 + x]; };
  for (int i = 0; i < 16 && mark != 'g' && mark != 'G'; ++i) {
    at(i, 0) = at(i, 15) = at(0, i) = at(15, i) = 0xFF5A7394;
  }
  for (int i = 0; i < 4 && mark != 'g' && mark != 'G'; ++i) {
    for (int j = 7 - i; j <= 8 + i; ++j) {
      const int along = (mark == 'u' || mark == 'l') ? 6 + i : 9 - i;
      if (mark == 'u' || mark == 'd') at(j, along) = kMarks[state];
      if (mark == 'l' || mark == 'r') at(along, j) = kMarks[state];
    }
  }
  for (int line = 5; line <= 9 && (mark == 'g' || mark == 'G'); line += 2) {
    for (int k = 4; k < 12; ++k) (mark == 'G' ? at(line, k) : at(k, line)) = kMarks[state];
  }
  return px;
}

// Registers the images of one bar direction and returns its attribute list.
std::wstring BarImages(SkinUITest::CTestManager& manager, bool horizontal) {
  const std::wstring dir = horizontal ? L"h" : L"v";
  std::wstring list = L"bknormalimage=\"track.png\"";
  manager.AddImage(L"track.png", 16, 16, std::vector<DWORD>(256, 0xFFF0F3F7));
  for (int s = 0; s < 4; ++s) {
    const struct {
      const wchar_t* attribute;
      char mark;
      const wchar_t* extra;
    } parts[] = {{L"button1", horizontal ? 'l' : 'u', L""},
                 {L"button2", horizontal ? 'r' : 'd', L""},
                 {L"thumb", ' ', L" corner='4,4,4,4'"},
                 {L"rail", horizontal ? 'G' : 'g', L""}};
    for (const auto& part : parts) {
      const std::wstring file = dir + part.attribute + kSlots[s] + L".png";
      manager.AddImage(file.c_str(), 16, 16, Part(part.mark, s));
      list += std::wstring(L" ") + part.attribute + kSlots[s] + L"image=\"file='" + file + L"'" +
              part.extra + L"\"";
    }
  }
  return list;
}

// One bar brought into its state by the events a user makes: 0 normal,
// 1 hot, 2 thumb pushed, 3 arrow pushed, 4 disabled.
void PaintBar(SkinUITest::Canvas& sheet, SkinUITest::CTestManager& manager, RECT bounds,
              bool horizontal, const std::wstring& images, int look) {
  CScrollBarUI bar;
  bar.BindManager(&manager, nullptr, false);
  bar.SetHorizontal(horizontal);
  bar.ApplyAttributeText((images + L" range=\"200\" value=\"60\"").c_str());
  bar.SetBounds(bounds);
  TControlEvent event;
  const RECT& target = look == 3 ? bar.Button2Rect() : bar.ThumbRect();
  event.point = CPointUI((target.left + target.right) / 2, (target.top + target.bottom) / 2);
  for (int kind : {EventMouseEnter, EventButtonDown}) {
    event.kind = kind;
    if (look == 1 || look == 2 || look == 3) bar.RouteEvent(event);
    if (look == 1) break;
  }
  if (look == 4) bar.SetEnabled(false);
  bar.Paint(sheet.dc(), bar.Bounds());
}

CControlUI* Block(const wchar_t* attributes) {
  auto* control = new CControlUI;
  control->ApplyAttributeText(attributes);
  return control;
}

TEST(ContainersSheet, ScrollBarsInEveryStateAndASmallLayout) {
  SkinUITest::CTestManager manager;
  SkinUITest::Canvas sheet(560, 410, 0xFFFAFAFA);
  const std::wstring vertical = BarImages(manager, false);
  const std::wstring horizontal = BarImages(manager, true);
  const std::wstring failing = L"button1normalimage=\"missing.png\"";
  const wchar_t* names[] = {L"normal", L"hot", L"thumb", L"arrow", L"disabled"};
  for (int i = 0; i < 5; ++i) {
    RECT label = {10 + i * 50, 2, 60 + i * 50, 16};
    CDrawKit::DrawPlainText(sheet.dc(), &manager, label, names[i], 0xFF303030, -1, DT_SINGLELINE);
    PaintBar(sheet, manager, RECT{10 + i * 50, 20, 26 + i * 50, 160}, false, vertical, i);
    PaintBar(sheet, manager, RECT{30 + i * 50, 20, 46 + i * 50, 160}, false, failing, i);
    label = {270, 180 + i * 22, 330, 196 + i * 22};
    CDrawKit::DrawPlainText(sheet.dc(), &manager, label, names[i], 0xFF303030, -1, DT_SINGLELINE);
    PaintBar(sheet, manager, RECT{330, 180 + i * 22, 450, 196 + i * 22}, true, horizontal, i);
    PaintBar(sheet, manager, RECT{460, 180 + i * 22, 550, 196 + i * 22}, true, failing, i);
  }

  // A page: header, a row of three (the last held at its maximum width), a
  // stretched body, a footer, and a badge floating over the inset.
  CVerticalLayoutUI page;
  page.BindManager(&manager, nullptr, false);
  page.ApplyAttributeText(
      L"inset=\"6,6,6,6\" childpadding=\"4\" bkcolor=\"#FFFFFFFF\" "
      L"bordersize=\"1\" bordercolor=\"#FF5A7394\"");
  auto* row = new CHorizontalLayoutUI;
  row->ApplyAttributeText(L"height=\"40\" childpadding=\"4\"");
  page.Add(Block(L"height=\"24\" bkcolor=\"#FF2B5FA8\""));
  page.Add(row);
  row->Add(Block(L"width=\"50\" bkcolor=\"#FFC83232\""));
  row->Add(Block(L"bkcolor=\"#FFF0D264\""));
  row->Add(Block(L"bkcolor=\"#FF1A8F3A\" maxwidth=\"60\""));
  page.Add(Block(L"bkcolor=\"#FFDDE8F5\""));
  page.Add(Block(L"height=\"20\" bkcolor=\"#FF24528C\""));
  page.Add(Block(L"float=\"true\" pos=\"-30,2,-2,14\" bkcolor=\"#FFFF8000\""));
  page.SetBounds(RECT{10, 200, 210, 400});
  page.Paint(sheet.dc(), sheet.Bounds());

  std::vector<DWORD> opaque = sheet.Pixels();
  for (DWORD& p : opaque) p |= 0xFF000000;
  ASSERT_TRUE(SkinUITest::WritePng(SkinUITest::ProgramFolder() + L"\\containers_sheet.png",
                                   sheet.width(), sheet.height(), opaque));

  // What the eye checks, in numbers: each state's thumb face, the outline
  // after a failed image, and the layouts' blocks.
  for (int look : {0, 1, 2, 4}) {
    EXPECT_EQ(kFaces[look == 4 ? 3 : look] & 0xFFFFFF, sheet.Rgb(13 + look * 50, 66)) << look;
  }
  EXPECT_EQ(0x85E4FFu, sheet.Rgb(30, 25));
  EXPECT_EQ(0x2B5FA8u, sheet.Rgb(100, 215));
  EXPECT_EQ(0xC83232u, sheet.Rgb(20, 250));
  EXPECT_EQ(0xFF8000u, sheet.Rgb(195, 205));
}

}  // namespace

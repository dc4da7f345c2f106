// Every basic control in every state, painted side by side into one sheet
// that is kept as basic_controls_sheet.png next to the test program.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/controls/basic_controls_fixture.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/text.h"
#include "ui/render/draw_kit.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

constexpr int kCellWidth = 120;
constexpr int kCellHeight = 44;
constexpr int kHeaderWidth = 90;
constexpr int kHeaderHeight = 24;

// A filled rectangle with a border, as top-down ARGB rows.
std::vector<DWORD> Framed(int width, int height, DWORD fill, DWORD border, int inner = 0,
                          DWORD innerColor = 0) {
  std::vector<DWORD> pixels(width * height, fill);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool edge = x < 2 || y < 2 || x >= width - 2 || y >= height - 2;
      const bool core = inner > 0 && x >= (width - inner) / 2 && x < (width + inner) / 2 &&
                        y >= (height - inner) / 2 && y < (height + inner) / 2;
      if (edge) pixels[y * width + x] = border;
      if (core) pixels[y * width + x] = innerColor;
    }
  }
  return pixels;
}

// Frames of equal size side by side.
std::vector<DWORD> Strip(const std::vector<std::vector<DWORD>>& frames, int width, int height) {
  std::vector<DWORD> pixels;
  const int count = static_cast<int>(frames.size());
  for (int y = 0; y < height; ++y) {
    for (int f = 0; f < count; ++f) {
      pixels.insert(pixels.end(), frames[f].begin() + y * width,
                    frames[f].begin() + (y + 1) * width);
    }
  }
  return pixels;
}

void AddSheetImages(CTestManager& manager) {
  const DWORD edge = 0xFF1E3C6C;
  manager.AddImage(L"btn.png", 120, 24,
                   Strip({Framed(40, 24, kNormalLook, edge), Framed(40, 24, kHotLook, edge),
                          Framed(40, 24, kPushedLook, edge)},
                         40, 24));
  manager.AddImage(L"btn_disabled.png", 40, 24, Framed(40, 24, kDisabledLook, 0xFF707070));
  manager.AddImage(L"btn_focused.png", 40, 24, Framed(40, 24, kNormalLook, kFocusedLook));
  manager.AddImage(L"check.png", 32, 16,
                   Strip({Framed(16, 16, kPaper, 0xFF606060),
                          Framed(16, 16, kPaper, 0xFF606060, 8, kSelectedLook)},
                         16, 16));
  manager.AddImage(L"rail.png", 8, 8, Framed(8, 8, 0xFFE4E4E4, 0xFFA0A0A0));
  std::vector<DWORD> fill(100 * 8);
  for (int i = 0; i < 100 * 8; ++i) fill[i] = 0xFF000000 | ((40 + i % 100) << 8) | 0x200000;
  manager.AddImage(L"fill.png", 100, 8, fill);
  std::vector<DWORD> rising(16 * 36);
  for (int i = 0; i < 16 * 36; ++i) rising[i] = 0xFF200000 | ((40 + 5 * (i / 16)) << 8);
  manager.AddImage(L"vfill.png", 16, 36, rising);
}

const wchar_t* const kButton =
    L"text=\"Scan\" textcolor=\"#FFFFFFFF\" hottextcolor=\"#FFFFFF80\" "
    L"pushedtextcolor=\"#FFD0D0D0\" normalimage=\"file='btn.png' source='0,0,40,24' "
    L"corner='3,3,3,3'\" hotimage=\"file='btn.png' source='40,0,80,24' corner='3,3,3,3'\" "
    L"pushedimage=\"file='btn.png' source='80,0,120,24' corner='3,3,3,3'\" "
    L"disabledimage=\"file='btn_disabled.png' corner='3,3,3,3'\" "
    L"focusedimage=\"file='btn_focused.png' corner='3,3,3,3'\"";
const wchar_t* const kCheck =
    L"text=\"Restart now\" align=\"left\" textpadding=\"22,0,0,0\" "
    L"normalimage=\"file='check.png' source='0,0,16,16' dest='2,6,18,22'\" "
    L"selectedimage=\"file='check.png' source='16,0,32,16' dest='2,6,18,22'\" "
    L"hottextcolor=\"#FF2050A0\" selectedtextcolor=\"#FF207020\"";

struct TRow {
  const wchar_t* title;
  std::function<std::unique_ptr<CControlUI>()> make;
};

std::vector<TRow> SheetRows() {
  auto with = [](auto* control, const wchar_t* attributes) {
    control->ApplyAttributeText(attributes);
    return std::unique_ptr<CControlUI>(control);
  };
  return {
      {L"Label", [=] { return with(new CLabelUI, L"text=\"Progess: 40%\" font=\"0\""); }},
      {L"Button", [=] { return with(new CButtonUI, kButton); }},
      {L"Option", [=] { return with(new COptionUI, kCheck); }},
      {L"Text",
       [=] {
         return with(new CTextUI, L"showhtml=\"true\" text=\"Read <a notes>the notes</a> first\"");
       }},
      {L"Progress",
       [=] {
         return with(new CProgressUI,
                     L"bkimage=\"file='rail.png' corner='2,2,2,2'\" foreimage=\"file='fill.png'\" "
                     L"value=\"40\" text=\"40%\" bordersize=\"1\" bordercolor=\"#FF808080\"");
       }},
      {L"Vertical",
       [=] {
         return with(new CProgressUI,
                     L"hor=\"false\" bkimage=\"file='rail.png' corner='2,2,2,2'\" "
                     L"foreimage=\"file='vfill.png'\" isstretchfore=\"false\" value=\"70\"");
       }},
  };
}

enum class Look { kNormal, kHot, kPushed, kDisabled, kSelected, kFocused };
const wchar_t* const kLookNames[] = {L"normal",   L"hot",      L"pushed",
                                     L"disabled", L"selected", L"focused"};

// Drives the control into the look the way the window would.
void Apply(Look look, CControlUI& control, CTestManager& manager) {
  const RECT r = control.Bounds();
  const POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  manager.SetLastMousePos({-1, -1});
  switch (look) {
    case Look::kPushed:
      Send(control, EventButtonDown, centre);
      [[fallthrough]];
    case Look::kHot:
      Send(control, EventMouseEnter, centre);
      if (auto* text = static_cast<CTextUI*>(control.InterfaceFor(L"Text"))) {
        const RECT link = text->LinkRects()[0];
        manager.SetLastMousePos({link.left + 2, link.top + 2});
      }
      break;
    case Look::kDisabled:
      control.SetEnabled(false);
      break;
    case Look::kSelected:
      if (auto* option = static_cast<COptionUI*>(control.InterfaceFor(L"Option"))) {
        option->SetSelected(true);
      }
      break;
    case Look::kFocused:
      Send(control, EventSetFocus);
      break;
    case Look::kNormal:
      break;
  }
}

TEST(ControlSheet, EveryBasicControlInEveryState) {
  CTestManager manager;
  AddSheetImages(manager);
  const std::vector<TRow> rows = SheetRows();
  Canvas sheet(kHeaderWidth + 6 * kCellWidth,
               kHeaderHeight + static_cast<int>(rows.size()) * kCellHeight, 0xFFF4F4F4);
  auto caption = [&](RECT rc, const wchar_t* words) {
    CDrawKit::DrawPlainText(sheet.dc(), &manager, rc, words, 0xFF303030, -1,
                            DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  };
  std::vector<std::vector<DWORD>> centres(rows.size());
  std::vector<std::vector<DWORD>> edges(rows.size());
  std::vector<DWORD> marks;
  for (int col = 0; col < 6; ++col) {
    const int x = kHeaderWidth + col * kCellWidth;
    caption(RECT{x, 0, x + kCellWidth, kHeaderHeight}, kLookNames[col]);
  }
  for (size_t row = 0; row < rows.size(); ++row) {
    const int y = kHeaderHeight + static_cast<int>(row) * kCellHeight;
    caption(RECT{0, y, kHeaderWidth, y + kCellHeight}, rows[row].title);
    for (int col = 0; col < 6; ++col) {
      const int x = kHeaderWidth + col * kCellWidth;
      const bool vertical = row + 1 == rows.size();
      const RECT cell = vertical ? RECT{x + 52, y + 4, x + 68, y + kCellHeight - 4}
                                 : RECT{x + 8, y + 8, x + kCellWidth - 8, y + kCellHeight - 8};
      CDrawKit::FillColor(sheet.dc(), RECT{x + 2, y + 2, x + kCellWidth - 2, y + kCellHeight - 2},
                          kPaper);
      auto control = rows[row].make();
      control->BindManager(&manager, nullptr, false);
      control->SetBounds(cell);
      control->Paint(sheet.dc(), cell);  // lays the links out for the hot look
      Apply(static_cast<Look>(col), *control, manager);
      control->Paint(sheet.dc(), cell);
      centres[row].push_back(sheet.Rgb(cell.left + 6, (cell.top + cell.bottom) / 2));
      edges[row].push_back(sheet.Rgb(cell.left, cell.top));
      if (row == 2) marks.push_back(sheet.Rgb(cell.left + 10, cell.top + 14));
    }
  }
  std::vector<DWORD> opaque = sheet.Pixels();
  for (DWORD& p : opaque) p |= 0xFF000000;
  ASSERT_TRUE(WritePng(ProgramFolder() + L"\\basic_controls_sheet.png", sheet.width(),
                       sheet.height(), opaque));

  // The button shows one image per look; "selected" means nothing to it.
  EXPECT_EQ((std::vector<DWORD>{Rgb(kNormalLook), Rgb(kHotLook), Rgb(kPushedLook),
                                Rgb(kDisabledLook), Rgb(kNormalLook), Rgb(kNormalLook)}),
            centres[1]);
  EXPECT_EQ(Rgb(kFocusedLook), edges[1][5]);
  // The check box of the selected option shows its mark, the others do not.
  EXPECT_EQ(Rgb(kSelectedLook), marks[4]);
  EXPECT_EQ(Rgb(kPaper), marks[0]);
}

}  // namespace
}  // namespace SkinUITest

// Every basic control in every state, painted side by side into one sheet
// that is kept as basic_controls_sheet.png next to the test program.

#include <gtest/gtest.h>

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

// Frames of width x height side by side, each filled and framed in border;
// the last frame of a check image carries a centred mark.
std::vector<DWORD> Frames(const std::vector<DWORD>& fills, int width, int height, DWORD border,
                          DWORD mark = 0) {
  const int count = static_cast<int>(fills.size());
  std::vector<DWORD> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < count * width; ++x) {
      const int f = x / width, fx = x % width;
      const bool edge = fx < 2 || y < 2 || fx >= width - 2 || y >= height - 2;
      const bool marked = mark != 0 && f == count - 1 && fx >= width / 4 && fx < width * 3 / 4 &&
                          y >= height / 4 && y < height * 3 / 4;
      pixels.push_back(edge ? border : marked ? mark : fills[f]);
    }
  }
  return pixels;
}

void AddSheetImages(CTestManager& manager) {
  const DWORD edge = 0xFF1E3C6C, green = 0xFF30B030;
  manager.AddImage(L"btn.png", 120, 24, Frames({kNormalLook, kHotLook, kPushedLook}, 40, 24, edge));
  manager.AddImage(L"btn_off.png", 40, 24, Frames({kDisabledLook}, 40, 24, 0xFF707070));
  manager.AddImage(L"btn_focus.png", 40, 24, Frames({kNormalLook}, 40, 24, kFocusedLook));
  manager.AddImage(L"check.png", 32, 16,
                   Frames({kPaper, kPaper}, 16, 16, 0xFF606060, kSelectedLook));
  manager.AddImage(L"rail.png", 8, 8, Frames({0xFFE4E4E4}, 8, 8, 0xFFA0A0A0));
  manager.AddImage(L"fill.png", 16, 36, Frames({green}, 16, 36, green));
}

template <typename T>
CControlUI* New() {
  return new T;
}

struct TRow {
  const wchar_t* title;
  CControlUI* (*make)();
  const wchar_t* attributes;
};
const TRow kRows[] = {
    {L"Label", New<CLabelUI>, L"text=\"Progess: 40%\""},
    {L"Button", New<CButtonUI>,
     L"text=\"Scan\" textcolor=\"#FFFFFFFF\" hottextcolor=\"#FFFFFF80\" "
     L"pushedtextcolor=\"#FFD0D0D0\" normalimage=\"file='btn.png' source='0,0,40,24' "
     L"corner='3,3,3,3'\" hotimage=\"file='btn.png' source='40,0,80,24' corner='3,3,3,3'\" "
     L"pushedimage=\"file='btn.png' source='80,0,120,24' corner='3,3,3,3'\" "
     L"disabledimage=\"file='btn_off.png' corner='3,3,3,3'\" "
     L"focusedimage=\"file='btn_focus.png' corner='3,3,3,3'\""},
    {L"Option", New<COptionUI>,
     L"text=\"Restart now\" align=\"left\" textpadding=\"22,0,0,0\" "
     L"normalimage=\"file='check.png' source='0,0,16,16' dest='2,6,18,22'\" "
     L"selectedimage=\"file='check.png' source='16,0,32,16' dest='2,6,18,22'\" "
     L"hottextcolor=\"#FF2050A0\" selectedtextcolor=\"#FF207020\""},
    {L"Text", New<CTextUI>, L"showhtml=\"true\" text=\"Read <a notes>the notes</a> first\""},
    {L"Progress", New<CProgressUI>,
     L"bkimage=\"file='rail.png' corner='2,2,2,2'\" foreimage=\"file='fill.png'\" value=\"40\" "
     L"text=\"40%\" bordersize=\"1\" bordercolor=\"#FF808080\""},
    {L"Vertical", New<CProgressUI>,
     L"hor=\"false\" bkimage=\"file='rail.png' corner='2,2,2,2'\" foreimage=\"file='fill.png'\" "
     L"isstretchfore=\"false\" value=\"70\""},
};
const wchar_t* const kLooks[] = {L"normal",   L"hot",      L"pushed",
                                 L"disabled", L"selected", L"focused"};

// Drives the control into look number `look` the way the window would.
void Apply(int look, CControlUI& control, CTestManager& manager) {
  const RECT r = control.Bounds();
  const POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  if (look == 1 || look == 2) {
    Send(control, EventMouseEnter, centre);
    if (look == 2) Send(control, EventButtonDown, centre);
    if (auto* text = static_cast<CTextUI*>(control.InterfaceFor(L"Text"))) {
      manager.SetLastMousePos({text->LinkRects()[0].left + 2, text->LinkRects()[0].top + 2});
    }
  }
  if (look == 3) control.SetEnabled(false);
  auto* option = static_cast<COptionUI*>(control.InterfaceFor(L"Option"));
  if (look == 4 && option != nullptr) option->SetSelected(true);
  if (look == 5) Send(control, EventSetFocus);
}

TEST(ControlSheet, EveryBasicControlInEveryState) {
  CTestManager manager;
  AddSheetImages(manager);
  Canvas sheet(kHeaderWidth + 6 * kCellWidth, kHeaderHeight + 6 * kCellHeight, 0xFFF4F4F4);
  auto caption = [&](RECT rc, const wchar_t* words) {
    CDrawKit::DrawPlainText(sheet.dc(), &manager, rc, words, 0xFF303030, -1,
                            DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  };
  std::vector<DWORD> buttonCentres, checkMarks;
  for (int look = 0; look < 6; ++look) {
    const int x = kHeaderWidth + look * kCellWidth;
    caption(RECT{x, 0, x + kCellWidth, kHeaderHeight}, kLooks[look]);
    for (int row = 0; row < 6; ++row) {
      const int y = kHeaderHeight + row * kCellHeight;
      if (look == 0) caption(RECT{0, y, kHeaderWidth, y + kCellHeight}, kRows[row].title);
      const RECT cell = row == 5 ? RECT{x + 52, y + 4, x + 68, y + 40}
                                 : RECT{x + 8, y + 8, x + kCellWidth - 8, y + 36};
      CDrawKit::FillColor(sheet.dc(), RECT{x + 2, y + 2, x + kCellWidth - 2, y + 42}, kPaper);
      std::unique_ptr<CControlUI> control(kRows[row].make());
      control->ApplyAttributeText(kRows[row].attributes);
      control->BindManager(&manager, nullptr, false);
      control->SetBounds(cell);
      control->Paint(sheet.dc(), cell);  // lays the links out for the hot look
      manager.SetLastMousePos({-1, -1});
      Apply(look, *control, manager);
      control->Paint(sheet.dc(), cell);
      if (row == 1) buttonCentres.push_back(sheet.Rgb(cell.left + 6, cell.top + 14));
      if (row == 1 && look == 5) {
        EXPECT_EQ(Rgb(kFocusedLook), sheet.Rgb(cell.left, cell.top));
      }
      if (row == 2) checkMarks.push_back(sheet.Rgb(cell.left + 10, cell.top + 14));
    }
  }
  std::vector<DWORD> opaque = sheet.Pixels();
  for (DWORD& p : opaque) p |= 0xFF000000;
  ASSERT_TRUE(WritePng(ProgramFolder() + L"\\basic_controls_sheet.png", sheet.width(),
                       sheet.height(), opaque));

  // One button image per look ("selected" means nothing to a button); only
  // the selected option shows its mark.
  EXPECT_EQ((std::vector<DWORD>{Rgb(kNormalLook), Rgb(kHotLook), Rgb(kPushedLook),
                                Rgb(kDisabledLook), Rgb(kNormalLook), Rgb(kNormalLook)}),
            buttonCentres);
  EXPECT_EQ((std::vector<DWORD>{Rgb(kPaper), Rgb(kPaper), Rgb(kPaper), Rgb(kPaper),
                                Rgb(kSelectedLook), Rgb(kPaper)}),
            checkMarks);
}

}  // namespace
}  // namespace SkinUITest

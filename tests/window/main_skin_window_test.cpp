// The program's own skin, read from the packed resource this test program
// embeds, built into a real window: the window settings, fonts and option
// group the main window relies on, and the welcome and list screens painted
// (kept as PNG files beside the program). That the main window finds its
// named controls is the application's own test.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/window_harness.h"
#include "ui/controls/list/list.h"
#include "ui/controls/list/list_rows.h"
#include "ui/controls/option.h"
#include "ui/markup/skin_resources.h"
#include "ui/window/skin_builder.h"

namespace {

using SkinUI::CControlUI;
using SkinUITest::CHarnessWindow;

class MainSkinWindow : public ::testing::Test, public SkinUI::IListCallbackUI {
 protected:
  void SetUp() override {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(103), L"SkinPackges");
    ASSERT_NE(nullptr, found);
    SkinUI::SetArchiveFromMemory(LockResource(LoadResource(nullptr, found)),
                                 SizeofResource(nullptr, found));
    SkinUI::CSkinBuilder builder;
    root_ = builder.Create(L"MainSkin.xml", nullptr, nullptr, &window_.Manager());
    ASSERT_NE(nullptr, root_);
  }
  void TearDown() override { SkinUI::SetResourceArchive(L""); }

  CControlUI* Named(const wchar_t* name) { return window_.Manager().ControlByName(name); }
  void Show(const wchar_t* name, bool visible) { Named(name)->SetVisible(visible); }

  const wchar_t* CellText(CControlUI*, int row, int column) override {
    static const wchar_t* cells[] = {L"<i checked.png />", L"Cumulative Update (KB50{<}1)",
                                     L"2024-05-14", L"31.5 MB"};
    if (column == 0 && row % 3 != 0) return L"<i uncheck.png />";
    return column >= 0 && column < 4 ? cells[column] : L"";
  }

  CHarnessWindow window_{650, 400};
  CControlUI* root_ = nullptr;
};

TEST_F(MainSkinWindow, BuildsTheWindowSettingsFontsAndOptionGroupTheMainWindowUses) {
  window_.Install(root_);
  auto& manager = window_.Manager();
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(std::wstring(L"Tahoma"), manager.Resources().FontInfoAt(i)->face.GetData());
  EXPECT_EQ((std::vector<int>{19, 13, 16, 24, 12}),
            (std::vector<int>{
                manager.Resources().FontInfoAt(0)->size, manager.Resources().FontInfoAt(1)->size,
                manager.Resources().FontInfoAt(2)->size, manager.Resources().FontInfoAt(3)->size,
                manager.Resources().FontInfoAt(4)->size}));
  EXPECT_NE(nullptr, manager.Resources().ClassDefaults(L"VScrollBar"));
  EXPECT_NE(nullptr, manager.Resources().ClassDefaults(L"HScrollBar"));
  EXPECT_EQ(SkinUI::CRectUI(0, 0, 572, 35), SkinUI::CRectUI(manager.CaptionArea()));
  EXPECT_EQ(5, manager.CornerRounding().cx);
  EXPECT_EQ(6, manager.CornerRounding().cy);
  EXPECT_EQ(650, manager.ClientSize().cx);
  EXPECT_EQ(400, manager.ClientSize().cy);

  SkinUI::CPointerArrayUI* group = manager.OptionGroup(L"restart");
  ASSERT_NE(nullptr, group);
  ASSERT_EQ(2, group->GetSize());
  auto* now = static_cast<SkinUI::COptionUI*>(Named(L"Option_RestartNow")->InterfaceFor(L"Option"));
  auto* later =
      static_cast<SkinUI::COptionUI*>(Named(L"Option_RestartLater")->InterfaceFor(L"Option"));
  EXPECT_TRUE(now->IsSelected());
  EXPECT_FALSE(later->IsSelected());
}

TEST_F(MainSkinWindow, WelcomeAndListScreensPaint) {
  // Hidden before the first layout, as the main window does.
  window_.Manager().SetRootControl(root_);
  Show(L"List_Holes", false);
  Show(L"Check_All", false);
  Show(L"Progress_Action", false);
  window_.InvalidateAll();
  window_.Paint();
  auto welcome = window_.ReadScreen();
  CHarnessWindow::SavePng(*welcome, L"main_skin_welcome.png");
  EXPECT_EQ(0xFFFFFFu, welcome->Rgb(600, 80) | 0x0F0F0F);    // the light card
  EXPECT_NE(welcome->Rgb(300, 20), welcome->Rgb(300, 100));  // the title band differs

  for (const wchar_t* name : {L"Control_PIC1", L"Control_PIC2", L"Control_PIC3", L"Text_1",
                              L"Text_2", L"Text_3", L"Label_State"}) {
    Show(name, false);
  }
  Show(L"List_Holes", true);
  Show(L"Check_All", true);
  auto* list = static_cast<SkinUI::CListUI*>(Named(L"List_Holes")->InterfaceFor(L"List"));
  list->SetCellTextSource(this);
  list->ApplyAttribute(L"itemshowhtml", L"true");
  list->ApplyAttribute(L"itemtextpadding", L"5,0,0,0");
  for (int i = 0; i < 12; ++i) list->Add(new SkinUI::CListTextElementUI);
  list->SelectRow(0, true);
  window_.Paint();
  auto screen = window_.ReadScreen();
  CHarnessWindow::SavePng(*screen, L"main_skin_list.png");
  EXPECT_EQ(0, list->GetScrollPos().cy);  // the first row, selected, is in view
}

// What Windows sends when the window moves to a monitor of another scale;
// Wine never sends it, so the test does.
void MoveToMonitorOfDpi(CHarnessWindow& window, int dpi, int width, int height) {
  RECT suggested = {100, 100, 100 + width, 100 + height};
  SendMessageW(window.GetHWND(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  window.Pump();
  window.InvalidateAll();
  window.Paint();
}

TEST_F(MainSkinWindow, MovingToAMonitorAt150PercentScalesEveryPartAndKeepsTheState) {
  window_.Install(root_);
  Show(L"List_Holes", false);
  Show(L"Check_All", false);
  Show(L"Progress_Action", false);
  auto& manager = window_.Manager();
  const int smallFont = manager.Resources().FontInfoAt(0)->metrics.tmHeight;
  std::vector<int> lines96;
  for (int i = 0; i < 5; ++i)
    lines96.push_back(manager.Resources().FontInfoAt(i)->metrics.tmHeight);
  Named(L"Text_Msg")->SetText(L"kept across the move");
  Show(L"Control_PIC2", false);
  auto* later =
      static_cast<SkinUI::COptionUI*>(Named(L"Option_RestartLater")->InterfaceFor(L"Option"));
  later->SetSelected(true);
  CControlUI* scan = Named(L"Btn_Scan");

  MoveToMonitorOfDpi(window_, 144, 975, 600);

  EXPECT_EQ(975, manager.ClientSize().cx);
  EXPECT_EQ(600, manager.ClientSize().cy);
  EXPECT_EQ(SkinUI::CRectUI(0, 0, 858, 53), SkinUI::CRectUI(manager.DeviceCaptionArea()));
  EXPECT_EQ(SkinUI::CRectUI(0, 0, 572, 35), SkinUI::CRectUI(manager.CaptionArea()));
  // Title-bar buttons that meet in the skin meet on screen.
  EXPECT_EQ(SkinUI::CRectUI(863, 0, 920, 30), SkinUI::CRectUI(Named(L"BtnMiniSize")->Bounds()));
  EXPECT_EQ(SkinUI::CRectUI(920, 0, 975, 30), SkinUI::CRectUI(Named(L"BtnClose")->Bounds()));
  EXPECT_EQ(SkinUI::CRectUI(659, 530, 792, 575), SkinUI::CRectUI(scan->Bounds()));
  // Logical in, logical out: the skin's numbers read back as written.
  EXPECT_EQ(89, scan->GetFixedWidth());
  EXPECT_EQ(439, scan->FixedOffset().cx);
  EXPECT_EQ(19, manager.Resources().FontInfoAt(0)->size);
  const int largeFont = manager.Resources().FontInfoAt(0)->metrics.tmHeight;
  EXPECT_NEAR(smallFont * 1.5, largeFont, 2.0);
  // Text laid out to fill an area at 100 % still fits in it, however many
  // lines stack: no line is taller than its 96-DPI line scaled exactly.
  auto expectLinesFit = [&](int dpi) {
    for (int i = 0; i < 5; ++i) {
      const int line = manager.Resources().FontInfoAt(i)->metrics.tmHeight;
      EXPECT_LE(line * 96, lines96[i] * dpi) << "font " << i << " at " << dpi;
      EXPECT_GE(line, SkinUI::CDpiScaleUI(dpi).ToDevice(lines96[i]) - 2) << "font " << i;
    }
  };
  expectLinesFit(144);
  SkinUI::ImageRecord* background = manager.Resources().ObtainImage(L"bg.png", nullptr, 0);
  ASSERT_NE(nullptr, background);
  EXPECT_EQ(975, background->width);
  EXPECT_EQ(650, background->LogicalWidth());

  // The same tree, with what the user saw and chose.
  EXPECT_EQ(scan, Named(L"Btn_Scan"));
  EXPECT_STREQ(L"kept across the move", Named(L"Text_Msg")->GetText().GetData());
  EXPECT_FALSE(Named(L"Control_PIC2")->IsVisible());
  EXPECT_TRUE(later->IsSelected());
  auto screen = window_.ReadScreen();
  CHarnessWindow::SavePng(*screen, L"main_skin_welcome_150.png");
  EXPECT_EQ(0xFFFFFFu, screen->Rgb(900, 120) | 0x0F0F0F);  // the light card, scaled

  MoveToMonitorOfDpi(window_, 120, 813, 500);
  expectLinesFit(120);

  MoveToMonitorOfDpi(window_, 96, 650, 400);
  EXPECT_EQ(SkinUI::CRectUI(575, 0, 613, 20), SkinUI::CRectUI(Named(L"BtnMiniSize")->Bounds()));
  EXPECT_EQ(smallFont, manager.Resources().FontInfoAt(0)->metrics.tmHeight);
}

TEST_F(MainSkinWindow, ClicksAtScaledPositionsReachTheScaledControls) {
  window_.Install(root_);
  MoveToMonitorOfDpi(window_, 120, 813, 500);
  window_.Notifications().Clear();
  // At 125 % the button spans 549 ... 660 across and 441 ... 479 down.
  window_.Mouse(WM_LBUTTONDOWN, 500, 370);  // inside the unscaled button only
  window_.Mouse(WM_LBUTTONUP, 500, 370);
  EXPECT_EQ(0, window_.Notifications().Count(L"click"));
  window_.Mouse(WM_LBUTTONDOWN, 604, 460);
  window_.Mouse(WM_LBUTTONUP, 604, 460);
  ASSERT_EQ(1, window_.Notifications().Count(L"click"));
  EXPECT_EQ(Named(L"Btn_Scan"), window_.Notifications().entries.back().sender);
}

TEST_F(MainSkinWindow, EveryScreenPartAt200PercentIsDrawnFromTheSharpDrawings) {
  window_.Install(root_);
  // The welcome screen, as the program shows it.
  Show(L"List_Holes", false);
  Show(L"Check_All", false);
  Show(L"Progress_Action", false);
  MoveToMonitorOfDpi(window_, 192, 1300, 800);
  auto& resources = window_.Manager().Resources();
  for (const wchar_t* name : {L"bg.png", L"btn_close.png", L"pach_button.png", L"logo.png"}) {
    SkinUI::ImageRecord* image = resources.ObtainImage(name, nullptr, 0);
    ASSERT_NE(nullptr, image) << name;
    EXPECT_EQ(2 * image->LogicalWidth(), image->width) << name;
  }
  // Printed, not read from the screen: the test display is narrower than
  // the window.
  auto screen = window_.PrintClient();
  CHarnessWindow::SavePng(*screen, L"main_skin_welcome_200.png");
  EXPECT_EQ(1300, screen->width());
}

}  // namespace

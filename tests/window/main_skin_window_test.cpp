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

}  // namespace

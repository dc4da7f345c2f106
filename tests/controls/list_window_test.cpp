// The list, its header and its rows in a real window under Xvfb, driven by
// the messages a user's keys, wheel and mouse produce; looks are read back
// from the screen.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tests/support/window_harness.h"
#include "ui/controls/list/list.h"
#include "ui/controls/list/list_header.h"
#include "ui/controls/list/list_rows.h"
#include "ui/controls/scroll_bar.h"
#include "ui/markup/skin_resources.h"
#include "ui/window/skin_builder.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

constexpr DWORD kChecked = 0xFF20A040;
constexpr DWORD kAltBack = 0xFFDDE8F4;
constexpr DWORD kHotBack = 0xFFFFE8A0;
constexpr DWORD kSelectedBack = 0xFF9FC8F0;
constexpr DWORD kPaper = 0xFFFFFFFF;

// The application's side: cell texts by row, and every question asked.
class CCellTable : public IListCallbackUI {
 public:
  struct TAsked {
    CControlUI* row;
    int index;
  };
  const wchar_t* CellText(CControlUI* row, int index, int column) override {
    asked.push_back({row, index});
    if (index < 0 || index >= static_cast<int>(rows.size())) return nullptr;
    return rows[index][column].c_str();
  }
  std::vector<std::array<std::wstring, 4>> rows;
  std::vector<TAsked> asked;
};

// A row with a marker right behind its eight link targets.
class CSentinelRowUI : public CListTextElementUI {
 public:
  CWideStringUI sentinel{L"untouched"};
};

std::array<std::wstring, 4> UpdateCells(int i) {
  return {i % 2 == 0 ? L"<i checked.png />" : L"", L"Update " + std::to_wstring(i),
          L"2024-05-0" + std::to_wstring(i % 9 + 1), std::to_wstring(i + 1) + L" MB"};
}

// Columns as the list is given them, rows from the cell table.
class ListWindow : public ::testing::Test {
 protected:
  static constexpr int kRows = 20;

  ListWindow(int width = 400, int height = 220) : window(width, height) {}
  void SetUp() override {
    SetResourceFolder((scratch.path() + L"\\").c_str());
    ASSERT_TRUE(WritePng(scratch.File(L"checked.png"), 12, 12, std::vector<DWORD>(144, kChecked)));
    Build({26, 150, 120, 62}, 24,
          L"bkcolor=\"#FFFFFFFF\" vscrollbar=\"true\" hscrollbar=\"true\" itemshowhtml=\"true\" "
          L"itemtextpadding=\"5,0,0,0\" itembkcolor=\"#FFDDE8F4\" itemaltbk=\"true\" "
          L"itemhotbkcolor=\"#FFFFE8A0\" itemselectedbkcolor=\"#FF9FC8F0\"",
          L"", kRows);
  }
  void TearDown() override { SetResourceFolder(L""); }

  void Build(std::vector<int> widths, int headerHeight, const wchar_t* attributes,
             const std::wstring& itemLook, int rows) {
    list = new CListUI;
    list->BindManager(&window.Manager(), nullptr, false);  // attributes come with a window
    list->ApplyAttributeText(attributes);
    list->Header()->SetFixedHeight(headerHeight);
    const wchar_t* captions[] = {L"", L"Title", L"Date", L"Size"};
    for (size_t i = 0; i < widths.size(); ++i) {
      auto* item = new CListHeaderItemUI;
      const std::wstring size = std::to_wstring(widths[i]);
      item->ApplyAttributeText((L"text=\"" + std::wstring(captions[i % 4]) + L"\" width=\"" + size +
                                L"\" minwidth=\"" + (i == 0 ? size : L"16") + L"\" sepwidth=\"1\"" +
                                itemLook)
                                   .c_str());
      list->Add(item);
    }
    list->SetCellTextSource(&cells);
    for (int i = 0; i < rows; ++i) {
      cells.rows.push_back(UpdateCells(i));
      list->Add(new CListTextElementUI);
    }
    window.Install(list);
  }

  CControlUI* Row(int i) { return list->ChildAt(i); }
  CRectUI Column(int i) { return list->ListStyle()->columns[i]; }
  POINT Middle(int row, int column = 1) {
    const RECT& r = Row(row)->Bounds();
    return {(Column(column).left + Column(column).right) / 2, (r.top + r.bottom) / 2};
  }
  void Click(UINT down, POINT at) {
    window.Mouse(down, at.x, at.y, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON);
    if (down != WM_RBUTTONDOWN) window.Mouse(WM_LBUTTONUP, at.x, at.y);
  }
  void Key(WPARAM key) {
    window.Key(WM_KEYDOWN, key);
    window.Key(WM_KEYUP, key);
  }
  // The item notifications heard, e.g. "itemclick 3" (sender's row index).
  std::vector<std::wstring> ItemNotes() {
    std::vector<std::wstring> notes;
    for (const auto& e : window.Notifications().entries) {
      if (e.type.rfind(L"item", 0) != 0) continue;
      if (e.type == L"itemselect") {
        notes.push_back(e.type + L" " + std::to_wstring(e.wParam) + L" from " +
                        std::to_wstring(e.lParam));
      } else {
        notes.push_back(e.type + L" " + std::to_wstring(list->IndexOfChild(e.sender)));
      }
    }
    return notes;
  }
  bool SelectionShown() {
    const CControlUI* row = Row(list->CurrentSelection());
    const RECT& body = list->Body()->Bounds();
    return row != nullptr && row->Bounds().top >= body.top && row->Bounds().bottom <= body.bottom;
  }
  std::unique_ptr<Canvas> Screen() {
    window.InvalidateAll();
    window.Paint();
    return window.ReadScreen();
  }

  ScratchFolder scratch;
  CHarnessWindow window;
  CCellTable cells;
  CListUI* list = nullptr;
};

TEST_F(ListWindow, KeysWheelAndButtonsMoveTheSelectionAndReportIt) {
  ASSERT_EQ(list, window.Manager().FocusControl());  // the first tab stop
  const struct {
    WPARAM key;
    int selection;
    bool reported;
  } steps[] = {{VK_DOWN, 0, true},       {VK_END, kRows - 1, true}, {VK_DOWN, kRows - 1, false},
               {VK_UP, kRows - 2, true}, {VK_HOME, 0, true},        {VK_UP, 0, false},
               {VK_DOWN, 1, true}};
  for (const auto& step : steps) {
    window.Notifications().Clear();
    Key(step.key);
    EXPECT_EQ(step.selection, list->CurrentSelection()) << step.key;
    EXPECT_EQ(step.reported ? 1 : 0, window.Notifications().Count(L"itemselect")) << step.key;
    EXPECT_TRUE(SelectionShown()) << step.key;
  }

  // The page keys move the selection by a page less one row and bring it
  // into view; the wheel scrolls without selecting, and with "scrollselect"
  // it selects instead.
  const int page = list->Body()->GetHeight();
  const int line = window.Manager().Resources().DefaultFontInfo()->metrics.tmHeight + 8;
  const int perPage = std::max(1, page / list->ChildAt(0)->GetHeight() - 1);
  Key(VK_NEXT);
  EXPECT_EQ(1 + perPage, list->CurrentSelection());
  EXPECT_TRUE(SelectionShown());
  EXPECT_GT(list->GetScrollPos().cy, 0);
  Key(VK_PRIOR);
  EXPECT_EQ(1, list->CurrentSelection());
  EXPECT_TRUE(SelectionShown());
  list->SetScrollPos(CSizeUI(0, 0));
  EXPECT_EQ(0, list->GetScrollPos().cy);
  window.Mouse(WM_MOUSEWHEEL, 100, 100, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
  EXPECT_EQ(line, list->GetScrollPos().cy);
  window.Mouse(WM_MOUSEWHEEL, 100, 100, MAKEWPARAM(0, WHEEL_DELTA));
  EXPECT_EQ(0, list->GetScrollPos().cy);
  EXPECT_EQ(1, list->CurrentSelection());
  list->SetScrollSelect(true);
  window.Mouse(WM_MOUSEWHEEL, 100, 100, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
  EXPECT_EQ(2, list->CurrentSelection());
  EXPECT_EQ(0, list->GetScrollPos().cy);

  // Either button selects after "itemclick"; Enter on the focused row or on
  // the list, and a double-click, activate.
  window.Notifications().Clear();
  Click(WM_RBUTTONDOWN, Middle(3));
  Key(VK_RETURN);
  list->SetFocus();
  Key(VK_RETURN);
  Click(WM_LBUTTONDOWN, Middle(5));
  Click(WM_LBUTTONDBLCLK, Middle(5));
  EXPECT_EQ((std::vector<std::wstring>{L"itemclick 3", L"itemselect 3 from 2", L"itemactivate 3",
                                       L"itemactivate 3", L"itemclick 5", L"itemselect 5 from 3",
                                       L"itemactivate 5"}),
            ItemNotes());

  // A row that ends exactly on the body's bottom edge is wholly shown.
  list->SetScrollPos(CSizeUI(0, 0));
  const int rowHeight = Row(0)->GetHeight();
  list->Body()->SetInset(CRectUI(0, 0, 0, list->Body()->GetHeight() % rowHeight));
  Screen();
  ASSERT_TRUE(list->SelectRow(list->Body()->GetHeight() / rowHeight - 1));
  EXPECT_EQ(0, list->GetScrollPos().cy);
}

TEST_F(ListWindow, SelectionFollowsInsertedHiddenAndRemovedRowsAndCellsAreAskedOfRealRowsOnly) {
  ASSERT_TRUE(list->SelectRow(2));
  cells.rows.insert(cells.rows.begin(), UpdateCells(99));
  ASSERT_TRUE(list->InsertAt(new CListTextElementUI, 0));
  EXPECT_EQ(3, list->CurrentSelection());
  for (int i = 0; i < list->GetCount(); ++i) {
    EXPECT_EQ(i, static_cast<IListItemUI*>(Row(i)->InterfaceFor(L"ListItem"))->RowIndex());
  }
  Row(3)->SetVisible(false);
  EXPECT_EQ(-1, list->CurrentSelection());
  Row(3)->SetVisible(true);

  Key(VK_END);
  window.Notifications().Clear();
  cells.rows.pop_back();
  ASSERT_TRUE(list->RemoveAt(kRows));  // the selected last row
  window.Pump();
  EXPECT_EQ(kRows - 1, list->CurrentSelection());
  EXPECT_EQ(std::vector<std::wstring>{L"itemselect 19 from -1"}, ItemNotes());

  // Rows whose number does not match their place are not asked about.
  auto* forged = static_cast<CListTextElementUI*>(Row(list->CurrentSelection()));
  forged->SetRowIndex(99);
  static_cast<CListTextElementUI*>(Row(kRows - 2))->SetRowIndex(0);
  cells.asked.clear();
  Screen();
  ASSERT_FALSE(cells.asked.empty());
  for (const auto& asked : cells.asked) EXPECT_EQ(Row(asked.index), asked.row);
}

// Where a rectangle of the screen differs from its background.
RECT InkBox(const Canvas& canvas, const RECT& area, DWORD background) {
  RECT box = {area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (canvas.Rgb(x, y) == (background & 0xFFFFFF)) continue;
      box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
             std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
    }
  }
  return box;
}

// The ink of a text as rows of '#' and '.', cut to its bounding box.
std::vector<std::string> Ink(const Canvas& canvas, const RECT& area, DWORD background) {
  const RECT box = InkBox(canvas, area, background);
  std::vector<std::string> rows;
  for (int y = box.top; y < box.bottom; ++y) {
    std::string line;
    for (int x = box.left; x < box.right; ++x) {
      line += canvas.Rgb(x, y) == (background & 0xFFFFFF) ? '.' : '#';
    }
    rows.push_back(line);
  }
  return rows;
}

TEST_F(ListWindow, RowsShowTheirStateTheCheckImageAndAnEscapedTitleLiterally) {
  cells.rows[4][1] = L"Fix {<}i C:\\x.png> <{>b}x";
  window.Mouse(WM_MOUSEMOVE, Middle(1).x, Middle(1).y);
  list->SelectRow(2);
  const auto screen = Screen();
  const struct {
    int row;
    DWORD back;
  } looks[] = {{0, kAltBack}, {1, kHotBack}, {2, kSelectedBack}, {3, kPaper}, {4, kAltBack}};
  for (const auto& look : looks) {
    const POINT at = {Column(3).right - 3, Middle(look.row).y};
    EXPECT_EQ(look.back & 0xFFFFFF, screen->Rgb(at.x, at.y)) << look.row;
  }
  // The check image sits at the start of column 0, after the item padding.
  EXPECT_EQ(kChecked & 0xFFFFFF, screen->Rgb(Column(0).left + 5 + 6, Middle(0).y));
  EXPECT_NE(kChecked & 0xFFFFFF, screen->Rgb(Column(0).left + 5 + 6, Middle(1).y));

  const RECT& r = Row(4)->Bounds();
  const RECT title = {Column(1).left, r.top, Column(1).right, r.bottom};
  Canvas literal(screen->width(), screen->height(), kAltBack);
  SelectObject(literal.dc(), window.Manager().Resources().DefaultFontInfo()->font.get());
  SetBkMode(literal.dc(), TRANSPARENT);
  RECT area = title;
  DrawTextW(literal.dc(), L"Fix <i C:\\x.png> {b}x", -1, &area, DT_SINGLELINE | DT_VCENTER);
  EXPECT_EQ(Ink(literal, title, kAltBack), Ink(*screen, title, kAltBack));
  const auto& requests = window.Manager().imageRequests;
  EXPECT_EQ(requests.end(), std::find(requests.begin(), requests.end(), L"C:\\x.png"));
}

TEST_F(ListWindow, ARowKeepsTheFirstEightLinksAndWritesNothingPastThem) {
  auto* row = new CSentinelRowUI;
  ASSERT_EQ(static_cast<const void*>(row->LinkTargets() + CListTextElementUI::kMaxLinks),
            static_cast<const void*>(&row->sentinel));
  // The eighth link is cut by its column's right edge while it holds the
  // last free slot; the ninth has no slot left.
  cells.rows.insert(cells.rows.begin(),
                    std::array<std::wstring, 4>{
                        L"", L"<a a0>one</a> <a a1>two</a> <a a2>three</a> <a a3>four</a>",
                        L"<a a4>five</a> <a a5>six</a> <a a6>seven</a>",
                        L"<a cut>a link far longer than the column</a> <a a8>nine</a>"});
  list->InsertAt(row, 0);
  Screen();
  ASSERT_EQ(8, row->LinkCount());
  for (int i = 0; i < 7; ++i) EXPECT_EQ(L"a" + std::to_wstring(i), row->LinkTargets()[i].GetData());
  EXPECT_STREQ(L"cut", row->LinkTargets()[7]);
  EXPECT_STREQ(L"untouched", row->sentinel);

  const RECT link = row->LinkRects()[5];
  Click(WM_LBUTTONDOWN, {(link.left + link.right) / 2, (link.top + link.bottom) / 2});
  ASSERT_EQ(1, window.Notifications().Count(L"link"));
  EXPECT_EQ(5u, window.Notifications().entries.back().wParam);
}

TEST_F(ListWindow, DraggingAHeaderSeparatorResizesTheColumnAndHorizontalScrollMovesTheHeader) {
  CListHeaderUI* header = list->Header();
  const int y = 12;
  int edge = header->ChildAt(0)->Bounds().right - 1;
  window.PointerAt(edge, y);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SendMessageW(window.GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHWND()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(LoadCursorW(nullptr, IDC_SIZEWE), GetCursor());
  CHarnessWindow::ParkPointer();

  window.Mouse(WM_LBUTTONDOWN, edge, y, MK_LBUTTON);
  window.Mouse(WM_MOUSEMOVE, edge - 10, y, MK_LBUTTON);  // below its minimum: refused
  window.Paint();
  EXPECT_EQ(26, Column(0).GetWidth());
  window.Mouse(WM_MOUSEMOVE, edge + 30, y, MK_LBUTTON);
  window.Mouse(WM_LBUTTONUP, edge + 30, y);
  const auto screen = Screen();
  EXPECT_EQ(56, Column(0).GetWidth());
  EXPECT_EQ(Column(0).right, Column(1).left);
  EXPECT_EQ(Column(1).left, header->ChildAt(1)->Bounds().left);
  EXPECT_EQ(kChecked & 0xFFFFFF, screen->Rgb(Column(0).left + 5 + 6, Middle(0).y));
  const RECT& r = Row(3)->Bounds();  // the title moved with its column
  const RECT title = InkBox(*screen, {Column(0).right, r.top, Column(1).right, r.bottom}, kPaper);
  EXPECT_GE(title.left, Column(1).left + 5);
  EXPECT_LT(title.left, Column(1).left + 8);

  window.Notifications().Clear();
  edge = header->ChildAt(1)->Bounds().right - 1;
  Click(WM_LBUTTONDOWN, {edge - 1, y});
  EXPECT_EQ(1, window.Notifications().Count(L"headerclick"));
  window.Mouse(WM_LBUTTONDOWN, edge, y, MK_LBUTTON);  // wider than the body now
  window.Mouse(WM_MOUSEMOVE, edge + 200, y, MK_LBUTTON);
  window.Mouse(WM_LBUTTONUP, edge + 200, y);
  EXPECT_EQ(1, window.Notifications().Count(L"headerclick"));
  Screen();
  ASSERT_TRUE(list->HorizontalScrollBar()->IsVisible());

  std::vector<LONG> before;
  for (int i = 0; i < 4; ++i) before.push_back(Column(i).left);
  list->SetScrollPos(CSizeUI(40, 0));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(before[i] - 40, Column(i).left);
    EXPECT_EQ(before[i] - 40, header->ChildAt(i)->Bounds().left);
  }
  list->RequestRelayout();  // a layout after the scroll keeps the header where the rows are
  Screen();
  EXPECT_EQ(before[1] - 40, header->ChildAt(1)->Bounds().left);
  EXPECT_EQ(before[1] - 40, Column(1).left);
}

TEST(ListMarkup, TheSkinsUpdateListBuildsWithTheHeaderItDeclaresAndBothBars) {
  CHarnessWindow window(650, 200);
  CSkinBuilder builder;
  CControlUI* built = builder.Create(
      L"<Window><List name=\"List_Holes\" width=\"630\" height=\"151\" "
      L"itemselectedbkcolor=\"#FFC1E3FF\" headerbkimage=\"head_bk.png\" vscrollbar=\"true\" "
      L"hscrollbar=\"true\"><ListHeader width=\"630\" height=\"32\" bkimage=\"head_bk.png\">"
      L"<ListHeaderItem width=\"26\" height=\"25\" minwidth=\"26\" sepwidth=\"1\" />"
      L"<ListHeaderItem text=\"Title\" width=\"355\" height=\"25\" sepwidth=\"1\" />"
      L"<ListHeaderItem text=\"Date\" width=\"172\" height=\"25\" sepwidth=\"1\" />"
      L"<ListHeaderItem text=\"Size\" width=\"62\" height=\"25\" sepwidth=\"1\" />"
      L"</ListHeader></List></Window>",
      nullptr, nullptr, &window.Manager());
  auto* list = built != nullptr ? static_cast<CListUI*>(built->InterfaceFor(L"List")) : nullptr;
  ASSERT_NE(nullptr, list);
  EXPECT_STREQ(L"head_bk.png", list->Header()->GetBkImage());  // before a paint drops it here
  window.Install(list);
  EXPECT_EQ(list, window.Manager().ControlByName(L"List_Holes"));
  ASSERT_EQ(4, list->Header()->GetCount());
  EXPECT_EQ(32, list->Header()->GetHeight());
  const int widths[] = {26, 355, 172, 62};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(widths[i], CRectUI(list->ListStyle()->columns[i]).GetWidth());
  }
  EXPECT_EQ(0xFFC1E3FFu, list->ListStyle()->selectedBackColor);
  EXPECT_NE(nullptr, list->VerticalScrollBar());
  EXPECT_NE(nullptr, list->HorizontalScrollBar());
}

// Thirty updates as the program shows them, with the skin's artwork, kept as
// list_sheet.png next to the test program for a person to look at.
class ListSheet : public ListWindow {
 protected:
  ListSheet() : ListWindow(660, 330) {}
  void SetUp() override {
    SetResourceFolder((ProgramFolder() + L"\\list_skin\\").c_str());
    window.Manager().Resources().AddClassDefaults(
        L"VScrollBar",
        L"button1normalimage=\"file='vscroll.png' source='0,0,13,13'\" "
        L"thumbnormalimage=\"file='vscroll.png' source='0,0,16,38' corner='2,2,2,2' "
        L"mask='#FFFF00FF'\" bknormalimage=\"file='vscroll.png' source='0,38,16,52' "
        L"corner='2,2,2,2' mask='#FFFF00FF'\" showbutton1=\"false\" showbutton2=\"false\"");
    Build(
        {26, 355, 172, 62}, 32,
        L"bkcolor=\"#FFFFFFFF\" inset=\"5,5,5,5\" vscrollbar=\"true\" hscrollbar=\"true\" "
        L"itemshowhtml=\"true\" itemtextpadding=\"5,0,0,0\" itemtextcolor=\"#FF000000\" "
        L"itemselectedbkcolor=\"#FFC1E3FF\" itemhotbkcolor=\"#FFE9F5FF\" "
        L"headerbkimage=\"head_bk.png\"",
        L" height=\"25\" textcolor=\"#FF000000\" align=\"center\" sepimage=\"file='head_fg.png'\"",
        30);
    for (int i = 0; i < 30; ++i) {
      cells.rows[i][0] = i % 3 == 1 ? L"<i uncheck.png />" : L"<i checked.png />";
      cells.rows[i][1] =
          L"Security Update for Windows (KB50" + std::to_wstring(10000 + i * 37) + L")";
    }
  }
};

TEST_F(ListSheet, ThirtyRowsWithCheckImagesASelectedAndAHotRow) {
  list->SelectRow(2);
  window.Mouse(WM_MOUSEMOVE, Middle(4).x, Middle(4).y);
  const auto screen = Screen();
  CHarnessWindow::SavePng(*screen, L"list_sheet.png");
  EXPECT_EQ(30, list->GetCount());
  EXPECT_TRUE(list->VerticalScrollBar()->IsVisible());
  EXPECT_FALSE(list->HorizontalScrollBar()->IsVisible());
  EXPECT_EQ(0xC1E3FFu, screen->Rgb(Column(3).right - 3, Middle(2).y));
  EXPECT_EQ(0xE9F5FFu, screen->Rgb(Column(3).right - 3, Middle(4).y));
  const auto& requests = window.Manager().imageRequests;
  EXPECT_NE(requests.end(), std::find(requests.begin(), requests.end(), L"uncheck.png"));
}

}  // namespace
}  // namespace SkinUITest

// The layouts' placement passes and the bars they drive, checked directly;
// wheel, keys and separator drags run in a real window
// (containers_window_test.cpp).

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_manager.h"
#include "ui/controls/box_layout.h"
#include "ui/controls/scroll_bar.h"

namespace {

using SkinUI::CContainerUI;
using SkinUI::CControlUI;
using SkinUI::CRectUI;
using SkinUITest::CTestManager;

std::vector<CControlUI*> Fill(CContainerUI& layout, const std::vector<const wchar_t*>& markup) {
  std::vector<CControlUI*> children;
  for (const wchar_t* attributes : markup) {
    children.push_back(new CControlUI);
    children.back()->ApplyAttributeText(attributes);
    layout.Add(children.back());
  }
  return children;
}

struct TCase {
  RECT bounds;
  const wchar_t* layout;
  std::vector<const wchar_t*> children;
  std::vector<RECT> expected;
};

template <typename Layout>
void CheckPlacement(const TCase& c) {
  CTestManager manager;
  Layout layout;
  layout.BindManager(&manager, nullptr, false);
  layout.ApplyAttributeText(c.layout);
  const std::vector<CControlUI*> children = Fill(layout, c.children);
  layout.SetBounds(c.bounds);
  for (size_t i = 0; i < c.expected.size(); ++i) {
    EXPECT_EQ(CRectUI(c.expected[i]), CRectUI(children[i]->Bounds())) << c.layout << " #" << i;
  }
}

// clang-format off
TEST(VerticalLayout, StacksFixedStretchedAndClampedChildren) {
  const TCase cases[] = {
      // 101 high, three stretched: 33, 33 and the rest.
      {{0, 0, 50, 101}, L"", {L"", L"", L""}, {{0, 0, 50, 33}, {0, 33, 50, 66}, {0, 66, 50, 101}}},
      {{0, 0, 50, 100}, L"", {L"height=\"20\"", L"", L""},
       {{0, 0, 50, 20}, {0, 20, 50, 60}, {0, 60, 50, 100}}},
      // A stretched child at its maximum leaves the rest empty.
      {{0, 0, 50, 100}, L"", {L"maxheight=\"10\""}, {{0, 0, 50, 10}}},
      // Fixed heights clamp too; a minimum beats the share.
      {{0, 0, 50, 100}, L"", {L"height=\"50\" maxheight=\"30\"", L"minheight=\"60\"", L""},
       {{0, 0, 50, 30}, {0, 30, 50, 90}, {0, 90, 50, 100}}},
      // Bottom padding is inside the child's rectangle.
      {{0, 0, 50, 100}, L"childpadding=\"3\"", {L"height=\"20\" padding=\"2,0,4,5\"", L"height=\"10\""},
       {{2, 0, 46, 25}, {0, 28, 50, 38}}},
      // Inset; fixed and clamped widths; hidden and float children.
      {{10, 10, 110, 110}, L"inset=\"5,5,5,5\"",
       {L"width=\"30\" height=\"10\"", L"height=\"10\" maxwidth=\"40\"", L"visible=\"false\"",
        L"float=\"true\" pos=\"1,1,11,11\"", L"height=\"10\""},
       {{15, 15, 45, 25}, {15, 25, 55, 35}, {0, 0, 0, 0}, {11, 11, 21, 21}, {15, 35, 105, 45}}},
      // Gaps and paddings already passed are not taken off the last one again.
      {{0, 0, 50, 100}, L"childpadding=\"5\"", {L"", L"", L""},
       {{0, 0, 50, 30}, {0, 35, 50, 65}, {0, 70, 50, 100}}},
      {{0, 0, 50, 100}, L"", {L"padding=\"0,5,0,0\""}, {{0, 5, 50, 100}}},
  };
  for (const TCase& c : cases) CheckPlacement<SkinUI::CVerticalLayoutUI>(c);
}

TEST(HorizontalLayout, PlacesFixedStretchedAndClampedChildren) {
  const TCase cases[] = {
      {{0, 0, 101, 20}, L"", {L"", L"", L""}, {{0, 0, 33, 20}, {33, 0, 66, 20}, {66, 0, 101, 20}}},
      // Right padding is inside the child's rectangle; heights clamp.
      {{0, 0, 100, 20}, L"childpadding=\"3\"",
       {L"width=\"20\" padding=\"2,1,5,0\"", L"width=\"10\" maxheight=\"8\"", L"height=\"4\""},
       {{2, 1, 27, 20}, {30, 0, 40, 8}, {43, 0, 100, 4}}},
      {{0, 0, 100, 20}, L"childpadding=\"5\"", {L"", L"", L""},
       {{0, 0, 30, 20}, {35, 0, 65, 20}, {70, 0, 100, 20}}},
  };
  for (const TCase& c : cases) CheckPlacement<SkinUI::CHorizontalLayoutUI>(c);
}
// clang-format on

TEST(VerticalLayout, OverflowDrivesTheBarAndScrollingMovesTheChildren) {
  CTestManager manager;
  SkinUI::CVerticalLayoutUI layout;
  layout.BindManager(&manager, nullptr, false);
  layout.ApplyAttribute(L"vscrollbar", L"true");
  std::vector<CControlUI*> rows =
      Fill(layout, {L"height=\"60\"", L"height=\"60\"", L"height=\"60\""});
  layout.SetBounds(RECT{0, 0, 200, 100});
  SkinUI::CScrollBarUI* bar = layout.VerticalScrollBar();
  EXPECT_EQ(80, bar->GetScrollRange());
  EXPECT_EQ(CRectUI(184, 0, 200, 100), CRectUI(bar->Bounds()));
  EXPECT_EQ(CRectUI(0, 60, 184, 120), CRectUI(rows[1]->Bounds()));  // narrowed by the bar
  layout.SetScrollPos(SIZE{0, 30});
  EXPECT_EQ(CRectUI(0, 30, 184, 90), CRectUI(rows[1]->Bounds()));
  layout.SetBounds(layout.Bounds());  // a new layout keeps the position
  EXPECT_EQ(CRectUI(0, 30, 184, 90), CRectUI(rows[1]->Bounds()));

  layout.SetDeferredDelete(false);
  layout.RemoveAt(2);  // 20 too many now: the bar pulls the position back
  layout.SetBounds(layout.Bounds());
  EXPECT_EQ(20, bar->GetScrollPos());
  EXPECT_EQ(CRectUI(0, 40, 184, 100), CRectUI(rows[1]->Bounds()));
  layout.RemoveAt(1);  // fits: the bar goes
  layout.SetBounds(layout.Bounds());
  EXPECT_FALSE(bar->IsVisible());
  EXPECT_EQ(CRectUI(0, 0, 200, 60), CRectUI(rows[0]->Bounds()));

  manager.ClearRecords();  // a hidden bar: nothing moves, nothing repaints
  layout.ScrollLineDown();
  layout.ScrollToBottom();
  EXPECT_EQ(CRectUI(0, 0, 200, 60), CRectUI(rows[0]->Bounds()));
  EXPECT_TRUE(manager.invalidated.empty());
}

TEST(HorizontalLayout, BarsGoAgainstTheInsetAndAloneTakeTheKeysSideways) {
  CTestManager manager;
  SkinUI::CHorizontalLayoutUI row;
  row.BindManager(&manager, nullptr, false);
  row.ApplyAttributeText(L"inset=\"4,4,4,4\" hscrollbar=\"true\" vscrollbar=\"true\"");
  row.SetBounds(RECT{0, 0, 100, 50});  // no children: the bars are not taken off
  EXPECT_EQ(CRectUI(4, 46, 96, 62), CRectUI(row.HorizontalScrollBar()->Bounds()));
  EXPECT_FALSE(row.VerticalScrollBar()->IsVisible());  // never asked for

  row.HorizontalScrollBar()->SetScrollRange(300);
  SkinUI::TControlEvent key;
  key.kind = SkinUI::EventKeyDown;
  for (wchar_t k : {VK_DOWN, VK_NEXT}) {
    key.key = k;
    row.RouteEvent(key);
  }
  EXPECT_EQ(8 + 92, row.GetScrollPos().cx);  // a line, then a page of the inner width
  EXPECT_EQ(0, row.GetScrollPos().cy);
}

TEST(LayoutSeparator, ImmediateModeResizesLiveAndSwitchingDropsTheBand) {
  CTestManager manager;
  SkinUI::CVerticalLayoutUI column;  // a band of 4 on the top edge
  column.BindManager(&manager, nullptr, false);
  column.ApplyAttributeText(L"sepheight=\"-4\"");
  column.SetBounds(RECT{0, 50, 100, 150});
  SkinUI::TControlEvent event;
  event.kind = SkinUI::EventButtonDown;
  event.point = SkinUI::CPointUI(10, 51);
  column.RouteEvent(event);
  EXPECT_EQ(std::vector<CControlUI*>{&column}, manager.overlayPainters);
  column.ApplyAttribute(L"sepimm", L"true");
  EXPECT_TRUE(manager.overlayPainters.empty());
  event.kind = SkinUI::EventMouseMove;
  event.point = SkinUI::CPointUI(10, 41);
  column.RouteEvent(event);
  EXPECT_EQ(CRectUI(0, 40, 100, 150), CRectUI(column.Bounds()));  // the top edge moved
  EXPECT_EQ(110, column.GetFixedHeight());
}

}  // namespace

// The vertical and horizontal layouts against the stand-in manager: the two
// placement passes, the vertical bar they drive, scrolling by keys, wheel and
// bar, and the draggable separators.

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/controls/horizontal_layout.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/vertical_layout.h"

namespace {

using SkinUI::CContainerUI;
using SkinUI::CControlUI;
using SkinUI::CHorizontalLayoutUI;
using SkinUI::CRectUI;
using SkinUI::CScrollBarUI;
using SkinUI::CVerticalLayoutUI;
using SkinUI::TControlEvent;
using SkinUITest::Canvas;
using SkinUITest::CTestManager;

TControlEvent Event(int kind, LONG x = 0, LONG y = 0) {
  TControlEvent event;
  event.kind = kind;
  event.point = SkinUI::CPointUI(x, y);
  return event;
}

void Send(CControlUI& control, TControlEvent event) {
  control.RouteEvent(event);
}

TControlEvent Key(wchar_t key) {
  TControlEvent event = Event(SkinUI::EventKeyDown);
  event.key = key;
  return event;
}

TControlEvent Wheel(WPARAM towardUser) {
  TControlEvent event = Event(SkinUI::EventScrollWheel);
  event.wParam = towardUser;
  return event;
}

// Children described by their markup; each becomes a plain control.
std::vector<CControlUI*> Fill(CContainerUI& layout, std::vector<const wchar_t*> markup) {
  std::vector<CControlUI*> children;
  for (const wchar_t* attributes : markup) {
    auto* child = new CControlUI;
    child->ApplyAttributeText(attributes);
    layout.Add(child);
    children.push_back(child);
  }
  return children;
}

struct TLayoutCase {
  const char* what;
  RECT bounds;
  const wchar_t* layout;
  std::vector<const wchar_t*> children;
  std::vector<RECT> expected;
};

template <typename Layout>
void CheckPlacement(const TLayoutCase& c) {
  CTestManager manager;
  Layout layout;
  layout.BindManager(&manager, nullptr, false);
  layout.ApplyAttributeText(c.layout);
  std::vector<CControlUI*> children = Fill(layout, c.children);
  layout.SetBounds(c.bounds);
  for (size_t i = 0; i < c.expected.size(); ++i) {
    EXPECT_EQ(CRectUI(c.expected[i]), CRectUI(children[i]->Bounds())) << c.what << ", child " << i;
  }
}

TEST(VerticalLayout, StacksFixedStretchedAndClampedChildren) {
  const TLayoutCase cases[] = {
      {"three stretched in 101: the last takes the remainder",
       {0, 0, 50, 101},
       L"",
       {L"", L"", L""},
       {{0, 0, 50, 33}, {0, 33, 50, 66}, {0, 66, 50, 101}}},
      {"a fixed 20 and two stretched share 80",
       {0, 0, 50, 100},
       L"",
       {L"height=\"20\"", L"", L""},
       {{0, 0, 50, 20}, {0, 20, 50, 60}, {0, 60, 50, 100}}},
      {"a stretched child held at its maximum leaves the rest empty",
       {0, 0, 50, 100},
       L"",
       {L"maxheight=\"10\""},
       {{0, 0, 50, 10}}},
      {"fixed heights clamp too, and a minimum beats the share",
       {0, 0, 50, 100},
       L"",
       {L"height=\"50\" maxheight=\"30\"", L"minheight=\"60\"", L""},
       {{0, 0, 50, 30}, {0, 30, 50, 90}, {0, 90, 50, 100}}},
      {"bottom padding belongs to the child's rectangle",
       {0, 0, 50, 100},
       L"childpadding=\"3\"",
       {L"height=\"20\" padding=\"2,0,4,5\"", L"height=\"10\""},
       {{2, 0, 46, 25}, {0, 28, 50, 38}}},
      {"widths: fixed kept, stretched clamped; inset and hidden and float children",
       {10, 10, 110, 110},
       L"inset=\"5,5,5,5\"",
       {L"width=\"30\" height=\"10\"", L"height=\"10\" maxwidth=\"40\"", L"visible=\"false\"",
        L"float=\"true\" pos=\"1,1,11,11\"", L"height=\"10\""},
       {{15, 15, 45, 25}, {15, 25, 55, 35}, {0, 0, 0, 0}, {11, 11, 21, 21}, {15, 35, 105, 45}}},
      // The paddings and gaps already passed are not taken from the last one again.
      {"stretched children with child padding end at the bottom",
       {0, 0, 50, 100},
       L"childpadding=\"5\"",
       {L"", L"", L""},
       {{0, 0, 50, 30}, {0, 35, 50, 65}, {0, 70, 50, 100}}},
      {"a stretched child with top padding fills what is left",
       {0, 0, 50, 100},
       L"",
       {L"padding=\"0,5,0,0\""},
       {{0, 5, 50, 100}}},
  };
  for (const TLayoutCase& c : cases) CheckPlacement<CVerticalLayoutUI>(c);
}

TEST(HorizontalLayout, PlacesFixedStretchedAndClampedChildren) {
  const TLayoutCase cases[] = {
      {"three stretched in 101",
       {0, 0, 101, 20},
       L"",
       {L"", L"", L""},
       {{0, 0, 33, 20}, {33, 0, 66, 20}, {66, 0, 101, 20}}},
      {"a fixed 20 and two stretched",
       {0, 0, 100, 20},
       L"",
       {L"width=\"20\"", L"", L""},
       {{0, 0, 20, 20}, {20, 0, 60, 20}, {60, 0, 100, 20}}},
      {"right padding belongs to the child's rectangle, heights clamp",
       {0, 0, 100, 20},
       L"childpadding=\"3\"",
       {L"width=\"20\" padding=\"2,1,5,0\"", L"width=\"10\" maxheight=\"8\"", L"height=\"4\""},
       {{2, 1, 27, 20}, {30, 0, 40, 8}, {43, 0, 100, 4}}},
      {"stretched children with child padding end at the right",
       {0, 0, 100, 20},
       L"childpadding=\"5\"",
       {L"", L"", L""},
       {{0, 0, 30, 20}, {35, 0, 65, 20}, {70, 0, 100, 20}}},
  };
  for (const TLayoutCase& c : cases) CheckPlacement<CHorizontalLayoutUI>(c);
}

class ScrollingLayout : public ::testing::Test {
 protected:
  // 200 x 100 with a vertical bar and three children of 60: 80 too many.
  void SetUp() override {
    layout.BindManager(&manager, nullptr, false);
    layout.ApplyAttributeText(L"vscrollbar=\"true\" inset=\"0,0,0,0\"");
    children = Fill(layout, {L"height=\"60\"", L"height=\"60\"", L"height=\"60\""});
    layout.SetBounds(RECT{0, 0, 200, 100});
    bar = layout.VerticalScrollBar();
    manager.ClearRecords();
  }
  int LineHeight() { return manager.DefaultFontInfo()->metrics.tmHeight + 8; }

  CTestManager manager;
  CVerticalLayoutUI layout;
  std::vector<CControlUI*> children;
  CScrollBarUI* bar = nullptr;
};

TEST_F(ScrollingLayout, OverflowShowsTheBarAndNarrowsTheChildren) {
  ASSERT_NE(nullptr, bar);
  EXPECT_TRUE(bar->IsVisible());
  EXPECT_EQ(80, bar->GetScrollRange());
  EXPECT_EQ(CRectUI(184, 0, 200, 100), CRectUI(bar->Bounds()));
  EXPECT_EQ(CRectUI(0, 60, 184, 120), CRectUI(children[1]->Bounds()));

  layout.SetScrollPos(SIZE{0, 30});
  EXPECT_EQ(CRectUI(0, 30, 184, 90), CRectUI(children[1]->Bounds()));
  EXPECT_FALSE(manager.invalidated.empty());
  layout.SetBounds(layout.Bounds());  // a new layout keeps the position
  EXPECT_EQ(CRectUI(0, 30, 184, 90), CRectUI(children[1]->Bounds()));

  layout.SetDeferredDelete(false);
  layout.RemoveAt(2);  // 120 in 100: the bar pulls the position back to 20
  layout.SetBounds(layout.Bounds());
  EXPECT_EQ(20, bar->GetScrollRange());
  EXPECT_EQ(20, bar->GetScrollPos());
  EXPECT_EQ(CRectUI(0, 40, 184, 100), CRectUI(children[1]->Bounds()));

  layout.RemoveAt(1);  // fits: the bar goes and the children widen again
  layout.SetBounds(layout.Bounds());
  EXPECT_FALSE(bar->IsVisible());
  EXPECT_EQ(0, bar->GetScrollPos());
  EXPECT_EQ(CRectUI(0, 0, 200, 60), CRectUI(children[0]->Bounds()));

  manager.ClearRecords();
  layout.ScrollLineDown();  // a hidden bar: nothing moves, nothing repaints
  layout.ScrollToBottom();
  Send(layout, Key(VK_NEXT));
  EXPECT_EQ(CRectUI(0, 0, 200, 60), CRectUI(children[0]->Bounds()));
  EXPECT_TRUE(manager.invalidated.empty());
  EXPECT_EQ(0, layout.GetScrollPos().cy);
}

TEST_F(ScrollingLayout, KeysAndWheelScrollByLinesPagesAndEnds) {
  struct Step {
    TControlEvent event;
    int expected;
  };
  const int line = LineHeight();
  const Step steps[] = {
      {Wheel(1), line},   {Wheel(0), 0},      {Key(VK_DOWN), line},
      {Key(VK_UP), 0},    {Key(VK_END), 80},  {Key(VK_HOME), 0},
      {Key(VK_NEXT), 80}, {Key(VK_PRIOR), 0}, {Key(VK_RIGHT), 0},
  };
  for (const Step& step : steps) {
    Send(layout, step.event);
    EXPECT_EQ(step.expected, layout.GetScrollPos().cy) << step.event.kind << "/" << step.event.key;
    EXPECT_EQ(step.expected, bar->GetScrollPos());
  }
  layout.SetInset(RECT{0, 10, 0, 5});
  layout.SetBounds(layout.Bounds());
  EXPECT_EQ(95, layout.GetScrollRange().cy);
  layout.ScrollPageDown();  // a page is the height less the inset
  EXPECT_EQ(85, layout.GetScrollPos().cy);
  layout.ScrollToBottom();
  layout.ScrollPageUp();
  EXPECT_EQ(10, layout.GetScrollPos().cy);
}

TEST_F(ScrollingLayout, ItsBarScrollsItAndNeverReportsScroll) {
  const RECT button2 = bar->Button2Rect();
  Send(*bar, Event(SkinUI::EventButtonDown, button2.left + 4, button2.top + 4));
  EXPECT_EQ(LineHeight(), layout.GetScrollPos().cy);
  EXPECT_EQ(CRectUI(0, -LineHeight(), 184, 60 - LineHeight()), CRectUI(children[0]->Bounds()));
  Send(*bar, Event(SkinUI::EventButtonUp, button2.left + 4, button2.top + 4));

  const RECT thumb = bar->ThumbRect();
  Send(*bar, Event(SkinUI::EventButtonDown, 190, thumb.top + 1));
  Send(*bar, Event(SkinUI::EventMouseMove, 190, thumb.top + 11));
  TControlEvent tick = Event(SkinUI::EventTimer);
  tick.wParam = CScrollBarUI::kRepeatTimerKey;
  Send(*bar, tick);
  EXPECT_GT(layout.GetScrollPos().cy, LineHeight());
  Send(*bar, Event(SkinUI::EventButtonUp, 190, thumb.top + 11));

  Send(*bar, Wheel(0));  // what the bar does not take goes to its owner
  for (const auto& n : manager.notifications) EXPECT_NE(L"scroll", n.type);
}

TEST_F(ScrollingLayout, AHorizontalBarAloneTakesTheKeysSideways) {
  layout.ApplyAttributeText(L"vscrollbar=\"false\" hscrollbar=\"true\"");
  layout.SetBounds(layout.Bounds());
  CScrollBarUI* horizontal = layout.HorizontalScrollBar();
  ASSERT_NE(nullptr, horizontal);
  EXPECT_EQ(CRectUI(0, 84, 200, 100), CRectUI(horizontal->Bounds()));
  horizontal->SetScrollRange(300);
  Send(layout, Key(VK_DOWN));
  EXPECT_EQ(8, layout.GetScrollPos().cx);
  Send(layout, Key(VK_NEXT));
  EXPECT_EQ(208, layout.GetScrollPos().cx);
  Send(layout, Key(VK_END));
  EXPECT_EQ(300, layout.GetScrollPos().cx);
  Send(layout, Wheel(0));
  EXPECT_EQ(292, layout.GetScrollPos().cx);
  EXPECT_EQ(0, layout.GetScrollPos().cy);
}

TEST(HorizontalLayout, PlacesItsBarsWithoutAskingForAVerticalOne) {
  CTestManager manager;
  CHorizontalLayoutUI empty;
  empty.BindManager(&manager, nullptr, false);
  empty.ApplyAttributeText(L"inset=\"4,4,4,4\" hscrollbar=\"true\"");
  empty.SetBounds(RECT{0, 0, 100, 50});  // no children: against the inset, bars not taken off
  EXPECT_EQ(CRectUI(4, 46, 96, 62), CRectUI(empty.HorizontalScrollBar()->Bounds()));

  CHorizontalLayoutUI row;
  row.BindManager(&manager, nullptr, false);
  row.ApplyAttribute(L"vscrollbar", L"true");
  Fill(row, {L"width=\"500\""});
  row.SetBounds(RECT{0, 0, 100, 50});
  EXPECT_FALSE(row.VerticalScrollBar()->IsVisible());
  EXPECT_STREQ(L"HorizontalLayoutUI", row.ClassName());
  EXPECT_EQ(static_cast<void*>(&row), row.InterfaceFor(L"HorizontalLayout"));
  EXPECT_NE(nullptr, row.InterfaceFor(L"IContainer"));
}

// A horizontal layout with a separator on its right edge, inside a row.
class Separator : public ::testing::Test {
 protected:
  void SetUp() override {
    row.BindManager(&manager, nullptr, false);
    sized = new CHorizontalLayoutUI;
    sized->ApplyAttributeText(L"width=\"100\" sepwidth=\"4\" minwidth=\"40\" maxwidth=\"150\"");
    row.Add(sized);
    rest = new CControlUI;
    row.Add(rest);
    row.SetBounds(RECT{0, 0, 300, 50});
    manager.ClearRecords();
  }
  void Drag(CControlUI& target, int kind, LONG x, LONG y = 10) { Send(target, Event(kind, x, y)); }

  CTestManager manager;
  CHorizontalLayoutUI row;
  CHorizontalLayoutUI* sized = nullptr;
  CControlUI* rest = nullptr;
};

TEST_F(Separator, DraggingTheBandResizesBetweenMinimumAndMaximum) {
  EXPECT_EQ(SkinUI::ControlFlagSetCursor, sized->ControlFlags());
  Drag(*sized, SkinUI::EventButtonDown, 50);  // outside the band: not a drag
  EXPECT_TRUE(manager.overlayPainters.empty());
  Drag(*sized, SkinUI::EventButtonDown, 98);
  EXPECT_EQ(std::vector<CControlUI*>{sized}, manager.overlayPainters);

  Drag(*sized, SkinUI::EventMouseMove, 110);
  EXPECT_EQ(112, sized->GetFixedWidth());
  EXPECT_EQ(100, sized->GetWidth());  // only the band moves until the release
  ASSERT_FALSE(manager.invalidated.empty());
  EXPECT_EQ(CRectUI(96, 0, 112, 50), manager.invalidated.back());

  Drag(*sized, SkinUI::EventMouseMove, 200);
  EXPECT_EQ(150, sized->GetFixedWidth());  // stops at the maximum
  Drag(*sized, SkinUI::EventMouseMove, 230);
  EXPECT_EQ(150, sized->GetFixedWidth());
  Drag(*sized, SkinUI::EventMouseMove, 140);  // back by 90 from the last pointer
  EXPECT_EQ(60, sized->GetFixedWidth());
  Drag(*sized, SkinUI::EventMouseMove, -100);
  EXPECT_EQ(40, sized->GetFixedWidth());  // and at the minimum

  Canvas canvas(300, 50);
  sized->PaintOverlay(canvas.dc(), canvas.Bounds());
  EXPECT_EQ(0x555555u, canvas.Rgb(38, 10));  // black at 0xAA over white
  EXPECT_EQ(0xFFFFFFu, canvas.Rgb(30, 10));

  Drag(*sized, SkinUI::EventButtonUp, -100);
  EXPECT_TRUE(manager.overlayPainters.empty());
  EXPECT_EQ(40, sized->GetWidth());
  EXPECT_TRUE(row.IsRelayoutPending());
  row.SetBounds(row.Bounds());
  EXPECT_EQ(CRectUI(40, 0, 300, 50), CRectUI(rest->Bounds()));
  Drag(*sized, SkinUI::EventMouseMove, 120);  // released: moves change nothing
  EXPECT_EQ(40, sized->GetFixedWidth());
}

TEST_F(Separator, TheBandSetsTheResizeCursorAndDisabledLayoutsIgnoreIt) {
  HCURSOR resize = LoadCursorW(nullptr, IDC_SIZEWE);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  Drag(*sized, SkinUI::EventSetCursor, 98);
  EXPECT_EQ(resize, GetCursor());
  Drag(*sized, SkinUI::EventSetCursor, 50);
  EXPECT_NE(resize, GetCursor());

  sized->SetEnabled(false);
  EXPECT_EQ(0u, sized->ControlFlags());
  Drag(*sized, SkinUI::EventButtonDown, 98);
  EXPECT_TRUE(manager.overlayPainters.empty());
  sized->SetEnabled(true);
  sized->ApplyAttribute(L"sepwidth", L"0");
  EXPECT_EQ(0u, sized->ControlFlags());
}

TEST_F(Separator, ImmediateModeResizesLiveAndSwitchingDropsTheBand) {
  Drag(*sized, SkinUI::EventButtonDown, 98);
  sized->ApplyAttribute(L"sepimm", L"true");  // during a band drag: the band goes
  EXPECT_TRUE(manager.overlayPainters.empty());
  Drag(*sized, SkinUI::EventMouseMove, 110);
  EXPECT_EQ(112, sized->GetWidth());
  Drag(*sized, SkinUI::EventButtonUp, 110);

  CVerticalLayoutUI column;  // a band of 4 on the top edge
  column.BindManager(&manager, nullptr, false);
  column.ApplyAttributeText(L"sepheight=\"-4\" sepimm=\"true\"");
  column.SetBounds(RECT{0, 50, 100, 150});
  Drag(column, SkinUI::EventButtonDown, 10, 51);
  EXPECT_TRUE(manager.overlayPainters.empty());
  Drag(column, SkinUI::EventMouseMove, 10, 41);
  EXPECT_EQ(CRectUI(0, 40, 100, 150), CRectUI(column.Bounds()));
  EXPECT_EQ(110, column.GetFixedHeight());
  Drag(column, SkinUI::EventButtonUp, 10, 41);
  EXPECT_STREQ(L"VerticalLayoutUI", column.ClassName());
}

}  // namespace

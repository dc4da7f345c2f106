// Sizes, paddings, insets, offsets and scroll ranges as large as 32 bits
// allow, as a hostile skin can give them: layouts keep their children in
// order instead of wrapping sums round to negative places, and scroll steps
// stop at the ends of a range instead of wrapping to the other end. Also the
// copy of the children's rectangles that hit tests over many children read.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/support/test_manager.h"
#include "ui/controls/button.h"
#include "ui/controls/box_layout.h"
#include "ui/controls/scroll_bar.h"

namespace {

using namespace SkinUI;
using SkinUITest::CTestManager;

const std::wstring kHuge = std::to_wstring(INT_MAX);

// Children with the given attributes, laid out in bounds.
template <typename Layout>
std::vector<CControlUI*> LaidOut(Layout& layout, const std::wstring& layoutAttributes,
                                 const std::vector<std::wstring>& children) {
  layout.ApplyAttributeText(layoutAttributes.c_str());
  std::vector<CControlUI*> made;
  for (const std::wstring& attributes : children) {
    made.push_back(new CControlUI);
    made.back()->ApplyAttributeText(attributes.c_str());
    layout.Add(made.back());
  }
  layout.SetBounds(CRectUI(0, 0, 200, 100));
  return made;
}

// Each child starts at or after the one before it, and none lies before the
// layout's own edge.
void ExpectInOrder(const std::vector<CControlUI*>& children, bool vertical,
                   const std::wstring& what) {
  LONG previous = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    const RECT& place = children[i]->Bounds();
    const LONG start = vertical ? place.top : place.left;
    const LONG end = vertical ? place.bottom : place.right;
    EXPECT_GE(start, previous) << what << " #" << i;
    EXPECT_GE(end, start) << what << " #" << i;
    previous = start;
  }
}

TEST(HugeValues, LayoutsKeepChildrenInOrderWhateverTheSizesAndPaddings) {
  const std::wstring huge = L"\"" + kHuge + L"\"";
  const std::wstring hugePadding = L"\"0," + kHuge + L",0," + kHuge + L"\"";
  const std::wstring wide = L"\"" + kHuge + L",0," + kHuge + L",0\"";
  struct TCase {
    bool vertical;
    std::wstring layout;
    std::vector<std::wstring> children;
  };
  const TCase cases[] = {
      {true, L"childpadding=" + huge, {L"", L"height=\"10\"", L"", L"height=\"10\""}},
      {true, L"", {L"padding=" + hugePadding, L"height=\"10\"", L"padding=" + hugePadding, L""}},
      {true, L"", {L"height=" + huge + L" maxheight=" + huge, L"height=\"10\"", L""}},
      {true, L"inset=\"0," + kHuge + L",0,0\"", {L"height=\"10\"", L"height=" + huge, L""}},
      {false, L"childpadding=" + huge, {L"", L"width=\"10\"", L"", L"width=\"10\""}},
      {false, L"", {L"padding=" + wide, L"width=\"10\"", L"padding=" + wide, L""}},
      {false, L"", {L"width=" + huge + L" maxwidth=" + huge, L"width=\"10\"", L""}},
  };
  for (const TCase& c : cases) {
    const std::wstring what = c.layout + c.children[0];
    if (c.vertical) {
      CVerticalLayoutUI layout;
      ExpectInOrder(LaidOut(layout, c.layout, c.children), true, what);
    } else {
      CHorizontalLayoutUI layout;
      ExpectInOrder(LaidOut(layout, c.layout, c.children), false, what);
    }
  }
}

TEST(HugeValues, RelativeFloatChildrenMoveTheWayTheyAreTold) {
  CContainerUI container;
  auto* child = new CControlUI;
  child->ApplyAttributeText(
      (L"float=\"true\" pos=\"10,10,30,30\" relativepos=\"" + kHuge + L",0,0,0\"").c_str());
  container.Add(child);
  container.SetBounds(CRectUI(0, 0, 200, 100));
  EXPECT_EQ(10, child->Bounds().left);
  container.SetBounds(CRectUI(0, 0, 300, 100));
  EXPECT_GT(child->Bounds().left, 300);
  EXPECT_GE(child->Bounds().right, child->Bounds().left);
}

// A container of height 100 with its vertical bar at position pos of range.
class CScrolledContainer {
 public:
  CScrolledContainer(int range, int pos) {
    container.ShowScrollBars(true, false);
    container.SetBounds(CRectUI(0, 0, 200, 100));
    bar().SetScrollRange(range);
    bar().SetScrollPos(pos);
  }
  CScrollBarUI& bar() { return *container.VerticalScrollBar(); }
  CContainerUI container;
};

TEST(HugeValues, ScrollStepsStopAtTheEndsOfARangeNearTheLargestNumber) {
  const int range = INT_MAX - 3;
  using Step = void (CContainerUI::*)();
  struct TCase {
    Step step;
    int from;
    int to;
  };
  const TCase cases[] = {
      {&CContainerUI::ScrollLineDown, range - 1, range},
      {&CContainerUI::ScrollPageDown, range - 50, range},
      {&CContainerUI::ScrollToBottom, 7, range},
      {&CContainerUI::ScrollLineUp, 3, 0},
      {&CContainerUI::ScrollPageUp, 50, 0},
  };
  for (const TCase& c : cases) {
    CScrolledContainer scrolled(range, c.from);
    (scrolled.container.*c.step)();
    EXPECT_EQ(c.to, scrolled.bar().GetScrollPos()) << "from " << c.from;
  }

  // Moved by the largest step, the children are not wrapped round either.
  CScrolledContainer scrolled(INT_MAX, 0);
  auto* child = new CControlUI;
  scrolled.container.Add(child);
  child->SetBounds(CRectUI(0, 0, 200, 20));
  scrolled.container.ScrollToBottom();
  EXPECT_LE(child->Bounds().top, 0);
  EXPECT_GE(child->Bounds().bottom, child->Bounds().top);
}

TEST(HugeValues, ABarOfItsOwnStepsToItsEndAndKeepsItsThumbInside) {
  CTestManager manager;
  CScrollBarUI bar;
  bar.BindManager(&manager, nullptr, false);
  bar.SetBounds(CRectUI(0, 0, 16, 200));
  bar.SetScrollRange(INT_MAX);
  bar.SetScrollPos(INT_MAX - 2);
  // A press on the down arrow.
  TControlEvent press;
  press.kind = EventButtonDown;
  press.point = CPointUI(8, 195);
  bar.HandleEvent(press);
  EXPECT_EQ(INT_MAX, bar.GetScrollPos());
  const RECT thumb = bar.ThumbRect();
  EXPECT_GE(thumb.top, 16);
  EXPECT_LE(thumb.bottom, 184);
  EXPECT_LT(thumb.top, thumb.bottom);
}

// Over many children, hit tests read a copy of their rectangles; it must
// follow every move and every change of the child list.
TEST(HugeValues, HitTestsOverManyChildrenFollowEveryMove) {
  CContainerUI container;
  std::vector<CControlUI*> children;
  for (int i = 0; i < 100; ++i) {
    auto* child = new CButtonUI;
    child->SetFloat(true);
    child->SetFixedOffset(CSizeUI(i % 10 * 20, i / 10 * 20));
    child->SetFixedWidth(20);
    child->SetFixedHeight(20);
    container.Add(child);
    children.push_back(child);
  }
  container.SetBounds(CRectUI(0, 0, 200, 200));
  auto hit = [&container](int x, int y) {
    POINT point = {x, y};
    return container.FindInTree([](CControlUI* control, LPVOID)
                                    CALLBACK -> CControlUI* { return control; },
                                &point, FindVisible | FindHitTest | FindTopFirst);
  };
  EXPECT_EQ(children[0], hit(5, 5));
  EXPECT_EQ(children[11], hit(25, 25));

  children[11]->SetBounds(CRectUI(0, 0, 10, 10));
  EXPECT_EQ(children[11], hit(5, 5));
  EXPECT_EQ(&container, hit(25, 25));

  container.MoveChildTo(children[11], 0);  // now below child 0
  EXPECT_EQ(children[0], hit(5, 5));
  container.Remove(children[0]);
  EXPECT_EQ(children[11], hit(5, 5));
  auto* cover = new CButtonUI;
  container.Add(cover);
  cover->SetBounds(CRectUI(0, 0, 200, 200));
  EXPECT_EQ(cover, hit(5, 5));
  cover->SetVisible(false);
  EXPECT_EQ(children[11], hit(5, 5));
}

}  // namespace

// The list family against the stand-in manager: list attributes and the bars
// they put on the body, header edge cases, header item separators and looks,
// and the row background rules, read from a memory canvas.

#include <gtest/gtest.h>

#include <string>

#include "tests/controls/basic_controls_fixture.h"
#include "ui/controls/list/list.h"
#include "ui/controls/list/list_header.h"
#include "ui/controls/list/list_rows.h"
#include "ui/controls/scroll_bar.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

class ListParts : public ::testing::Test {
 protected:
  void SetUp() override { list.BindManager(&manager, nullptr, false); }
  CListHeaderItemUI* AddColumn(const wchar_t* attributes) {
    auto* item = new CListHeaderItemUI;
    item->ApplyAttributeText(attributes);
    list.Add(item);
    return item;
  }

  CTestManager manager;
  CListUI list;
};

TEST_F(ListParts, AttributesReachTheRowLookTheHeaderAndBothBarsOfTheBody) {
  list.ApplyAttributeText(
      L"vscrollbar=\"true\" hscrollbar=\"true\" itemalign=\"right\" itemendellipsis=\"true\" "
      L"itemlinecolor=\"#FF112233\" header=\"hidden\" headerbkimage=\"head.png\"");
  // Each bar attribute keeps the other bar, which lives on the body.
  ASSERT_NE(nullptr, list.Body()->VerticalScrollBar());
  ASSERT_NE(nullptr, list.Body()->HorizontalScrollBar());
  EXPECT_EQ(list.Body()->HorizontalScrollBar(), list.HorizontalScrollBar());
  const TListStyle& style = *list.ListStyle();
  EXPECT_EQ(UINT(DT_VCENTER | DT_RIGHT | DT_END_ELLIPSIS), style.textStyle);
  EXPECT_EQ(0xFF112233u, style.lineColor);
  EXPECT_FALSE(list.Header()->IsVisible());
  EXPECT_STREQ(L"head.png", list.Header()->GetBkImage());

  list.ApplyAttributeText(L"itemalign=\"vcenter\" itemendellipsis=\"no\"");
  EXPECT_EQ(UINT(DT_VCENTER | DT_CENTER), style.textStyle);
  manager.ClearRecords();
  list.ApplyAttribute(L"itemhotbkcolor", L"#FF445566");
  EXPECT_EQ(0, manager.layoutRequests);  // the look only repaints
  list.ApplyAttribute(L"itemshowhtml", L"true");
  EXPECT_EQ(1, manager.layoutRequests);  // rows measure themselves with it

  // A hidden header still gives the columns their widths.
  AddColumn(L"width=\"40\"");
  AddColumn(L"width=\"70\"");
  list.SetBounds(CRectUI(0, 0, 300, 200));
  EXPECT_EQ(CRectUI(0, 0, 40, 0), CRectUI(style.columns[0]));
  EXPECT_EQ(CRectUI(40, 0, 110, 0), CRectUI(style.columns[1]));
  EXPECT_FALSE(list.Header()->ChildAt(0)->IsVisible());
}

TEST_F(ListParts, AMarkupHeaderReplacesTheEmptyOneThirtyTwoItemsBecomeColumnsAndAFillRepaintsOnce) {
  CListHeaderUI* builtIn = list.Header();
  auto* markup = new CListHeaderUI;
  for (int i = 0; i < 33; ++i) {
    auto* item = new CListHeaderItemUI;
    item->SetFixedWidth(20);
    markup->Add(item);
  }
  ASSERT_TRUE(list.Add(markup));
  EXPECT_EQ(markup, list.Header());
  EXPECT_EQ(std::vector<CControlUI*>{builtIn}, manager.deferred);
  EXPECT_FALSE(list.Add(markup));     // already the header
  EXPECT_FALSE(list.Remove(markup));  // the list keeps using it
  list.SetBounds(CRectUI(0, 0, 700, 100));
  EXPECT_EQ(32, list.ListStyle()->columnCount);
  // Without heights of their own, items and header take the font's height plus 14.
  const int itemHeight = manager.DefaultFontInfo()->metrics.tmHeight + 14;
  const SIZE estimate = markup->PreferredSize(CSizeUI(700, 100));
  EXPECT_EQ(660, estimate.cx);
  EXPECT_EQ(itemHeight, estimate.cy);
  EXPECT_EQ(CRectUI(640, 0, 660, itemHeight), CRectUI(markup->ChildAt(32)->Bounds()));
  // A header laid out on its own, as the window does after a width change.
  markup->ChildAt(0)->SetFixedWidth(30);
  markup->SetBounds(markup->Bounds());
  EXPECT_EQ(CRectUI(30, 0, 50, itemHeight), CRectUI(list.ListStyle()->columns[1]));

  // Each request is a round trip to the window system: a fill makes one.
  manager.ClearRecords();
  for (int i = 0; i < 100; ++i) list.Add(new CListTextElementUI);
  EXPECT_EQ(1u, manager.invalidated.size());
  EXPECT_EQ(100, list.GetCount());
}

TEST_F(ListParts, HeaderItemsDragTheirOwnEdgeAndFallBackToTheNormalLook) {
  AddStateImages(manager);
  CListHeaderItemUI* left = AddColumn(
      L"width=\"60\" height=\"20\" sepwidth=\"-4\" normalimage=\"normal.png\" "
      L"hotimage=\"hot.png\"");
  CListHeaderItemUI* fixed = AddColumn(L"width=\"60\" height=\"20\" dragable=\"false\"");
  list.SetBounds(CRectUI(0, 0, 200, 100));
  EXPECT_EQ(CRectUI(0, 0, 4, 20), CRectUI(left->GetSeparatorRect()));

  Send(*left, EventButtonDown, {2, 5});  // the left strip: a drag of the left edge
  Send(*left, EventMouseMove, {-8, 5});
  Send(*left, EventButtonUp, {-8, 5});
  EXPECT_EQ(70, left->GetFixedWidth());
  Send(*fixed, EventButtonDown, {118, 5});  // a strip that may not be dragged
  Send(*fixed, EventMouseMove, {150, 5});
  Send(*fixed, EventButtonUp, {150, 5});
  EXPECT_EQ(60, fixed->GetFixedWidth());
  EXPECT_TRUE(manager.notifications.empty());  // neither press was a click

  Canvas canvas(200, 40);
  Send(*left, EventButtonDown, {30, 5});  // pushed, without a pushed image
  EXPECT_EQ(1u, manager.notifications.size());
  left->Paint(canvas.dc(), canvas.Bounds());
  EXPECT_EQ(Rgb(kNormalLook), canvas.Rgb(30, 10));
  left->SetEnabled(false);
  EXPECT_EQ(0u, left->GetButtonState());
}

// The background of one row painted alone into a canvas.
TEST_F(ListParts, RowBackgroundsFollowHotSelectedAndDisabledWithTheLineUnderPlainRows) {
  AddSolidImage(manager, L"hot.png", kHotLook);
  list.ApplyAttributeText(
      L"itembkcolor=\"#FF102030\" itemhotbkcolor=\"#FF405060\" itemselectedbkcolor=\"#FF708090\" "
      L"itemdisabledbkcolor=\"#FFA0B0C0\" itemlinecolor=\"#FFFF0000\"");
  AddColumn(L"width=\"100\"");
  enum Look { kHot = 1, kSelected = 2, kDisabled = 4, kHotImage = 8, kContainer = 16 };
  const struct {
    int look;
    DWORD back;
    bool line;
  } cases[] = {
      {0, 0x102030, true},
      {kHot, 0x405060, true},
      {kHot | kSelected, 0x708090, true},
      {kSelected | kDisabled, 0xA0B0C0, true},
      {kHot | kHotImage, Rgb(kHotLook), false},
      {kSelected | kContainer, 0x708090, true},
  };
  for (const auto& c : cases) {
    list.ListStyle()->hotImage = (c.look & kHotImage) != 0 ? L"hot.png" : L"";
    CControlUI* row = (c.look & kContainer) != 0
                          ? static_cast<CControlUI*>(new CListContainerElementUI)
                          : new CListTextElementUI;
    list.Add(row);
    list.SetBounds(CRectUI(0, 0, 100, 400));
    if ((c.look & kHot) != 0) Send(*row, EventMouseEnter);
    if ((c.look & kSelected) != 0) Send(*row, EventButtonDown, {5, row->Bounds().top + 2});
    if ((c.look & kDisabled) != 0) row->SetEnabled(false);
    Canvas canvas(100, 400);
    row->Paint(canvas.dc(), canvas.Bounds());
    const RECT& r = row->Bounds();
    EXPECT_EQ(c.back, canvas.Rgb(50, r.top + 2)) << c.look;
    EXPECT_EQ(c.line ? 0xFF0000u : c.back, canvas.Rgb(50, r.bottom - 1)) << c.look;
  }
  const std::vector<std::wstring> perPress = {L"itemclick", L"itemselect"};
  std::vector<std::wstring> expected;
  for (int press = 0; press < 3; ++press)
    expected.insert(expected.end(), perPress.begin(), perPress.end());
  EXPECT_EQ(expected, SentTypes(manager));
}

TEST_F(ListParts, RowsFollowTheHeaderWidthAndFloatingRowsArePlacedEvenAlone) {
  AddColumn(L"width=\"400\"");
  auto* floating = new CListTextElementUI;
  floating->ApplyAttributeText(L"float=\"true\" pos=\"10,20,110,40\"");
  list.Add(floating);
  list.SetBounds(CRectUI(0, 0, 300, 200));
  const RECT body = list.Body()->Bounds();
  EXPECT_EQ(CRectUI(body.left + 10, body.top + 20, body.left + 110, body.top + 40),
            CRectUI(floating->Bounds()));

  // A flowing row is as wide as the header, wider than the body.
  auto* row = new CListTextElementUI;
  row->SetFixedHeight(24);
  list.Add(row);
  list.SetBounds(CRectUI(0, 0, 300, 200));
  EXPECT_EQ(400, CRectUI(row->Bounds()).GetWidth());
  EXPECT_EQ(24, CRectUI(row->Bounds()).GetHeight());
}

}  // namespace
}  // namespace SkinUITest

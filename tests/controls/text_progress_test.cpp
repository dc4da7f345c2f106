// Text controls and progress bars against the stand-in manager: the link
// table and its events, the size estimate, and the progress fore image.

#include <gtest/gtest.h>

#include <climits>

#include "tests/controls/basic_controls_fixture.h"
#include "ui/controls/progress.h"
#include "ui/controls/text.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

// Storage that lies right behind the link table.
class SentinelText : public CTextUI {
 public:
  CWideStringUI sentinel{L"sentinel"};
};

TEST(TextControl, NineLinksKeepTheFirstEightAndLeaveWhatFollowsTheTable) {
  CTestManager manager;
  SentinelText text;
  ASSERT_EQ(static_cast<const void*>(text.LinkTargets() + CTextUI::kMaxLinks),
            static_cast<const void*>(&text.sentinel));
  text.BindManager(&manager, nullptr, false);
  text.SetBounds(RECT{0, 0, 160, 200});
  text.ApplyAttribute(L"showhtml", L"true");
  // The eighth link wraps, so it is closed at a line end while holding the
  // last slot; the ninth finds no slot at all.
  text.SetText(
      L"<a l0>a</a> <a l1>b</a> <a l2>c</a> <a l3>d</a> <a l4>e</a> <a l5>f</a> <a l6>g</a> "
      L"<a l7>a long link that runs over the right edge</a> <a l8>i</a>");
  Canvas canvas(160, 200, kPaper);
  PaintInto(text, canvas);
  ASSERT_EQ(8, text.LinkCount());
  for (int i = 0; i < 8; ++i) {
    wchar_t expected[4];
    wsprintfW(expected, L"l%d", i);
    EXPECT_STREQ(expected, text.LinkTargets()[i]) << i;
  }
  EXPECT_LT(text.LinkRects()[6].top, text.LinkRects()[7].bottom);
  EXPECT_STREQ(L"sentinel", text.sentinel);
}

TEST(TextControl, HoverIsTrackedAndOnlyEnabledHtmlTextReportsLinks) {
  CTestManager manager;
  CTextUI text;
  text.BindManager(&manager, nullptr, false);
  text.SetBounds(RECT{0, 0, 200, 40});
  text.ApplyAttributeText(L"showhtml=\"true\" text=\"Read <a notes>the notes</a> first\"");
  Canvas canvas(200, 40, kPaper);
  PaintInto(text, canvas);
  ASSERT_EQ(1, text.LinkCount());
  EXPECT_STREQ(L"notes", text.LinkTargets()[0]);
  const RECT link = text.LinkRects()[0];
  const POINT over = {(link.left + link.right) / 2, (link.top + link.bottom) / 2};
  const POINT beside = {190, 35};
  EXPECT_EQ(ControlFlagSetCursor, text.ControlFlags());

  manager.ClearRecords();
  Send(text, EventMouseMove, over);
  EXPECT_EQ(0, text.HotLink());
  EXPECT_EQ(1u, manager.invalidated.size());
  Send(text, EventMouseLeave, beside);
  EXPECT_EQ(-1, text.HotLink());

  Send(text, EventButtonUp, over);
  ASSERT_EQ(1u, manager.notifications.size());  // the window test checks the rest
  text.SetEnabled(false);
  Send(text, EventButtonUp, over);
  EXPECT_EQ(0u, text.ControlFlags());
  text.SetEnabled(true);
  // Plain text has no links, whatever it looks like.
  text.SetShowHtml(false);
  PaintInto(text, canvas);
  Send(text, EventButtonUp, over);
  EXPECT_EQ(0, text.LinkCount());
  EXPECT_EQ(1u, manager.notifications.size());
}

TEST(TextControl, EstimateWrapsToTheAvailableWidth) {
  CTestManager manager;
  CTextUI text;
  text.BindManager(&manager, nullptr, false);
  text.SetText(L"Some words that wrap over several lines of a narrow text");
  const int lineHeight = manager.FontInfoAt(-1)->metrics.tmHeight;
  const SIZE narrow = text.PreferredSize(CSizeUI(80, 0));
  EXPECT_LE(narrow.cx, 80);
  EXPECT_GE(narrow.cy, 3 * lineHeight);
  const SIZE wide = text.PreferredSize(CSizeUI(1000, 0));
  EXPECT_EQ(lineHeight, wide.cy);
  text.SetFixedHeight(50);
  EXPECT_EQ(50, text.PreferredSize(CSizeUI(80, 0)).cy);
}

class ProgressBar : public ::testing::Test {
 protected:
  void SetUp() override {
    // Green on the left 200 columns, red beyond: tells cut from squeezed.
    std::vector<DWORD> pixels(573 * 26);
    for (int i = 0; i < 573 * 26; ++i) pixels[i] = i % 573 < 200 ? 0xFF00C000 : 0xFFC00000;
    manager.AddImage(L"fore.png", 573, 26, pixels);
    bar.BindManager(&manager, nullptr, false);
    bar.SetBounds(RECT{0, 0, 573, 26});
    bar.ApplyAttributeText(L"foreimage=\"fore.png\" min=\"0\" max=\"100\" value=\"50\"");
  }
  void Paint() {
    canvas.Fill(kPaper);
    PaintInto(bar, canvas);
  }

  CTestManager manager;
  CProgressUI bar;
  Canvas canvas{573, 26, kPaper};
};

TEST_F(ProgressBar, HalfOfA573PixelBarCutsOrSqueezesTheForeImage) {
  bar.ApplyAttribute(L"isstretchfore", L"false");
  Paint();
  EXPECT_STREQ(L"dest='0,0,286,26' source='0,0,286,26'", bar.ForeImageModifier());
  EXPECT_EQ(0x00C000u, canvas.Rgb(150, 13));  // the image's own column 150
  EXPECT_EQ(0xC00000u, canvas.Rgb(285, 13));
  EXPECT_EQ(Rgb(kPaper), canvas.Rgb(286, 13));

  bar.ApplyAttribute(L"isstretchfore", L"true");
  Paint();
  EXPECT_STREQ(L"dest='0,0,286,26'", bar.ForeImageModifier());
  EXPECT_EQ(0xC00000u, canvas.Rgb(150, 13));  // column 300 squeezed to 150
  EXPECT_EQ(Rgb(kPaper), canvas.Rgb(286, 13));

  bar.SetBounds(RECT{0, 0, 20, 40});
  bar.ApplyAttributeText(L"hor=\"false\" value=\"25\"");
  Paint();
  EXPECT_STREQ(L"dest='0,30,20,40'", bar.ForeImageModifier());  // fills from the bottom
}

TEST_F(ProgressBar, RangeAndValueAreCorrectedAtPaint) {
  bar.ApplyAttribute(L"value", L"150");
  EXPECT_EQ(150, bar.GetValue());
  Paint();
  EXPECT_EQ(100, bar.GetValue());
  EXPECT_STREQ(L"dest='0,0,573,26'", bar.ForeImageModifier());

  bar.ApplyAttributeText(L"min=\"5\" max=\"5\" value=\"0\"");
  Paint();
  EXPECT_EQ(6, bar.GetMaxValue());
  EXPECT_EQ(5, bar.GetValue());
  EXPECT_STREQ(L"dest='0,0,0,26'", bar.ForeImageModifier());
  bar.SetValue(99);
  Paint();
  EXPECT_STREQ(L"dest='0,0,573,26'", bar.ForeImageModifier());

  // Extreme ranges neither overflow nor leave an empty range.
  bar.SetMinValue(INT_MAX);
  bar.SetMaxValue(INT_MIN);
  Paint();
  EXPECT_LT(bar.GetMinValue(), bar.GetMaxValue());
  bar.SetMinValue(INT_MIN);
  bar.SetValue(0);
  Paint();
  EXPECT_STREQ(L"dest='0,0,286,26'", bar.ForeImageModifier());

  bar.SetForeImage(L"missing.png");
  Paint();
  EXPECT_TRUE(bar.GetForeImage().IsEmpty());
}

}  // namespace
}  // namespace SkinUITest

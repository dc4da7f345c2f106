// Markup text: layout positions, links, wrapping, ellipsis and calculate
// mode. Font pixels differ between platforms, so positions are compared with
// the extents the same fonts report, never with fixed numbers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render/image_fixture.h"
#include "ui/render/draw_kit.h"

namespace SkinUITest {
namespace {

using SkinUI::CDrawKit;
using SkinUI::CWideStringUI;

constexpr RECT kWide = {0, 0, 9999, 100};

class MarkupTest : public DrawingTest {
 protected:
  LONG Extent(const wchar_t* text, HFONT font = nullptr) {
    HDC dc = manager_.PaintDC();
    HGDIOBJ previous = SelectObject(dc, font != nullptr ? font : manager_.FontAt(-1));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, previous);
    return size.cx;
  }

  LONG LineHeight() {
    const TEXTMETRICW& tm = manager_.DefaultFontInfo()->metrics;
    return tm.tmHeight + tm.tmExternalLeading;
  }

  RECT Calc(const wchar_t* text, UINT format = 0, RECT rc = kWide) {
    int noLinks = 0;
    CDrawKit::DrawMarkupText(manager_.PaintDC(), &manager_, rc, text, kBlack, nullptr, nullptr,
                             noLinks, format | DT_CALCRECT);
    return rc;
  }

  int Draw(Canvas& canvas, const wchar_t* text, RECT rc, UINT format = 0, RECT* rects = nullptr,
           CWideStringUI* names = nullptr, int capacity = 0, DWORD color = kBlack) {
    int count = capacity;
    CDrawKit::DrawMarkupText(canvas.dc(), &manager_, rc, text, color, rects, names, count, format,
                             manager_.LastMousePos());
    return count;
  }

  HFONT VariantFont(bool bold, bool underline, bool italic) {
    const SkinUI::FontRecord* base = manager_.DefaultFontInfo();
    return manager_.FindMatchingFont(base->face, base->size, bold, underline, italic);
  }

  LONG LineHeightOf(HFONT font) {
    const TEXTMETRICW& tm = manager_.FontInfoOf(font)->metrics;
    return tm.tmHeight + tm.tmExternalLeading;
  }

  // The trailing (C) width of a space in font.
  LONG SpaceTrailingWidth(HFONT font) {
    HDC dc = manager_.PaintDC();
    HGDIOBJ previous = SelectObject(dc, font);
    ABC abc = {};
    GetCharABCWidthsW(dc, L' ', L' ', &abc);
    SelectObject(dc, previous);
    return abc.abcC;
  }

  // Pixels of one row between two columns (end exclusive) that have colour rgb.
  static int CountInRow(const Canvas& canvas, int y, int from, int to, DWORD rgb) {
    int count = 0;
    for (int x = from; x < to; ++x) count += canvas.Rgb(x, y) == rgb ? 1 : 0;
    return count;
  }

  // Pixels whose colour leans clearly to one channel.
  static int CountLeaning(const Canvas& canvas, int channel) {
    int count = 0;
    for (DWORD p : canvas.Pixels()) {
      const int c[3] = {RedOf(p), GreenOf(p), BlueOf(p)};
      const int other = std::max(c[(channel + 1) % 3], c[(channel + 2) % 3]);
      if (c[channel] > 60 && c[channel] > other + 40) ++count;
    }
    return count;
  }
};

TEST_F(MarkupTest, CalculateModeGivesTheLongestLineAndTheTotalHeight) {
  const RECT one = Calc(L"Hello world");
  EXPECT_EQ(Extent(L"Hello world"), one.right);
  EXPECT_EQ(LineHeight(), one.bottom);

  const RECT three = Calc(L"ab\ncdefgh\nx");
  EXPECT_EQ(Extent(L"cdefgh"), three.right);
  EXPECT_EQ(3 * LineHeight(), three.bottom);

  const RECT offset = Calc(L"ab", 0, RECT{50, 20, 9999, 100});
  EXPECT_EQ(50 + Extent(L"ab"), offset.right);
  EXPECT_EQ(20 + LineHeight(), offset.bottom);
}

TEST_F(MarkupTest, StyleTagsUseVariantsOfTheCurrentFontMadeOnce) {
  const RECT bold = Calc(L"<b>Hello</b> x");
  ASSERT_EQ(1, manager_.FontCount());
  HFONT boldFont = VariantFont(true, false, false);
  ASSERT_NE(nullptr, boldFont);
  EXPECT_EQ(Extent(L"Hello", boldFont) + Extent(L" ") + Extent(L"x"), bold.right);

  Calc(L"<b>again</b>{b}and braces{/b}");
  EXPECT_EQ(1, manager_.FontCount());
  Calc(L"<b><b>double</b></b><u>under</u><i>slant</i>");
  EXPECT_EQ(3, manager_.FontCount());
  EXPECT_NE(nullptr, VariantFont(false, true, false));
  EXPECT_NE(nullptr, VariantFont(false, false, true));
}

TEST_F(MarkupTest, FontTagsTakeAnIndexOrAFaceSizeAndStyles) {
  HFONT big = manager_.RegisterFont(L"Tahoma", 30, false, false, false);
  ASSERT_NE(nullptr, big);
  const RECT indexed = Calc(L"a<f 0>b</f>");
  EXPECT_EQ(Extent(L"a") + Extent(L"b", big), indexed.right);
  EXPECT_EQ(manager_.FontInfoOf(big)->metrics.tmHeight +
                manager_.FontInfoOf(big)->metrics.tmExternalLeading,
            indexed.bottom);

  Calc(L"<f Tahoma 18 Bold ITALIC>x</f>");
  EXPECT_EQ(2, manager_.FontCount());
  HFONT named = manager_.FindMatchingFont(L"Tahoma", 18, true, false, true);
  ASSERT_NE(nullptr, named);
  Calc(L"<f Tahoma 18 bold italic>y</f><f Tahoma>z</f>");
  EXPECT_EQ(3, manager_.FontCount());  // only the size-10 default was new
  EXPECT_NE(nullptr, manager_.FindMatchingFont(L"Tahoma", 10, false, false, false));
}

TEST_F(MarkupTest, EscapesGiveBracketsAndBracketsThatFormNoTagAreText) {
  EXPECT_EQ(Extent(L"<b>"), Calc(L"{<}b{>}").right);
  EXPECT_EQ(Extent(L"{x}"), Calc(L"<{>x<}>").right);
  EXPECT_EQ(Extent(L"a < b"), Calc(L"a < b").right);
  EXPECT_EQ(Extent(L"x<5 {B} <B>"), Calc(L"x<5 {B} <B>").right);
  EXPECT_EQ(0, manager_.FontCount());
  EXPECT_TRUE(manager_.ImageRequests().empty());
}

// The texts drawn into a recording of the walk, one per text call.
std::vector<std::wstring> DrawnTexts(SkinUI::ISkinResourcesUI* manager, const wchar_t* markup) {
  HDC recording = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  RECT rc = {0, 0, 600, 40};
  int noLinks = 0;
  CDrawKit::DrawMarkupText(recording, manager, rc, markup, kBlack, nullptr, nullptr, noLinks, 0);
  HENHMETAFILE recorded = CloseEnhMetaFile(recording);
  std::vector<std::wstring> texts;
  EnumEnhMetaFile(
      nullptr, recorded,
      [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) WINAPI -> int {
        if (record->iType != EMR_EXTTEXTOUTW) return 1;
        const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) +
                                                             text->emrtext.offString);
        reinterpret_cast<std::vector<std::wstring>*>(data)->emplace_back(chars,
                                                                         text->emrtext.nChars);
        return 1;
      },
      &texts, nullptr);
  DeleteEnhMetaFile(recorded);
  return texts;
}

// An escaped character is text like any other: drawn in the run around it,
// it leaves no gap where the font's measured and drawn advances differ (as
// Wine's Tahoma does at small sizes), and a title full of them costs one
// text call like any other.
TEST_F(MarkupTest, EscapedCharactersAreDrawnInTheRunAroundThem) {
  EXPECT_EQ(std::vector<std::wstring>{L"Fix <i C:\\x.png> {b}x <<a>> {{k}}"},
            DrawnTexts(&manager_, L"Fix {<}i C:\\x.png> <{>b}x {<}{<}a>> <{><{>k}}"));
  EXPECT_EQ((std::vector<std::wstring>{L"a<b", L"c{d"}),
            DrawnTexts(&manager_, L"a{<}b<b>c<{>d</b>"));
  EXPECT_EQ(Extent(L"Fix <i> {b}"), Calc(L"Fix {<}i> <{>b}").right);
}

TEST_F(MarkupTest, RawTagShowsTagsLiterallyUntilItCloses) {
  EXPECT_EQ(Extent(L"<b>x</b>{i a.png}y"), Calc(L"<r><b>x</b>{i a.png}</r>y").right);
  EXPECT_EQ(Extent(L"<b>x</b>"), Calc(L"{r}<b>x</b>{/r}").right);
  EXPECT_EQ(0, manager_.FontCount());
  EXPECT_TRUE(manager_.ImageRequests().empty());
}

TEST_F(MarkupTest, EmptyLinesIncludingALeadingOneKeepTheirRow) {
  Canvas canvas(200, 80);
  RECT rects[2] = {};
  CWideStringUI names[2];
  ASSERT_EQ(2, Draw(canvas, L"\n<a x>ab</a>\n\n<a y>cd</a>", canvas.Bounds(), 0, rects, names, 2));
  EXPECT_EQ(LineHeight(), rects[0].top);
  EXPECT_EQ(3 * LineHeight(), rects[1].top);

  // Text pixels only in the second and fourth rows.
  auto inkInRow = [&](int row) {
    int ink = 0;
    for (int y = row * LineHeight(); y < (row + 1) * LineHeight(); ++y) {
      for (int x = 0; x < 200; ++x) ink += canvas.Rgb(x, y) != 0xFFFFFF ? 1 : 0;
    }
    return ink;
  };
  EXPECT_EQ(0, inkInRow(0));
  EXPECT_GT(inkInRow(1), 0);
  EXPECT_EQ(0, inkInRow(2));
  EXPECT_GT(inkInRow(3), 0);
}

TEST_F(MarkupTest, LinkGetsItsNameAndTheRectangleOfItsText) {
  Canvas canvas(300, 40);
  RECT rects[4] = {};
  CWideStringUI names[4];
  const int found = Draw(canvas, L"go <a home>here</a> now", canvas.Bounds(), 0, rects, names, 4);
  ASSERT_EQ(1, found);
  EXPECT_STREQ(L"home", names[0]);
  HFONT underlined = VariantFont(false, true, false);
  ASSERT_NE(nullptr, underlined);
  EXPECT_EQ(Extent(L"go "), rects[0].left);
  EXPECT_EQ(Extent(L"go ") + Extent(L"here", underlined), rects[0].right);
  EXPECT_EQ(0, rects[0].top);
  EXPECT_EQ(LineHeight(), rects[0].bottom);
}

TEST_F(MarkupTest, WrappedLinkGetsOneRectanglePerLineWithTheSameName) {
  Canvas canvas(300, 100);
  RECT rects[4] = {};
  CWideStringUI names[4];
  const LONG width = Extent(L"aaa bbb c");
  const int found = Draw(canvas, L"<a next>aaa bbb ccc</a> end", RECT{0, 0, width, 100},
                         DT_WORDBREAK, rects, names, 4);
  ASSERT_EQ(2, found);
  EXPECT_STREQ(L"next", names[0]);
  EXPECT_STREQ(L"next", names[1]);
  EXPECT_EQ(0, rects[0].left);
  EXPECT_EQ(0, rects[0].top);
  EXPECT_LE(rects[0].right, width);
  EXPECT_EQ(0, rects[1].left);
  EXPECT_EQ(LineHeight(), rects[1].top);
  EXPECT_EQ(2 * LineHeight(), rects[1].bottom);
  EXPECT_GT(rects[1].right, rects[1].left);
}

TEST_F(MarkupTest, LinkNamesNeverGoPastTheCallersArrays) {
  Canvas canvas(200, 20);
  RECT rects[2] = {{}, {1, 2, 3, 4}};
  CWideStringUI names[2] = {L"", L"sentinel"};
  const int found =
      Draw(canvas, L"<a x>long link text</a>", RECT{0, 0, 20, 20}, DT_SINGLELINE, rects, names, 1);
  EXPECT_EQ(1, found);
  EXPECT_STREQ(L"x", names[0]);
  EXPECT_STREQ(L"sentinel", names[1]);
  EXPECT_EQ(1, rects[1].left);
  EXPECT_EQ(4, rects[1].bottom);

  // Eight slots, nine links, the eighth cut by the right edge.
  std::wstring text;
  for (int i = 0; i < 7; ++i) text += L"<a l" + std::to_wstring(i) + L">a</a>";
  text += L"<a l7>long long long text</a><a l8>b</a>";
  RECT many[9] = {};
  many[8] = {5, 6, 7, 8};
  CWideStringUI manyNames[9];
  manyNames[8] = L"sentinel";
  const LONG width = 7 * Extent(L"a", VariantFont(false, true, false)) + Extent(L"lo");
  EXPECT_EQ(8,
            Draw(canvas, text.c_str(), RECT{0, 0, width, 20}, DT_SINGLELINE, many, manyNames, 8));
  EXPECT_STREQ(L"l7", manyNames[7]);
  EXPECT_STREQ(L"sentinel", manyNames[8]);
  EXPECT_EQ(5, many[8].left);
  EXPECT_GT(many[7].right, many[7].left);
  EXPECT_LE(many[7].right, width);
}

TEST_F(MarkupTest, HoveredLinkIsDrawnInTheHoverColour) {
  Canvas canvas(200, 30, kBlack);
  RECT rects[2] = {};
  CWideStringUI names[2];
  ASSERT_EQ(1, Draw(canvas, L"<a go>Link text</a>", canvas.Bounds(), 0, rects, names, 2));
  EXPECT_GT(CountLeaning(canvas, 2), 0);  // blue link colour
  EXPECT_EQ(0, CountLeaning(canvas, 0));

  manager_.SetLastMousePos({(rects[0].left + rects[0].right) / 2, 5});
  canvas.Fill(kBlack);
  ASSERT_EQ(1, Draw(canvas, L"<a go>Link text</a>", canvas.Bounds(), 0, rects, names, 2));
  EXPECT_GT(CountLeaning(canvas, 0), 0);  // red-leaning hover colour
  EXPECT_EQ(0, CountLeaning(canvas, 2));
}

TEST_F(MarkupTest, WordBreakBreaksAfterTheLastSpaceThatFits) {
  const RECT wrapped = Calc(L"aaa bbb", DT_WORDBREAK, RECT{0, 0, Extent(L"aaa bb"), 100});
  EXPECT_EQ(2 * LineHeight(), wrapped.bottom);
  EXPECT_EQ(Extent(L"aaa "), wrapped.right);

  // A word after a space placed on its own moves to the next line whole.
  const RECT moved = Calc(L"<b>aaa</b> bbbbbb", DT_WORDBREAK, RECT{0, 0, Extent(L"aaa bbb"), 100});
  EXPECT_EQ(2 * LineHeight(), moved.bottom);
  EXPECT_GE(moved.right, Extent(L"bbbbbb"));

  // The space where a line breaks does not start the next line.
  Canvas canvas(200, 60);
  RECT rects[2] = {};
  CWideStringUI names[2];
  ASSERT_EQ(1, Draw(canvas, L"aaaa <a x>bb</a>", RECT{0, 0, Extent(L"aaaa"), 60}, DT_WORDBREAK,
                    rects, names, 2));
  EXPECT_EQ(0, rects[0].left);
  EXPECT_EQ(LineHeight(), rects[0].top);
}

TEST_F(MarkupTest, ALongWordIsCutButEveryLineTakesAtLeastOneCharacter) {
  const RECT cut = Calc(L"abcdef", DT_WORDBREAK, RECT{0, 0, Extent(L"abc"), 100});
  EXPECT_EQ(2 * LineHeight(), cut.bottom);
  const RECT narrow = Calc(L"abcdef", DT_WORDBREAK, RECT{0, 0, 1, 100});
  EXPECT_EQ(6 * LineHeight(), narrow.bottom);
}

TEST_F(MarkupTest, LongWordsAreCutWhereTheirMeasuredPrefixOverflows) {
  std::wstring word;
  for (int i = 0; i < 700; ++i) word += static_cast<wchar_t>(L'a' + (i * 7) % 26);
  // Lines of more than 64 and more than 128 characters each.
  for (LONG width : {Extent(L"mmmmmmmmmm") * 9, Extent(L"mmmmmmmmmm") * 17, LONG{37}}) {
    int lines = 0;
    LONG widest = 0;
    for (size_t at = 0; at < word.size(); ++lines) {
      size_t take = 1;
      while (at + take < word.size() && Extent(word.substr(at, take + 1).c_str()) <= width) ++take;
      widest = std::max(widest, Extent(word.substr(at, take).c_str()));
      at += take;
    }
    const RECT rc = Calc(word.c_str(), DT_WORDBREAK, RECT{0, 0, width, 100});
    EXPECT_EQ(lines * LineHeight(), rc.bottom) << width;
    EXPECT_EQ(widest, rc.right) << width;
  }
}

TEST_F(MarkupTest, CalculateModeEndsWhenALineConsumesNothing) {
  const RECT ended = Calc(L"abc\ndef\nghi", DT_WORDBREAK | DT_END_ELLIPSIS, RECT{0, 0, 1, 100});
  EXPECT_EQ(LineHeight(), ended.bottom);

  Canvas canvas(20, 400);
  Draw(canvas, L"abc\ndef", RECT{0, 0, 1, 400}, DT_WORDBREAK | DT_END_ELLIPSIS);
}

TEST_F(MarkupTest, EllipsisCutsTheRunByTwoCharactersAndAddsDots) {
  const wchar_t text[] = L"Hello wonderful world";
  const LONG width = Extent(L"Hello wond") + 1;
  Canvas drawn(200, 20), expected(200, 20);
  Draw(drawn, text, RECT{0, 0, width, 20}, DT_SINGLELINE | DT_END_ELLIPSIS);

  // "Hello wond" fits, "r" overflows and is dropped, two more go for the dots.
  HRGN clip = CreateRectRgn(0, 0, width, 20);
  SelectClipRgn(expected.dc(), clip);
  DeleteObject(clip);
  SelectObject(expected.dc(), manager_.FontAt(-1));
  SetBkMode(expected.dc(), TRANSPARENT);
  SetTextColor(expected.dc(), RGB(0, 0, 0));
  TextOutW(expected.dc(), 0, 0, L"Hello wo", 8);
  TextOutW(expected.dc(), Extent(L"Hello wo"), 0, L"...", 3);
  EXPECT_TRUE(drawn.SameRgbAs(expected));
}

TEST_F(MarkupTest, InlineImageIsCentredInTheLineAndAdvancesByItsWidth) {
  AddPng(L"sq.png", 6, 6, std::vector<DWORD>(36, kRed));
  EXPECT_EQ(Extent(L"ab") + 6 + Extent(L"cd"), Calc(L"ab<i sq.png>cd").right);

  Canvas canvas(200, 40);
  Draw(canvas, L"ab<i sq.png>cd", canvas.Bounds());
  const LONG x = Extent(L"ab");
  const LONG line = std::max<LONG>(LineHeight(), 6);
  const LONG top = line - 6 - (line - 6) / 2;
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(x, top));
  EXPECT_EQ(Rgb(kRed), canvas.Rgb(x + 5, top + 5));
  EXPECT_NE(Rgb(kRed), canvas.Rgb(x - 1, top + 2));
  EXPECT_NE(Rgb(kRed), canvas.Rgb(x + 6, top + 2));
  EXPECT_NE(Rgb(kRed), canvas.Rgb(x, top - 1));
  EXPECT_EQ(36, canvas.CountRgb(Rgb(kRed)));

  AddPng(L"tall.png", 4, 40, std::vector<DWORD>(160, kBlue));
  EXPECT_EQ(40, Calc(L"x<i tall.png>y").bottom);
}

TEST_F(MarkupTest, FrameCountShowsOneFrameOfTheStrip) {
  AddPng(L"strip.png", 6, 2,
         {kRed, kRed, kGreen, kGreen, kBlue, kBlue,  //
          kRed, kRed, kGreen, kGreen, kBlue, kBlue});
  EXPECT_EQ(2, Calc(L"<i strip.png 3 1>").right);
  Canvas canvas(50, 30);
  Draw(canvas, L"<i strip.png 3 1>", canvas.Bounds());
  EXPECT_EQ(4, canvas.CountRgb(Rgb(kGreen)));
  EXPECT_EQ(0, canvas.CountRgb(Rgb(kRed)));

  canvas.Fill(kWhite);
  Draw(canvas, L"<i strip.png 3 7>", canvas.Bounds());  // index out of range: frame 0
  EXPECT_EQ(4, canvas.CountRgb(Rgb(kRed)));

  canvas.Fill(kWhite);
  AddPng(L"checked.png", 3, 3, std::vector<DWORD>(9, kGreen));
  Draw(canvas, L"<i checked.png />", canvas.Bounds());
  EXPECT_EQ(9, canvas.CountRgb(Rgb(kGreen)));
}

TEST_F(MarkupTest, MissingImageLeavesNoGapAndOnlyTheTagsOwnTextIsRead) {
  EXPECT_EQ(Extent(L"x"), Calc(L"<i nothere.png>x").right);
  ASSERT_EQ(1u, manager_.ImageRequests().size());
  EXPECT_EQ(L"nothere.png", manager_.ImageRequests()[0]);

  AddPng(L"sq.png", 6, 6, std::vector<DWORD>(36, kRed));
  EXPECT_EQ(6, Calc(L"<i file='sq.png' fade='10'>").right);
  EXPECT_EQ(L"sq.png", manager_.ImageRequests().back());

  // A later "file='" in the text does not turn this tag into key='value' pairs.
  Calc(L"<i sq.png> file='other.png'");
  EXPECT_EQ(L"sq.png", manager_.ImageRequests().back());
}

TEST_F(MarkupTest, AnImageThatDoesNotFitStartsTheNextLine) {
  AddPng(L"sq.png", 6, 6, std::vector<DWORD>(36, kRed));
  const RECT rc = Calc(L"abc<i sq.png>", 0, RECT{0, 0, Extent(L"abc") + 3, 100});
  EXPECT_EQ(LineHeight() + std::max<LONG>(LineHeight(), 6), rc.bottom);
  EXPECT_EQ(Extent(L"abc"), rc.right);
}

TEST_F(MarkupTest, ColourTagWithEightDigitsSaturatesToWhite) {
  Canvas six(100, 20, kBlack);
  Draw(six, L"<c #FF0000>HHHH</c>", six.Bounds(), 0, nullptr, nullptr, 0, kWhite);
  EXPECT_GT(CountLeaning(six, 0), 0);

  Canvas eight(100, 20, kBlack);
  Draw(eight, L"<c #80FF0000>HHHH</c>", eight.Bounds(), 0, nullptr, nullptr, 0, kBlue);
  EXPECT_EQ(0, CountLeaning(eight, 0));
  EXPECT_EQ(0, CountLeaning(eight, 2));
  EXPECT_GT(eight.CountRgb(0xFFFFFF), 0);
}

TEST_F(MarkupTest, AlignmentFlagsMoveTheCallersRectangle) {
  Canvas canvas(200, 40);
  RECT centred = {0, 0, 200, 20};
  int noLinks = 0;
  CDrawKit::DrawMarkupText(canvas.dc(), &manager_, centred, L"abc", kBlack, nullptr, nullptr,
                           noLinks, DT_SINGLELINE | DT_CENTER);
  const LONG width = Extent(L"abc");
  EXPECT_EQ(100 - width / 2, centred.left);
  EXPECT_EQ(centred.left + width, centred.right);

  RECT right = {0, 0, 200, 20};
  CDrawKit::DrawMarkupText(canvas.dc(), &manager_, right, L"abc", kBlack, nullptr, nullptr, noLinks,
                           DT_SINGLELINE | DT_RIGHT);
  EXPECT_EQ(200 - width, right.left);

  RECT middle = {0, 0, 200, 40};
  CDrawKit::DrawMarkupText(canvas.dc(), &manager_, middle, L"abc", kBlack, nullptr, nullptr,
                           noLinks, DT_VCENTER);
  EXPECT_EQ(20 - LineHeight() / 2, middle.top);
  EXPECT_EQ(middle.top + LineHeight(), middle.bottom);
}

TEST_F(MarkupTest, PenLineAndParagraphTags) {
  EXPECT_EQ(10 + Extent(L"a"), Calc(L"<x 10>a").right);
  EXPECT_EQ(2 * LineHeight(), Calc(L"a<n>b").bottom);
  const RECT single = Calc(L"a<n>b", DT_SINGLELINE);
  EXPECT_EQ(LineHeight(), single.bottom);
  EXPECT_EQ(Extent(L"a") + Extent(L"b"), single.right);
  EXPECT_EQ(30, Calc(L"<y 30>a").bottom);
  EXPECT_EQ(5 + 2 * LineHeight(), Calc(L"<p 5>a</p>b").bottom);
  EXPECT_EQ(Extent(L"ab"), Calc(L"a<q zz>b</q>").right);  // unknown letters are consumed
}

TEST_F(MarkupTest, SelectedTextIsDrawnOverTheSelectionColour) {
  Canvas canvas(100, 20, kBlack);
  Draw(canvas, L"<s>ab</s> cd", canvas.Bounds());
  EXPECT_GT(canvas.CountRgb(0xBAE4FF), 0);
  canvas.Fill(kBlack);
  Draw(canvas, L"ab cd", canvas.Bounds());
  EXPECT_EQ(0, canvas.CountRgb(0xBAE4FF));
}

TEST_F(MarkupTest, LeavingItalicForUprightTextAddsHalfTheSpacesTrailingWidth) {
  const RECT plain = Calc(L"<f Tahoma 40 italic>ab</f>c");
  HFONT italic = manager_.FindMatchingFont(L"Tahoma", 40, false, false, true);
  ASSERT_NE(nullptr, italic);
  const LONG gap = SpaceTrailingWidth(italic) / 2;
  ASSERT_GT(gap, 0);
  EXPECT_EQ(Extent(L"ab", italic) + gap + Extent(L"c"), plain.right);

  // Bold inside the italic text closes onto italic: no gap there.
  const RECT nested = Calc(L"<f Tahoma 40 italic>a<b>b</b>c</f>d");
  HFONT boldItalic = manager_.FindMatchingFont(L"Tahoma", 40, true, false, true);
  ASSERT_NE(nullptr, boldItalic);
  EXPECT_EQ(
      Extent(L"a", italic) + Extent(L"b", boldItalic) + Extent(L"c", italic) + gap + Extent(L"d"),
      nested.right);

  // Drawing places what follows after the gap too.
  Canvas canvas(300, 60);
  RECT rects[1] = {};
  CWideStringUI names[1];
  ASSERT_EQ(1, Draw(canvas, L"<f Tahoma 40 italic>ab</f><a x>c</a>", canvas.Bounds(), 0, rects,
                    names, 1));
  EXPECT_EQ(Extent(L"ab", italic) + gap, rects[0].left);
}

TEST_F(MarkupTest, LinkRectanglesReachTheBottomOfTheirLine) {
  HFONT big = manager_.RegisterFont(L"Tahoma", 30, false, false, false);
  ASSERT_NE(nullptr, big);
  const LONG bigLine = LineHeightOf(big);
  ASSERT_GT(bigLine, LineHeight());

  // A taller font later on the line raises the link rectangle to the line.
  Canvas canvas(400, 120);
  RECT rects[3] = {};
  CWideStringUI names[3];
  ASSERT_EQ(1, Draw(canvas, L"<a x>ab</a> <f 0>Big</f>", canvas.Bounds(), 0, rects, names, 3));
  EXPECT_EQ(0, rects[0].top);
  EXPECT_EQ(bigLine, rects[0].bottom);
  EXPECT_EQ(Extent(L"ab", VariantFont(false, true, false)), rects[0].right);

  // Calculate mode raises it at the line's end, which the text's end is not.
  RECT measured = kWide;
  int count = 3;
  CDrawKit::DrawMarkupText(manager_.PaintDC(), &manager_, measured, L"<a x>ab</a> <f 0>Big</f>\nx",
                           kBlack, rects, names, count, DT_CALCRECT);
  ASSERT_EQ(1, count);
  EXPECT_EQ(bigLine, rects[0].bottom);

  // So does a taller image; the next line starts below it.
  AddPng(L"tall.png", 4, 40, std::vector<DWORD>(160, kBlue));
  ASSERT_EQ(2, Draw(canvas, L"<a y>cd</a><i tall.png>\n<a z>ef</a>", canvas.Bounds(), 0, rects,
                    names, 3));
  EXPECT_EQ(40, rects[0].bottom);
  EXPECT_EQ(40, rects[1].top);
  EXPECT_EQ(40 + LineHeight(), rects[1].bottom);
}

TEST_F(MarkupTest, SelectionBackgroundGoesOnAcrossWrappedLines) {
  const LONG width = Extent(L"aaa aaa");
  Canvas canvas(200, 80);
  Draw(canvas, L"<s>aaa aaa aaa</s> aaa", RECT{0, 0, width, 80}, DT_WORDBREAK);
  const DWORD selected = 0xBAE4FF;
  const LONG second = LineHeight();
  // The top row of each text cell holds no ink: it shows the background only.
  EXPECT_EQ(width, CountInRow(canvas, 0, 0, width, selected));
  EXPECT_EQ(Extent(L"aaa"), CountInRow(canvas, second, 0, Extent(L"aaa"), selected));
  EXPECT_EQ(0, CountInRow(canvas, second, Extent(L"aaa"), 200, selected));
  EXPECT_EQ(0, CountInRow(canvas, 2 * second, 0, 200, selected));
}

TEST_F(MarkupTest, WordAfterASpacePlacedOnItsOwnMovesWholeToTheNextLine) {
  const LONG width = Extent(L"aaa bbb");
  const RECT moved = Calc(L"<b>aaa</b> bbbbbb", DT_WORDBREAK, RECT{0, 0, width, 100});
  HFONT bold = VariantFont(true, false, false);
  ASSERT_NE(nullptr, bold);
  const LONG firstLine = Extent(L"aaa", bold) + Extent(L" ");
  EXPECT_EQ(2 * LineHeight(), moved.bottom);
  EXPECT_EQ(std::max(firstLine, Extent(L"bbbbbb")), moved.right);

  // Nothing of the word is left on the first line; it starts the second.
  Canvas canvas(200, 60);
  Draw(canvas, L"<b>aaa</b> bbbbbb", RECT{0, 0, width, 60}, DT_WORDBREAK);
  int inkOfFirstB = 0;
  for (int y = 0; y < LineHeight(); ++y) {
    EXPECT_EQ(width - firstLine, CountInRow(canvas, y, firstLine, width, Rgb(kWhite))) << y;
    const int row = LineHeight() + y;
    inkOfFirstB += Extent(L"b") - CountInRow(canvas, row, 0, Extent(L"b"), Rgb(kWhite));
  }
  EXPECT_GT(inkOfFirstB, 0);

  // A word longer than a whole line moves first, then is cut on its own lines.
  const LONG narrow = Extent(L"bbbb");
  EXPECT_EQ(LineHeight() + Calc(L"bbbbbbbbbb", DT_WORDBREAK, RECT{0, 0, narrow, 100}).bottom,
            Calc(L"<b>a</b> bbbbbbbbbb", DT_WORDBREAK, RECT{0, 0, narrow, 100}).bottom);
}

TEST_F(MarkupTest, TextIsMeasuredAsTheTargetMeasuresItAndItsFontIsGivenBack) {
  Canvas canvas(300, 40);
  HDC dc = canvas.dc();
  HGDIOBJ callerFont = GetStockObject(SYSTEM_FONT);
  SelectObject(dc, callerFont);
  ASSERT_EQ(0, SetTextCharacterExtra(dc, 4));
  RECT rects[1] = {};
  CWideStringUI names[1];
  ASSERT_EQ(1, Draw(canvas, L"<b>go</b> <a x>here</a>", canvas.Bounds(), 0, rects, names, 1));
  HFONT bold = VariantFont(true, false, false);
  HFONT underlined = VariantFont(false, true, false);
  ASSERT_NE(nullptr, bold);
  ASSERT_NE(nullptr, underlined);
  auto spaced = [&](const wchar_t* text, HFONT font) {
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, previous);
    return size.cx;
  };
  const LONG left = spaced(L"go", bold) + spaced(L" ", manager_.FontAt(-1));
  EXPECT_EQ(left, rects[0].left);
  EXPECT_EQ(left + spaced(L"here", underlined), rects[0].right);
  EXPECT_GT(rects[0].left, Extent(L"go", bold) + Extent(L" "));
  EXPECT_EQ(callerFont, GetCurrentObject(dc, OBJ_FONT));
  SetTextCharacterExtra(dc, 0);

  Draw(canvas, L"<i>x</i><u>y</u>", canvas.Bounds());
  EXPECT_EQ(callerFont, GetCurrentObject(dc, OBJ_FONT));
}

TEST_F(MarkupTest, ASpacePlacedOnItsOwnKeepsItsUnderlineAndSelection) {
  // A tag before the space makes the walk place it on its own.
  Canvas underlined(200, 30);
  Draw(underlined, L"<u>a<b> </b>b</u>", underlined.Bounds());
  HFONT under = VariantFont(false, true, false);
  ASSERT_NE(nullptr, under);
  HFONT boldUnder = manager_.FindMatchingFont(manager_.DefaultFontInfo()->face,
                                              manager_.DefaultFontInfo()->size, true, true, false);
  ASSERT_NE(nullptr, boldUnder);
  const LONG from = Extent(L"a", under);
  const LONG to = from + Extent(L" ", boldUnder);
  int lineRows = 0;
  for (int y = 0; y < LineHeight(); ++y) {
    if (CountInRow(underlined, y, from, to, Rgb(kWhite)) == 0) ++lineRows;
  }
  EXPECT_GT(lineRows, 0);

  Canvas selected(200, 30);
  Draw(selected, L"<s>a<b> </b>b</s>", selected.Bounds());
  EXPECT_EQ(to - from, CountInRow(selected, 0, from, to, 0xBAE4FF));
}

TEST_F(MarkupTest, MissingInputsOrAnEmptyRectangleDoNothing) {
  Canvas canvas(50, 20);
  RECT rects[2] = {};
  CWideStringUI names[2];
  int count = 2;
  RECT rc = canvas.Bounds();
  CDrawKit::DrawMarkupText(canvas.dc(), &manager_, rc, nullptr, kBlack, rects, names, count, 0);
  EXPECT_EQ(0, count);
  count = 2;
  CDrawKit::DrawMarkupText(canvas.dc(), nullptr, rc, L"<a x>x</a>", kBlack, rects, names, count, 0);
  EXPECT_EQ(0, count);
  count = 2;
  RECT empty = {10, 10, 10, 20};
  CDrawKit::DrawMarkupText(canvas.dc(), &manager_, empty, L"<a x>x</a>", kBlack, rects, names,
                           count, 0);
  EXPECT_EQ(0, count);
  EXPECT_EQ(50 * 20, canvas.CountRgb(Rgb(kWhite)));
}

}  // namespace
}  // namespace SkinUITest

// The markup walker's text widths: every prefix as the platform measures it,
// measured once per run and font, on a DC of the font's own unless the
// target measures text in a way of its own.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/render/run_extents.h"

namespace SkinUITest {
namespace {

using SkinUI::CRunExtents;

class RunExtentsTest : public ::testing::Test {
 protected:
  LONG Expected(HDC dc, HFONT font, const wchar_t* text, int length) {
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, length, &size);
    SelectObject(dc, previous);
    return size.cx;
  }

  CTestManager manager_;
  Canvas canvas_{50, 20};
};

TEST_F(RunExtentsTest, EveryPrefixHasTheWidthTheFontGivesIt) {
  HFONT plain = manager_.FontAt(-1);
  HFONT bold = manager_.RegisterFont(L"Tahoma", 20, true, false, false);
  ASSERT_NE(nullptr, bold);
  std::wstring text;
  for (int i = 0; i < 600; ++i) text += static_cast<wchar_t>(L'a' + (i * 5) % 26);
  text += L" end";
  int selects = 0;
  CRunExtents extents(canvas_.dc(), [&](HFONT) { ++selects; });
  for (HFONT font : {plain, bold}) {
    EXPECT_EQ(0, extents.KnownUnits(font, text.c_str()));
    // Asked for short prefixes first, then past what the first stretch held.
    for (int length : {1, 2, 17, 40, 41, 300, 604}) {
      EXPECT_EQ(Expected(canvas_.dc(), font, text.c_str(), length),
                extents.PrefixWidth(font, text.c_str(), length, 40))
          << length;
    }
    EXPECT_GE(extents.KnownUnits(font, text.c_str()), 604);
    // Stretches never run past the end of the text.
    EXPECT_EQ(Expected(canvas_.dc(), font, text.c_str() + 590, 14),
              extents.PrefixWidth(font, text.c_str() + 590, 14, 5000));
    EXPECT_EQ(14, extents.KnownUnits(font, text.c_str() + 590));
  }
  EXPECT_EQ(0, extents.PrefixWidth(plain, text.c_str(), 0, 10));
  // A default target never has to select the fonts it measures.
  EXPECT_EQ(0, selects);

  EXPECT_EQ(Expected(canvas_.dc(), bold, L"W", 1), extents.CharacterWidth(bold, L'W'));
  EXPECT_EQ(Expected(canvas_.dc(), plain, L" ", 1), extents.CharacterWidth(plain, L' '));
  EXPECT_EQ(Expected(canvas_.dc(), bold, L"W", 1), extents.CharacterWidth(bold, L'W'));
}

TEST_F(RunExtentsTest, TrailingWidthIsTheFontsCWidth) {
  HFONT italic = manager_.RegisterFont(L"Tahoma", 40, false, false, true);
  ASSERT_NE(nullptr, italic);
  HGDIOBJ previous = SelectObject(canvas_.dc(), italic);
  ABC abc = {};
  ASSERT_TRUE(GetCharABCWidthsW(canvas_.dc(), L' ', L' ', &abc));
  SelectObject(canvas_.dc(), previous);
  CRunExtents extents(canvas_.dc(), [](HFONT) {});
  LONG trailing = -1;
  ASSERT_TRUE(extents.TrailingWidth(italic, L' ', trailing));
  EXPECT_EQ(abc.abcC, trailing);
}

TEST_F(RunExtentsTest, ATargetWithItsOwnSpacingMeasuresTheTextItself) {
  HDC dc = canvas_.dc();
  HFONT plain = manager_.FontAt(-1);
  ASSERT_EQ(0, SetTextCharacterExtra(dc, 3));
  const LONG spaced = Expected(dc, plain, L"spacing", 7);
  std::vector<HFONT> selected;
  {
    CRunExtents extents(dc, [&](HFONT font) {
      SelectObject(dc, font);
      selected.push_back(font);
    });
    EXPECT_EQ(spaced, extents.PrefixWidth(plain, L"spacing", 7, 7));
    EXPECT_EQ(Expected(dc, plain, L"s", 1), extents.CharacterWidth(plain, L's'));
  }
  SetTextCharacterExtra(dc, 0);
  EXPECT_GT(spaced, Expected(dc, plain, L"spacing", 7));
  ASSERT_FALSE(selected.empty());
  EXPECT_EQ(plain, selected.front());
}

}  // namespace
}  // namespace SkinUITest

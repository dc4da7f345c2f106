#include <gtest/gtest.h>

#include <string>

#include "ui/core/wide_string.h"

using SkinUI::CWideStringUI;

namespace {
std::wstring Repeat(wchar_t ch, int count) {
  return std::wstring(static_cast<size_t>(count), ch);
}
}  // namespace

TEST(WideString, StaysInlineUpToSixtyTwoCharacters) {
  CWideStringUI s(Repeat(L'a', 62).c_str());
  EXPECT_TRUE(s.UsesInlineBuffer());
  EXPECT_EQ(62, s.GetLength());

  s += L"b";
  EXPECT_FALSE(s.UsesInlineBuffer());
  EXPECT_EQ(63, s.GetLength());
  EXPECT_EQ(L'b', s.GetAt(62));

  s += L"c";
  EXPECT_FALSE(s.UsesInlineBuffer());
  EXPECT_EQ(Repeat(L'a', 62) + L"bc", std::wstring(s));

  // Back to inline once short again, with the text intact.
  s = s.Left(5);
  EXPECT_TRUE(s.UsesInlineBuffer());
  EXPECT_EQ(L"aaaaa", std::wstring(s));

  CWideStringUI heap(Repeat(L'x', 64).c_str());
  EXPECT_FALSE(heap.UsesInlineBuffer());
  CWideStringUI copy(heap);
  EXPECT_EQ(0, copy.Compare(heap));
}

TEST(WideString, AssignAndAppendToleratesTheirOwnBuffer) {
  CWideStringUI s(Repeat(L'q', 40).c_str());
  s.Append(s.GetData());
  EXPECT_EQ(Repeat(L'q', 80), std::wstring(s));
  s.Assign(s.GetData() + 70);
  EXPECT_EQ(Repeat(L'q', 10), std::wstring(s));
  s = s;
  EXPECT_EQ(10, s.GetLength());
}

TEST(WideString, CompareFindAndParts) {
  CWideStringUI s(L"Title: Update for KB123");
  EXPECT_EQ(0, s.Compare(L"Title: Update for KB123"));
  EXPECT_GT(0, CWideStringUI(L"ABC").Compare(L"abc"));
  EXPECT_EQ(0, CWideStringUI(L"ABC").CompareNoCase(L"abc"));
  EXPECT_EQ(7, s.Find(L"Update"));
  EXPECT_EQ(-1, s.Find(L"Update", 8));
  EXPECT_EQ(5, s.Find(L':'));
  EXPECT_EQ(-1, s.Find(L'Z'));
  EXPECT_EQ(-1, s.Find(L"T", 100));
  EXPECT_EQ(L"Title", std::wstring(s.Left(5)));
  EXPECT_EQ(L"KB123", std::wstring(s.Right(5)));
  EXPECT_EQ(L"Update", std::wstring(s.Mid(7, 6)));
  EXPECT_EQ(L"KB123", std::wstring(s.Mid(18)));
  EXPECT_EQ(L"", std::wstring(s.Mid(100, 3)));
  EXPECT_EQ(L"", std::wstring(s.Left(-2)));
}

TEST(WideString, ReplaceAllReturnsTheCountAndLowerCaseWorksInPlace) {
  CWideStringUI s(L"a<b<c<");
  EXPECT_EQ(3, s.Replace(L"<", L"{<}"));
  EXPECT_EQ(L"a{<}b{<}c{<}", std::wstring(s));
  EXPECT_EQ(0, s.Replace(L"zz", L"y"));
  EXPECT_EQ(0, s.Replace(L"", L"y"));
  CWideStringUI aaa(L"aaaa");
  EXPECT_EQ(2, aaa.Replace(L"aa", L"b"));
  EXPECT_EQ(L"bb", std::wstring(aaa));

  CWideStringUI mixed(L"MainSkin.XML");
  mixed.MakeLower();
  EXPECT_EQ(L"mainskin.xml", std::wstring(mixed));
}

TEST(WideString, FormatUsesWideStringsAndNeverOverrunsItsBuffer) {
  CWideStringUI s;
  s.Format(L"Title: %s\r\nDate: %04d-%02d-%02d", L"Fix", 2026, 3, 7);
  EXPECT_EQ(L"Title: Fix\r\nDate: 2026-03-07", std::wstring(s));

  const std::wstring longText = Repeat(L'z', 3000);
  s.Format(L"%s", longText.c_str());
  EXPECT_EQ(CWideStringUI::kFormatUnits - 1, s.GetLength());
  EXPECT_EQ(Repeat(L'z', 1023), std::wstring(s));

  s.Format(L"%d%%", 3);
  EXPECT_EQ(L"3%", std::wstring(s));
}

TEST(WideString, GrowingOneCharacterAtATimeMovesTheTextOnlyAFewTimes) {
  CWideStringUI s;
  std::wstring expected;
  int moves = 0;
  const wchar_t* buffer = s.GetData();
  for (int i = 0; i < 80000; ++i) {
    const wchar_t ch = static_cast<wchar_t>(L'a' + i % 26);
    s += ch;
    expected += ch;
    if (s.GetData() != buffer) {
      ++moves;
      buffer = s.GetData();
    }
  }
  EXPECT_EQ(expected, std::wstring(s));
  EXPECT_EQ(80000, s.GetLength());
  EXPECT_LE(moves, 20);

  // Appending a terminator appends nothing; shrinking still goes back inline.
  s += L'\0';
  EXPECT_EQ(80000, s.GetLength());
  s = s.Mid(100, 70);
  EXPECT_FALSE(s.UsesInlineBuffer());
  EXPECT_EQ(expected.substr(100, 70), std::wstring(s));
  s = s.Left(62);
  EXPECT_TRUE(s.UsesInlineBuffer());
  EXPECT_EQ(expected.substr(100, 62), std::wstring(s));
}

TEST(WideString, ReplaceRebuildsTheTextOnceForAnyNumberOfOccurrences) {
  std::wstring source;
  std::wstring longer;
  std::wstring shorter;
  for (int i = 0; i < 80000; ++i) {
    source += (i % 3 == 0) ? L"ab<" : L"x<";
    longer += (i % 3 == 0) ? L"ab{<}" : L"x{<}";
    shorter += (i % 3 == 0) ? L"ab" : L"x";
  }
  CWideStringUI s(source.c_str());
  EXPECT_EQ(80000, s.Replace(L"<", L"{<}"));
  EXPECT_EQ(longer, std::wstring(s));
  EXPECT_EQ(80000, s.Replace(L"{<}", nullptr));
  EXPECT_EQ(shorter, std::wstring(s));

  // Replacements that leave a short text end up inline again.
  CWideStringUI text((std::wstring(70, L'z') + L"tail").c_str());
  EXPECT_EQ(70, text.Replace(L"z", L""));
  EXPECT_TRUE(text.UsesInlineBuffer());
  EXPECT_EQ(L"tail", std::wstring(text));

  // The pattern and the replacement may be parts of the string itself.
  CWideStringUI self(L"abab");
  EXPECT_EQ(2, self.Replace(self.GetData() + 2, self.GetData()));
  EXPECT_EQ(L"abababab", std::wstring(self));

  // Text after an embedded terminator is not searched and does not survive a
  // replacement, as before.
  const wchar_t withNul[] = {L'a', L'<', L'b', L'\0', L'<', L'c'};
  CWideStringUI cut(withNul, 6);
  EXPECT_EQ(1, cut.Replace(L"<", L"{<}"));
  EXPECT_EQ(L"a{<}b", std::wstring(cut));
  EXPECT_EQ(5, cut.GetLength());
  CWideStringUI untouched(withNul, 6);
  EXPECT_EQ(0, untouched.Replace(L"c", L"d"));
  EXPECT_EQ(6, untouched.GetLength());
}

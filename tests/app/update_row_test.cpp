#include <gtest/gtest.h>

#include "app/update_row.h"

namespace {

TEST(UpdateRow, CellsAreFormattedAndAgentTextIsEscaped) {
  UpdateEntry entry;
  entry.checked = true;
  entry.title = L"Fix <i C:\\x.png> {b}x";
  entry.updateId = L"id-1";
  entry.description = L"<b>kept as it is</b>";
  entry.released = SYSTEMTIME{2011, 3, 0, 8, 0, 0, 0, 0};
  entry.size = 1536;
  const UpdateRow row = MakeUpdateRow(entry);
  EXPECT_TRUE(row.checked);
  EXPECT_EQ(L"<i checked.png />", row.checkCell);
  EXPECT_EQ(L"Fix {<}i C:\\x.png> <{>b}x", row.titleCell);
  EXPECT_EQ(L"2011-03-08", row.dateCell);
  EXPECT_EQ(L"1.50 KB", row.sizeCell);
  EXPECT_EQ(L"id-1", row.updateId);
  EXPECT_EQ(entry.title, row.title);
  EXPECT_EQ(L"<b>kept as it is</b>", row.description);  // shown as plain text, never as markup

  const UpdateRow blank = MakeUpdateRow(UpdateEntry{});  // unreadable date, no size
  EXPECT_EQ(L"<i uncheck.png />", blank.checkCell);
  EXPECT_EQ(L"0000-00-00", blank.dateCell);
  EXPECT_EQ(L"0 bytes", blank.sizeCell);
  EXPECT_EQ(L"Unkown", blank.titleCell);
}

TEST(UpdateRow, ADateTheAgentGaveAsZeroIsBlankAndAnUnreadableOneIsZeros) {
  UpdateEntry none;
  none.noReleaseDate = true;
  EXPECT_EQ(L"", MakeUpdateRow(none).dateCell);
  EXPECT_EQ(L"", MakeUpdateRow(none).date);
  EXPECT_EQ(L"0000-00-00", MakeUpdateRow(UpdateEntry{}).dateCell);
}

TEST(UpdateRow, SizesFromTwoToTheSixtyThirdOnAreShownInExabytes) {
  EXPECT_EQ(L"4.00 EB", ByteSizeText(1ULL << 62));
  EXPECT_EQ(L"7.99 EB", ByteSizeText(0x7FFFFFFFFFFFFFFFULL));
  EXPECT_EQ(L"8.00 EB", ByteSizeText(1ULL << 63));
  EXPECT_EQ(L"9.99 EB", ByteSizeText((10ULL << 60) - 1));
  EXPECT_EQ(L"10.0 EB", ByteSizeText(10ULL << 60));
  EXPECT_EQ(L"15.9 EB", ByteSizeText(~0ULL));

  UpdateEntry huge;
  huge.size = ~0ULL;
  EXPECT_EQ(L"15.9 EB", MakeUpdateRow(huge).sizeCell);
}

TEST(UpdateRow, OnlySucceededOrInProgressWithoutErrorCountsAsSuccess) {
  struct Case {
    LONG code;
    HRESULT result;
    bool success;
  };
  const Case cases[] = {{2, S_OK, true},  {1, S_OK, true},  {2, E_FAIL, false}, {3, S_OK, false},
                        {4, S_OK, false}, {5, S_OK, false}, {0, S_OK, false},   {1, S_FALSE, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.success, IsSuccessfulInstallResult(c.code, c.result)) << c.code << " " << c.result;
  }
}

}  // namespace

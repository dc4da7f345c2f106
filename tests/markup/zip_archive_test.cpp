#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup_test_support.h"
#include "platform/file_bytes.h"
#include "tests/support/scratch_folder.h"
#include "ui/markup/zip_archive.h"

using markup_test::BuildTestZip;
using markup_test::Bytes;
using markup_test::GuardedBlock;
using markup_test::Put16;
using markup_test::Put32;
using markup_test::TestZipEntry;
using markup_test::TestZipLayout;
using SkinUI::CZipArchive;
using SkinUI::TZipEntry;
using SkinUI::ZipReadResult;
using SkinUI::ZipSource;

namespace {

TestZipEntry Entry(const std::string& name, const std::string& data, bool deflate) {
  TestZipEntry entry;
  entry.name = name;
  entry.data = data;
  entry.deflate = deflate;
  return entry;
}

// Bytes that compress somewhat but not to nothing.
std::string Pattern(size_t size, unsigned seed) {
  std::string data(size, '\0');
  unsigned state = seed;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    data[i] = static_cast<char>((i % 64 < 40) ? 'a' + (i % 7) : (state >> 16));
  }
  return data;
}

bool Open(CZipArchive& zip, const GuardedBlock& block) {
  return zip.OpenArchive(block.data(), block.size(), ZipSource::Memory);
}

// The whole entry, read in one call; "<failed>" when the read fails.
std::string ReadWhole(CZipArchive& zip, int index) {
  TZipEntry entry;
  if (!zip.GetEntry(index, entry)) return "<no entry>";
  std::string data(entry.uncompressedSize, '\0');
  if (zip.ReadEntry(index, &data[0], entry.uncompressedSize) == ZipReadResult::Failed) {
    return "<failed>";
  }
  return data;
}

std::string ReadNamed(CZipArchive& zip, const wchar_t* name) {
  TZipEntry entry;
  if (!zip.FindEntry(name, true, entry)) return "<not found>";
  return ReadWhole(zip, entry.index);
}

SYSTEMTIME LocalTimeOf(const FILETIME& utc) {
  FILETIME local;
  FileTimeToLocalFileTime(&utc, &local);
  SYSTEMTIME time = {};
  FileTimeToSystemTime(&local, &time);
  return time;
}

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t UnixTicks(uint32_t seconds) {
  return (seconds + 11644473600ULL) * 10000000ULL;
}

}  // namespace

TEST(ZipArchive, ReadsStoredAndDeflatedEntriesBehindAPrefix) {
  const std::string big = Pattern(100000, 7);
  const Bytes bytes =
      BuildTestZip({Entry("MainSkin.xml", "<Window />", true), Entry("bg.png", big, false),
                    Entry("skin/deep.png", big, true), Entry("skin/small.png", "tiny", false)},
                   "a comment at the end", std::string(777, 'P'));
  GuardedBlock block(bytes);
  CZipArchive zip;
  ASSERT_TRUE(Open(zip, block));
  EXPECT_EQ(4, zip.GetEntryCount());
  EXPECT_EQ(777u, zip.GetBytesBeforeArchive());

  TZipEntry entry;
  ASSERT_TRUE(zip.GetEntry(2, entry));
  EXPECT_EQ(2, entry.index);
  EXPECT_EQ(L"skin/deep.png", std::wstring(entry.name));
  EXPECT_EQ(100000u, entry.uncompressedSize);
  EXPECT_LT(entry.compressedSize, entry.uncompressedSize);

  EXPECT_EQ("<Window />", ReadWhole(zip, 0));
  EXPECT_EQ(big, ReadWhole(zip, 1));
  EXPECT_EQ(big, ReadWhole(zip, 2));
  EXPECT_EQ("tiny", ReadWhole(zip, 3));
  EXPECT_EQ(big, ReadWhole(zip, 1));  // backwards again
  EXPECT_FALSE(zip.GetEntry(4, entry));
  EXPECT_FALSE(zip.GetEntry(-1, entry));
}

TEST(ZipArchive, OpensFromAFileNameAndFromAPositionedHandle) {
  SkinUITest::ScratchFolder folder;
  const std::string prefix(300, 'S');
  const std::wstring path = folder.Write(
      L"skin.zip",
      BuildTestZip({Entry("a.txt", "alpha", true), Entry("b.txt", "beta", false)}, "", prefix));
  CZipArchive zip;
  ASSERT_TRUE(zip.OpenArchive(path.c_str(), 0, ZipSource::FileName));
  EXPECT_EQ("beta", ReadNamed(zip, L"b.txt"));
  EXPECT_EQ("alpha", ReadNamed(zip, L"a.txt"));
  EXPECT_EQ(300u, zip.GetBytesBeforeArchive());

  const UniqueHandle file = OpenFileForReading(path.c_str());
  ASSERT_TRUE(file);
  LARGE_INTEGER start;
  start.QuadPart = 300;
  ASSERT_TRUE(SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN));
  CZipArchive fromHandle;
  ASSERT_TRUE(fromHandle.OpenArchive(file.get(), 0, ZipSource::FileHandle));
  EXPECT_EQ(0u, fromHandle.GetBytesBeforeArchive());
  EXPECT_EQ("alpha", ReadNamed(fromHandle, L"A.TXT"));
  fromHandle.CloseArchive();
  // The handle still belongs to the caller.
  char first = 0;
  DWORD read = 0;
  start.QuadPart = 0;
  ASSERT_TRUE(SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN));
  EXPECT_TRUE(ReadFile(file.get(), &first, 1, &read, nullptr));
  EXPECT_EQ('S', first);

  EXPECT_FALSE(zip.OpenArchive(folder.File(L"missing.zip").c_str(), 0, ZipSource::FileName));
  EXPECT_FALSE(zip.IsOpen());
  EXPECT_FALSE(zip.OpenArchive(nullptr, 10, ZipSource::Memory));
  EXPECT_FALSE(zip.OpenArchive(INVALID_HANDLE_VALUE, 0, ZipSource::FileHandle));
}

TEST(ZipArchive, ArchiveFindsEntryWhateverTheLetterCase) {
  const std::string longName = std::string(250, 'n') + ".png";  // 254 characters
  const Bytes bytes = BuildTestZip(
      {Entry("MainSkin.xml", "skin", true), Entry("skin/bg.png", "bg", false),
       Entry(longName, "long", false), Entry(std::string(255, 'm') + "x", "too long", false)});
  GuardedBlock block(bytes);
  CZipArchive zip;
  ASSERT_TRUE(Open(zip, block));
  TZipEntry entry;
  EXPECT_TRUE(zip.FindEntry(L"MainSkin.xml", false, entry));
  EXPECT_EQ(0, entry.index);
  EXPECT_FALSE(zip.FindEntry(L"mainskin.XML", false, entry));
  ASSERT_TRUE(zip.FindEntry(L"mainskin.XML", true, entry));
  EXPECT_EQ(0, entry.index);
  EXPECT_EQ(L"MainSkin.xml", std::wstring(entry.name));
  ASSERT_TRUE(zip.FindEntry(L"skin\\BG.png", true, entry));
  EXPECT_EQ(1, entry.index);
  EXPECT_TRUE(zip.FindEntry(L"skin/bg.png", false, entry));
  EXPECT_FALSE(zip.FindEntry(L"bg.png", true, entry));
  EXPECT_FALSE(zip.FindEntry(L"skin/bg.pn", true, entry));
  EXPECT_FALSE(zip.FindEntry(L"", true, entry));

  const std::wstring wideLong(longName.begin(), longName.end());
  ASSERT_TRUE(zip.FindEntry(wideLong.c_str(), true, entry));
  EXPECT_EQ("long", ReadWhole(zip, entry.index));
  const std::wstring tooLong = std::wstring(255, L'm') + L"x";
  EXPECT_FALSE(zip.FindEntry(tooLong.c_str(), true, entry));
}

TEST(ZipArchive, ReadsInPiecesAndRestartsAfterALookup) {
  const std::string data = Pattern(50000, 3);
  for (bool deflate : {false, true}) {
    const Bytes bytes =
        BuildTestZip({Entry("other", "x", false), Entry("data.bin", data, deflate)});
    GuardedBlock block(bytes);
    CZipArchive zip;
    ASSERT_TRUE(Open(zip, block));
    std::string collected;
    char piece[1000];
    ZipReadResult result = ZipReadResult::MoreData;
    int calls = 0;
    while (result == ZipReadResult::MoreData && calls++ < 100) {
      const size_t before = collected.size();
      result = zip.ReadEntry(1, piece, sizeof(piece));
      const size_t got = std::min<size_t>(sizeof(piece), data.size() - before);
      collected.append(piece, got);
    }
    EXPECT_EQ(ZipReadResult::Ok, result);
    EXPECT_EQ(50u, static_cast<unsigned>(calls));
    EXPECT_EQ(data, collected);

    // A lookup in the middle of a read starts the next read from the top.
    ASSERT_EQ(ZipReadResult::MoreData, zip.ReadEntry(1, piece, sizeof(piece)));
    TZipEntry entry;
    ASSERT_TRUE(zip.FindEntry(L"DATA.BIN", true, entry));
    ASSERT_EQ(ZipReadResult::MoreData, zip.ReadEntry(1, piece, 10));
    EXPECT_EQ(data.substr(0, 10), std::string(piece, 10));
    // Another index also starts from the top.
    EXPECT_EQ(ZipReadResult::Ok, zip.ReadEntry(0, piece, sizeof(piece)));
    EXPECT_EQ('x', piece[0]);
  }
}

TEST(ZipArchive, ReadsLargeAndCutDeflatedEntriesAlikeFromMemoryAndFromAFile) {
  const std::string data = Pattern(300000, 11);
  const std::string deflated = markup_test::ToString(markup_test::Deflate(data));
  ASSERT_GT(deflated.size(), 4 * CZipArchive::kInputBufferSize);
  TestZipEntry cut = Entry("cut.bin", deflated.substr(0, deflated.size() / 2), false);
  cut.methodOverride = 8;
  TestZipLayout layout;
  Bytes bytes = BuildTestZip({Entry("data.bin", data, true), cut}, "", "", &layout);
  // The cut stream claims the whole size, so it runs out of input first.
  Put32(bytes, layout.localHeaders[1] + 22, static_cast<uint32_t>(data.size()));
  Put32(bytes, layout.centralRecords[1] + 24, static_cast<uint32_t>(data.size()));

  SkinUITest::ScratchFolder folder;
  const std::wstring path = folder.Write(L"skin.zip", bytes);
  GuardedBlock block(bytes);
  CZipArchive fromMemory;
  CZipArchive fromFile;
  ASSERT_TRUE(Open(fromMemory, block));
  ASSERT_TRUE(fromFile.OpenArchive(path.c_str(), 0, ZipSource::FileName));
  for (CZipArchive* zip : {&fromMemory, &fromFile}) {
    EXPECT_EQ(data, ReadWhole(*zip, 0));

    // In pieces of odd sizes, the last one larger than what is left.
    std::string collected(data.size() + 100, '\0');
    EXPECT_EQ(ZipReadResult::MoreData, zip->ReadEntry(0, &collected[0], 777));
    EXPECT_EQ(ZipReadResult::MoreData, zip->ReadEntry(0, &collected[777], 150000));
    EXPECT_EQ(ZipReadResult::Ok, zip->ReadEntry(0, &collected[150777], 149323 + 100));
    collected.resize(data.size());
    EXPECT_EQ(data, collected);

    // The cut stream gives what it holds, then fails.
    std::string partial(data.size(), '\0');
    EXPECT_EQ(ZipReadResult::MoreData,
              zip->ReadEntry(1, &partial[0], static_cast<DWORD>(partial.size())));
    // Half the compressed stream holds far more than its first 10,000 bytes.
    EXPECT_EQ(data.substr(0, 10000), partial.substr(0, 10000));
    EXPECT_EQ(ZipReadResult::Failed, zip->ReadEntry(1, &partial[0], 100));
  }
}

TEST(ZipArchive, ReportsAttributesAndTimes) {
  std::vector<TestZipEntry> entries;
  entries.push_back(Entry("plain.txt", "p", false));
  entries.push_back(Entry("readonly.txt", "r", false));
  entries.back().externalAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  entries.push_back(Entry("folder/", "", false));
  entries.push_back(Entry("unixdir", "", false));
  entries.back().versionMadeBy = (3 << 8) | 30;
  entries.back().externalAttributes = 040755u << 16;
  entries.push_back(Entry("unixro", "u", false));
  entries.back().versionMadeBy = (3 << 8) | 30;
  entries.back().externalAttributes = 0100444u << 16;
  entries.push_back(Entry("stamped", "s", true));
  entries.back().localExtra = markup_test::TimestampExtra(1600000000, 1600000100, 1600000200) +
                              std::string("\x01\x00\x00\x00", 4);
  entries.back().centralExtra = markup_test::TimestampExtra(1600000000, 0, 0);
  entries.push_back(Entry("centralonly", "c", false));
  entries.back().centralExtra = markup_test::TimestampExtra(1500000000, 0, 0);
  const Bytes bytes = BuildTestZip(entries);
  GuardedBlock block(bytes);
  CZipArchive zip;
  ASSERT_TRUE(Open(zip, block));

  TZipEntry entry;
  ASSERT_TRUE(zip.GetEntry(0, entry));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), entry.attributes);
  const SYSTEMTIME dos = LocalTimeOf(entry.modifyTime);
  EXPECT_EQ(2021, dos.wYear);
  EXPECT_EQ(3, dos.wMonth);
  EXPECT_EQ(14, dos.wDay);
  EXPECT_EQ(13, dos.wHour);
  EXPECT_EQ(45, dos.wMinute);
  EXPECT_EQ(30, dos.wSecond);
  EXPECT_EQ(Ticks(entry.modifyTime), Ticks(entry.accessTime));
  EXPECT_EQ(Ticks(entry.modifyTime), Ticks(entry.createTime));

  ASSERT_TRUE(zip.GetEntry(1, entry));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), entry.attributes);
  ASSERT_TRUE(zip.GetEntry(2, entry));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), entry.attributes);
  ASSERT_TRUE(zip.GetEntry(3, entry));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), entry.attributes);
  ASSERT_TRUE(zip.GetEntry(4, entry));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY), entry.attributes);

  ASSERT_TRUE(zip.GetEntry(5, entry));
  EXPECT_EQ(UnixTicks(1600000000), Ticks(entry.modifyTime));
  EXPECT_EQ(UnixTicks(1600000100), Ticks(entry.accessTime));
  EXPECT_EQ(UnixTicks(1600000200), Ticks(entry.createTime));
  ASSERT_TRUE(zip.GetEntry(6, entry));
  EXPECT_EQ(UnixTicks(1500000000), Ticks(entry.modifyTime));
  EXPECT_EQ(2021, LocalTimeOf(entry.accessTime).wYear);
}

TEST(ZipArchive, AcceptsSizesInATrailingDescriptor) {
  std::vector<TestZipEntry> entries{Entry("late.xml", Pattern(40000, 9), true),
                                    Entry("stored", "stored data", false)};
  for (TestZipEntry& entry : entries) entry.sizesInDescriptor = true;
  const Bytes bytes = BuildTestZip(entries);
  GuardedBlock block(bytes);
  CZipArchive zip;
  ASSERT_TRUE(Open(zip, block));
  EXPECT_EQ(Pattern(40000, 9), ReadNamed(zip, L"late.xml"));
  EXPECT_EQ("stored data", ReadNamed(zip, L"stored"));
}

TEST(ZipArchive, IgnoresACrcThatDoesNotMatchTheData) {
  TestZipLayout layout;
  Bytes bytes = BuildTestZip({Entry("a", "content", true)}, "", "", &layout);
  Put32(bytes, layout.localHeaders[0] + 14, 0x12345678);
  Put32(bytes, layout.centralRecords[0] + 16, 0x12345678);
  GuardedBlock block(bytes);
  CZipArchive zip;
  ASSERT_TRUE(Open(zip, block));
  EXPECT_EQ("content", ReadWhole(zip, 0));
}

TEST(ZipArchive, RefusesEntriesItCannotRead) {
  TestZipEntry unknown = Entry("bzip2", "BZh91AY&SY", false);
  unknown.methodOverride = 12;
  TestZipEntry encrypted = Entry("secret", "cipher", false);
  encrypted.flags = 0x0001;
  TestZipEntry garbage = Entry("garbage", "\xff\xff\xff\xff\xff\xff\xff\xff", false);
  garbage.methodOverride = 8;
  std::vector<TestZipEntry> entries{unknown, encrypted, garbage};
  for (int i = 0; i < 5; ++i) entries.push_back(Entry("ok" + std::to_string(i), "fine", true));
  TestZipLayout layout;
  Bytes bytes = BuildTestZip(entries, "", "", &layout);
  Put32(bytes, layout.localHeaders[3], 0x04034B51);       // local signature
  Put16(bytes, layout.localHeaders[4] + 8, 0);            // local method
  Put32(bytes, layout.localHeaders[5] + 14, 0xDEADBEEF);  // local CRC
  Put32(bytes, layout.localHeaders[6] + 22, 12345);       // local uncompressed size
  Put16(bytes, layout.localHeaders[7] + 26, 2);           // local name length
  GuardedBlock block(bytes);
  CZipArchive zip;
  ASSERT_TRUE(Open(zip, block));
  for (int i = 0; i < 8; ++i) {
    char buffer[64];
    EXPECT_EQ(ZipReadResult::Failed, zip.ReadEntry(i, buffer, sizeof(buffer))) << "entry " << i;
  }
  TZipEntry entry;
  EXPECT_TRUE(zip.FindEntry(L"bzip2", true, entry));
  EXPECT_FALSE(zip.IsEntrySizePlausible(entry.index));
}

TEST(ZipArchive, FindsTheEndRecordBehindCommentsOfAnyLength) {
  const std::vector<TestZipEntry> entries{Entry("a.txt", "alpha", true)};
  TestZipLayout layout;
  const Bytes bare = BuildTestZip(entries, "", "", &layout);
  // Every length up to two search windows, so the record straddles each
  // window boundary once.
  for (size_t length = 0; length <= 2100; ++length) {
    Bytes bytes = bare;
    bytes.resize(bare.size() + length, 'c');
    Put16(bytes, layout.endRecord + 20, static_cast<uint16_t>(length));
    GuardedBlock block(bytes);
    CZipArchive zip;
    ASSERT_TRUE(Open(zip, block)) << length;
    ASSERT_EQ("alpha", ReadWhole(zip, 0)) << length;
  }
  // The record must start within the last 65,535 bytes.
  for (size_t length : {65000u, 65513u}) {
    GuardedBlock block(BuildTestZip(entries, std::string(length, 'c')));
    CZipArchive zip;
    EXPECT_TRUE(Open(zip, block)) << length;
  }
  GuardedBlock tooFar(BuildTestZip(entries, std::string(65514, 'c')));
  CZipArchive zip;
  EXPECT_FALSE(Open(zip, tooFar));

  // A signature inside the comment's last bytes cannot be the record.
  GuardedBlock fake(BuildTestZip(entries, std::string("tail PK\x05\x06 end")));
  EXPECT_TRUE(Open(zip, fake));
  EXPECT_EQ("alpha", ReadWhole(zip, 0));
}

TEST(ZipArchive, EmptyArchiveOpensWithNoEntries) {
  GuardedBlock block(BuildTestZip({}));
  ASSERT_EQ(22u, block.size());
  CZipArchive zip;
  ASSERT_TRUE(Open(zip, block));
  EXPECT_EQ(0, zip.GetEntryCount());
  TZipEntry entry;
  EXPECT_FALSE(zip.FindEntry(L"x", true, entry));
  char buffer[4];
  EXPECT_EQ(ZipReadResult::Failed, zip.ReadEntry(0, buffer, 4));
  GuardedBlock nothing(Bytes{});
  EXPECT_FALSE(Open(zip, nothing));
  GuardedBlock shortBlock(Bytes{0x50, 0x4B, 0x05, 0x06, 0, 0});
  EXPECT_FALSE(Open(zip, shortBlock));
}

TEST(ZipArchive, DamagedDirectoryFailsCleanly) {
  TestZipLayout layout;
  const Bytes good =
      BuildTestZip({Entry("one.txt", "first entry", true), Entry("two.txt", "second", false)},
                   "comment", "", &layout);
  const size_t end = layout.endRecord;
  struct Damage {
    const char* what;
    size_t at;
    int width;
    uint32_t value;
    bool opens;
  };
  const Damage damages[] = {
      {"this disk", end + 4, 2, 1, false},
      {"directory disk", end + 6, 2, 1, false},
      {"entries on disk", end + 8, 2, 3, false},
      {"directory size beyond the record", end + 12, 4, 0xFFFFFF00u, false},
      {"directory offset beyond the record", end + 16, 4, 0xFFFFFF00u, false},
      {"directory offset inside the data", end + 16, 4, 5, true},
      {"more entries than records", end + 8, 4, 0x00090009u, true},
      {"name length past the end", layout.centralRecords[0] + 28, 2, 0xFFFF, true},
      {"extra length past the end", layout.centralRecords[0] + 30, 2, 0xFFFF, true},
      {"comment length past the end", layout.centralRecords[1] + 32, 2, 0xFFFF, true},
      {"directory signature", layout.centralRecords[1], 4, 0, true},
  };
  for (const Damage& damage : damages) {
    Bytes bytes = good;
    if (damage.width == 2) {
      Put16(bytes, damage.at, static_cast<uint16_t>(damage.value));
    } else {
      Put32(bytes, damage.at, damage.value);
    }
    GuardedBlock block(bytes);
    CZipArchive zip;
    ASSERT_EQ(damage.opens, Open(zip, block)) << damage.what;
    if (!damage.opens) continue;
    // Whatever the entries say, every lookup and read ends without touching
    // anything outside the block.
    TZipEntry entry;
    zip.FindEntry(L"two.txt", true, entry);
    zip.FindEntry(L"missing", true, entry);
    for (int i = 0; i < zip.GetEntryCount(); ++i) {
      if (!zip.GetEntry(i, entry)) continue;
      zip.IsEntrySizePlausible(i);
      char buffer[64];
      zip.ReadEntry(i, buffer, sizeof(buffer));
    }
  }
}

TEST(ZipArchive, EntryOffsetsAndSizesOutsideTheBlockFailTheRead) {
  TestZipLayout layout;
  const Bytes good = BuildTestZip(
      {Entry("a", Pattern(3000, 1), true), Entry("b", Pattern(3000, 2), false)}, "", "", &layout);
  struct Damage {
    const char* what;
    size_t central;
    size_t local;  // 0: the local header stays
    uint32_t value;
  };
  const Damage damages[] = {
      {"local header offset", 42, 0, 0xFFFFFFF0u},
      {"local header offset just short of the end", 42, 0, static_cast<uint32_t>(good.size() - 10)},
      {"compressed size", 20, 18, 0xFFFFFFF0u},
      {"compressed size one past the block", 20, 18, 0},
  };
  for (int which = 0; which < 2; ++which) {
    for (const Damage& damage : damages) {
      Bytes bytes = good;
      uint32_t value = damage.value;
      if (value == 0) {
        const size_t data = layout.localHeaders[which] + 30 + 1;
        value = static_cast<uint32_t>(bytes.size() - data + 1);
      }
      Put32(bytes, layout.centralRecords[which] + damage.central, value);
      if (damage.local) Put32(bytes, layout.localHeaders[which] + damage.local, value);
      GuardedBlock block(bytes);
      CZipArchive zip;
      ASSERT_TRUE(Open(zip, block));
      std::string buffer(3000, '\0');
      EXPECT_EQ(ZipReadResult::Failed, zip.ReadEntry(which, &buffer[0], 3000)) << damage.what;
      EXPECT_EQ(Pattern(3000, 2 - which), ReadWhole(zip, 1 - which)) << damage.what;
    }
  }
}

TEST(ZipArchive, ImpossibleUncompressedSizesAreNotPlausible) {
  TestZipLayout layout;
  Bytes bytes = BuildTestZip({Entry("d", Pattern(5000, 4), true), Entry("s", "stored", false)}, "",
                             "", &layout);
  GuardedBlock intact(bytes);
  CZipArchive zip;
  ASSERT_TRUE(Open(zip, intact));
  EXPECT_TRUE(zip.IsEntrySizePlausible(0));
  EXPECT_TRUE(zip.IsEntrySizePlausible(1));

  for (int i = 0; i < 2; ++i) {
    Put32(bytes, layout.centralRecords[i] + 24, 0x7FFFFFF0u);
    Put32(bytes, layout.localHeaders[i] + 22, 0x7FFFFFF0u);
  }
  GuardedBlock damaged(bytes);
  ASSERT_TRUE(Open(zip, damaged));
  EXPECT_FALSE(zip.IsEntrySizePlausible(0));
  EXPECT_FALSE(zip.IsEntrySizePlausible(1));
  // The stream still ends where the data does: a short entry reads as complete.
  std::string buffer(6000, '\0');
  EXPECT_EQ(ZipReadResult::Ok, zip.ReadEntry(0, &buffer[0], 6000));
  EXPECT_EQ(Pattern(5000, 4), buffer.substr(0, 5000));
  // Stored data that ends early gives what is there, then nothing more.
  EXPECT_EQ(ZipReadResult::MoreData, zip.ReadEntry(1, &buffer[0], 100));
  EXPECT_EQ("stored", buffer.substr(0, 6));
  EXPECT_EQ(ZipReadResult::Failed, zip.ReadEntry(1, &buffer[0], 100));
}

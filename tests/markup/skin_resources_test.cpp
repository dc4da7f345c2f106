#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup_test_support.h"
#include "platform/file_bytes.h"
#include "tests/support/scratch_folder.h"
#include "ui/markup/skin_resources.h"
#include "ui/markup/skin_xml.h"
#include "ui/markup/zip_archive.h"

using markup_test::BuildTestZip;
using markup_test::Bytes;
using markup_test::TestZipEntry;
using markup_test::TestZipLayout;
using SkinUI::CSkinXml;

namespace {

constexpr DWORD kLimit = 4194304;

TestZipEntry Entry(const std::string& name, const std::string& data, bool deflate = true) {
  TestZipEntry entry;
  entry.name = name;
  entry.data = data;
  entry.deflate = deflate;
  return entry;
}

// Markup of exactly size bytes.
std::string MarkupOfSize(size_t size) {
  return "<a>" + std::string(size - 7, ' ') + "</a>";
}

// "ok <root name>" or the error message; load errors carry no location.
std::wstring LoadFile(const wchar_t* name) {
  CSkinXml xml;
  if (xml.LoadFile(name)) {
    const wchar_t* root = xml.GetRoot().GetName();
    return std::wstring(L"ok ") + (root ? root : L"<no root>");
  }
  std::wstring result = xml.GetLastErrorMessage();
  if (*xml.GetLastErrorLocation()) result += std::wstring(L" at ") + xml.GetLastErrorLocation();
  return result;
}

std::string Image(const wchar_t* name, const wchar_t* type = nullptr) {
  std::vector<unsigned char> bytes;
  if (!SkinUI::ReadImageBytes(name, type, bytes)) return "<none>";
  return std::string(bytes.begin(), bytes.end());
}

// The skin location is process-wide; each test starts from plain files in
// the current directory.
class SkinLookup : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    SkinUI::SetResourceArchive(L"");
    SkinUI::SetResourceFolder(L"");
    SkinUI::SetResourceModule(nullptr);
    SkinUI::SetModuleInstance(nullptr);
  }
  SkinUITest::ScratchFolder folder_;
};

}  // namespace

TEST_F(SkinLookup, ResourceModuleFallsBackToTheModuleInstance) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  HINSTANCE other = GetModuleHandleW(L"kernel32.dll");
  SkinUI::SetModuleInstance(self);
  EXPECT_EQ(self, SkinUI::ModuleInstance());
  EXPECT_EQ(self, SkinUI::ResourceModule());
  SkinUI::SetResourceModule(other);
  EXPECT_EQ(other, SkinUI::ResourceModule());
  EXPECT_EQ(self, SkinUI::ModuleInstance());
  SkinUI::SetResourceModule(nullptr);
  EXPECT_EQ(self, SkinUI::ResourceModule());
  EXPECT_EQ(L"", std::wstring(SkinUI::ResourceFolder()));
  EXPECT_EQ(L"", std::wstring(SkinUI::ResourceArchiveName()));
  EXPECT_FALSE(SkinUI::ArchiveKeptOpen());
  EXPECT_EQ(nullptr, SkinUI::KeptArchive());
}

TEST_F(SkinLookup, ReadsMarkupFilesUnderTheResourceFolder) {
  folder_.Write(L"MainSkin.xml", "<Window />");
  folder_.Write(L"empty.xml", "");
  folder_.Write(L"exact.xml", MarkupOfSize(kLimit));
  folder_.Write(L"over.xml", MarkupOfSize(kLimit + 1));
  folder_.Write(L"bom.xml", "\xEF\xBB\xBF<Bom />");
  SkinUI::SetResourceFolder((folder_.path() + L"\\").c_str());

  EXPECT_EQ(L"ok Window", LoadFile(L"MainSkin.xml"));
  EXPECT_EQ(L"ok Bom", LoadFile(L"bom.xml"));
  EXPECT_EQ(L"Error opening file", LoadFile(L"missing.xml"));
  EXPECT_EQ(L"File is empty", LoadFile(L"empty.xml"));
  EXPECT_EQ(L"ok a", LoadFile(L"exact.xml"));
  EXPECT_EQ(L"File too large", LoadFile(L"over.xml"));
  EXPECT_EQ(L"Error opening file", LoadFile(nullptr));
  EXPECT_EQ(L"Error opening file", LoadFile(MAKEINTRESOURCEW(3001)));
}

TEST_F(SkinLookup, AFileThatCannotBeReadWholeIsNeverHandedOn) {
  const std::wstring path =
      folder_.Write(L"skin.xml", "<Window>" + std::string(5000, ' ') + "</Window>");
  // A handle that may see the size but not the data: the read comes up short.
  HANDLE attributesOnly = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, attributesOnly);
  const UniqueHandle owner(attributesOnly);
  std::vector<unsigned char> bytes(3, 'x');
  EXPECT_EQ(FileReadResult::ShortRead, ReadOpenFile(attributesOnly, kNoFileSizeLimit, bytes));
  EXPECT_TRUE(bytes.empty());

  const UniqueHandle readable = OpenFileForReading(path.c_str());
  EXPECT_EQ(FileReadResult::TooLarge, ReadOpenFile(readable.get(), 5000, bytes));
  EXPECT_EQ(FileReadResult::Ok, ReadOpenFile(readable.get(), 5017, bytes));
  EXPECT_EQ(5017u, bytes.size());
}

TEST_F(SkinLookup, MemoryArchiveFindsMarkupWhateverTheLetterCase) {
  const Bytes archive = markup_test::SampleSkinArchive();
  SkinUI::SetArchiveFromMemory(archive.data(), static_cast<DWORD>(archive.size()));
  EXPECT_EQ(L"membuffer", std::wstring(SkinUI::ResourceArchiveName()));
  EXPECT_TRUE(SkinUI::ArchiveKeptOpen());
  ASSERT_NE(nullptr, SkinUI::KeptArchive());

  EXPECT_EQ(L"ok Window", LoadFile(L"MainSkin.xml"));
  EXPECT_EQ(L"ok Window", LoadFile(L"mainskin.XML"));
  EXPECT_EQ(L"Could not find ziped file", LoadFile(L"Other.xml"));
  const std::string uncheck = Image(L"skin\\uncheck.png");
  EXPECT_EQ(900u, uncheck.size());
  EXPECT_EQ(uncheck, Image(L"SKIN/UNCHECK.PNG"));
  EXPECT_EQ(700u, Image(L"checked.png").size());
  // The kept archive stays usable for every later lookup.
  EXPECT_EQ(L"ok Window", LoadFile(L"MainSkin.xml"));
  EXPECT_NE(nullptr, SkinUI::KeptArchive());
}

TEST_F(SkinLookup, ASecondMemoryArchiveKeepsTheFirst) {
  const Bytes first = BuildTestZip({Entry("MainSkin.xml", "<First />")});
  const Bytes second = BuildTestZip({Entry("MainSkin.xml", "<Second />")});
  SkinUI::SetArchiveFromMemory(first.data(), static_cast<DWORD>(first.size()));
  SkinUI::CZipArchive* kept = SkinUI::KeptArchive();
  SkinUI::SetArchiveFromMemory(second.data(), static_cast<DWORD>(second.size()));
  EXPECT_EQ(kept, SkinUI::KeptArchive());
  EXPECT_EQ(L"ok First", LoadFile(L"MainSkin.xml"));
}

TEST_F(SkinLookup, ArchiveEntriesGiveTheLoadMessages) {
  TestZipEntry unknown = Entry("bzip.xml", "BZh9", false);
  unknown.methodOverride = 12;
  TestZipEntry broken = Entry("broken.xml", "\xff\xff\xff\xff", false);
  broken.methodOverride = 8;
  const Bytes archive = BuildTestZip(
      {Entry("exact.xml", MarkupOfSize(kLimit)), Entry("over.xml", MarkupOfSize(kLimit + 1)),
       Entry("empty.xml", "", false), unknown, broken, Entry("bad.xml", "<a><b></a>")});
  EXPECT_LT(archive.size(), 40000u);
  SkinUI::SetArchiveFromMemory(archive.data(), static_cast<DWORD>(archive.size()));

  EXPECT_EQ(L"ok a", LoadFile(L"exact.xml"));
  EXPECT_EQ(L"File too large", LoadFile(L"over.xml"));
  EXPECT_EQ(L"File is empty", LoadFile(L"empty.xml"));
  EXPECT_EQ(L"Could not unzip file", LoadFile(L"bzip.xml"));
  EXPECT_EQ(L"Could not unzip file", LoadFile(L"broken.xml"));
  EXPECT_EQ(L"Could not find ziped file", LoadFile(L"nothing.xml"));
  EXPECT_EQ(L"Unmatched closing tag at a>", LoadFile(L"bad.xml"));
  EXPECT_EQ("<none>", Image(L"bzip.xml"));
  EXPECT_EQ("<none>", Image(L"broken.xml"));
  EXPECT_EQ("<none>", Image(L"empty.xml"));
}

TEST_F(SkinLookup, AnEntryShorterThanItsStatedSizeStillLoads) {
  TestZipLayout layout;
  Bytes archive = BuildTestZip({Entry("MainSkin.xml", "<Window />", false)}, "", "", &layout);
  // Both headers promise more than the stored data holds: the read returns
  // what there is and reports that more may follow, which the lookup accepts.
  markup_test::Put32(archive, layout.centralRecords[0] + 24, 200);
  markup_test::Put32(archive, layout.localHeaders[0] + 22, 200);
  SkinUI::SetArchiveFromMemory(archive.data(), static_cast<DWORD>(archive.size()));
  EXPECT_EQ(L"ok Window", LoadFile(L"MainSkin.xml"));
}

TEST_F(SkinLookup, AnUnreadableMemoryBlockStillCountsAsRegistered) {
  const std::string junk = "this is not an archive";
  folder_.Write(L"loose.png", "loose bytes");
  markup_test::CurrentDirectoryGuard inFolder(folder_.path());
  SkinUI::SetArchiveFromMemory(junk.data(), static_cast<DWORD>(junk.size()));
  EXPECT_EQ(L"membuffer", std::wstring(SkinUI::ResourceArchiveName()));
  EXPECT_TRUE(SkinUI::ArchiveKeptOpen());
  EXPECT_EQ(nullptr, SkinUI::KeptArchive());
  EXPECT_EQ(L"Error opening zip file", LoadFile(L"MainSkin.xml"));
  EXPECT_EQ("loose bytes", Image(L"loose.png"));

  SkinUI::SetResourceArchive(L"");
  SkinUI::SetArchiveFromMemory(nullptr, 0);
  EXPECT_TRUE(SkinUI::ArchiveKeptOpen());
  EXPECT_EQ(L"Error opening zip file", LoadFile(L"MainSkin.xml"));
}

TEST_F(SkinLookup, NamesMissingFromTheArchiveFallBackToPlainPathsForImagesOnly) {
  folder_.Write(L"extra.png", "from the current directory");
  folder_.Write(L"MainSkin.xml", "<Loose />");
  markup_test::CurrentDirectoryGuard inFolder(folder_.path());
  const Bytes archive = markup_test::SampleSkinArchive();
  SkinUI::SetArchiveFromMemory(archive.data(), static_cast<DWORD>(archive.size()));

  EXPECT_EQ("from the current directory", Image(L"extra.png"));
  EXPECT_EQ(L"Could not find ziped file", LoadFile(L"extra.png"));
  // The archive wins over a loose file of the same name.
  EXPECT_EQ(L"ok Window", LoadFile(L"MainSkin.xml"));
  EXPECT_EQ("<none>", Image(L"nowhere.png"));
  EXPECT_EQ("<none>", Image(nullptr));
}

TEST_F(SkinLookup, ReadsAnArchiveFileUnderTheResourceFolder) {
  folder_.Write(L"skin.zip", BuildTestZip({Entry("MainSkin.xml", "<FromFile />"),
                                           Entry("img/a.png", "archived image", false)}));
  SkinUI::SetResourceFolder((folder_.path() + L"\\").c_str());
  SkinUI::SetResourceArchive(L"skin.zip");
  EXPECT_FALSE(SkinUI::ArchiveKeptOpen());
  EXPECT_EQ(L"ok FromFile", LoadFile(L"MAINSKIN.xml"));
  EXPECT_EQ("archived image", Image(L"img\\a.png"));
  // Opened and closed per lookup: the file can be replaced in between.
  folder_.Write(L"skin.zip", BuildTestZip({Entry("MainSkin.xml", "<Replaced />")}));
  EXPECT_EQ(L"ok Replaced", LoadFile(L"MainSkin.xml"));

  SkinUI::SetResourceArchive(L"missing.zip");
  EXPECT_EQ(L"Error opening zip file", LoadFile(L"MainSkin.xml"));
  EXPECT_EQ("<none>", Image(L"img\\a.png"));
}

TEST_F(SkinLookup, ImagesWithoutArchiveComeFromTheFolderThenThePlainPath) {
  SkinUITest::ScratchFolder current;
  folder_.Write(L"bg.png", "folder image");
  folder_.Write(L"hollow.png", "");
  current.Write(L"hollow.png", "current image");
  current.Write(L"only_here.png", "plain path image");
  markup_test::CurrentDirectoryGuard inCurrent(current.path());
  SkinUI::SetResourceFolder((folder_.path() + L"\\").c_str());

  EXPECT_EQ("folder image", Image(L"bg.png"));
  EXPECT_EQ("current image", Image(L"hollow.png"));
  EXPECT_EQ("plain path image", Image(L"only_here.png"));
  EXPECT_EQ("<none>", Image(L"nowhere.png"));
  EXPECT_EQ("folder image", Image(folder_.File(L"bg.png").c_str()));
}

TEST_F(SkinLookup, ImagesWithATypeComeFromResources) {
  folder_.Write(L"NOPE", "file named like a resource");
  folder_.Write(L"EMPTY", "file behind an empty resource");
  markup_test::CurrentDirectoryGuard inFolder(folder_.path());
  SkinUI::SetModuleInstance(GetModuleHandleW(nullptr));

  EXPECT_EQ("image-bytes", Image(L"LOGO", L"SKINIMAGE"));
  EXPECT_EQ("numbered-image", Image(MAKEINTRESOURCEW(2001), L"SKINIMAGE"));
  EXPECT_EQ("file named like a resource", Image(L"NOPE", L"SKINIMAGE"));
  EXPECT_EQ("file behind an empty resource", Image(L"EMPTY", L"SKINIMAGE"));
  EXPECT_EQ("<none>", Image(MAKEINTRESOURCEW(2002), L"SKINIMAGE"));
  // An empty type means none.
  EXPECT_EQ("file named like a resource", Image(L"NOPE", L""));

  SkinUI::SetResourceModule(GetModuleHandleW(L"kernel32.dll"));
  EXPECT_EQ("<none>", Image(MAKEINTRESOURCEW(2001), L"SKINIMAGE"));
}

TEST_F(SkinLookup, MarkupComesFromAnIntegerResource) {
  SkinUI::SetResourceModule(GetModuleHandleW(nullptr));
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(SkinUI::ReadResourceBytes(MAKEINTRESOURCEW(3001), L"SKINMARKUP", bytes));
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadBytes(bytes.data(), static_cast<DWORD>(bytes.size())));
  EXPECT_EQ(L"Window", std::wstring(xml.GetRoot().GetName()));
  wchar_t size[16] = {};
  EXPECT_TRUE(xml.GetRoot().FindAttributeValue(L"size", size, 15));
  EXPECT_EQ(L"650,400", std::wstring(size));
  EXPECT_FALSE(SkinUI::ReadResourceBytes(MAKEINTRESOURCEW(3002), L"SKINMARKUP", bytes));
  EXPECT_FALSE(SkinUI::ReadResourceBytes(L"EMPTY", L"SKINIMAGE", bytes));
  EXPECT_TRUE(bytes.empty());
}

TEST_F(SkinLookup, ArchivedImagesWithImpossibleSizesAreNotAllocated) {
  TestZipLayout layout;
  Bytes archive = BuildTestZip({Entry("huge.png", std::string(2000, 'h'))}, "", "", &layout);
  markup_test::Put32(archive, layout.centralRecords[0] + 24, 0xFFFFFFF0u);
  markup_test::Put32(archive, layout.localHeaders[0] + 22, 0xFFFFFFF0u);
  SkinUI::SetArchiveFromMemory(archive.data(), static_cast<DWORD>(archive.size()));
  EXPECT_EQ("<none>", Image(L"huge.png"));
  EXPECT_EQ(L"File too large", LoadFile(L"huge.png"));
}

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "markup_test_support.h"
#include "tests/support/text_mutation.h"
#include "ui/markup/skin_resources.h"
#include "ui/markup/skin_xml.h"
#include "ui/markup/zip_archive.h"

using markup_test::Bytes;
using markup_test::GuardedBlock;
using SkinUI::CSkinXml;
using SkinUI::CSkinXmlNode;
using SkinUI::CZipArchive;
using SkinUI::TZipEntry;
using SkinUI::ZipReadResult;

namespace {

constexpr int kMutationsPerInput = 3000;

using SkinUITest::CRandom;

const std::vector<const char*> kMarkupTokens = {
    "<",      ">",   "/",    "/>",  "</",   "\"",           "=",         "&",    "&amp;",
    "&quot;", "&lt", "<!--", "-->", "<?",   "?>",           "<a>",       "</a>", "<b x=\"1\"/>",
    " ",      "\t",  "\r\n", "'",   "\xC3", "\xEF\xBB\xBF", "<!DOCTYPE",
};

// Flips favour the directory and the headers, where the offsets live.
Bytes MutateArchive(const Bytes& original, CRandom& random) {
  Bytes bytes = original;
  const size_t edits = 1 + random.Below(3);
  for (size_t i = 0; i < edits && !bytes.empty(); ++i) {
    const size_t kind = random.Below(10);
    if (kind < 7) {
      size_t at;
      const size_t region = random.Below(3);
      if (region == 0) {
        at = bytes.size() - 1 - random.Below(std::min<size_t>(bytes.size(), 400));
      } else if (region == 1) {
        at = random.Below(std::min<size_t>(bytes.size(), 80));
      } else {
        at = random.Below(bytes.size());
      }
      const uint32_t value = random.Next();
      switch (random.Below(4)) {
        case 0:
          bytes[at] = 0xFF;
          break;
        case 1:
          bytes[at] = 0x00;
          break;
        case 2:
          bytes[at] = static_cast<unsigned char>(bytes[at] + 1);
          break;
        default:
          bytes[at] = static_cast<unsigned char>(value);
          break;
      }
    } else if (kind < 9) {
      bytes.resize(random.Below(bytes.size() + 1));
    } else {
      const size_t at = random.Below(bytes.size() + 1);
      const size_t count = 1 + random.Below(8);
      bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), count,
                   static_cast<unsigned char>(random.Next()));
    }
  }
  return bytes;
}

// Visits every element and every attribute; returns the number of elements.
uint32_t WalkAll(const CSkinXml& xml) {
  uint32_t visited = 0;
  std::vector<CSkinXmlNode> pending;
  if (xml.GetRoot().IsValid()) pending.push_back(xml.GetRoot());
  while (!pending.empty() && visited <= xml.GetElementCount()) {
    CSkinXmlNode node = pending.back();
    pending.pop_back();
    ++visited;
    EXPECT_NE(nullptr, node.GetName());
    EXPECT_NE(nullptr, node.GetValue());
    const int count = node.GetAttributeCount();
    for (int i = 0; i < count; ++i) {
      const wchar_t* name = node.GetAttributeName(i);
      const wchar_t* value = node.GetAttributeValue(i);
      wchar_t copy[65] = {};
      EXPECT_TRUE(node.FindAttributeValue(name, copy, 64));
      EXPECT_EQ(0, wcsncmp(copy, value, 64));
    }
    EXPECT_EQ(L"", std::wstring(node.GetAttributeName(count)));
    CSkinXmlNode sibling = node.GetNextSibling();
    if (sibling.IsValid()) pending.push_back(sibling);
    CSkinXmlNode child = node.GetFirstChild();
    if (child.IsValid()) pending.push_back(child);
  }
  return visited;
}

void CheckLoadOutcome(bool loaded, const CSkinXml& xml) {
  if (loaded) {
    // Every element is reachable from the root exactly once.
    EXPECT_EQ(xml.GetElementCount() - 1, WalkAll(xml));
  } else {
    EXPECT_NE(L'\0', xml.GetLastErrorMessage()[0]);
    EXPECT_FALSE(xml.GetRoot().IsValid());
    EXPECT_EQ(0u, xml.GetElementCount());
  }
}

// Reads the entry in pieces the way a streaming caller would.
void ReadInPieces(CZipArchive& zip, int index) {
  char piece[4096];
  int calls = 0;
  while (zip.ReadEntry(index, piece, sizeof(piece)) == ZipReadResult::MoreData) {
    // Data can only come out of the block; 64 KiB of it cannot make more
    // than a few thousand pieces.
    ASSERT_LT(++calls, 20000) << "read does not end";
  }
}

struct TArchiveOutcome {
  int opened = 0;
  int markupLoaded = 0;
};

void ExerciseArchive(const GuardedBlock& block, TArchiveOutcome& outcome) {
  CZipArchive zip;
  if (zip.OpenArchive(block.data(), block.size(), SkinUI::ZipSource::Memory)) {
    ++outcome.opened;
    const int count = std::min(zip.GetEntryCount(), 64);
    for (int i = 0; i < count; ++i) {
      TZipEntry entry;
      if (!zip.GetEntry(i, entry)) break;
      if (zip.IsEntrySizePlausible(i)) ReadInPieces(zip, i);
    }
    TZipEntry entry;
    for (const wchar_t* name : {L"MainSkin.xml", L"skin\\uncheck.png", L"nothing"}) {
      if (zip.FindEntry(name, true, entry) && zip.IsEntrySizePlausible(entry.index)) {
        ReadInPieces(zip, entry.index);
      }
    }
  }

  SkinUI::SetResourceArchive(L"");
  SkinUI::SetArchiveFromMemory(block.data(), block.size());
  CSkinXml xml;
  const bool loaded = xml.LoadFile(L"MainSkin.xml");
  CheckLoadOutcome(loaded, xml);
  outcome.markupLoaded += loaded;
  std::vector<unsigned char> image;
  SkinUI::ReadImageBytes(L"bg.png", nullptr, image);
  SkinUI::ReadImageBytes(L"SKIN/UNCHECK.PNG", nullptr, image);
  SkinUI::SetResourceArchive(L"");
}

double Seconds(const LARGE_INTEGER& start) {
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

}  // namespace

TEST(BadInput, MutatedSkinDocumentsLoadOrFailCleanly) {
  const std::string& skin = markup_test::SampleSkin();
  CRandom random(20240611);
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  int loaded = 0;
  for (int i = 0; i < kMutationsPerInput; ++i) {
    const std::string mutant = SkinUITest::MutateText(skin, random, kMarkupTokens);
    GuardedBlock block(mutant.data(), mutant.size());
    CSkinXml xml(i % 2 == 0);
    const bool ok = xml.LoadBytes(block.data(), block.size(), SkinUI::kSkinXmlUtf8);
    CheckLoadOutcome(ok, xml);
    loaded += ok;
    if (HasFatalFailure()) return;
  }
  const double seconds = Seconds(start);
  std::printf("[ measure  ] %d mutated skin documents (%d loaded) in %.2f s\n", kMutationsPerInput,
              loaded, seconds);
  EXPECT_GT(loaded, 0);
  EXPECT_LT(loaded, kMutationsPerInput);
  EXPECT_LT(seconds, 30.0);
}

TEST(BadInput, MutatedSkinArchivesOpenOrFailCleanly) {
  const Bytes archive = markup_test::SampleSkinArchive();
  constexpr size_t kPrefixBytes = 1000;
  Bytes prefixed(kPrefixBytes + archive.size(), 'X');
  std::copy(archive.begin(), archive.end(), prefixed.begin() + kPrefixBytes);
  CRandom random(77);
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  TArchiveOutcome outcome;
  for (int i = 0; i < kMutationsPerInput; ++i) {
    const Bytes mutant = MutateArchive(i % 4 == 0 ? prefixed : archive, random);
    GuardedBlock block(mutant);
    ExerciseArchive(block, outcome);
    if (HasFatalFailure()) return;
  }
  const double seconds = Seconds(start);
  std::printf("[ measure  ] %d mutated skin archives (%d opened, %d gave markup) in %.2f s\n",
              kMutationsPerInput, outcome.opened, outcome.markupLoaded, seconds);
  // The mutations must reach past the opening into the entries.
  EXPECT_GT(outcome.opened, kMutationsPerInput / 4);
  EXPECT_GT(outcome.markupLoaded, 0);
  EXPECT_LT(seconds, 30.0);
}

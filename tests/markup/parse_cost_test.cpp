// Counts the allocations a parse makes through a replaced operator new, and
// times a parse of a skin document of about 1 MB.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "tests/support/large_skin.h"
#include "ui/markup/skin_xml.h"

namespace {
bool g_counting = false;
long g_allocations = 0;

void* CountedAllocation(std::size_t size) {
  if (g_counting) ++g_allocations;
  return std::malloc(size ? size : 1);
}

// Kept out of line: once a replaced delete is inlined, GCC at -Os pairs its
// free() with the new expression and warns of a mismatch that is not there.
[[gnu::noinline]] void CountedRelease(void* p) {
  std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
  void* p = CountedAllocation(size);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t size) {
  void* p = CountedAllocation(size);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocation(size);
}
void operator delete(void* p) noexcept {
  CountedRelease(p);
}
void operator delete[](void* p) noexcept {
  CountedRelease(p);
}
void operator delete(void* p, std::size_t) noexcept {
  CountedRelease(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  CountedRelease(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  CountedRelease(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  CountedRelease(p);
}

namespace {

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

}  // namespace

TEST(ParseCost, AMegabyteSkinParsesInOnePassWithoutPerElementAllocation) {
  int elements = 0;
  int buttons = 0;
  const std::string skin = SkinUITest::LargeSkinDocument(1 << 20, elements, &buttons);
  SkinUI::CSkinXml xml;

  constexpr int kRuns = 5;
  double best = 1e9;
  long allocations = 0;
  for (int run = 0; run < kRuns; ++run) {
    g_allocations = 0;
    g_counting = true;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const bool loaded = xml.LoadBytes(skin.data(), static_cast<DWORD>(skin.size()));
    QueryPerformanceCounter(&end);
    g_counting = false;
    ASSERT_TRUE(loaded) << xml.GetLastErrorMessage();
    allocations = g_allocations;
    best = std::min(best, Milliseconds(start, end));
  }
  ASSERT_EQ(static_cast<uint32_t>(elements + 1), xml.GetElementCount());

  // One text buffer plus the element table's growths: 500, 1250, 2375, ...
  int growths = 0;
  for (uint64_t capacity = 0; capacity < xml.GetElementCount(); capacity += capacity / 2 + 500) {
    ++growths;
  }
  EXPECT_EQ(1 + growths, allocations);

  g_allocations = 0;
  g_counting = true;
  long attributes = 0;
  SkinUI::CSkinXmlNode window = xml.GetRoot();
  for (SkinUI::CSkinXmlNode box = window.GetFirstChild(); box.IsValid();
       box = box.GetNextSibling()) {
    for (SkinUI::CSkinXmlNode item = box.GetFirstChild(); item.IsValid();
         item = item.GetNextSibling()) {
      attributes += item.GetAttributeCount();
    }
  }
  g_counting = false;
  EXPECT_EQ(0, g_allocations);
  EXPECT_EQ(5L * buttons, attributes);

  std::printf(
      "[ measure  ] %zu bytes, %d elements: best of %d parses %.2f ms, %ld allocations "
      "(text buffer + %d table growths), capacity %u\n",
      skin.size(), elements, kRuns, best, allocations, growths, xml.GetElementCapacity());
  RecordProperty("parse_ms", std::to_string(best));
  RecordProperty("allocations", std::to_string(allocations));
}

#pragma once
// A small zip writer for tests and the benchmark: stored and raw-deflated
// entries, prefixes, comments, data descriptors and extra fields, so that
// archives of every shape the reader meets can be made in memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace SkinUITest {

using Bytes = std::vector<unsigned char>;

Bytes ToBytes(const std::string& text);
std::string ToString(const Bytes& bytes);

// Raw deflate, as zip entries store it.
Bytes Deflate(const std::string& data);

struct TestZipEntry {
  std::string name;
  std::string data;
  bool deflate = false;
  // When set, the method written to both headers; data is then stored as is.
  int methodOverride = -1;
  uint16_t flags = 0;
  // With flag bit 3: the local header carries zero CRC and sizes and a data
  // descriptor follows the data.
  bool sizesInDescriptor = false;
  std::string localExtra;
  std::string centralExtra;
  uint16_t versionMadeBy = 20;  // MS-DOS host
  uint32_t externalAttributes = 0;
  uint16_t dosTime = (13 << 11) | (45 << 5) | (30 / 2);     // 13:45:30
  uint16_t dosDate = ((2021 - 1980) << 9) | (3 << 5) | 14;  // 2021-03-14
  std::string comment;
};

// Where the writer put each part, counted from the start of the result.
struct TestZipLayout {
  std::vector<size_t> localHeaders;
  std::vector<size_t> centralRecords;
  size_t centralStart = 0;
  size_t endRecord = 0;
};

// Offsets inside the archive count from its own start, so a prefix is data in
// front of the archive that the reader has to correct for.
Bytes BuildTestZip(const std::vector<TestZipEntry>& entries, const std::string& comment = "",
                   const std::string& prefix = "", TestZipLayout* layout = nullptr);

void Put16(Bytes& bytes, size_t at, uint16_t value);
void Put32(Bytes& bytes, size_t at, uint32_t value);

// A "UT" extended-timestamp extra field with the given times (0 = absent).
std::string TimestampExtra(uint32_t modify, uint32_t access, uint32_t create);

}  // namespace SkinUITest

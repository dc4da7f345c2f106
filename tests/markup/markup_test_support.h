#pragma once
// Helpers for the markup tests: a small zip writer, memory blocks that fault
// on any access outside them, throw-away folders, and a realistic skin.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace markup_test {

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

// A copy of some bytes placed so that the byte after the last one, and the
// page before the first one, are inaccessible: any read outside faults.
class GuardedBlock {
 public:
  explicit GuardedBlock(const Bytes& bytes);
  GuardedBlock(const void* data, size_t size);
  ~GuardedBlock();
  GuardedBlock(const GuardedBlock&) = delete;
  GuardedBlock& operator=(const GuardedBlock&) = delete;
  const unsigned char* data() const { return data_; }
  DWORD size() const { return static_cast<DWORD>(size_); }

 private:
  unsigned char* base_ = nullptr;
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

// A fresh folder under %TEMP%, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // With a trailing backslash.
  const std::wstring& Path() const { return path_; }
  std::wstring Write(const std::wstring& name, const Bytes& bytes) const;
  std::wstring Write(const std::wstring& name, const std::string& text) const;

 private:
  std::wstring path_;
};

// Makes a folder the current directory for the life of the guard.
class CurrentDirectoryGuard {
 public:
  explicit CurrentDirectoryGuard(const std::wstring& folder);
  ~CurrentDirectoryGuard();

 private:
  std::wstring previous_;
};

// A skin document like the program's main skin.
const std::string& SampleSkin();
// An archive like the program's skin archive: the skin deflated, images both
// stored and deflated, some under a folder, with a comment.
Bytes SampleSkinArchive();

}  // namespace markup_test

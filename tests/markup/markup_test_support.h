#pragma once
// Helpers for the markup tests: memory blocks that fault on any access
// outside them, throw-away folders, and a realistic skin. The zip writer is
// shared with the benchmark (tests/support/test_zip.h).

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_zip.h"

namespace markup_test {

using SkinUITest::BuildTestZip;
using SkinUITest::Bytes;
using SkinUITest::Deflate;
using SkinUITest::Put16;
using SkinUITest::Put32;
using SkinUITest::TestZipEntry;
using SkinUITest::TestZipLayout;
using SkinUITest::TimestampExtra;
using SkinUITest::ToBytes;
using SkinUITest::ToString;

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

#pragma once
// Reads a zip archive from an open file, a file by name or a block of memory.
// Stored and deflated entries only; no encryption, no zip64. Every position
// the archive states is checked against the size of the source before it is
// read, so a damaged archive fails cleanly instead of reading past its source.

#include <windows.h>

#include <cstdint>
#include <memory>

namespace SkinUI {

enum class ZipSource : int {
  FileHandle = 1,  // source is a HANDLE; read from its current position on, never closed here
  FileName = 2,    // source is a NUL-terminated wide path
  Memory = 3,      // source points at length bytes that must outlive the archive
};

enum class ZipReadResult {
  Ok,        // the entry is complete
  MoreData,  // the buffer was filled with bytes; more of the entry may follow
  Failed,
};

struct TZipEntry {
  int index = -1;
  wchar_t name[MAX_PATH] = {};
  DWORD attributes = 0;
  FILETIME accessTime = {};
  FILETIME createTime = {};
  FILETIME modifyTime = {};
  DWORD compressedSize = 0;
  DWORD uncompressedSize = 0;
};

class CZipSourceReader;

class CZipArchive {
 public:
  static constexpr DWORD kInputBufferSize = 16384;
  // Longest wide name FindEntry looks for.
  static constexpr int kMaxSoughtNameLength = 255;

  CZipArchive();
  ~CZipArchive();
  CZipArchive(const CZipArchive&) = delete;
  CZipArchive& operator=(const CZipArchive&) = delete;

  // Any archive open before is closed first. length counts only for Memory.
  bool OpenArchive(const void* source, DWORD length, ZipSource kind);
  void CloseArchive();
  bool IsOpen() const { return reader != nullptr; }
  int GetEntryCount() const { return IsOpen() ? entryCount : 0; }
  // Bytes found in front of the archive (a self-extractor stub, for example).
  uint64_t GetBytesBeforeArchive() const { return bytesBefore; }

  // Looking an entry up ends any read in progress, so the next ReadEntry
  // starts at the beginning of its entry.
  bool GetEntry(int index, TZipEntry& entry);
  // '\' in name matches '/'; ignoreCase folds ASCII letters only.
  bool FindEntry(const wchar_t* name, bool ignoreCase, TZipEntry& entry);

  // False when the entry's stated sizes cannot come out of its compressed
  // data, so a caller can refuse to allocate for a damaged entry.
  bool IsEntrySizePlausible(int index);

  // Fills buffer from the start of the entry; while the result is MoreData,
  // further calls for the same index continue where the last one stopped.
  // At most the entry's uncompressed size is produced.
  ZipReadResult ReadEntry(int index, void* buffer, DWORD length);

 private:
  struct TDirectoryRecord {
    uint64_t position = 0;
    uint16_t versionMadeBy = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint16_t nameLength = 0;
    uint16_t extraLength = 0;
    uint16_t commentLength = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;
  };

  struct TEntryRead;

  bool FindEndRecord(uint64_t& position) const;
  bool ReadEndRecord(uint64_t position);
  bool ReadDirectoryRecord(uint64_t position, TDirectoryRecord& record) const;
  uint64_t NextRecordPosition(const TDirectoryRecord& record) const;
  bool GoToEntry(int index);
  bool DirectoryNameMatches(const TDirectoryRecord& record, const char* name, size_t length,
                            bool ignoreCase) const;
  void FillEntryInfo(const TDirectoryRecord& record, int index, TZipEntry& entry) const;
  void ReadEntryName(const TDirectoryRecord& record, TZipEntry& entry) const;
  void ReadEntryTimes(const TDirectoryRecord& record, TZipEntry& entry) const;
  bool ReadLocalExtra(const TDirectoryRecord& record, std::unique_ptr<unsigned char[]>& extra,
                      DWORD& length) const;

  bool OpenEntryRead(int index);
  ZipReadResult ContinueRead(unsigned char* out, DWORD length);
  bool RefillInput();
  void EndEntryRead();

  std::unique_ptr<CZipSourceReader> reader;
  uint64_t directoryStart = 0;
  uint64_t bytesBefore = 0;
  int entryCount = 0;
  int currentIndex = -1;
  TDirectoryRecord currentRecord;
  std::unique_ptr<TEntryRead> entryRead;
};

}  // namespace SkinUI

#include "ui/markup/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/file_bytes.h"

namespace SkinUI {

namespace {

constexpr uint32_t kEndRecordSignature = 0x06054B50;
constexpr uint32_t kDirectorySignature = 0x02014B50;
constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr DWORD kEndRecordSize = 22;
constexpr DWORD kDirectoryRecordSize = 46;
constexpr DWORD kLocalHeaderSize = 30;

// The end record sits behind at most a 65,535-byte comment; it is searched
// backwards in windows that overlap by the signature's length.
constexpr uint64_t kEndRecordSearchSpan = 0xFFFF;
constexpr DWORD kSearchWindow = 1024;
constexpr DWORD kSignatureLength = 4;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kExtraTimestampId = 0x5455;  // "UT"
constexpr uint8_t kTimestampModify = 0x01;
constexpr uint8_t kTimestampAccess = 0x02;
constexpr uint8_t kTimestampCreate = 0x04;

// Deflate cannot expand data by more than this factor (258 bytes per two bits).
constexpr uint64_t kMaxDeflateRatio = 1032;

// A sought name of up to 255 characters in the ANSI code page, with room for
// double-byte characters.
constexpr int kMaxAnsiNameBytes = (CZipArchive::kMaxSoughtNameLength + 1) * 4;

constexpr uint16_t kHostUnix = 3;
constexpr uint16_t kHostMacOsX = 19;
constexpr uint32_t kUnixTypeMask = 0170000;
constexpr uint32_t kUnixDirectory = 0040000;
constexpr uint32_t kUnixOwnerWrite = 0200;
constexpr DWORD kDosAttributeMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                    FILE_ATTRIBUTE_ARCHIVE;

uint16_t Read16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

FILETIME UnixTimeToFileTime(uint32_t seconds) {
  constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ULL;
  constexpr uint64_t kTicksPerSecond = 10000000ULL;
  const uint64_t ticks = (seconds + kSecondsFrom1601To1970) * kTicksPerSecond;
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

// DOS times are local; entries report UTC like the file system does.
FILETIME DosTimeToFileTime(uint16_t date, uint16_t time) {
  FILETIME local = {};
  FILETIME utc = {};
  if (!DosDateTimeToFileTime(date, time, &local)) return utc;
  if (!LocalFileTimeToFileTime(&local, &utc)) return FILETIME{};
  return utc;
}

void ParseTimestampExtra(const unsigned char* extra, DWORD length, TZipEntry& entry) {
  DWORD position = 0;
  while (length - position >= 4) {
    const uint16_t id = Read16(extra + position);
    const uint16_t size = Read16(extra + position + 2);
    position += 4;
    if (size > length - position) return;
    const unsigned char* data = extra + position;
    position += size;
    if (id != kExtraTimestampId || size < 1) continue;

    const uint8_t present = data[0];
    DWORD offset = 1;
    const auto take = [&](uint8_t bit, FILETIME& target) {
      if (!(present & bit)) return;
      if (size - offset < 4) return;
      target = UnixTimeToFileTime(Read32(data + offset));
      offset += 4;
    };
    take(kTimestampModify, entry.modifyTime);
    take(kTimestampAccess, entry.accessTime);
    take(kTimestampCreate, entry.createTime);
  }
}

char FoldAsciiCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

// Random access to the bytes of an archive's source. Reads that would reach
// beyond the source are refused before anything is touched.
class CZipSourceReader {
 public:
  virtual ~CZipSourceReader() = default;
  uint64_t Size() const { return totalSize; }
  bool ReadAt(uint64_t offset, void* buffer, DWORD count) const {
    if (offset > totalSize || count > totalSize - offset) return false;
    if (count == 0) return true;
    return ReadInside(offset, buffer, count);
  }
  // The bytes themselves when the source is a block of memory and the range
  // lies inside it; null otherwise.
  const unsigned char* BytesAt(uint64_t offset, DWORD count) const {
    if (offset > totalSize || count > totalSize - offset) return nullptr;
    return BytesInside(offset);
  }

 protected:
  virtual bool ReadInside(uint64_t offset, void* buffer, DWORD count) const = 0;
  virtual const unsigned char* BytesInside(uint64_t /*offset*/) const { return nullptr; }
  uint64_t totalSize = 0;
};

namespace {

class MemorySourceReader : public CZipSourceReader {
 public:
  MemorySourceReader(const unsigned char* data, DWORD length) : memory(data) { totalSize = length; }

 private:
  bool ReadInside(uint64_t offset, void* buffer, DWORD count) const override {
    std::memcpy(buffer, memory + offset, count);
    return true;
  }
  const unsigned char* BytesInside(uint64_t offset) const override { return memory + offset; }
  const unsigned char* memory;
};

// Positions count from where the handle stood when the archive was opened, so
// an archive stored inside a larger file can be handed over positioned at it.
class FileSourceReader : public CZipSourceReader {
 public:
  static std::unique_ptr<CZipSourceReader> Create(HANDLE handle, UniqueHandle owned) {
    LARGE_INTEGER zero = {};
    LARGE_INTEGER start = {};
    LARGE_INTEGER size = {};
    if (!SetFilePointerEx(handle, zero, &start, FILE_CURRENT)) return nullptr;
    if (!GetFileSizeEx(handle, &size) || size.QuadPart < start.QuadPart) return nullptr;
    std::unique_ptr<FileSourceReader> reader(new (std::nothrow) FileSourceReader());
    if (!reader) return nullptr;
    reader->file = handle;
    reader->ownedFile = std::move(owned);
    reader->origin = static_cast<uint64_t>(start.QuadPart);
    reader->totalSize = static_cast<uint64_t>(size.QuadPart - start.QuadPart);
    return reader;
  }

 private:
  bool ReadInside(uint64_t offset, void* buffer, DWORD count) const override {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(origin + offset);
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) return false;
    DWORD read = 0;
    return ReadFile(file, buffer, count, &read, nullptr) && read == count;
  }

  HANDLE file = INVALID_HANDLE_VALUE;
  UniqueHandle ownedFile;
  uint64_t origin = 0;
};

std::unique_ptr<CZipSourceReader> CreateSourceReader(const void* source, DWORD length,
                                                     ZipSource kind) {
  if (!source) return nullptr;
  switch (kind) {
    case ZipSource::FileHandle: {
      HANDLE handle = const_cast<HANDLE>(source);
      if (handle == INVALID_HANDLE_VALUE) return nullptr;
      return FileSourceReader::Create(handle, UniqueHandle());
    }
    case ZipSource::FileName: {
      UniqueHandle file = OpenFileForReading(static_cast<const wchar_t*>(source));
      if (!file) return nullptr;
      HANDLE handle = file.get();
      return FileSourceReader::Create(handle, std::move(file));
    }
    case ZipSource::Memory:
      return std::unique_ptr<CZipSourceReader>(
          new (std::nothrow) MemorySourceReader(static_cast<const unsigned char*>(source), length));
  }
  return nullptr;
}

}  // namespace

// State of the one entry being read.
struct CZipArchive::TEntryRead {
  ~TEntryRead() {
    if (inflating) inflateEnd(&stream);
  }
  int index = -1;
  uint16_t method = 0;
  uint64_t nextInputPosition = 0;
  uint32_t restCompressed = 0;
  uint32_t restUncompressed = 0;
  const unsigned char* nextIn = nullptr;
  DWORD availableIn = 0;
  bool inflating = false;
  z_stream stream = {};
  // Compressed data of a file source passes through here; a memory source
  // is read where it lies.
  std::unique_ptr<unsigned char[]> input;
};

CZipArchive::CZipArchive() = default;

CZipArchive::~CZipArchive() {
  CloseArchive();
}

bool CZipArchive::OpenArchive(const void* source, DWORD length, ZipSource kind) {
  CloseArchive();
  reader = CreateSourceReader(source, length, kind);
  if (!reader) return false;
  uint64_t endRecord = 0;
  if (!FindEndRecord(endRecord) || !ReadEndRecord(endRecord)) {
    CloseArchive();
    return false;
  }
  return true;
}

void CZipArchive::CloseArchive() {
  EndEntryRead();
  reader.reset();
  directoryStart = 0;
  bytesBefore = 0;
  entryCount = 0;
  currentIndex = -1;
}

bool CZipArchive::FindEndRecord(uint64_t& position) const {
  const uint64_t size = reader->Size();
  if (size < kEndRecordSize) return false;
  const uint64_t maxBack = std::min(kEndRecordSearchSpan, size);
  unsigned char window[kSearchWindow + kSignatureLength];
  uint64_t backRead = kSignatureLength;
  while (backRead < maxBack) {
    backRead = std::min(backRead + kSearchWindow, maxBack);
    const uint64_t readPosition = size - backRead;
    const DWORD readSize = static_cast<DWORD>(
        std::min<uint64_t>(kSearchWindow + kSignatureLength, size - readPosition));
    if (!reader->ReadAt(readPosition, window, readSize)) return false;
    for (DWORD i = readSize - kSignatureLength + 1; i-- > 0;) {
      if (Read32(window + i) != kEndRecordSignature) continue;
      // A signature too close to the end (inside a comment) cannot be the record.
      if (size - (readPosition + i) < kEndRecordSize) continue;
      position = readPosition + i;
      return true;
    }
  }
  return false;
}

bool CZipArchive::ReadEndRecord(uint64_t position) {
  unsigned char record[kEndRecordSize];
  if (!reader->ReadAt(position, record, kEndRecordSize)) return false;
  if (Read32(record) != kEndRecordSignature) return false;
  const uint16_t thisDisk = Read16(record + 4);
  const uint16_t directoryDisk = Read16(record + 6);
  const uint16_t entriesOnDisk = Read16(record + 8);
  const uint16_t totalEntries = Read16(record + 10);
  const uint32_t directorySize = Read32(record + 12);
  const uint32_t directoryOffset = Read32(record + 16);
  if (thisDisk != 0 || directoryDisk != 0 || entriesOnDisk != totalEntries) return false;
  const uint64_t directoryEnd = static_cast<uint64_t>(directoryOffset) + directorySize;
  if (position < directoryEnd) return false;

  bytesBefore = position - directoryEnd;
  directoryStart = directoryOffset + bytesBefore;
  entryCount = totalEntries;
  currentIndex = -1;
  return true;
}

bool CZipArchive::ReadDirectoryRecord(uint64_t position, TDirectoryRecord& record) const {
  unsigned char raw[kDirectoryRecordSize];
  if (!reader->ReadAt(position, raw, kDirectoryRecordSize)) return false;
  if (Read32(raw) != kDirectorySignature) return false;
  record.position = position;
  record.versionMadeBy = Read16(raw + 4);
  record.flags = Read16(raw + 8);
  record.method = Read16(raw + 10);
  record.dosTime = Read16(raw + 12);
  record.dosDate = Read16(raw + 14);
  record.crc = Read32(raw + 16);
  record.compressedSize = Read32(raw + 20);
  record.uncompressedSize = Read32(raw + 24);
  record.nameLength = Read16(raw + 28);
  record.extraLength = Read16(raw + 30);
  record.commentLength = Read16(raw + 32);
  record.externalAttributes = Read32(raw + 38);
  record.localHeaderOffset = Read32(raw + 42);
  return true;
}

uint64_t CZipArchive::NextRecordPosition(const TDirectoryRecord& record) const {
  return record.position + kDirectoryRecordSize + record.nameLength + record.extraLength +
         record.commentLength;
}

bool CZipArchive::GoToEntry(int index) {
  if (!IsOpen() || index < 0 || index >= entryCount) return false;
  if (currentIndex == index) return true;
  int at = 0;
  uint64_t position = directoryStart;
  if (currentIndex >= 0 && currentIndex < index) {
    at = currentIndex + 1;
    position = NextRecordPosition(currentRecord);
  }
  currentIndex = -1;
  TDirectoryRecord record;
  for (;; ++at) {
    if (!ReadDirectoryRecord(position, record)) return false;
    if (at == index) break;
    position = NextRecordPosition(record);
  }
  currentRecord = record;
  currentIndex = index;
  return true;
}

bool CZipArchive::GetEntry(int index, TZipEntry& entry) {
  EndEntryRead();
  if (!GoToEntry(index)) return false;
  FillEntryInfo(currentRecord, index, entry);
  return true;
}

bool CZipArchive::FindEntry(const wchar_t* name, bool ignoreCase, TZipEntry& entry) {
  EndEntryRead();
  if (!IsOpen() || !name) return false;
  if (lstrlenW(name) > kMaxSoughtNameLength) return false;

  char sought[kMaxAnsiNameBytes];
  const int converted =
      WideCharToMultiByte(CP_ACP, 0, name, -1, sought, sizeof(sought), nullptr, nullptr);
  if (converted <= 0) return false;
  const size_t length = static_cast<size_t>(converted - 1);
  std::replace(sought, sought + length, '\\', '/');

  uint64_t position = directoryStart;
  TDirectoryRecord record;
  for (int index = 0; index < entryCount; ++index) {
    if (!ReadDirectoryRecord(position, record)) return false;
    if (DirectoryNameMatches(record, sought, length, ignoreCase)) {
      currentRecord = record;
      currentIndex = index;
      FillEntryInfo(record, index, entry);
      return true;
    }
    position = NextRecordPosition(record);
  }
  return false;
}

bool CZipArchive::DirectoryNameMatches(const TDirectoryRecord& record, const char* name,
                                       size_t length, bool ignoreCase) const {
  if (record.nameLength != length) return false;
  char stored[kMaxAnsiNameBytes];
  if (length > sizeof(stored)) return false;
  if (!reader->ReadAt(record.position + kDirectoryRecordSize, stored, record.nameLength)) {
    return false;
  }
  for (size_t i = 0; i < length; ++i) {
    const char a = ignoreCase ? FoldAsciiCase(stored[i]) : stored[i];
    const char b = ignoreCase ? FoldAsciiCase(name[i]) : name[i];
    if (a != b) return false;
  }
  return true;
}

void CZipArchive::FillEntryInfo(const TDirectoryRecord& record, int index, TZipEntry& entry) const {
  entry = TZipEntry();
  entry.index = index;
  ReadEntryName(record, entry);

  DWORD attributes = 0;
  const uint16_t host = record.versionMadeBy >> 8;
  if (host == kHostUnix || host == kHostMacOsX) {
    const uint32_t mode = record.externalAttributes >> 16;
    if ((mode & kUnixTypeMask) == kUnixDirectory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (mode != 0 && !(mode & kUnixOwnerWrite)) attributes |= FILE_ATTRIBUTE_READONLY;
  }
  attributes |= record.externalAttributes & kDosAttributeMask;
  const int nameLength = lstrlenW(entry.name);
  if (nameLength > 0 && entry.name[nameLength - 1] == L'/') attributes |= FILE_ATTRIBUTE_DIRECTORY;
  entry.attributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;

  ReadEntryTimes(record, entry);
  entry.compressedSize = record.compressedSize;
  entry.uncompressedSize = record.uncompressedSize;
}

void CZipArchive::ReadEntryName(const TDirectoryRecord& record, TZipEntry& entry) const {
  char raw[MAX_PATH];
  const DWORD length = std::min<DWORD>(record.nameLength, MAX_PATH - 1);
  if (!reader->ReadAt(record.position + kDirectoryRecordSize, raw, length)) return;
  const int converted =
      MultiByteToWideChar(CP_ACP, 0, raw, static_cast<int>(length), entry.name, MAX_PATH - 1);
  entry.name[converted > 0 ? converted : 0] = L'\0';
}

void CZipArchive::ReadEntryTimes(const TDirectoryRecord& record, TZipEntry& entry) const {
  entry.modifyTime = DosTimeToFileTime(record.dosDate, record.dosTime);
  entry.accessTime = entry.modifyTime;
  entry.createTime = entry.modifyTime;

  if (record.extraLength > 0) {
    std::unique_ptr<unsigned char[]> extra(new (std::nothrow) unsigned char[record.extraLength]);
    const uint64_t position = record.position + kDirectoryRecordSize + record.nameLength;
    if (extra && reader->ReadAt(position, extra.get(), record.extraLength)) {
      ParseTimestampExtra(extra.get(), record.extraLength, entry);
    }
  }
  // The local header's copy carries all three times; the directory's often
  // only the modification time.
  std::unique_ptr<unsigned char[]> localExtra;
  DWORD localLength = 0;
  if (ReadLocalExtra(record, localExtra, localLength)) {
    ParseTimestampExtra(localExtra.get(), localLength, entry);
  }
}

bool CZipArchive::ReadLocalExtra(const TDirectoryRecord& record,
                                 std::unique_ptr<unsigned char[]>& extra, DWORD& length) const {
  const uint64_t header = record.localHeaderOffset + bytesBefore;
  unsigned char raw[kLocalHeaderSize];
  if (!reader->ReadAt(header, raw, kLocalHeaderSize)) return false;
  if (Read32(raw) != kLocalHeaderSignature) return false;
  length = Read16(raw + 28);
  if (length == 0) return false;
  extra.reset(new (std::nothrow) unsigned char[length]);
  if (!extra) return false;
  return reader->ReadAt(header + kLocalHeaderSize + Read16(raw + 26), extra.get(), length);
}

bool CZipArchive::IsEntrySizePlausible(int index) {
  if (!GoToEntry(index)) return false;
  const uint64_t compressed = currentRecord.compressedSize;
  const uint64_t uncompressed = currentRecord.uncompressedSize;
  if (compressed > reader->Size()) return false;
  if (currentRecord.method == kMethodStored) return uncompressed <= compressed;
  if (currentRecord.method == kMethodDeflated) return uncompressed <= compressed * kMaxDeflateRatio;
  return false;
}

ZipReadResult CZipArchive::ReadEntry(int index, void* buffer, DWORD length) {
  if (!IsOpen() || (!buffer && length > 0)) return ZipReadResult::Failed;
  if (!entryRead || entryRead->index != index) {
    EndEntryRead();
    if (!OpenEntryRead(index)) {
      EndEntryRead();
      return ZipReadResult::Failed;
    }
  }
  return ContinueRead(static_cast<unsigned char*>(buffer), length);
}

bool CZipArchive::OpenEntryRead(int index) {
  if (!GoToEntry(index)) return false;
  const TDirectoryRecord& entry = currentRecord;
  if (entry.method != kMethodStored && entry.method != kMethodDeflated) return false;
  if (entry.flags & kFlagEncrypted) return false;

  const uint64_t header = entry.localHeaderOffset + bytesBefore;
  unsigned char raw[kLocalHeaderSize];
  if (!reader->ReadAt(header, raw, kLocalHeaderSize)) return false;
  if (Read32(raw) != kLocalHeaderSignature) return false;
  const uint16_t localFlags = Read16(raw + 6);
  if (Read16(raw + 8) != entry.method) return false;
  if (!(localFlags & kFlagDataDescriptor)) {
    if (Read32(raw + 14) != entry.crc || Read32(raw + 18) != entry.compressedSize ||
        Read32(raw + 22) != entry.uncompressedSize) {
      return false;
    }
  }
  const uint16_t nameLength = Read16(raw + 26);
  if (nameLength != entry.nameLength) return false;
  const uint64_t data = header + kLocalHeaderSize + nameLength + Read16(raw + 28);
  if (data > reader->Size() || entry.compressedSize > reader->Size() - data) return false;

  entryRead.reset(new (std::nothrow) TEntryRead());
  if (!entryRead) return false;
  entryRead->index = index;
  entryRead->method = entry.method;
  entryRead->nextInputPosition = data;
  entryRead->restCompressed = entry.compressedSize;
  entryRead->restUncompressed = entry.uncompressedSize;
  if (const unsigned char* bytes = reader->BytesAt(data, entry.compressedSize)) {
    entryRead->nextIn = bytes;
    entryRead->availableIn = entry.compressedSize;
    entryRead->restCompressed = 0;
  }
  if (entry.method == kMethodDeflated) {
    // Negative window bits: a raw deflate stream without header or checksum.
    if (inflateInit2(&entryRead->stream, -MAX_WBITS) != Z_OK) return false;
    entryRead->inflating = true;
  }
  return true;
}

bool CZipArchive::RefillInput() {
  TEntryRead& read = *entryRead;
  if (!read.input) read.input.reset(new (std::nothrow) unsigned char[kInputBufferSize]);
  if (!read.input) return false;
  const DWORD chunk = std::min<uint32_t>(kInputBufferSize, read.restCompressed);
  if (!reader->ReadAt(read.nextInputPosition, read.input.get(), chunk)) return false;
  read.nextInputPosition += chunk;
  read.restCompressed -= chunk;
  read.nextIn = read.input.get();
  read.availableIn = chunk;
  return true;
}

ZipReadResult CZipArchive::ContinueRead(unsigned char* out, DWORD length) {
  TEntryRead& read = *entryRead;
  DWORD produced = 0;
  bool finished = read.restUncompressed == 0;
  bool failed = false;
  while (!finished && produced < length) {
    if (read.availableIn == 0 && read.restCompressed > 0 && !RefillInput()) {
      failed = true;
      break;
    }
    const DWORD room = std::min<uint32_t>(length - produced, read.restUncompressed);
    DWORD made = 0;
    if (read.method == kMethodStored) {
      made = std::min(read.availableIn, room);
      if (made == 0) break;  // the stored data ran out early
      std::memcpy(out + produced, read.nextIn, made);
      read.nextIn += made;
      read.availableIn -= made;
    } else {
      z_stream& stream = read.stream;
      stream.next_in = const_cast<Bytef*>(read.nextIn);
      stream.avail_in = read.availableIn;
      stream.next_out = out + produced;
      stream.avail_out = room;
      // A read that takes the rest of the entry lets zlib finish in one go
      // without keeping a window; it goes on as before when it cannot.
      const int status = inflate(&stream, room == read.restUncompressed ? Z_FINISH : Z_SYNC_FLUSH);
      made = room - stream.avail_out;
      const DWORD consumed = read.availableIn - stream.avail_in;
      read.nextIn = stream.next_in;
      read.availableIn = stream.avail_in;
      if (status == Z_STREAM_END) {
        finished = true;
      } else if (status != Z_OK && status != Z_BUF_ERROR) {
        failed = true;
        break;
      } else if (made == 0 && consumed == 0) {
        break;  // the compressed data ran out before the stream ended
      }
    }
    produced += made;
    read.restUncompressed -= made;
    if (read.restUncompressed == 0) finished = true;
  }

  if (failed) {
    EndEntryRead();
    return ZipReadResult::Failed;
  }
  if (finished) {
    EndEntryRead();
    return ZipReadResult::Ok;
  }
  if (produced > 0) return ZipReadResult::MoreData;
  EndEntryRead();
  return ZipReadResult::Failed;
}

void CZipArchive::EndEntryRead() {
  entryRead.reset();
}

}  // namespace SkinUI

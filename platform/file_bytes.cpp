#include "platform/file_bytes.h"

#include <new>

bool ResizeBytes(std::vector<unsigned char>& bytes, size_t size) {
  try {
    bytes.resize(size);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

UniqueHandle OpenFileForReading(const wchar_t* path) {
  return UniqueHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileReadResult ReadWholeFile(const wchar_t* path, uint64_t maxBytes,
                             std::vector<unsigned char>& bytes) {
  bytes.clear();
  const UniqueHandle file = OpenFileForReading(path);
  if (!file) return FileReadResult::OpenFailed;
  return ReadOpenFile(file.get(), maxBytes, bytes);
}

FileReadResult ReadOpenFile(HANDLE file, uint64_t maxBytes, std::vector<unsigned char>& bytes) {
  bytes.clear();
  DWORD high = 0;
  SetLastError(NO_ERROR);  // a size of 0xFFFFFFFF is only a failure with an error set
  const DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return FileReadResult::OpenFailed;
  const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
  if (size == 0) return FileReadResult::Empty;
  // ReadFile takes a 32-bit count, so larger files cannot be read in one go.
  if (size > maxBytes || size > MAXDWORD || size > SIZE_MAX) return FileReadResult::TooLarge;
  if (!ResizeBytes(bytes, static_cast<size_t>(size))) return FileReadResult::TooLarge;

  DWORD read = 0;
  if (!ReadFile(file, bytes.data(), static_cast<DWORD>(size), &read, nullptr) || read != size) {
    bytes.clear();
    return FileReadResult::ShortRead;
  }
  return FileReadResult::Ok;
}

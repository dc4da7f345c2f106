#pragma once
// Reads a whole file into memory, with a size limit and a reason on failure.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/unique_handle.h"

enum class FileReadResult {
  Ok,
  OpenFailed,  // missing, locked or not a file
  Empty,
  TooLarge,   // over the caller's limit, or more than memory can hold
  ShortRead,  // fewer bytes arrived than the file size announced
};

// No limit beyond what one allocation can hold.
constexpr uint64_t kNoFileSizeLimit = UINT64_MAX;

// Resizes bytes, reporting an allocation failure instead of throwing it.
bool ResizeBytes(std::vector<unsigned char>& bytes, size_t size);

// Opens an existing file for reading, letting others read it too.
UniqueHandle OpenFileForReading(const wchar_t* path);

FileReadResult ReadWholeFile(const wchar_t* path, uint64_t maxBytes,
                             std::vector<unsigned char>& bytes);
// The same for a file already open, read from its current position.
FileReadResult ReadOpenFile(HANDLE file, uint64_t maxBytes, std::vector<unsigned char>& bytes);

#pragma once
// Downloads of the catalogue and of the agent installer into fresh
// temporary folders.

#include <windows.h>

#include <cstddef>
#include <string>

// Where AppendToFile writes: the file and the byte budget of this download.
struct DownloadSink {
  HANDLE file = INVALID_HANDLE_VALUE;
  ULONGLONG written = 0;
  ULONGLONG maxBytes = 0;
};

// Write callback of the transfer: appends size * count bytes to the sink's
// file. Returns the number of bytes actually written, 0 when the write fails
// or would pass the cap, so the transfer stops instead of keeping a short file.
size_t AppendToFile(char* data, size_t size, size_t count, void* sink) noexcept;

class WorkFolder;

// Downloads `url` into a new work folder as "wuredist.cab", or as
// "WUAUpdate.exe" when `installer` is set; `folder` holds it until the caller
// removes it. Only an HTTP 200 answer within the limits counts; on failure
// nothing it created is left and `path` is empty.
bool DownloadToTempFile(std::string* path, const char* url, bool installer, WorkFolder* folder);

#pragma once
// Path helpers of the refresh. Every path of the refresh is an ANSI string
// kept below MAX_PATH.

#include <string>

constexpr size_t kMaxPathLength = 259;  // MAX_PATH less the terminator

// Appends `tail`, failing and leaving `path` unchanged if it would not fit.
bool AppendBounded(std::string* path, const char* tail);

// The folder part of a file path (up to the last backslash), or "" if none.
std::string FolderOf(const std::string& filePath);

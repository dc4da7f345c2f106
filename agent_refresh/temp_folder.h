#pragma once
// Fresh temporary folders named by a UUID, and their removal. Every path of
// the refresh is an ANSI string kept below MAX_PATH.

#include <string>

constexpr size_t kMaxPathLength = 259;  // MAX_PATH less the terminator

// Creates <temp path><uuid text> (no separator, no trailing backslash),
// retrying while the name is taken. Fails without creating anything when the
// folder plus `reserve` more characters would not fit in kMaxPathLength.
bool CreateFreshTempFolder(std::string* folder, size_t reserve);

// Appends `tail`, failing and leaving `path` unchanged if it would not fit.
bool AppendBounded(std::string* path, const char* tail);

// The folder part of a file path (up to the last backslash), or "" if none.
std::string FolderOf(const std::string& filePath);

// Deletes the file, then its folder if that is empty now.
void RemoveFileAndFolder(const std::string& filePath);

// Deletes the plain files directly inside the folder, then the folder.
void RemoveFolderWithFiles(const std::string& folder);

// Removes a downloaded file and its folder when it goes out of scope; the
// path may be filled in after construction.
class FileAndFolderRemover {
 public:
  explicit FileAndFolderRemover(std::string& filePath) : filePath_(filePath) {}
  ~FileAndFolderRemover() { RemoveNow(); }
  FileAndFolderRemover(const FileAndFolderRemover&) = delete;
  FileAndFolderRemover& operator=(const FileAndFolderRemover&) = delete;

  void RemoveNow();

 private:
  std::string& filePath_;
};

// Removes the folder of an extracted file, with everything extracted beside it.
class ExtractionRemover {
 public:
  explicit ExtractionRemover(std::string& filePath) : filePath_(filePath) {}
  ~ExtractionRemover();
  ExtractionRemover(const ExtractionRemover&) = delete;
  ExtractionRemover& operator=(const ExtractionRemover&) = delete;

 private:
  std::string& filePath_;
};

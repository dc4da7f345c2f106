#include "agent_refresh/temp_folder.h"

#include <windows.h>
#include <rpc.h>
#include <shlwapi.h>

#include <cstring>

namespace {

// A UUID collision is not expected; the bound only keeps a misbehaving file
// system from spinning the scan worker forever.
constexpr int kMaxFolderAttempts = 16;

bool AppendUuidText(std::string* path) {
  UUID uuid;
  RPC_STATUS status = UuidCreate(&uuid);
  if (status != RPC_S_OK && status != RPC_S_UUID_LOCAL_ONLY) return false;
  RPC_CSTR text = nullptr;
  if (UuidToStringA(&uuid, &text) != RPC_S_OK || !text) return false;
  path->append(reinterpret_cast<const char*>(text));
  RpcStringFreeA(&text);
  return true;
}

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Plain files only: extraction never makes folders, and nothing is followed.
void DeleteFilesIn(const std::string& folder) {
  std::string pattern = folder;
  if (!AppendBounded(&pattern, "\\*")) return;
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA(pattern.c_str(), &found));
  if (search.get() == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string file = folder + "\\";
    if (!AppendBounded(&file, found.cFileName)) continue;
    // Cabinet entries may carry the read-only attribute.
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
  } while (FindNextFileA(search.get(), &found));
}

}  // namespace

bool CreateFreshTempFolder(std::string* folder, size_t reserve) {
  folder->clear();
  char temp[MAX_PATH + 1] = {};
  DWORD length = GetTempPathA(sizeof(temp), temp);
  if (length == 0 || length > kMaxPathLength) return false;

  for (int attempt = 0; attempt < kMaxFolderAttempts; ++attempt) {
    std::string candidate(temp, length);
    if (!AppendUuidText(&candidate)) return false;
    if (candidate.size() + reserve > kMaxPathLength) return false;
    if (PathFileExistsA(candidate.c_str())) continue;
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      *folder = candidate;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool AppendBounded(std::string* path, const char* tail) {
  size_t tailLength = std::strlen(tail);
  if (path->size() + tailLength > kMaxPathLength) return false;
  path->append(tail, tailLength);
  return true;
}

std::string FolderOf(const std::string& filePath) {
  size_t slash = filePath.find_last_of('\\');
  return slash == std::string::npos ? std::string() : filePath.substr(0, slash);
}

void RemoveFileAndFolder(const std::string& filePath) {
  if (filePath.empty()) return;
  DeleteFileA(filePath.c_str());
  std::string folder = FolderOf(filePath);
  if (!folder.empty()) RemoveDirectoryA(folder.c_str());
}

void RemoveFolderWithFiles(const std::string& folder) {
  if (folder.empty()) return;
  DeleteFilesIn(folder);
  RemoveDirectoryA(folder.c_str());
}

void FileAndFolderRemover::RemoveNow() {
  RemoveFileAndFolder(filePath_);
  filePath_.clear();
}

ExtractionRemover::~ExtractionRemover() {
  if (!filePath_.empty()) RemoveFolderWithFiles(FolderOf(filePath_));
}

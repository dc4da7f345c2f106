#include "tests/support/scratch_folder.h"

#include <stdexcept>

namespace SkinUITest {

namespace {

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

// Numbered within the process: two folders may be made in one tick.
ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) throw std::runtime_error("GetTempPathW");
  static unsigned serial = 0;
  wchar_t name[64] = {};
  wsprintfW(name, L"patchwell_test_%lu_%u", GetCurrentProcessId(), ++serial);
  path_ = std::wstring(temp) + name;
  if (!CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("CreateDirectoryW");
}

ScratchFolder::~ScratchFolder() {
  RemoveTree(path_);
}

std::wstring ScratchFolder::Write(const std::wstring& name,
                                  const std::vector<unsigned char>& bytes) const {
  const std::wstring path = path_ + L"\\" + name;
  const size_t slash = name.find_last_of(L'\\');
  if (slash != std::wstring::npos) {
    CreateDirectoryW((path_ + L"\\" + name.substr(0, slash)).c_str(), nullptr);
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("CreateFileW");
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                             &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) throw std::runtime_error("WriteFile");
  return path;
}

std::wstring ScratchFolder::Write(const std::wstring& name, const std::string& text) const {
  return Write(name, std::vector<unsigned char>(text.begin(), text.end()));
}

}  // namespace SkinUITest

#include "tests/agent_refresh/refresh_sandbox.h"

#include <windows.h>

#include <algorithm>
#include <sstream>

namespace {

const std::vector<std::pair<std::string, std::string>> kVictimFiles = {
    {"wuredist.xml", "someone else's catalogue"}, {"keep.txt", "keep me"}, {"notes.doc", "notes"}};

bool ReadVariable(const char* name, std::string* value) {
  char buffer[32768];
  DWORD length = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return false;
  value->assign(buffer, length);
  return true;
}

}  // namespace

std::string TestProgramFolder() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program(path, length);
  return program.substr(0, program.find_last_of('\\'));
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string data;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) data.append(buffer, got);
  CloseHandle(file);
  return data;
}

bool WriteWholeFile(const std::string& path, const std::string& data) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
            written == data.size();
  CloseHandle(file);
  return ok;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::istringstream text(ReadWholeFile(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolders(const std::string& path) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& path) {
  std::string folder = path;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  for (const std::string& name : EntriesIn(folder)) {
    std::string child = folder + "\\" + name;
    DWORD attributes = GetFileAttributesA(child.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      continue;
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      RemoveTree(child);
    } else {
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(child.c_str());
    }
  }
  RemoveDirectoryA(folder.c_str());
}

TempPathSandbox::TempPathSandbox(const std::string& name, size_t padToLength) {
  root_ = TestProgramFolder() + "\\refresh sandbox\\" + name;
  RemoveTree(root_);
  path_ = root_ + "\\";
  // Long paths are reached through several folders, each within the name limit.
  while (padToLength > path_.size()) {
    size_t missing = padToLength - path_.size();
    if (missing < 2) break;
    size_t part = missing <= 100 ? missing - 1 : std::min<size_t>(99, missing - 50);
    path_ += std::string(part, 'p') + "\\";
  }
  MakeFolders(path_.substr(0, path_.size() - 1));
  ReadVariable("TMP", &savedTmp_);
  ReadVariable("TEMP", &savedTemp_);
  SetEnvironmentVariableA("TMP", path_.c_str());
  SetEnvironmentVariableA("TEMP", path_.c_str());
}

TempPathSandbox::~TempPathSandbox() {
  SetEnvironmentVariableA("TMP", savedTmp_.empty() ? nullptr : savedTmp_.c_str());
  SetEnvironmentVariableA("TEMP", savedTemp_.empty() ? nullptr : savedTemp_.c_str());
  RemoveTree(root_);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
  hadValue_ = ReadVariable(name, &saved_);
  SetEnvironmentVariableA(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableA(name_.c_str(), hadValue_ ? saved_.c_str() : nullptr);
}

VictimFolder::VictimFolder(const std::string& name)
    : path_(TestProgramFolder() + "\\victim " + name) {
  RemoveTree(path_);
  MakeFolders(path_);
  for (const auto& file : kVictimFiles) WriteWholeFile(path_ + "\\" + file.first, file.second);
  SetFileAttributesA((path_ + "\\notes.doc").c_str(), FILE_ATTRIBUTE_READONLY);
}

VictimFolder::~VictimFolder() {
  RemoveTree(path_);
}

bool VictimFolder::Intact() const {
  if (EntriesIn(path_).size() != kVictimFiles.size()) return false;
  for (const auto& file : kVictimFiles) {
    if (ReadWholeFile(path_ + "\\" + file.first) != file.second) return false;
  }
  return (GetFileAttributesA((path_ + "\\notes.doc").c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
}

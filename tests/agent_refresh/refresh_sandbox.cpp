#include "tests/agent_refresh/refresh_sandbox.h"

#include <windows.h>

#include <algorithm>
#include <sstream>

namespace {

constexpr DWORD kUnixCommandWaitMs = 5000;
const std::vector<std::pair<std::string, std::string>> kVictimFiles = {
    {"wuredist.xml", "someone else's catalogue"}, {"keep.txt", "keep me"}, {"notes.doc", "notes"}};

// Wine's path of a file on the Unix side, or "" outside Wine.
std::string UnixPath(const std::string& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  wchar_t wide[MAX_PATH] = {};
  if (!unixName || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return "";
  char* name = unixName(wide);
  if (!name) return "";
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Wine starts Unix programs but hands back no handle to wait on, so the
// caller waits for the effect instead.
bool StartUnixCommand(const std::string& commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::string text = commandLine;
  if (!CreateProcessA(nullptr, &text[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
  return true;
}

template <typename Condition>
bool WaitFor(Condition condition) {
  for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < kUnixCommandWaitMs;
       Sleep(20)) {
    if (condition()) return true;
  }
  return condition();
}

bool IsListedIn(const std::string& path) {
  std::string folder = path.substr(0, path.find_last_of('\\'));
  std::string name = path.substr(path.find_last_of('\\') + 1);
  for (const std::string& entry : EntriesIn(folder)) {
    if (entry == name) return true;
  }
  return false;
}

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

std::vector<std::string> EntriesIn(const std::string& folder) {
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
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

bool PlantLink(const std::string& link, const std::string& target) {
  std::string unixLink = UnixPath(link);
  std::string unixTarget = UnixPath(target);
  if (unixLink.empty() || unixTarget.empty()) {
    DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
    return CreateSymbolicLinkA(link.c_str(), target.c_str(), flags) != FALSE;
  }
  return StartUnixCommand("Z:\\bin\\ln -s \"" + unixTarget + "\" \"" + unixLink + "\"") &&
         WaitFor([&] { return IsListedIn(link); });
}

bool RemoveLink(const std::string& link) {
  std::string unixLink = UnixPath(link);
  if (unixLink.empty()) {
    DWORD attributes = GetFileAttributesA(link.c_str());
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(link.c_str()) != FALSE
                                                   : DeleteFileA(link.c_str()) != FALSE;
  }
  return StartUnixCommand("Z:\\bin\\rm -f \"" + unixLink + "\"") &&
         WaitFor([&] { return !IsListedIn(link); });
}

bool MoveOutsideSharing(const std::string& from, const std::string& to) {
  std::string unixFrom = UnixPath(from);
  std::string unixTo = UnixPath(to);
  if (unixFrom.empty() || unixTo.empty()) return false;
  return StartUnixCommand("Z:\\bin\\mv \"" + unixFrom + "\" \"" + unixTo + "\"") &&
         WaitFor([&] { return !IsListedIn(from); });
}

bool OpensLinksThemselves(const std::string& link) {
  HANDLE opened = CreateFileA(
      link.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return false;
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  bool reparse = GetFileInformationByHandleEx(opened, FileAttributeTagInfo, &tag, sizeof(tag)) &&
                 (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  CloseHandle(opened);
  return reparse;
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

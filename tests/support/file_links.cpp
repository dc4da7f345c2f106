#include "tests/support/file_links.h"

#include <windows.h>

namespace {

constexpr DWORD kUnixCommandWaitMs = 5000;

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

}  // namespace

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

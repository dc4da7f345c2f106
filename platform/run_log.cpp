#include "platform/run_log.h"

#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

#include <cstdarg>
#include <memory>
#include <mutex>
#include <string>

#include "platform/unique_handle.h"

namespace {

// Administrators own it; SYSTEM and Administrators may do anything, users
// may read, and an owner (S-1-3-4, owner rights) may only read the access
// list; nothing is inherited from the folder above.
constexpr wchar_t kLogFolderSddl[] =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;RC;;;S-1-3-4)";
constexpr int kLineChars = 1024;

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};

PSECURITY_DESCRIPTOR LogFolderDescriptor() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLogFolderSddl, SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return nullptr;
  }
  return descriptor;
}

// Creates the folder with the descriptor, or opens the one that is there
// without following a link; the handle forbids renaming or deleting it.
NTSTATUS CreateOrOpenFolder(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor,
                            HANDLE* folder, bool* created) {
  UNICODE_STRING name = {};
  if (!RtlDosPathNameToNtPathName_U(path.c_str(), &name, nullptr, nullptr)) {
    return static_cast<NTSTATUS>(0xC0000033L);  // STATUS_OBJECT_NAME_INVALID
  }
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, descriptor);
  IO_STATUS_BLOCK io = {};
  constexpr ULONG kOpenReparsePoint = 0x00200000;  // FILE_OPEN_REPARSE_POINT
  const NTSTATUS status = NtCreateFile(
      folder, FILE_LIST_DIRECTORY | FILE_TRAVERSE | READ_CONTROL | WRITE_DAC | SYNCHRONIZE,
      &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE,
      FILE_OPEN_IF, FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | kOpenReparsePoint, nullptr,
      0);
  RtlFreeUnicodeString(&name);
  *created = io.Information == FILE_CREATED;
  return status;
}

std::wstring FinalPathOf(HANDLE handle) {
  wchar_t path[1024] = {};
  const DWORD length = GetFinalPathNameByHandleW(handle, path, 1024, FILE_NAME_NORMALIZED);
  return length > 0 && length < 1024 ? std::wstring(path, length) : std::wstring();
}

// Where the system says the folder above path is, plus the folder's name:
// what the folder itself must resolve to when it is not a link.
std::wstring ExpectedFinalPath(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return std::wstring();
  UniqueHandle parent(CreateFileW(path.substr(0, slash).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!parent) return std::wstring();
  const std::wstring parentPath = FinalPathOf(parent.get());
  return parentPath.empty() ? std::wstring() : parentPath + path.substr(slash);
}

// A platform that follows a link even when asked not to still names where
// it arrived.
bool IsWhereItShouldBe(HANDLE folder, const std::wstring& path) {
  const std::wstring expected = ExpectedFinalPath(path);
  const std::wstring found = FinalPathOf(folder);
  return !expected.empty() &&
         CompareStringOrdinal(found.c_str(), -1, expected.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool IsLink(HANDLE handle) {
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag))) return true;
  return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A folder that was already there gets our access list; where it cannot
// (someone else's folder that shuts us out), it is not used. Whoever made
// it keeps no say: the owner-rights entry leaves its owner nothing but
// reading the list.
bool MakeExistingFolderOurs(HANDLE folder, PSECURITY_DESCRIPTOR descriptor) {
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL acl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) || !present) return false;
  return SetSecurityInfo(folder, SE_FILE_OBJECT,
                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                         nullptr, acl, nullptr) == ERROR_SUCCESS;
}

std::string Utf8(const wchar_t* text, int length) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

class CRunLog {
 public:
  bool Open(const std::wstring& folder, ULONGLONG limitBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    CloseLocked();
    std::unique_ptr<void, LocalFreer> descriptor(LogFolderDescriptor());
    if (!descriptor) return false;
    HANDLE raw = nullptr;
    bool created = false;
    if (CreateOrOpenFolder(folder, descriptor.get(), &raw, &created) < 0) return false;
    UniqueHandle held(raw);
    if (IsLink(held.get()) || !IsWhereItShouldBe(held.get(), folder)) return false;
    if (!created && !MakeExistingFolderOurs(held.get(), descriptor.get())) return false;
    folder_ = folder;
    heldFolder_ = std::move(held);
    limitBytes_ = limitBytes;
    if (!OpenFileLocked()) {
      CloseLocked();
      return false;
    }
    return true;
  }

  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    CloseLocked();
  }

  std::wstring Path() {
    std::lock_guard<std::mutex> lock(mutex_);
    return file_ ? folder_ + L"\\" + kRunLogName : std::wstring();
  }

  void Write(const wchar_t* text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_) return;
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t line[kLineChars + 32] = {};
    const int length =
        wsprintfW(line, L"%04u-%02u-%02u %02u:%02u:%02u.%03u %s\r\n", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, text);
    const std::string utf8 = Utf8(line, length);
    DWORD written = 0;
    WriteFile(file_.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    RotateIfFullLocked();
  }

 private:
  std::wstring PathOf(const wchar_t* name) const { return folder_ + L"\\" + name; }

  // The folder admits nobody else, but the file is still opened as itself:
  // a link or a second name for another file is not written through.
  bool OpenFileLocked() {
    UniqueHandle file(CreateFileW(
        PathOf(kRunLogName).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file.get(), &information) || information.nNumberOfLinks > 1 ||
        IsLink(file.get())) {
      return false;
    }
    file_ = std::move(file);
    return RotateIfFullLocked();
  }

  bool RotateIfFullLocked() {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file_.get(), &size) || static_cast<ULONGLONG>(size.QuadPart) < limitBytes_) {
      return true;
    }
    file_.reset();
    MoveFileExW(PathOf(kRunLogName).c_str(), PathOf(kRunLogOlderName).c_str(),
                MOVEFILE_REPLACE_EXISTING);
    return OpenFileLocked();
  }

  void CloseLocked() {
    file_.reset();
    heldFolder_.reset();
    folder_.clear();
  }

  std::mutex mutex_;
  std::wstring folder_;
  UniqueHandle heldFolder_;
  UniqueHandle file_;
  ULONGLONG limitBytes_ = kRunLogLimitBytes;
};

CRunLog& TheLog() {
  static CRunLog log;
  return log;
}

}  // namespace

bool OpenRunLog(const std::wstring& folder, ULONGLONG limitBytes) {
  try {
    return TheLog().Open(folder, limitBytes);
  } catch (...) {
    return false;
  }
}

void CloseRunLog() {
  TheLog().Close();
}

std::wstring RunLogPath() {
  try {
    return TheLog().Path();
  } catch (...) {
    return std::wstring();
  }
}

void LogLine(const wchar_t* format, ...) {
  try {
    wchar_t text[kLineChars] = {};
    va_list arguments;
    va_start(arguments, format);
    wvsprintfW(text, format, arguments);
    va_end(arguments);
    TheLog().Write(text);
  } catch (...) {
  }
}

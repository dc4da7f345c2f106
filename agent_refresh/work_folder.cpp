#include "agent_refresh/work_folder.h"

#include <rpc.h>
#include <sddl.h>
#include <winternl.h>

#include "agent_refresh/temp_folder.h"

namespace {

// The owner is set too: an owner may always rewrite the access list, and
// the user's own non-elevated processes share the user's identity.
constexpr wchar_t kElevatedOnlySddl[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// A UUID collision is not expected; the bound only keeps a misbehaving file
// system from spinning the scan worker forever.
constexpr int kMaxFolderAttempts = 16;
constexpr NTSTATUS kNameCollision = static_cast<NTSTATUS>(0xC0000035L);
constexpr DWORD kFinalPathCapacity = 1024;

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

std::wstring Widened(const std::string& text) {
  wchar_t wide[MAX_PATH + 1] = {};
  int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH + 1);
  return length > 0 ? std::wstring(wide) : std::wstring();
}

// Creating and opening in one step leaves no moment in which another
// process could swap the new folder before it is held. Listing and
// traversing only: a handle with delete access would also keep the
// installer from taking the folder as its current directory.
NTSTATUS CreateHeldFolder(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor, HANDLE* held) {
  UNICODE_STRING name = {};
  if (!RtlDosPathNameToNtPathName_U(path.c_str(), &name, nullptr, nullptr))
    return static_cast<NTSTATUS>(0xC0000033L);  // STATUS_OBJECT_NAME_INVALID
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, descriptor);
  IO_STATUS_BLOCK io = {};
  NTSTATUS status =
      NtCreateFile(held, FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE, &attributes, &io,
                   nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
                   FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  RtlFreeUnicodeString(&name);
  return status;
}

std::wstring FinalPathOf(HANDLE handle) {
  wchar_t path[kFinalPathCapacity] = {};
  DWORD length = GetFinalPathNameByHandleW(handle, path, kFinalPathCapacity, FILE_NAME_NORMALIZED);
  return length > 0 && length < kFinalPathCapacity ? std::wstring(path, length) : std::wstring();
}

bool ClearReadOnly(HANDLE entry) {
  FILE_BASIC_INFO basic = {};
  if (!GetFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof(basic))) return false;
  if (!(basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) return true;
  basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(entry, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

// Opens the object at `path` itself, never what a link there leads to, and
// deletes it only if the system confirms it is the one at `expectedFinalPath`.
// The check also guards against a platform that resolves links even when
// asked not to: what it opened then lies elsewhere and is left alone.
bool DeleteIfAt(const std::wstring& path, const std::wstring& expectedFinalPath) {
  if (expectedFinalPath.empty()) return false;
  UniqueHandle entry(
      CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry) return false;
  std::wstring found = FinalPathOf(entry.get());
  if (found.empty() ||
      CompareStringOrdinal(found.c_str(), -1, expectedFinalPath.c_str(), -1, TRUE) != CSTR_EQUAL)
    return false;
  // Cabinet entries may carry the read-only attribute.
  ClearReadOnly(entry.get());
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition,
                                    sizeof(disposition)) != FALSE;
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

}  // namespace

UniqueSecurityDescriptor ElevatedOnlySecurityDescriptor() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kElevatedOnlySddl, SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return nullptr;
  return UniqueSecurityDescriptor(descriptor);
}

bool WorkFolder::Create(size_t reserve) {
  Remove();
  char temp[MAX_PATH + 1] = {};
  DWORD length = GetTempPathA(sizeof(temp), temp);
  if (length == 0 || length > kMaxPathLength) return false;
  UniqueSecurityDescriptor descriptor = ElevatedOnlySecurityDescriptor();
  if (!descriptor) return false;

  for (int attempt = 0; attempt < kMaxFolderAttempts; ++attempt) {
    std::string candidate(temp, length);
    if (!AppendUuidText(&candidate)) return false;
    if (candidate.size() + reserve > kMaxPathLength) return false;
    std::wstring wideCandidate = Widened(candidate);
    if (wideCandidate.empty()) return false;
    HANDLE folder = nullptr;
    NTSTATUS status = CreateHeldFolder(wideCandidate, descriptor.get(), &folder);
    if (status == kNameCollision) continue;
    if (status < 0) return false;
    held_.reset(folder);
    path_ = candidate;
    widePath_ = wideCandidate;
    finalPath_ = FinalPathOf(held_.get());
    return true;
  }
  return false;
}

void WorkFolder::RemoveEntries() const {
  WIN32_FIND_DATAW found;
  FindHandle search(FindFirstFileW((widePath_ + L"\\*").c_str(), &found));
  if (search.get() == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    DeleteIfAt(widePath_ + L"\\" + name, finalPath_ + L"\\" + name);
  } while (FindNextFileW(search.get(), &found));
}

void WorkFolder::Remove() {
  if (!held_) return;
  RemoveEntries();
  // Our own hold would refuse the delete access the removal needs.
  held_.reset();
  DeleteIfAt(widePath_, finalPath_);
  path_.clear();
  widePath_.clear();
  finalPath_.clear();
}

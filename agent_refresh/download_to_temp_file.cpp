#include "agent_refresh/download_to_temp_file.h"

#include <cstring>

#include "agent_refresh/http_fetch.h"
#include "agent_refresh/refresh_limits.h"
#include "agent_refresh/temp_folder.h"
#include "agent_refresh/work_folder.h"
#include "platform/unique_handle.h"

namespace {

constexpr char kCatalogueFileName[] = "\\wuredist.cab";
constexpr char kInstallerFileName[] = "\\WUAUpdate.exe";

}  // namespace

size_t AppendToFile(char* data, size_t size, size_t count, void* sink) noexcept {
  auto* target = static_cast<DownloadSink*>(sink);
  if (!target || !data) return 0;
  if (size != 0 && count > MAXDWORD / size) return 0;
  DWORD bytes = static_cast<DWORD>(size * count);
  if (target->written > target->maxBytes || bytes > target->maxBytes - target->written) return 0;

  SetFilePointer(target->file, 0, nullptr, FILE_END);
  DWORD written = 0;
  if (!WriteFile(target->file, data, bytes, &written, nullptr)) return 0;
  target->written += written;
  return written;
}

bool DownloadToTempFile(std::string* path, const char* url, bool installer, WorkFolder* folder) {
  path->clear();
  const char* fileName = installer ? kInstallerFileName : kCatalogueFileName;
  if (!folder->Create(std::strlen(fileName))) return false;
  std::string target = folder->Path();
  if (!AppendBounded(&target, fileName)) {
    folder->Remove();
    return false;
  }

  UniqueHandle file(CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    folder->Remove();
    return false;
  }

  const RefreshLimits& limits = CurrentRefreshLimits();
  DownloadSink sink;
  sink.file = file.get();
  sink.maxBytes = installer ? limits.installerMaxBytes : limits.catalogueMaxBytes;
  bool fetched = url && FetchUrlToFile(url, &sink, limits);
  file.reset();
  if (!fetched) {
    folder->Remove();
    return false;
  }
  *path = target;
  return true;
}

#include "agent_refresh/extract_cabinet.h"

#include <cstring>

#include "agent_refresh/refresh_limits.h"
#include "agent_refresh/temp_folder.h"
#include "agent_refresh/work_folder.h"

namespace {

constexpr char kCatalogueDocumentName[] = "wuredist.xml";

bool IsReservedDeviceName(const char* name) {
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  size_t stem = std::strcspn(name, ".");
  for (const char* device : kDevices) {
    if (stem == 3 && _strnicmp(name, device, 3) == 0) return true;
  }
  bool numberedPort = _strnicmp(name, "COM", 3) == 0 || _strnicmp(name, "LPT", 3) == 0;
  return stem == 4 && numberedPort && name[3] >= '1' && name[3] <= '9';
}

// A plain file name: nothing that names another folder, a drive, a stream
// or a device, and nothing the file system would reject.
bool IsPlainFileName(const char* name) {
  if (!name || !*name) return false;
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  for (const char* c = name; *c; ++c) {
    unsigned char ch = static_cast<unsigned char>(*c);
    if (ch < 0x20 || std::strchr("\\/:*?\"<>|", ch)) return false;
  }
  return !IsReservedDeviceName(name);
}

}  // namespace

UINT CALLBACK CabinetFileCallback(PVOID context, UINT notification, UINT_PTR param1,
                                  UINT_PTR /*param2*/) noexcept {
  if (notification != SPFILENOTIFY_FILEINCABINET) return NO_ERROR;
  auto* target = static_cast<CabinetTarget*>(context);
  auto* entry = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
  if (!target || !target->folder || !entry) return FILEOP_SKIP;

  const char* name = entry->NameInCabinet;
  if (!name) return FILEOP_SKIP;
  size_t folderLength = strnlen(target->folder, MAX_PATH);
  size_t nameLength = strnlen(name, MAX_PATH);
  if (folderLength + nameLength > kMaxPathLength) return FILEOP_SKIP;
  if (!IsPlainFileName(name)) return FILEOP_SKIP;
  if (entry->FileSize > target->bytesLeft) return FILEOP_SKIP;

  std::memcpy(entry->FullTargetName, target->folder, folderLength);
  std::memcpy(entry->FullTargetName + folderLength, name, nameLength);
  entry->FullTargetName[folderLength + nameLength] = '\0';
  target->bytesLeft -= entry->FileSize;
  return FILEOP_DOIT;
}

bool ExtractCabinet(std::string* xmlPath, const char* cabinetPath, WorkFolder* workFolder) {
  xmlPath->clear();
  if (!workFolder->Create(1 + std::strlen(kCatalogueDocumentName))) return false;
  std::string folder = workFolder->Path() + '\\';

  // The unpacked catalogue may take no more room than the download could.
  CabinetTarget target;
  target.folder = folder.c_str();
  target.bytesLeft = CurrentRefreshLimits().catalogueMaxBytes;
  SetupIterateCabinetA(cabinetPath, 0, CabinetFileCallback, &target);

  *xmlPath = folder + kCatalogueDocumentName;
  return true;
}

#include "ui/markup/skin_resources.h"

#include <cstring>
#include <memory>
#include <string>

#include "platform/file_bytes.h"
#include "ui/markup/zip_archive.h"

namespace SkinUI {

const wchar_t kMemoryArchiveName[] = L"membuffer";

namespace {

const wchar_t kErrorOpeningFile[] = L"Error opening file";
const wchar_t kFileIsEmpty[] = L"File is empty";
const wchar_t kFileTooLarge[] = L"File too large";
const wchar_t kCouldNotReadFile[] = L"Could not read file";
const wchar_t kErrorOpeningZipFile[] = L"Error opening zip file";
const wchar_t kCouldNotFindZippedFile[] = L"Could not find ziped file";
const wchar_t kCouldNotUnzipFile[] = L"Could not unzip file";

struct TSkinLocation {
  HINSTANCE resourceModule = nullptr;
  std::wstring resourceFolder;
  std::wstring archiveName;
  bool archiveKeptOpen = false;
  std::unique_ptr<CZipArchive> keptArchive;
  const void* keptBlock = nullptr;
  DWORD keptLength = 0;
  unsigned registration = 0;  // counts registrations from memory
};

TSkinLocation& Location() {
  static TSkinLocation location;
  return location;
}

bool IsName(const wchar_t* name) {
  return name && !IS_INTRESOURCE(name);
}

bool UsesMemoryArchive() {
  return Location().archiveName == kMemoryArchiveName;
}

// The archive a lookup reads: the kept in-memory one, or the archive file
// under the resource folder opened into fileArchive for this one lookup.
CZipArchive* OpenLookupArchive(CZipArchive& fileArchive) {
  if (UsesMemoryArchive()) return KeptArchive();
  const std::wstring path = Location().resourceFolder + Location().archiveName;
  if (!fileArchive.OpenArchive(path.c_str(), 0, ZipSource::FileName)) return nullptr;
  return &fileArchive;
}

bool ReadMarkupFile(const std::wstring& path, std::vector<unsigned char>& bytes,
                    const wchar_t*& message) {
  switch (ReadWholeFile(path.c_str(), kMaxMarkupBytes, bytes)) {
    case FileReadResult::Ok:
      return true;
    case FileReadResult::OpenFailed:
      message = kErrorOpeningFile;
      break;
    case FileReadResult::Empty:
      message = kFileIsEmpty;
      break;
    case FileReadResult::TooLarge:
      message = kFileTooLarge;
      break;
    case FileReadResult::ShortRead:
      message = kCouldNotReadFile;
      break;
  }
  return false;
}

bool ReadMarkupEntry(const wchar_t* name, std::vector<unsigned char>& bytes,
                     const wchar_t*& message) {
  CZipArchive fileArchive;
  CZipArchive* archive = OpenLookupArchive(fileArchive);
  if (!archive) {
    message = kErrorOpeningZipFile;
    return false;
  }
  TZipEntry entry;
  if (!archive->FindEntry(name, true, entry)) {
    message = kCouldNotFindZippedFile;
    return false;
  }
  if (entry.uncompressedSize == 0) {
    message = kFileIsEmpty;
    return false;
  }
  if (entry.uncompressedSize > kMaxMarkupBytes) {
    message = kFileTooLarge;
    return false;
  }
  if (!ResizeBytes(bytes, entry.uncompressedSize) ||
      archive->ReadEntry(entry.index, bytes.data(), entry.uncompressedSize) ==
          ZipReadResult::Failed) {
    bytes.clear();
    message = kCouldNotUnzipFile;
    return false;
  }
  return true;
}

bool ReadArchivedImage(const wchar_t* name, std::vector<unsigned char>& bytes) {
  CZipArchive fileArchive;
  CZipArchive* archive = OpenLookupArchive(fileArchive);
  if (!archive) return false;
  TZipEntry entry;
  if (!archive->FindEntry(name, true, entry) || entry.uncompressedSize == 0) return false;
  // Images have no size limit, so a damaged size must not become an allocation.
  if (!archive->IsEntrySizePlausible(entry.index)) return false;
  if (!ResizeBytes(bytes, entry.uncompressedSize)) return false;
  if (archive->ReadEntry(entry.index, bytes.data(), entry.uncompressedSize) ==
      ZipReadResult::Failed) {
    bytes.clear();
    return false;
  }
  return true;
}

bool ReadImageFile(const std::wstring& path, std::vector<unsigned char>& bytes) {
  return ReadWholeFile(path.c_str(), kNoFileSizeLimit, bytes) == FileReadResult::Ok;
}

}  // namespace

void SetResourceModule(HINSTANCE instance) {
  Location().resourceModule = instance;
}

HINSTANCE ResourceModule() {
  return Location().resourceModule ? Location().resourceModule : ModuleInstance();
}

void SetResourceFolder(const wchar_t* folder) {
  Location().resourceFolder = folder ? folder : L"";
}

const wchar_t* ResourceFolder() {
  return Location().resourceFolder.c_str();
}

void SetResourceArchive(const wchar_t* archiveName) {
  TSkinLocation& location = Location();
  location.keptArchive.reset();
  location.keptBlock = nullptr;
  location.keptLength = 0;
  location.archiveKeptOpen = false;
  location.archiveName = archiveName ? archiveName : L"";
}

const wchar_t* ResourceArchiveName() {
  return Location().archiveName.c_str();
}

bool ArchiveKeptOpen() {
  return Location().archiveKeptOpen;
}

CZipArchive* KeptArchive() {
  CZipArchive* archive = Location().keptArchive.get();
  return archive && archive->IsOpen() ? archive : nullptr;
}

void SetArchiveFromMemory(const void* data, DWORD length) {
  TSkinLocation& location = Location();
  if (UsesMemoryArchive()) return;
  location.keptArchive.reset();
  location.archiveName = kMemoryArchiveName;
  location.archiveKeptOpen = true;
  std::unique_ptr<CZipArchive> archive(new (std::nothrow) CZipArchive());
  // A block that is no archive still counts as registered; lookups then fail.
  if (archive && archive->OpenArchive(data, length, ZipSource::Memory)) {
    location.keptArchive = std::move(archive);
    location.keptBlock = data;
    location.keptLength = length;
    ++location.registration;
  }
}

bool KeptArchiveMemory(const void*& data, DWORD& length, unsigned& registration) {
  if (!UsesMemoryArchive() || KeptArchive() == nullptr) return false;
  data = Location().keptBlock;
  length = Location().keptLength;
  registration = Location().registration;
  return true;
}

bool ReadMarkupBytes(const wchar_t* name, std::vector<unsigned char>& bytes,
                     const wchar_t*& message) {
  bytes.clear();
  message = nullptr;
  if (!IsName(name)) {
    message = kErrorOpeningFile;
    return false;
  }
  if (Location().archiveName.empty()) {
    return ReadMarkupFile(Location().resourceFolder + name, bytes, message);
  }
  return ReadMarkupEntry(name, bytes, message);
}

bool ReadImageBytes(const wchar_t* name, const wchar_t* resourceType,
                    std::vector<unsigned char>& bytes) {
  bytes.clear();
  if (!name) return false;
  const bool hasType = resourceType && (IS_INTRESOURCE(resourceType) || *resourceType != L'\0');
  if (hasType) {
    if (ReadResourceBytes(name, resourceType, bytes)) return true;
  } else if (IsName(name)) {
    const bool found = Location().archiveName.empty()
                           ? ReadImageFile(Location().resourceFolder + name, bytes)
                           : ReadArchivedImage(name, bytes);
    if (found) return true;
  }
  if (!IsName(name)) return false;
  return ReadImageFile(name, bytes);
}

bool ReadResourceBytes(const wchar_t* name, const wchar_t* resourceType,
                       std::vector<unsigned char>& bytes) {
  bytes.clear();
  if (!name || !resourceType) return false;
  HMODULE module = ResourceModule();
  HRSRC resource = FindResourceW(module, name, resourceType);
  if (!resource) return false;
  const DWORD size = SizeofResource(module, resource);
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (size == 0 || !data) return false;
  if (!ResizeBytes(bytes, size)) return false;
  std::memcpy(bytes.data(), data, size);
  return true;
}

}  // namespace SkinUI

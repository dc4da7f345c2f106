#pragma once
// Where the skin comes from: the modules whose resources hold skin items, the
// folder and archive that skin files are read from, and the in-memory archive
// the program registers at start-up. Process-wide and used from the UI thread
// only: the shared archive keeps one read position.

#include <windows.h>

#include <vector>

#include "ui/core/module_instance.h"

namespace SkinUI {

class CZipArchive;

// The archive name that stands for the archive registered from memory.
extern const wchar_t kMemoryArchiveName[];
// Markup larger than this is refused; images have no limit.
constexpr DWORD kMaxMarkupBytes = 4194304;

void SetResourceModule(HINSTANCE instance);
// The resource module, or the module instance when none is set.
HINSTANCE ResourceModule();
// A prefix put in front of skin file names and the archive name, as given.
void SetResourceFolder(const wchar_t* folder);
const wchar_t* ResourceFolder();
// Names an archive file under the resource folder (empty: plain files). An
// archive kept open from memory is closed and forgotten.
void SetResourceArchive(const wchar_t* archiveName);
const wchar_t* ResourceArchiveName();
bool ArchiveKeptOpen();
// The in-memory archive, or null when none could be opened.
CZipArchive* KeptArchive();
// Registers a zip archive held in memory for every later lookup. The block is
// not copied and must outlive the process's use of the skin. Only the first
// registration counts.
void SetArchiveFromMemory(const void* data, DWORD length);
// The block of the in-memory archive while image lookups read it, so that
// another thread can read it through an archive object of its own, and a
// number that changes with every registration.
bool KeptArchiveMemory(const void*& data, DWORD& length, unsigned& registration);

// The bytes of the skin markup file name. On failure message holds the reason
// ("Error opening file", "Could not find ziped file", ...).
bool ReadMarkupBytes(const wchar_t* name, std::vector<unsigned char>& bytes,
                     const wchar_t*& message);

// The bytes of an image: the resource (name, resourceType) when a type is
// given; else the file under the resource folder, or the entry of the skin
// archive; last of all name as a plain path. False when nothing was found.
bool ReadImageBytes(const wchar_t* name, const wchar_t* resourceType,
                    std::vector<unsigned char>& bytes);

// The bytes of resource (name, resourceType) of the resource module; name may
// be an integer id. False when it is missing or empty.
bool ReadResourceBytes(const wchar_t* name, const wchar_t* resourceType,
                       std::vector<unsigned char>& bytes);

}  // namespace SkinUI

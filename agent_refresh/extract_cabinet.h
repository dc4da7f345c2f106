#pragma once
// Unpacking of the downloaded catalogue cabinet.

#include <windows.h>
#include <setupapi.h>

#include <string>

// Context of CabinetFileCallback: the folder the entries go to (ending in a
// backslash) and how many more bytes may be unpacked into it.
struct CabinetTarget {
  const char* folder = nullptr;
  ULONGLONG bytesLeft = 0;
};

// SetupIterateCabinetA callback: extracts each entry flat into the target
// folder under its own name. Entries whose name could leave the folder or is
// no plain file name, whose path would not fit, or that would pass the byte
// budget are skipped.
UINT CALLBACK CabinetFileCallback(PVOID context, UINT notification, UINT_PTR param1,
                                  UINT_PTR param2) noexcept;

class WorkFolder;

// Extracts the cabinet into a new work folder and sets `xmlPath` to the
// "wuredist.xml" there. False when no folder could be made; `workFolder`
// holds the folder until the caller removes it, with its files.
bool ExtractCabinet(std::string* xmlPath, const char* cabinetPath, WorkFolder* workFolder);

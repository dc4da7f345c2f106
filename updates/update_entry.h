#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// One update found by a scan, as the update list shows it.
struct UpdateEntry {
  bool checked = false;
  std::wstring title = L"Unkown";
  std::wstring updateId = L"Unkown";
  std::wstring description;
  SYSTEMTIME released{};
  // The agent gave a date of zero: it has none to tell (an unreadable date
  // leaves released zero instead).
  bool noReleaseDate = false;
  uint64_t size = 0;
};

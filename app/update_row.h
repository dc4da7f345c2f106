#pragma once
// One row of the update list as the main window keeps it: the four cells the
// list draws as markup, and what the row stands for.

#include <string>

#include "updates/update_entry.h"

struct UpdateRow {
  bool checked = false;
  std::wstring checkCell;
  std::wstring titleCell;
  std::wstring dateCell;
  std::wstring sizeCell;
  std::wstring updateId;
  // As the agent gave them, for plain-text use (the cells are escaped).
  std::wstring title;
  std::wstring date;
  std::wstring description;
};

// "<i checked.png />" or "<i uncheck.png />".
const wchar_t* CheckCell(bool checked);

// Text from the update agent drawn literally by the markup renderer: "<" and
// "{" would otherwise open tags (fonts, links, images read from any path).
std::wstring EscapeMarkup(const std::wstring& text);

UpdateRow MakeUpdateRow(const UpdateEntry& entry);

// The shell's abbreviated size ("1.46 MB"), for every 64-bit count: the
// shell's own call takes a signed count and shows "-1 bytes" from 2^63 on.
std::wstring ByteSizeText(ULONGLONG bytes);

// The final report of an installation: succeeded (2) or still in progress
// (1) with a non-negative result.
bool IsSuccessfulInstallResult(LONG resultCode, HRESULT result);

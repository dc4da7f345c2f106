#include "app/update_row.h"

#include <shlwapi.h>

namespace {

constexpr wchar_t kCheckedCell[] = L"<i checked.png />";
constexpr wchar_t kUncheckedCell[] = L"<i uncheck.png />";
constexpr int kSizeChars = 100;
constexpr LONG kResultInProgress = 1;
constexpr LONG kResultSucceeded = 2;

std::wstring DateCell(const SYSTEMTIME& date) {
  wchar_t text[32] = {};
  wsprintfW(text, L"%04d-%02d-%02d", date.wYear, date.wMonth, date.wDay);
  return text;
}

std::wstring SizeCell(uint64_t size) {
  wchar_t text[kSizeChars] = {};
  StrFormatByteSizeW(static_cast<LONGLONG>(size), text, kSizeChars);
  return text;
}

}  // namespace

const wchar_t* CheckCell(bool checked) {
  return checked ? kCheckedCell : kUncheckedCell;
}

std::wstring EscapeMarkup(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (wchar_t ch : text) {
    if (ch == L'<') {
      escaped += L"{<}";
    } else if (ch == L'{') {
      escaped += L"<{>";
    } else {
      escaped += ch;
    }
  }
  return escaped;
}

UpdateRow MakeUpdateRow(const UpdateEntry& entry) {
  UpdateRow row;
  row.checked = entry.checked;
  row.checkCell = CheckCell(entry.checked);
  row.title = entry.title;
  row.date = DateCell(entry.released);
  row.titleCell = EscapeMarkup(row.title);
  row.dateCell = EscapeMarkup(row.date);
  row.sizeCell = EscapeMarkup(SizeCell(entry.size));
  row.updateId = entry.updateId;
  row.description = entry.description;
  return row;
}

bool IsSuccessfulInstallResult(LONG resultCode, HRESULT result) {
  return (resultCode == kResultSucceeded || resultCode == kResultInProgress) && result >= 0;
}

#include "app/update_row.h"

#include <shlwapi.h>

#include <climits>

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

// From 2^63 bytes on every size lies between 8 and 16 exabytes; the shell
// truncates to three significant digits.
std::wstring ExabyteText(ULONGLONG bytes) {
  constexpr int kUnitShift = 60;
  constexpr int kHalfShift = kUnitShift / 2;
  const ULONGLONG whole = bytes >> kUnitShift;
  const ULONGLONG fraction = (bytes & ((1ULL << kUnitShift) - 1)) >> kHalfShift;
  const bool twoDigits = whole < 10;
  const ULONGLONG digits = (fraction * (twoDigits ? 100 : 10)) >> kHalfShift;
  wchar_t separator[8] = L".";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  wchar_t text[kSizeChars] = {};
  wsprintfW(text, twoDigits ? L"%u%s%02u EB" : L"%u%s%u EB", static_cast<UINT>(whole), separator,
            static_cast<UINT>(digits));
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

std::wstring ByteSizeText(ULONGLONG bytes) {
  if (bytes > static_cast<ULONGLONG>(LLONG_MAX)) return ExabyteText(bytes);
  wchar_t text[kSizeChars] = {};
  StrFormatByteSizeW(static_cast<LONGLONG>(bytes), text, kSizeChars);
  return text;
}

UpdateRow MakeUpdateRow(const UpdateEntry& entry) {
  UpdateRow row;
  row.checked = entry.checked;
  row.checkCell = CheckCell(entry.checked);
  row.title = entry.title;
  row.date = entry.noReleaseDate ? std::wstring() : DateCell(entry.released);
  row.titleCell = EscapeMarkup(row.title);
  row.dateCell = EscapeMarkup(row.date);
  row.sizeCell = EscapeMarkup(ByteSizeText(entry.size));
  row.updateId = entry.updateId;
  row.description = entry.description;
  return row;
}

bool IsSuccessfulInstallResult(LONG resultCode, HRESULT result) {
  return (resultCode == kResultSucceeded || resultCode == kResultInProgress) && result >= 0;
}

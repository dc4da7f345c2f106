#include "simulated_agent/catalogue_file.h"

#include <cwchar>
#include <cwctype>
#include <vector>

#include "platform/file_bytes.h"

const wchar_t kSimulatedCatalogueVariable[] = L"PATCHWELL_SIM_CATALOGUE";

namespace {

// A catalogue is a few kilobytes; anything far larger is not one.
constexpr uint64_t kMaxFileBytes = 4 * 1024 * 1024;
const ULONGLONG kMaxPaceMs = 60000;
const ULONGLONG kMaxSearchMs = 600000;
const ULONGLONG kMaxStepsPerUpdate = 100;
// Result codes an update can end with: succeeded, with errors, failed, aborted.
const ULONGLONG kFirstFinalCode = 2;
const ULONGLONG kLastFinalCode = 5;

std::wstring Trim(const std::wstring& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && std::iswspace(text[first])) ++first;
  while (last > first && std::iswspace(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::vector<std::wstring> SplitList(const std::wstring& text) {
  std::vector<std::wstring> items;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(L',', start);
    if (comma == std::wstring::npos) comma = text.size();
    std::wstring item = Trim(text.substr(start, comma - start));
    if (!item.empty()) items.push_back(item);
    start = comma + 1;
  }
  return items;
}

bool ParseUnsigned(const std::wstring& text, ULONGLONG& value) {
  int base = 10;
  size_t start = 0;
  if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    base = 16;
    start = 2;
  }
  if (start >= text.size()) return false;
  value = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const wchar_t c = text[i];
    unsigned digit = 0;
    if (c >= L'0' && c <= L'9') {
      digit = c - L'0';
    } else if (base == 16 && c >= L'a' && c <= L'f') {
      digit = c - L'a' + 10;
    } else if (base == 16 && c >= L'A' && c <= L'F') {
      digit = c - L'A' + 10;
    } else {
      return false;
    }
    if (value > (~0ull - digit) / base) return false;
    value = value * base + digit;
  }
  return true;
}

bool ParseBounded(const std::wstring& text, ULONGLONG low, ULONGLONG high, ULONGLONG& value) {
  return ParseUnsigned(text, value) && value >= low && value <= high;
}

bool ParseHresult(const std::wstring& text, HRESULT& hr) {
  ULONGLONG value = 0;
  if (!ParseBounded(text, 0, 0xFFFFFFFFull, value)) return false;
  hr = static_cast<HRESULT>(static_cast<ULONG>(value));
  return true;
}

bool ParseBool(const std::wstring& text, bool& value) {
  if (text == L"true") {
    value = true;
    return true;
  }
  if (text == L"false") {
    value = false;
    return true;
  }
  return false;
}

bool ParseCallbackThread(const std::wstring& text, SimulatedCallbackThread& thread) {
  if (text == L"agent") {
    thread = SimulatedCallbackThread::kAgent;
    return true;
  }
  if (text == L"starting") {
    thread = SimulatedCallbackThread::kStarting;
    return true;
  }
  return false;
}

bool ParseOutcome(const std::wstring& text, TSimulatedOutcome& outcome) {
  const size_t space = text.find_first_of(L" \t");
  if (space == std::wstring::npos) return false;
  ULONGLONG code = 0;
  HRESULT hr = S_OK;
  if (!ParseBounded(text.substr(0, space), kFirstFinalCode, kLastFinalCode, code)) return false;
  if (!ParseHresult(Trim(text.substr(space)), hr)) return false;
  outcome.resultCode = static_cast<LONG>(code);
  outcome.hresult = hr;
  return true;
}

bool IsLeapYear(unsigned year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(unsigned year, unsigned month) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS", fields of fixed width.
bool ParseDate(const std::wstring& text, DATE& date) {
  const bool withTime = text.size() == 19;
  if (text.size() != 10 && !withTime) return false;
  if (text[4] != L'-' || text[7] != L'-') return false;
  if (withTime && (text[10] != L' ' || text[13] != L':' || text[16] != L':')) return false;
  ULONGLONG year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!ParseBounded(text.substr(0, 4), 1900, 9999, year) ||
      !ParseBounded(text.substr(5, 2), 1, 12, month) || !ParseUnsigned(text.substr(8, 2), day)) {
    return false;
  }
  if (day < 1 || day > DaysInMonth(static_cast<unsigned>(year), static_cast<unsigned>(month))) {
    return false;
  }
  if (withTime && (!ParseBounded(text.substr(11, 2), 0, 23, hour) ||
                   !ParseBounded(text.substr(14, 2), 0, 59, minute) ||
                   !ParseBounded(text.substr(17, 2), 0, 59, second))) {
    return false;
  }
  SYSTEMTIME time = {};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  time.wSecond = static_cast<WORD>(second);
  return SystemTimeToVariantTime(&time, &date) != FALSE;
}

struct TReadName {
  const wchar_t* name;
  SimulatedRead read;
};

const TReadName kReadNames[] = {
    {L"item", kReadItem},
    {L"title", kReadTitle},
    {L"description", kReadDescription},
    {L"identity", kReadIdentity},
    {L"kb", kReadKBArticleIDs},
    {L"auto_select", kReadAutoSelect},
    {L"size", kReadMaxDownloadSize},
    {L"date", kReadDeploymentDate},
    {L"accept_eula", kReadAcceptEula},
    {L"update_id", kReadUpdateId},
    {L"kb_count", kReadKBCount},
    {L"kb_item", kReadKBItem},
};

bool ParseFailingReads(const std::wstring& text, unsigned& reads) {
  unsigned parsed = kReadNothing;
  for (const std::wstring& item : SplitList(text)) {
    bool known = false;
    for (const TReadName& entry : kReadNames) {
      if (item == entry.name) {
        parsed |= entry.read;
        known = true;
      }
    }
    if (!known) return false;
  }
  reads = parsed;
  return true;
}

struct TOperationName {
  const wchar_t* name;
  HRESULT TSimulatedFailures::*field;
};

const TOperationName kOperationNames[] = {
    {L"create_session", &TSimulatedFailures::createSession},
    {L"create_collection", &TSimulatedFailures::createCollection},
    {L"create_agent_info", &TSimulatedFailures::createAgentInfo},
    {L"get_info", &TSimulatedFailures::getInfo},
    {L"create_searcher", &TSimulatedFailures::createSearcher},
    {L"search", &TSimulatedFailures::search},
    {L"create_downloader", &TSimulatedFailures::createDownloader},
    {L"create_installer", &TSimulatedFailures::createInstaller},
    {L"begin_download", &TSimulatedFailures::beginDownload},
    {L"begin_install", &TSimulatedFailures::beginInstall},
    {L"end_download", &TSimulatedFailures::endDownload},
    {L"end_install", &TSimulatedFailures::endInstall},
};

const wchar_t kFailPrefix[] = L"fail.";

bool ApplyAgentKey(const std::wstring& key, const std::wstring& value,
                   TSimulatedCatalogue& catalogue) {
  ULONGLONG number = 0;
  if (key == L"agent_version") {
    catalogue.agentVersion = value;
    return !value.empty();
  }
  if (key == L"search_ms") {
    if (!ParseBounded(value, 0, kMaxSearchMs, number)) return false;
    catalogue.searchMs = static_cast<UINT>(number);
    return true;
  }
  if (key == L"pace_ms") {
    if (!ParseBounded(value, 0, kMaxPaceMs, number)) return false;
    catalogue.paceMs = static_cast<UINT>(number);
    return true;
  }
  if (key == L"steps_per_update") {
    if (!ParseBounded(value, 1, kMaxStepsPerUpdate, number)) return false;
    catalogue.stepsPerUpdate = static_cast<UINT>(number);
    return true;
  }
  if (key == L"callback_thread") return ParseCallbackThread(value, catalogue.callbackThread);
  if (key == L"abort_never_completes") return ParseBool(value, catalogue.abortNeverCompletes);
  if (key.compare(0, wcslen(kFailPrefix), kFailPrefix) == 0) {
    const std::wstring operation = key.substr(wcslen(kFailPrefix));
    for (const TOperationName& entry : kOperationNames) {
      if (operation == entry.name) return ParseHresult(value, catalogue.failures.*entry.field);
    }
  }
  return false;
}

bool ApplyUpdateKey(const std::wstring& key, const std::wstring& value, TSimulatedUpdate& update) {
  if (key == L"title") {
    update.title = value;
    return true;
  }
  if (key == L"kb") {
    update.kbArticleIds = SplitList(value);
    return true;
  }
  if (key == L"auto_select") return ParseBool(value, update.autoSelect);
  if (key == L"description") {
    update.description = value;
    return true;
  }
  if (key == L"id") {
    update.updateId = value;
    return true;
  }
  if (key == L"size") return ParseUnsigned(value, update.sizeBytes);
  if (key == L"date") return ParseDate(value, update.deployed);
  if (key == L"download") return ParseOutcome(value, update.download);
  if (key == L"install") return ParseOutcome(value, update.install);
  if (key == L"eula_required") return ParseBool(value, update.eulaRequired);
  if (key == L"reboot_required") return ParseBool(value, update.rebootRequired);
  if (key == L"fail_reads") return ParseFailingReads(value, update.failingReads);
  return false;
}

std::wstring LineError(size_t number, const wchar_t* what) {
  wchar_t text[64];
  wsprintfW(text, L"line %u: ", static_cast<unsigned>(number));
  return text + std::wstring(what);
}

// An empty file is an empty catalogue, not an unreadable one.
bool ReadCatalogueBytes(const std::wstring& path, std::string& bytes) {
  std::vector<unsigned char> raw;
  const FileReadResult result = ReadWholeFile(path.c_str(), kMaxFileBytes, raw);
  if (result != FileReadResult::Ok && result != FileReadResult::Empty) return false;
  bytes.assign(raw.begin(), raw.end());
  return true;
}

bool Utf8ToWide(const std::string& bytes, std::wstring& text) {
  text.clear();
  if (bytes.empty()) return true;
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, 0);
  if (length <= 0) return false;
  text.resize(length);
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                      &text[0], length);
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  return true;
}

}  // namespace

bool ParseSimulatedCatalogue(const std::wstring& text, TSimulatedCatalogue& catalogue,
                             std::wstring& error) {
  TSimulatedCatalogue parsed;
  parsed.updates.clear();
  bool inUpdate = false;
  size_t lineNumber = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = Trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (line.empty() || line[0] == L'#') continue;
    if (line == L"[update]") {
      parsed.updates.emplace_back();
      inUpdate = true;
      continue;
    }
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) {
      error = LineError(lineNumber, L"expected \"key = value\"");
      return false;
    }
    const std::wstring key = Trim(line.substr(0, equals));
    const std::wstring value = Trim(line.substr(equals + 1));
    const bool applied = inUpdate ? ApplyUpdateKey(key, value, parsed.updates.back())
                                  : ApplyAgentKey(key, value, parsed);
    if (!applied) {
      error = LineError(lineNumber, L"unknown key or bad value: ") + line;
      return false;
    }
  }
  catalogue = std::move(parsed);
  return true;
}

bool LoadSimulatedCatalogueFile(const std::wstring& path, TSimulatedCatalogue& catalogue,
                                std::wstring& error) {
  std::string bytes;
  if (!ReadCatalogueBytes(path, bytes)) {
    error = L"cannot read " + path;
    return false;
  }
  std::wstring text;
  if (!Utf8ToWide(bytes, text)) {
    error = path + L" is not UTF-8 text";
    return false;
  }
  if (!ParseSimulatedCatalogue(text, catalogue, error)) {
    error = path + L": " + error;
    return false;
  }
  return true;
}

bool LoadSimulatedCatalogueFromEnvironment(TSimulatedCatalogue& catalogue, std::wstring& error) {
  catalogue = DefaultSimulatedCatalogue();
  const DWORD length = GetEnvironmentVariableW(kSimulatedCatalogueVariable, nullptr, 0);
  if (length <= 1) return true;
  std::wstring path(length, L'\0');
  const DWORD copied = GetEnvironmentVariableW(kSimulatedCatalogueVariable, &path[0], length);
  if (copied == 0 || copied >= length) return true;
  path.resize(copied);
  return LoadSimulatedCatalogueFile(path, catalogue, error);
}

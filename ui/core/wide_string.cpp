#include "ui/core/wide_string.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cwchar>

namespace SkinUI {

namespace {
int LengthOf(const wchar_t* text, int length) {
  if (!text) return 0;
  if (length < 0) return static_cast<int>(wcslen(text));
  return length;
}
}  // namespace

CWideStringUI::CWideStringUI() : data(inlineBuffer) {
  inlineBuffer[0] = L'\0';
}

CWideStringUI::CWideStringUI(const wchar_t* text, int length) : CWideStringUI() {
  Assign(text, length);
}

CWideStringUI::CWideStringUI(wchar_t ch) : CWideStringUI() {
  Assign(&ch, 1);
}

CWideStringUI::CWideStringUI(const CWideStringUI& other) : CWideStringUI() {
  Assign(other.data, other.size);
}

CWideStringUI::~CWideStringUI() {
  FreeHeap();
}

CWideStringUI& CWideStringUI::operator=(const CWideStringUI& other) {
  if (this != &other) Assign(other.data, other.size);
  return *this;
}

CWideStringUI& CWideStringUI::operator=(const wchar_t* text) {
  Assign(text);
  return *this;
}

CWideStringUI& CWideStringUI::operator=(wchar_t ch) {
  Assign(&ch, 1);
  return *this;
}

CWideStringUI& CWideStringUI::operator+=(const CWideStringUI& other) {
  Append(CWideStringUI(other).data);
  return *this;
}

CWideStringUI& CWideStringUI::operator+=(const wchar_t* text) {
  Append(text);
  return *this;
}

CWideStringUI& CWideStringUI::AppendGrowing(wchar_t ch) {
  if (ch == L'\0') return *this;
  SetLength(size + 1);
  data[size - 1] = ch;
  return *this;
}

CWideStringUI CWideStringUI::operator+(const CWideStringUI& other) const {
  CWideStringUI result(*this);
  result += other;
  return result;
}

CWideStringUI CWideStringUI::operator+(const wchar_t* text) const {
  CWideStringUI result(*this);
  result += text;
  return result;
}

wchar_t CWideStringUI::GetAt(int index) const {
  if (index < 0 || index >= size) return L'\0';
  return data[index];
}

void CWideStringUI::SetAt(int index, wchar_t ch) {
  if (index < 0 || index >= size) return;
  data[index] = ch;
}

void CWideStringUI::FreeHeap() {
  if (data != inlineBuffer) delete[] data;
  data = inlineBuffer;
  heapCapacity = 0;
}

void CWideStringUI::SetLength(int length) {
  if (length < 0) length = 0;
  if (length <= kMaxInlineLength) {
    if (data != inlineBuffer) {
      std::copy(data, data + std::min(size, length), inlineBuffer);
      FreeHeap();
    }
  } else if (data == inlineBuffer || length > heapCapacity) {
    GrowHeap(length);
  }
  size = length;
  data[size] = L'\0';
}

void CWideStringUI::GrowHeap(int length) {
  constexpr int kMaxCapacity = INT_MAX - 1;
  int capacity = std::max(length, 2 * kInlineUnits);
  if (heapCapacity > 0) {
    capacity = std::max(capacity, heapCapacity <= kMaxCapacity / 2 ? 2 * heapCapacity : length);
  }
  wchar_t* grown = new wchar_t[static_cast<size_t>(capacity) + 1];
  std::copy(data, data + std::min(size, length), grown);
  FreeHeap();
  data = grown;
  heapCapacity = capacity;
}

void CWideStringUI::TakeBuffer(CWideStringUI& other) {
  if (other.data == other.inlineBuffer) {
    Assign(other.data, other.size);
    return;
  }
  FreeHeap();
  data = other.data;
  size = other.size;
  heapCapacity = other.heapCapacity;
  other.data = other.inlineBuffer;
  other.heapCapacity = 0;
  other.SetLength(0);
}

void CWideStringUI::Empty() {
  SetLength(0);
}

void CWideStringUI::Assign(const wchar_t* text, int length) {
  const int count = LengthOf(text, length);
  // The source may live inside this string's own buffer.
  if (text && text >= data && text <= data + size) {
    CWideStringUI copy(text, count);
    Assign(copy.data, copy.size);
    return;
  }
  size = 0;
  SetLength(count);
  if (count > 0) std::copy(text, text + count, data);
}

void CWideStringUI::Append(const wchar_t* text) {
  const int count = LengthOf(text, -1);
  if (count == 0) return;
  if (text >= data && text <= data + size) {
    CWideStringUI copy(text, count);
    Append(copy.data);
    return;
  }
  const int old = size;
  SetLength(old + count);
  std::copy(text, text + count, data + old);
}

int CWideStringUI::Compare(const wchar_t* text) const {
  return wcscmp(data, text ? text : L"");
}

int CWideStringUI::CompareNoCase(const wchar_t* text) const {
  return _wcsicmp(data, text ? text : L"");
}

int CWideStringUI::Find(wchar_t ch, int start) const {
  if (start < 0 || start >= size) return -1;
  const wchar_t* found = wcschr(data + start, ch);
  return found ? static_cast<int>(found - data) : -1;
}

int CWideStringUI::Find(const wchar_t* text, int start) const {
  if (!text || start < 0 || start > size) return -1;
  const wchar_t* found = wcsstr(data + start, text);
  return found ? static_cast<int>(found - data) : -1;
}

int CWideStringUI::Replace(const wchar_t* from, const wchar_t* to) {
  const int fromLength = LengthOf(from, -1);
  if (fromLength == 0) return 0;
  if (!to) to = L"";
  const int toLength = LengthOf(to, -1);
  // Like the other C-string operations of this class, the search and the
  // rebuilt text end at the first NUL.
  const wchar_t* end = data + wcslen(data);
  int count = 0;
  for (const wchar_t* p = wcsstr(data, from); p; p = wcsstr(p + fromLength, from)) ++count;
  if (count == 0) return 0;
  const int64_t length = (end - data) + static_cast<int64_t>(count) * (toLength - fromLength);
  if (length > INT_MAX - 1) return 0;

  // One pass into a buffer of the final size; from and to may point into
  // this string, which stays as it is until the end.
  CWideStringUI result;
  result.SetLength(static_cast<int>(length));
  wchar_t* out = result.data;
  const wchar_t* in = data;
  for (const wchar_t* found = wcsstr(in, from); found; found = wcsstr(in, from)) {
    out = std::copy(in, found, out);
    out = std::copy(to, to + toLength, out);
    in = found + fromLength;
  }
  std::copy(in, end, out);
  TakeBuffer(result);
  return count;
}

void CWideStringUI::MakeLower() {
  if (size > 0) CharLowerBuffW(data, static_cast<DWORD>(size));
}

void CWideStringUI::MakeUpper() {
  if (size > 0) CharUpperBuffW(data, static_cast<DWORD>(size));
}

CWideStringUI CWideStringUI::Left(int count) const {
  return CWideStringUI(data, std::clamp(count, 0, size));
}

CWideStringUI CWideStringUI::Mid(int position, int count) const {
  position = std::clamp(position, 0, size);
  const int available = size - position;
  if (count < 0 || count > available) count = available;
  return CWideStringUI(data + position, count);
}

CWideStringUI CWideStringUI::Right(int count) const {
  count = std::clamp(count, 0, size);
  return CWideStringUI(data + size - count, count);
}

int CWideStringUI::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int length = FormatList(format, args);
  va_end(args);
  return length;
}

int CWideStringUI::FormatList(const wchar_t* format, va_list args) {
  wchar_t buffer[kFormatUnits] = {};
  if (format) wvsprintfW(buffer, format, args);
  buffer[kFormatUnits - 1] = L'\0';
  Assign(buffer);
  return size;
}

}  // namespace SkinUI

#pragma once
// UTF-16 text with a 64-unit inline buffer: strings of up to 62 characters
// never touch the heap. Longer text grows its heap buffer geometrically, so
// appending one character at a time costs amortised constant time.

#include <windows.h>

namespace SkinUI {

class CWideStringUI {
 public:
  static constexpr int kInlineUnits = 64;
  static constexpr int kMaxInlineLength = kInlineUnits - 2;
  // Format writes into a buffer of this many characters. Longer output is cut
  // to 1023 characters plus the terminator; it never writes past the buffer.
  static constexpr int kFormatUnits = 1024;

  CWideStringUI();
  CWideStringUI(const wchar_t* text, int length = -1);  // NOLINT: literals convert
  CWideStringUI(wchar_t ch);                            // NOLINT
  CWideStringUI(const CWideStringUI& other);
  ~CWideStringUI();

  CWideStringUI& operator=(const CWideStringUI& other);
  CWideStringUI& operator=(const wchar_t* text);
  CWideStringUI& operator=(wchar_t ch);
  CWideStringUI& operator+=(const CWideStringUI& other);
  CWideStringUI& operator+=(const wchar_t* text);
  CWideStringUI& operator+=(wchar_t ch) {
    // The common case stays inline: there is room and the character is not
    // a terminator (which appends nothing, as an empty C string would).
    const int room = data == inlineBuffer ? kMaxInlineLength : heapCapacity;
    if (ch == L'\0' || size >= room) return AppendGrowing(ch);
    data[size++] = ch;
    data[size] = L'\0';
    return *this;
  }
  CWideStringUI operator+(const CWideStringUI& other) const;
  CWideStringUI operator+(const wchar_t* text) const;

  bool operator==(const wchar_t* text) const { return Compare(text) == 0; }
  bool operator!=(const wchar_t* text) const { return Compare(text) != 0; }
  bool operator<(const wchar_t* text) const { return Compare(text) < 0; }
  operator const wchar_t*() const { return data; }  // NOLINT: used as a C string everywhere

  const wchar_t* GetData() const { return data; }
  int GetLength() const { return size; }
  bool IsEmpty() const { return size == 0; }
  bool UsesInlineBuffer() const { return data == inlineBuffer; }
  // The character at index, or 0 outside the text.
  wchar_t GetAt(int index) const;
  void SetAt(int index, wchar_t ch);

  void Empty();
  // Copies length characters of text (all of it when length is negative).
  void Assign(const wchar_t* text, int length = -1);
  void Append(const wchar_t* text);

  // Case-sensitive; negative, zero or positive like wcscmp.
  int Compare(const wchar_t* text) const;
  int CompareNoCase(const wchar_t* text) const;

  // Index of the first match at or after start, or -1.
  int Find(wchar_t ch, int start = 0) const;
  int Find(const wchar_t* text, int start = 0) const;
  // Replaces every occurrence, left to right without overlap; returns the count.
  int Replace(const wchar_t* from, const wchar_t* to);
  void MakeLower();
  void MakeUpper();

  CWideStringUI Left(int count) const;
  CWideStringUI Mid(int position, int count = -1) const;
  CWideStringUI Right(int count) const;

  // printf-style through wvsprintfW (%s is a wide string); returns the length.
  int Format(const wchar_t* format, ...);
  int FormatList(const wchar_t* format, va_list args);

 private:
  CWideStringUI& AppendGrowing(wchar_t ch);
  void SetLength(int length);  // makes room for length characters, keeps the text
  void GrowHeap(int length);   // a heap buffer of at least length characters
  void FreeHeap();
  void TakeBuffer(CWideStringUI& other);  // other's text becomes ours, other empties

  wchar_t* data;
  int size = 0;
  int heapCapacity = 0;  // characters the heap buffer holds besides the terminator
  wchar_t inlineBuffer[kInlineUnits];
};

}  // namespace SkinUI

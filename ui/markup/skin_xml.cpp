#include "ui/markup/skin_xml.h"

#include <emmintrin.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <new>
#include <vector>

#include "ui/markup/skin_resources.h"

namespace SkinUI {

namespace {

const wchar_t kExpectedStartTag[] = L"Expected start tag";
const wchar_t kErrorParsingElementName[] = L"Error parsing element name";
const wchar_t kExpectedStartTagClosing[] = L"Expected start-tag closing";
const wchar_t kExpectedEndTagStart[] = L"Expected end-tag start";
const wchar_t kUnmatchedClosingTag[] = L"Unmatched closing tag";
const wchar_t kErrorParsingAttributes[] = L"Error while parsing attributes";
const wchar_t kExpectedAttributeValue[] = L"Expected attribute value";
const wchar_t kErrorParsingAttributeString[] = L"Error while parsing attribute string";
const wchar_t kNestedTooDeeply[] = L"Elements nested too deeply";
const wchar_t kOutOfMemory[] = L"Out of memory";
const wchar_t kCouldNotConvertText[] = L"Could not convert text";

constexpr uint32_t kFirstGrowth = 500;

struct TEntity {
  const wchar_t* name;  // without the leading '&'
  size_t length;
  wchar_t character;
};

const TEntity kEntities[] = {
    {L"amp;", 4, L'&'},  {L"lt;", 3, L'<'},    {L"gt;", 3, L'>'},
    {L"quot;", 5, L'"'}, {L"apos;", 5, L'\''},
};

// Characters below the combining marks (U+0300) are one character each, and
// so is one followed by such a character: there the step is one code unit.
// Anything else (combining marks, surrogates, other scripts) takes the
// platform's own step.
constexpr wchar_t kFirstCombiningMark = 0x0300;

inline const wchar_t* NextCharacter(const wchar_t* p) {
  if (p[0] != L'\0' && p[0] < kFirstCombiningMark && p[1] < kFirstCombiningMark) return p + 1;
  return CharNextW(p);
}

inline wchar_t* NextCharacter(wchar_t* p) {
  return const_cast<wchar_t*>(NextCharacter(static_cast<const wchar_t*>(p)));
}

constexpr bool IsAsciiNameCharacter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'_' || c == L':';
}

struct TAsciiNameTable {
  bool name[0x80] = {};
  constexpr TAsciiNameTable() {
    for (wchar_t c = 0; c < 0x80; ++c) name[c] = IsAsciiNameCharacter(c);
  }
};
constexpr TAsciiNameTable kAsciiNames;

// ASCII is decided here; the C runtime classifies the rest.
inline bool IsNameCharacter(wchar_t c) {
  if (c < 0x80) return kAsciiNames.name[c];
  return iswalnum(c) != 0;
}

void SkipName(wchar_t*& p) {
  for (;;) {
    const wchar_t c = *p;
    if (c < 0x80 && p[1] < kFirstCombiningMark) {
      if (!kAsciiNames.name[c]) return;
      ++p;
      continue;
    }
    if (c == L'\0' || !IsNameCharacter(c)) return;
    p = NextCharacter(p);
  }
}

// Text and values run until one of these. The platform's character step
// never joins one of them to the character before it (they are no marks and
// no surrogates), so plain text is passed one code unit at a time.
inline bool EndsPlainRun(wchar_t c, wchar_t stop) {
  return c == L'\0' || c == stop || c == L'&';
}

void SkipWhitespaceInPlace(wchar_t*& p) {
  p = const_cast<wchar_t*>(CSkinXml::SkipWhitespace(p));
}

// p is just after '&'. Anything but the five entities stays literal text.
void DecodeEntity(wchar_t*& p, wchar_t*& out) {
  for (const TEntity& entity : kEntities) {
    if (wcsncmp(p, entity.name, entity.length) == 0) {
      *out++ = entity.character;
      p += entity.length;
      return;
    }
  }
  *out++ = L'&';
}

bool ProcessorHasSse2() {
  static const bool has = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE;
  return has;
}

// Aligned loads never cross into the next page, so reading a block past the
// terminating NUL is safe.
[[gnu::target("sse2")]] wchar_t* SkipPlainRunEightAtATime(wchar_t* p, wchar_t stop) {
  for (; (reinterpret_cast<uintptr_t>(p) & 15) != 0; ++p) {
    if (EndsPlainRun(*p, stop)) return p;
  }
  const __m128i nul = _mm_setzero_si128();
  const __m128i stops = _mm_set1_epi16(static_cast<short>(stop));
  const __m128i ampersands = _mm_set1_epi16(static_cast<short>(L'&'));
  for (;; p += 8) {
    const __m128i units = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i ends =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(units, nul), _mm_cmpeq_epi16(units, stops)),
                     _mm_cmpeq_epi16(units, ampersands));
    const int mask = _mm_movemask_epi8(ends);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
  }
}

wchar_t* SkipPlainRun(wchar_t* p, wchar_t stop) {
  if (ProcessorHasSse2()) return SkipPlainRunEightAtATime(p, stop);
  while (!EndsPlainRun(*p, stop)) ++p;
  return p;
}

// The ASCII bytes at the start of in, widened into out; their count.
size_t WidenAsciiPlainly(const unsigned char* in, size_t length, wchar_t* out) {
  size_t i = 0;
  for (; i < length && in[i] < 0x80; ++i) out[i] = in[i];
  return i;
}

[[gnu::target("sse2")]] size_t WidenAsciiSixteenAtATime(const unsigned char* in, size_t length,
                                                        wchar_t* out) {
  const __m128i zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 16 <= length; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    if (_mm_movemask_epi8(bytes) != 0) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(bytes, zero));
  }
  return i + WidenAsciiPlainly(in + i, length - i, out + i);
}

size_t WidenAscii(const unsigned char* in, size_t length, wchar_t* out) {
  return ProcessorHasSse2() ? WidenAsciiSixteenAtATime(in, length, out)
                            : WidenAsciiPlainly(in, length, out);
}

// Where the stretch of other bytes that starts at from ends: at the first run
// of ASCII long enough to be worth widening apart, or at the end.
size_t EndOfNonAscii(const unsigned char* in, size_t from, size_t length) {
  constexpr size_t kWorthwhileAsciiRun = 16;
  size_t end = from;
  while (end < length) {
    if (in[end] >= 0x80) {
      ++end;
      continue;
    }
    size_t run = end;
    while (run < length && in[run] < 0x80 && run - end < kWorthwhileAsciiRun) ++run;
    if (run == length || run - end == kWorthwhileAsciiRun) return end;
    end = run;
  }
  return end;
}

// UTF-8 into out (room for length units): the skin is mostly ASCII, which is
// widened here; the stretches between long ASCII runs go to the platform.
// An ASCII byte never belongs to a longer sequence, so cutting before one
// decodes each stretch as the whole text would be. 0 when a stretch fails.
int ConvertUtf8(const unsigned char* in, int length, wchar_t* out) {
  const size_t total = static_cast<size_t>(length);
  size_t read = 0;
  size_t written = 0;
  while (read < total) {
    const size_t ascii = WidenAscii(in + read, total - read, out + written);
    read += ascii;
    written += ascii;
    if (read == total) break;
    const size_t end = EndOfNonAscii(in, read, total);
    const int converted = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(in + read),
                                              static_cast<int>(end - read), out + written,
                                              static_cast<int>(total - written));
    if (converted <= 0) return 0;
    read = end;
    written += static_cast<size_t>(converted);
  }
  return static_cast<int>(written);
}

}  // namespace

const wchar_t* CSkinXml::SkipWhitespace(const wchar_t* p) {
  while (*p > L'\0' && *p <= L' ') p = NextCharacter(p);
  return p;
}

CSkinXml::CSkinXml(bool preserve) : preserveWhitespace(preserve) {}

CSkinXml::~CSkinXml() {
  Release();
}

void CSkinXml::Release() {
  delete[] documentText;
  documentText = nullptr;
  delete[] elements;
  elements = nullptr;
  elementCount = 0;
  capacity = 0;
}

bool CSkinXml::LoadText(const wchar_t* text) {
  Release();
  SetError(L"", L"");
  if (!text) return false;
  const size_t length = wcslen(text);
  // Element records keep text positions in 32 bits.
  if (length >= UINT32_MAX) return Fail(kOutOfMemory, L"");
  wchar_t* copy = new (std::nothrow) wchar_t[length + 1];
  if (!copy) return Fail(kOutOfMemory, L"");
  std::memcpy(copy, text, (length + 1) * sizeof(wchar_t));
  return TakeText(copy);
}

bool CSkinXml::LoadBytes(const void* bytes, DWORD length, int encoding) {
  Release();
  SetError(L"", L"");
  if (!bytes && length > 0) return false;
  if (!ConvertBytes(static_cast<const unsigned char*>(bytes), length, encoding)) {
    Release();
    return false;
  }
  wchar_t* text = documentText;
  documentText = nullptr;
  return TakeText(text);
}

bool CSkinXml::LoadFile(const wchar_t* name, int encoding) {
  Release();
  SetError(L"", L"");
  std::vector<unsigned char> bytes;
  const wchar_t* message = nullptr;
  if (!ReadMarkupBytes(name, bytes, message)) {
    SetError(message, L"");
    return false;
  }
  return LoadBytes(bytes.data(), static_cast<DWORD>(bytes.size()), encoding);
}

CSkinXmlNode CSkinXml::GetRoot() const {
  // Element 0 stands for the document itself.
  if (elementCount < 2) return CSkinXmlNode();
  return CSkinXmlNode(this, 1);
}

bool CSkinXml::TakeText(wchar_t* text) {
  documentText = text;
  if (Parse()) return true;
  Release();
  return false;
}

bool CSkinXml::ConvertBytes(const unsigned char* bytes, DWORD length, int encoding) {
  switch (encoding) {
    case kSkinXmlUtf8:
      if (length > 2 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        length -= 3;
      }
      return ConvertMultiByte(CP_UTF8, bytes, length);
    case kSkinXmlAnsi:
      return ConvertMultiByte(CP_ACP, bytes, length);
    case kSkinXmlUtf16:
      return ConvertUtf16(bytes, length);
  }
  return Fail(kCouldNotConvertText, L"");
}

// One conversion into a buffer as long as the bytes: no code page makes more
// UTF-16 units than it has bytes, so no counting pass is needed first.
bool CSkinXml::ConvertMultiByte(UINT codePage, const unsigned char* bytes, DWORD length) {
  if (length > static_cast<DWORD>(INT_MAX)) return Fail(kOutOfMemory, L"");
  const char* source = reinterpret_cast<const char*>(bytes);
  const int sourceLength = static_cast<int>(length);
  documentText = new (std::nothrow) wchar_t[static_cast<size_t>(sourceLength) + 1];
  if (!documentText) return Fail(kOutOfMemory, L"");
  int converted = 0;
  if (sourceLength > 0) {
    converted = codePage == CP_UTF8 ? ConvertUtf8(bytes, sourceLength, documentText)
                                    : MultiByteToWideChar(codePage, 0, source, sourceLength,
                                                          documentText, sourceLength);
    if (converted <= 0) return Fail(kCouldNotConvertText, L"");
  }
  documentText[converted] = L'\0';
  return true;
}

// Text without a byte-order mark is read in the platform's own (little-endian)
// order; an odd trailing byte is dropped.
bool CSkinXml::ConvertUtf16(const unsigned char* bytes, DWORD length) {
  bool swap = false;
  if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    swap = true;
    bytes += 2;
    length -= 2;
  } else if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    bytes += 2;
    length -= 2;
  }
  const size_t count = length / 2;
  documentText = new (std::nothrow) wchar_t[count + 1];
  if (!documentText) return Fail(kOutOfMemory, L"");
  for (size_t i = 0; i < count; ++i) {
    const unsigned char first = bytes[2 * i];
    const unsigned char second = bytes[2 * i + 1];
    documentText[i] = swap ? static_cast<wchar_t>((first << 8) | second)
                           : static_cast<wchar_t>((second << 8) | first);
  }
  documentText[count] = L'\0';
  return true;
}

bool CSkinXml::Parse() {
  elementCount = 0;
  SetError(L"", L"");
  uint32_t document = 0;
  if (!ReserveElement(document)) return Fail(kOutOfMemory, L"");
  wchar_t* p = documentText;
  return ParseElements(p, document, 1);
}

bool CSkinXml::ReserveElement(uint32_t& index) {
  if (elementCount == 0) capacity = 0;
  if (elementCount >= capacity) {
    const uint64_t grown = static_cast<uint64_t>(capacity) + capacity / 2 + kFirstGrowth;
    if (grown > UINT32_MAX) return false;
    TElement* larger = new (std::nothrow) TElement[static_cast<size_t>(grown)];
    if (!larger) return false;
    if (elementCount > 0) std::memcpy(larger, elements, elementCount * sizeof(TElement));
    delete[] elements;
    elements = larger;
    capacity = static_cast<uint32_t>(grown);
  }
  index = elementCount++;
  return true;
}

// Runs over the elements of one level; recursion handles their children.
// Returns at the end of the text or at the "</" that closes the parent.
bool CSkinXml::ParseElements(wchar_t*& p, uint32_t parent, uint32_t depth) {
  uint32_t previous = 0;
  SkipWhitespaceInPlace(p);
  for (;;) {
    // The end of the text closes the root and its direct children implicitly.
    if (*p == L'\0' && parent <= 1) return true;
    SkipWhitespaceInPlace(p);
    if (*p != L'<') return Fail(kExpectedStartTag, p);
    if (p[1] == L'/') return true;
    *p++ = L'\0';
    SkipWhitespaceInPlace(p);
    if (*p == L'!' || *p == L'?') {
      SkipMarkupDeclaration(p);
      SkipWhitespaceInPlace(p);
      continue;
    }

    uint32_t index = 0;
    if (!ReserveElement(index)) return Fail(kOutOfMemory, p);
    elements[index] = TElement{static_cast<uint32_t>(p - documentText), 0, 0, parent, 0};
    if (previous != 0) {
      elements[previous].nextSibling = index;
    } else if (parent != 0) {
      elements[parent].firstChild = index;
    }
    previous = index;

    wchar_t* name = p;
    SkipName(p);
    wchar_t* nameEnd = p;
    if (*p == L'\0') return Fail(kErrorParsingElementName, p);
    if (!ParseAttributes(p)) return false;
    SkipWhitespaceInPlace(p);

    if (p[0] == L'/' && p[1] == L'>') {
      elements[index].valueOffset = static_cast<uint32_t>(p - documentText);
      *p = L'\0';
      p += 2;
    } else {
      if (*p != L'>') return Fail(kExpectedStartTagClosing, p);
      ++p;
      elements[index].valueOffset = static_cast<uint32_t>(p - documentText);
      wchar_t* out = p;
      ParseData(p, out, L'<');
      if (*p == L'\0' && parent <= 1) {
        *out = L'\0';
        *nameEnd = L'\0';
        return true;
      }
      if (*p != L'<') return Fail(kExpectedEndTagStart, p);
      if (p[1] != L'/') {
        if (depth >= kMaxNestingDepth) return Fail(kNestedTooDeeply, p);
        if (!ParseElements(p, index, depth + 1)) return false;
      }
      const bool atEndTag = p[0] == L'<' && p[1] == L'/';
      *out = L'\0';
      if (atEndTag) {
        *p = L'\0';
        p += 2;
        if (!ParseEndTag(p, name, static_cast<size_t>(nameEnd - name))) return false;
      }
    }
    *nameEnd = L'\0';
    SkipWhitespaceInPlace(p);
  }
}

// p is just after the element name.
bool CSkinXml::ParseAttributes(wchar_t*& p) {
  if (*p == L'>') return true;
  // Ends the element name; a '/' right after the name is consumed here, so
  // "<Name/>" reads as a start tag.
  *p++ = L'\0';
  SkipWhitespaceInPlace(p);
  while (*p != L'\0' && *p != L'>' && *p != L'/') {
    SkipName(p);
    wchar_t* nameEnd = p;
    SkipWhitespaceInPlace(p);
    if (*p != L'=') return Fail(kErrorParsingAttributes, p);
    *p++ = L' ';
    *nameEnd = L'\0';
    SkipWhitespaceInPlace(p);
    if (*p != L'"') return Fail(kExpectedAttributeValue, p);
    ++p;
    wchar_t* out = p;
    ParseData(p, out, L'"');
    if (*p == L'\0') return Fail(kErrorParsingAttributeString, p);
    *out = L'\0';
    // Keeps the gap visible as whitespace to the attribute scan of a node.
    if (p != out) *p = L' ';
    ++p;
    SkipWhitespaceInPlace(p);
  }
  return true;
}

// Decodes text up to stop (or the end) in place; out never passes p.
void CSkinXml::ParseData(wchar_t*& p, wchar_t*& out, wchar_t stop) {
  if (preserveWhitespace) {
    CopyPlainData(p, out, stop);
  } else {
    CollapseBlankData(p, out, stop);
  }
  // The caller terminates at out; the rest of the gap becomes blanks so that
  // a node's attribute scan steps over it.
  for (wchar_t* fill = out + 1; fill < p; ++fill) *fill = L' ';
}

// Everything but the entities stays as it is: passed over until the first
// entity, moved down behind it after that.
void CSkinXml::CopyPlainData(wchar_t*& p, wchar_t*& out, wchar_t stop) {
  wchar_t* in = SkipPlainRun(p, stop);
  wchar_t* to = in;
  while (*in == L'&') {
    while (*in == L'&') DecodeEntity(++in, to);
    wchar_t* const end = SkipPlainRun(in, stop);
    std::memmove(to, in, static_cast<size_t>(end - in) * sizeof(wchar_t));
    to += end - in;
    in = end;
  }
  p = in;
  out = to;
}

void CSkinXml::CollapseBlankData(wchar_t*& p, wchar_t*& out, wchar_t stop) {
  while (*p != L'\0' && *p != stop) {
    if (*p == L'&') {
      while (*p == L'&') DecodeEntity(++p, out);
      if (*p == stop) break;
    }
    if (*p == L' ') {
      *out++ = *p++;
      SkipWhitespaceInPlace(p);
    } else if (*p != L'\0') {
      *out++ = *p++;
    }
  }
}

bool CSkinXml::ParseEndTag(wchar_t*& p, const wchar_t* name, size_t nameLength) {
  SkipWhitespaceInPlace(p);
  if (wcsncmp(p, name, nameLength) != 0) return Fail(kUnmatchedClosingTag, p);
  p += nameLength;
  SkipWhitespaceInPlace(p);
  if (*p != L'>') return Fail(kUnmatchedClosingTag, p);
  ++p;
  return true;
}

// Comments end at "->", declarations at "?>"; without one the rest of the
// text is skipped.
void CSkinXml::SkipMarkupDeclaration(wchar_t*& p) {
  const wchar_t last = (*p == L'!') ? L'-' : L'?';
  while (*p != L'\0' && !(p[0] == last && p[1] == L'>')) p = NextCharacter(p);
  if (*p != L'\0') p += 2;
}

bool CSkinXml::Fail(const wchar_t* message, const wchar_t* location) {
  SetError(message, location);
  return false;
}

void CSkinXml::SetError(const wchar_t* message, const wchar_t* location) {
  lstrcpynW(errorMessage, message ? message : L"", kErrorMessageSize);
  lstrcpynW(errorLocation, location ? location : L"", kErrorLocationSize);
}

}  // namespace SkinUI

#pragma once
// Reads skin markup, a small fast subset of XML, into a flat table of
// elements. The text is held in one UTF-16 buffer that the parse rewrites in
// place: names and values are terminated and decoded where they stand, so
// nothing is copied per element and every string a node hands out points into
// that buffer.

#include <windows.h>

#include <cstdint>

#include "ui/markup/skin_xml_node.h"

namespace SkinUI {

enum SkinXmlEncoding : int {
  kSkinXmlUtf8 = 0,
  kSkinXmlUtf16 = 1,
  kSkinXmlAnsi = 2,  // the system's ANSI code page
};

// One element of a document; positions count characters from the start of
// the text, links are element indices with 0 for none.
struct TSkinXmlElement {
  uint32_t nameOffset;
  uint32_t firstChild;
  uint32_t nextSibling;
  uint32_t parent;       // 0 for elements at document level
  uint32_t valueOffset;  // where the text content begins
};

class CSkinXml {
 public:
  static constexpr int kErrorMessageSize = 100;
  static constexpr int kErrorLocationSize = 50;
  // The parse recurses once per level; deeper documents fail with "Elements
  // nested too deeply" instead of running out of stack. Far above any skin.
  static constexpr uint32_t kMaxNestingDepth = 1000;

  explicit CSkinXml(bool preserve = true);
  ~CSkinXml();
  CSkinXml(const CSkinXml&) = delete;
  CSkinXml& operator=(const CSkinXml&) = delete;

  // Each load replaces the document; on failure the document is empty and the
  // error message and location say why.
  bool LoadText(const wchar_t* text);
  bool LoadBytes(const void* bytes, DWORD length, int encoding = kSkinXmlUtf8);
  // Through the skin lookup: a plain file or an entry of the skin archive.
  bool LoadFile(const wchar_t* name, int encoding = kSkinXmlUtf8);
  void Release();

  // Element 1, or an invalid node when the document has no element.
  CSkinXmlNode GetRoot() const;

  const wchar_t* GetLastErrorMessage() const { return errorMessage; }
  // The text where parsing stopped (at most 49 characters); empty for load errors.
  const wchar_t* GetLastErrorLocation() const { return errorLocation; }

  // Past characters 1 ... 32, which the markup treats as whitespace.
  static const wchar_t* SkipWhitespace(const wchar_t* p);

  // When off, a run of whitespace in text and values that starts with a space
  // collapses into that space. Applies to the next load.
  void SetPreserveWhitespace(bool preserve) { preserveWhitespace = preserve; }
  // Records in use (element 0 included) and allocated.
  uint32_t GetElementCount() const { return elementCount; }
  uint32_t GetElementCapacity() const { return capacity; }

 private:
  friend class CSkinXmlNode;

  using TElement = TSkinXmlElement;

  bool TakeText(wchar_t* text);
  bool ConvertBytes(const unsigned char* bytes, DWORD length, int encoding);
  bool ConvertMultiByte(UINT codePage, const unsigned char* bytes, DWORD length);
  bool ConvertUtf16(const unsigned char* bytes, DWORD length);

  bool Parse();
  // depth is the nesting level of the elements this call reads (1 at the top).
  bool ParseElements(wchar_t*& p, uint32_t parent, uint32_t depth);
  bool ParseAttributes(wchar_t*& p);
  void ParseData(wchar_t*& p, wchar_t*& out, wchar_t stop);
  void CopyPlainData(wchar_t*& p, wchar_t*& out, wchar_t stop);
  void CollapseBlankData(wchar_t*& p, wchar_t*& out, wchar_t stop);
  bool ParseEndTag(wchar_t*& p, const wchar_t* name, size_t nameLength);
  void SkipMarkupDeclaration(wchar_t*& p);
  bool ReserveElement(uint32_t& index);
  bool Fail(const wchar_t* message, const wchar_t* location);
  void SetError(const wchar_t* message, const wchar_t* location);

  wchar_t* documentText = nullptr;
  TElement* elements = nullptr;
  uint32_t elementCount = 0;
  uint32_t capacity = 0;
  wchar_t errorMessage[kErrorMessageSize] = {};
  wchar_t errorLocation[kErrorLocationSize] = {};
  bool preserveWhitespace = true;
};

}  // namespace SkinUI

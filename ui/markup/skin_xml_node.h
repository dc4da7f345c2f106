#pragma once
// A light handle on one element of a parsed skin document. Copied freely; it
// owns nothing, and every string it hands out points into the document's text,
// so it is valid only while the document stays loaded. It is small (the skin
// builder holds one per level of a deep skin on the stack) and keeps no table
// of attributes: it remembers where the attribute last asked for lies, so
// reading them in order scans each once, and allocates nothing.

#include <windows.h>

#include <cstdint>

namespace SkinUI {

class CSkinXml;
struct TSkinXmlElement;

class CSkinXmlNode {
 public:
  static constexpr int kMaxAttributes = 64;

  CSkinXmlNode() = default;

  bool IsValid() const { return owner != nullptr; }
  // Null for an invalid node.
  const wchar_t* GetName() const;
  // The element's text content (decoded); null for an invalid node.
  const wchar_t* GetValue() const;
  CSkinXmlNode GetNextSibling() const;
  CSkinXmlNode GetFirstChild() const;
  bool HasChildren() const;

  int GetAttributeCount();
  bool HasAttributes();
  // Empty outside 0 ... count - 1; null for an invalid node.
  const wchar_t* GetAttributeName(int index);
  const wchar_t* GetAttributeValue(int index);
  // Copies the value of the first attribute called exactly name into buffer,
  // at most maxChars characters, NUL-terminated only when the value is
  // shorter: callers pass a zeroed buffer of maxChars + 1.
  bool FindAttributeValue(const wchar_t* name, wchar_t* buffer, SIZE_T maxChars);

 private:
  friend class CSkinXml;

  CSkinXmlNode(const CSkinXml* document, uint32_t at) : elementIndex(at), owner(document) {}
  // Null when the node is invalid or its document was released.
  const TSkinXmlElement* Element() const;
  CSkinXmlNode LinkedNode(uint32_t index) const;
  // The name and value of attribute index; false past the last one.
  bool Locate(int index, const wchar_t*& name, const wchar_t*& value);

  uint32_t elementIndex = 0;
  // The attribute found last, and where its name starts in the text.
  int cursorIndex = -1;
  uint32_t cursorOffset = 0;
  const CSkinXml* owner = nullptr;
};

}  // namespace SkinUI

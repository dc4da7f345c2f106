#include "ui/markup/skin_xml_node.h"

#include <cwchar>

#include "ui/markup/skin_xml.h"

namespace SkinUI {

namespace {
const wchar_t kNoText[] = L"";
}  // namespace

const TSkinXmlElement* CSkinXmlNode::Element() const {
  if (!owner || !owner->documentText || elementIndex >= owner->elementCount) return nullptr;
  return &owner->elements[elementIndex];
}

const wchar_t* CSkinXmlNode::GetName() const {
  const TSkinXmlElement* element = Element();
  return element ? owner->documentText + element->nameOffset : nullptr;
}

const wchar_t* CSkinXmlNode::GetValue() const {
  const TSkinXmlElement* element = Element();
  return element ? owner->documentText + element->valueOffset : nullptr;
}

CSkinXmlNode CSkinXmlNode::GetNextSibling() const {
  const TSkinXmlElement* element = Element();
  return element ? LinkedNode(element->nextSibling) : CSkinXmlNode();
}

CSkinXmlNode CSkinXmlNode::GetFirstChild() const {
  const TSkinXmlElement* element = Element();
  return element ? LinkedNode(element->firstChild) : CSkinXmlNode();
}

bool CSkinXmlNode::HasChildren() const {
  const TSkinXmlElement* element = Element();
  return element && element->firstChild != 0;
}

CSkinXmlNode CSkinXmlNode::LinkedNode(uint32_t index) const {
  if (index == 0) return CSkinXmlNode();
  return CSkinXmlNode(owner, index);
}

int CSkinXmlNode::GetAttributeCount() {
  int count = 0;
  const wchar_t* name = nullptr;
  const wchar_t* value = nullptr;
  while (Locate(count, name, value)) ++count;
  return count;
}

bool CSkinXmlNode::HasAttributes() {
  const wchar_t* name = nullptr;
  const wchar_t* value = nullptr;
  return Locate(0, name, value);
}

const wchar_t* CSkinXmlNode::GetAttributeName(int index) {
  if (!Element()) return nullptr;
  const wchar_t* name = nullptr;
  const wchar_t* value = nullptr;
  return Locate(index, name, value) ? name : kNoText;
}

const wchar_t* CSkinXmlNode::GetAttributeValue(int index) {
  if (!Element()) return nullptr;
  const wchar_t* name = nullptr;
  const wchar_t* value = nullptr;
  return Locate(index, name, value) ? value : kNoText;
}

bool CSkinXmlNode::FindAttributeValue(const wchar_t* name, wchar_t* buffer, SIZE_T maxChars) {
  if (!Element() || !name || !buffer) return false;
  const wchar_t* found = nullptr;
  const wchar_t* value = nullptr;
  for (int i = 0; Locate(i, found, value); ++i) {
    if (wcscmp(found, name) != 0) continue;
    wcsncpy(buffer, value, maxChars);
    return true;
  }
  return false;
}

// The parse left each attribute as: name, NUL, blanks, quote, value, NUL,
// between the element name and the element's value. Every step stays before
// that value, so a damaged layout cannot lead the scan out of the element.
// At most kMaxAttributes attributes are found.
bool CSkinXmlNode::Locate(int index, const wchar_t*& name, const wchar_t*& value) {
  const TSkinXmlElement* element = Element();
  if (!element || index < 0 || index >= kMaxAttributes) return false;
  const wchar_t* text = owner->documentText;
  const wchar_t* end = text + element->valueOffset;
  int at = 0;
  const wchar_t* p = nullptr;
  if (cursorIndex >= 0 && cursorIndex <= index) {
    at = cursorIndex;
    p = text + cursorOffset;
  } else {
    p = text + element->nameOffset;
    p += wcslen(p) + 1;
  }
  for (;; ++at) {
    if (p >= end) return false;
    p = CSkinXml::SkipWhitespace(p);
    if (p >= end) return false;
    const wchar_t* attributeName = p;
    p += wcslen(p) + 1;
    if (p >= end) return false;
    p = CSkinXml::SkipWhitespace(p);
    if (p >= end || *p != L'"') return false;
    ++p;
    if (at == index) {
      cursorIndex = at;
      cursorOffset = static_cast<uint32_t>(attributeName - text);
      name = attributeName;
      value = p;
      return true;
    }
    p += wcslen(p) + 1;
  }
}

}  // namespace SkinUI

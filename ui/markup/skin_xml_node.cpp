#include "ui/markup/skin_xml_node.h"

#include <cwchar>

#include "ui/markup/skin_xml.h"

namespace SkinUI {

namespace {
const wchar_t kNoText[] = L"";
}  // namespace

const TSkinXmlElement* CSkinXmlNode::Element() const {
  if (!document_ || !document_->text_ || elementIndex_ >= document_->elementCount_) return nullptr;
  return &document_->elements_[elementIndex_];
}

const wchar_t* CSkinXmlNode::GetName() const {
  const TSkinXmlElement* element = Element();
  return element ? document_->text_ + element->nameOffset : nullptr;
}

const wchar_t* CSkinXmlNode::GetValue() const {
  const TSkinXmlElement* element = Element();
  return element ? document_->text_ + element->valueOffset : nullptr;
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
  return CSkinXmlNode(document_, index);
}

int CSkinXmlNode::GetAttributeCount() {
  if (attributeCount_ == 0) FillAttributes();
  return attributeCount_;
}

bool CSkinXmlNode::HasAttributes() {
  return GetAttributeCount() > 0;
}

const wchar_t* CSkinXmlNode::GetAttributeName(int index) {
  if (!Element()) return nullptr;
  if (index < 0 || index >= GetAttributeCount()) return kNoText;
  return document_->text_ + attributes_[index].nameOffset;
}

const wchar_t* CSkinXmlNode::GetAttributeValue(int index) {
  if (!Element()) return nullptr;
  if (index < 0 || index >= GetAttributeCount()) return kNoText;
  return document_->text_ + attributes_[index].valueOffset;
}

bool CSkinXmlNode::FindAttributeValue(const wchar_t* name, wchar_t* buffer, SIZE_T maxChars) {
  if (!Element() || !name || !buffer) return false;
  const int count = GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    if (wcscmp(document_->text_ + attributes_[i].nameOffset, name) != 0) continue;
    wcsncpy(buffer, document_->text_ + attributes_[i].valueOffset, maxChars);
    return true;
  }
  return false;
}

// The parse left each attribute as: name, NUL, blanks, quote, value, NUL,
// between the element name and the element's value. Every step stays before
// that value, so a damaged layout cannot lead the scan out of the element.
void CSkinXmlNode::FillAttributes() {
  attributeCount_ = 0;
  const TSkinXmlElement* element = Element();
  if (!element) return;
  const wchar_t* text = document_->text_;
  const wchar_t* end = text + element->valueOffset;
  const wchar_t* p = text + element->nameOffset;
  p += wcslen(p) + 1;
  while (p < end && attributeCount_ < kMaxAttributes) {
    p = CSkinXml::SkipWhitespace(p);
    if (p >= end) return;
    const wchar_t* name = p;
    p += wcslen(p) + 1;
    if (p >= end) return;
    p = CSkinXml::SkipWhitespace(p);
    if (p >= end || *p != L'"') return;
    ++p;
    attributes_[attributeCount_].nameOffset = static_cast<uint32_t>(name - text);
    attributes_[attributeCount_].valueOffset = static_cast<uint32_t>(p - text);
    ++attributeCount_;
    p += wcslen(p) + 1;
  }
}

}  // namespace SkinUI

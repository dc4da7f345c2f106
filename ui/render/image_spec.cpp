#include "ui/render/image_spec.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace SkinUI {

namespace {

bool IsBlank(wchar_t ch) {
  return ch != 0 && ch <= 0x20;
}

const wchar_t* SkipBlanks(const wchar_t* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

LONG ReadNumber(const wchar_t*& p) {
  wchar_t* end = nullptr;
  const long value = wcstol(p, &end, 10);
  p = end;
  if (*p != 0) ++p;  // the separator, whatever it is
  return static_cast<LONG>(value);
}

DWORD ReadHexColor(const wchar_t* value) {
  if (*value == L'#') ++value;
  return static_cast<DWORD>(wcstoul(value, nullptr, 16));
}

}  // namespace

CImageSpecParser::CImageSpecParser(const RECT& item, FlushImage flush, CDpiScaleUI dpiScale,
                                   bool pixels)
    : itemRect(item),
      flushImage(std::move(flush)),
      scale(pixels ? CDpiScaleUI() : dpiScale),
      inPixels(pixels) {}

CRectUI CImageSpecParser::ParseFourNumbers(const wchar_t* value) {
  const wchar_t* p = value;
  CRectUI rc;
  rc.left = ReadNumber(p);
  rc.top = ReadNumber(p);
  rc.right = ReadNumber(p);
  rc.bottom = ReadNumber(p);
  return rc;
}

void CImageSpecParser::Parse(const wchar_t* text, TImageSpec& spec) const {
  if (text == nullptr) return;
  const wchar_t* p = text;
  while (*p != 0) {
    p = SkipBlanks(p);
    const wchar_t* keyStart = p;
    while (*p != 0 && *p != L'=' && !IsBlank(*p)) ++p;
    const CWideStringUI key(keyStart, static_cast<int>(p - keyStart));
    p = SkipBlanks(p);
    if (*p != L'=') return;
    p = SkipBlanks(p + 1);
    if (*p != L'\'') return;
    const wchar_t* valueStart = ++p;
    while (*p != 0 && *p != L'\'') ++p;
    if (*p == 0) return;
    const CWideStringUI value(valueStart, static_cast<int>(p - valueStart));
    ++p;
    if (!value.IsEmpty()) ApplyKey(key, value, spec);
    // Pairs are separated by exactly one space; a tab or anything else ends
    // the string.
    if (*p != L' ') return;
    ++p;
  }
}

void CImageSpecParser::FlushIfNamed(const TImageSpec& spec) const {
  if (spec.imageCount > 0 && flushImage) flushImage(spec);
}

void CImageSpecParser::ApplyKey(const CWideStringUI& key, const CWideStringUI& value,
                                TImageSpec& spec) const {
  if (key == L"file") {
    FlushIfNamed(spec);
    spec.name = value;
    ++spec.imageCount;
  } else if (key == L"res") {
    FlushIfNamed(spec);
    spec.name = value;
  } else if (key == L"restype") {
    FlushIfNamed(spec);
    spec.type = value;
    ++spec.imageCount;
  } else if (key == L"dest") {
    const CRectUI offsets = scale.ToDevice(ParseFourNumbers(value));
    spec.dest = CRectUI(itemRect.left + offsets.left, itemRect.top + offsets.top,
                        std::min(itemRect.left + offsets.right, itemRect.right),
                        std::min(itemRect.top + offsets.bottom, itemRect.bottom));
  } else if (key == L"source") {
    spec.source = ParseFourNumbers(value);
    spec.sourceInPixels = inPixels;
  } else if (key == L"corner") {
    spec.corners = ParseFourNumbers(value);
  } else if (key == L"mask") {
    spec.mask = ReadHexColor(value);
  } else if (key == L"fade") {
    spec.fade = static_cast<BYTE>(wcstol(value, nullptr, 10) & 0xFF);
  } else if (key == L"hole") {
    spec.hole = value == L"true";
  } else if (key == L"xtiled") {
    spec.xtiled = value == L"true";
  } else if (key == L"ytiled") {
    spec.ytiled = value == L"true";
  }
}

}  // namespace SkinUI

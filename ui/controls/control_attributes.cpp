// CControlUI: the common markup attributes and the readers of their values.

#include <cwchar>

#include "ui/controls/control.h"
#include "ui/render/image_spec.h"

namespace SkinUI {

namespace AttributeValue {

int Integer(const wchar_t* value) {
  return value != nullptr ? static_cast<int>(wcstol(value, nullptr, 10)) : 0;
}

// wcstoul also takes a "0x" prefix, which some skins write.
DWORD ColorAfterBlanks(const wchar_t* value) {
  if (value == nullptr) return 0;
  while (*value != 0 && *value <= L' ') ++value;
  return Color(value);
}

DWORD Color(const wchar_t* value) {
  if (value == nullptr) return 0;
  if (*value == L'#') ++value;
  return static_cast<DWORD>(wcstoul(value, nullptr, 16));
}

RECT Rectangle(const wchar_t* value) {
  return CImageSpecParser::ParseFourNumbers(value != nullptr ? value : L"");
}

SIZE Size(const wchar_t* value) {
  const RECT numbers = Rectangle(value);
  return CSizeUI(numbers.left, numbers.top);
}

bool Boolean(const wchar_t* value) {
  return value != nullptr && wcscmp(value, L"true") == 0;
}

bool Is(const wchar_t* name, const wchar_t* expected) {
  return name != nullptr && wcscmp(name, expected) == 0;
}

}  // namespace AttributeValue

namespace {

using namespace AttributeValue;

// One pair of an attribute list: name="value", followed by exactly one space
// before the next pair.
struct TAttributePair {
  CWideStringUI name;
  CWideStringUI value;
};

// Reads the pair at p; false (and nothing read) when it is malformed.
bool ReadPair(const wchar_t*& p, TAttributePair& pair) {
  const wchar_t* nameStart = p;
  while (*p != 0 && *p != L'=') p = CharNextW(p);
  if (*p != L'=') return false;
  pair.name.Assign(nameStart, static_cast<int>(p - nameStart));
  ++p;
  if (*p != L'"') return false;
  const wchar_t* valueStart = ++p;
  while (*p != 0 && *p != L'"') p = CharNextW(p);
  if (*p != L'"') return false;
  pair.value.Assign(valueStart, static_cast<int>(p - valueStart));
  ++p;
  return true;
}

}  // namespace

void CControlUI::ApplyAttributeText(const wchar_t* list) {
  if (list == nullptr) return;
  const wchar_t* p = list;
  TAttributePair pair;
  while (*p != 0) {
    if (!ReadPair(p, pair)) return;
    ApplyAttribute(pair.name, pair.value);
    if (*p != L' ') return;
    ++p;
  }
}

void CControlUI::ApplyAttribute(const wchar_t* attribute, const wchar_t* value) {
  if (attribute == nullptr || value == nullptr) return;
  if (Is(attribute, L"pos")) {
    // A negative width or height is refused by its setter, so "575,0,0,0"
    // sets only the offset.
    const RECT pos = Rectangle(value);
    SetFixedOffset(
        CSizeUI(pos.left >= 0 ? pos.left : pos.right, pos.top >= 0 ? pos.top : pos.bottom));
    SetFixedWidth(pos.right - pos.left);
    SetFixedHeight(pos.bottom - pos.top);
  } else if (Is(attribute, L"relativepos")) {
    const RECT move = Rectangle(value);
    SetRelativePos(move.left, move.top, move.right, move.bottom);
  } else if (Is(attribute, L"padding")) {
    SetPadding(Rectangle(value));
  } else if (Is(attribute, L"bkcolor") || Is(attribute, L"bkcolor1")) {
    SetBkColor(ColorAfterBlanks(value));
  } else if (Is(attribute, L"bkcolor2")) {
    SetBkColor2(ColorAfterBlanks(value));
  } else if (Is(attribute, L"bkcolor3")) {
    SetBkColor3(ColorAfterBlanks(value));
  } else if (Is(attribute, L"bordercolor")) {
    SetBorderColor(Color(value));
  } else if (Is(attribute, L"focusbordercolor")) {
    SetFocusBorderColor(Color(value));
  } else if (Is(attribute, L"colorhsl")) {
    SetColorHSL(Boolean(value));
  } else if (Is(attribute, L"bordersize")) {
    SetBorderSize(Integer(value));
  } else if (Is(attribute, L"borderround")) {
    const SIZE round = Size(value);
    SetBorderRound(round.cx, round.cy);
  } else if (Is(attribute, L"bkimage")) {
    SetBkImage(value);
  } else if (Is(attribute, L"width")) {
    SetFixedWidth(Integer(value));
  } else if (Is(attribute, L"height")) {
    SetFixedHeight(Integer(value));
  } else if (Is(attribute, L"minwidth")) {
    SetMinWidth(Integer(value));
  } else if (Is(attribute, L"minheight")) {
    SetMinHeight(Integer(value));
  } else if (Is(attribute, L"maxwidth")) {
    SetMaxWidth(Integer(value));
  } else if (Is(attribute, L"maxheight")) {
    SetMaxHeight(Integer(value));
  } else if (Is(attribute, L"name")) {
    SetName(value);
  } else if (Is(attribute, L"text")) {
    SetText(value);
  } else if (Is(attribute, L"tooltip")) {
    SetToolTip(value);
  } else if (Is(attribute, L"userdata")) {
    SetUserData(value);
  } else if (Is(attribute, L"enabled")) {
    SetEnabled(Boolean(value));
  } else if (Is(attribute, L"mouse")) {
    SetMouseEnabled(Boolean(value));
  } else if (Is(attribute, L"keyboard")) {
    SetKeyboardEnabled(Boolean(value));
  } else if (Is(attribute, L"visible")) {
    SetVisible(Boolean(value));
  } else if (Is(attribute, L"float")) {
    SetFloat(Boolean(value));
  } else if (Is(attribute, L"shortcut")) {
    SetShortcut(value[0]);
  } else if (Is(attribute, L"menu")) {
    SetMenuEnabled(Boolean(value));
  } else if (Is(attribute, L"focusrect")) {
    SetFocusRectStyle(value);
  } else if (Is(attribute, L"accessiblename")) {
    SetAccessibleName(value);
  } else if (Is(attribute, L"accessibledescription")) {
    SetAccessibleDescription(value);
  }
}

}  // namespace SkinUI

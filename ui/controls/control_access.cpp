// CControlUI: what screen readers are told about a control, and the events
// that tell them of changes.

#include <oleacc.h>

#include <string>

#include "ui/controls/control.h"

namespace SkinUI {

namespace {

bool IsMarkupOpen(wchar_t ch) {
  return ch == L'<' || ch == L'{';
}
bool IsMarkupClose(wchar_t ch) {
  return ch == L'>' || ch == L'}';
}

// "<{>", "<}>", "{<}" and "{>}" stand for their middle character.
bool IsEscape(const wchar_t* p) {
  if (p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') return true;
  return p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}';
}

// A tag: a bracket, an optional "/" and a lower-case letter.
const wchar_t* TagEnd(const wchar_t* p) {
  const wchar_t* q = p + 1;
  if (*q == L'/') ++q;
  if (*q < L'a' || *q > L'z') return nullptr;
  while (*q != 0 && !IsMarkupClose(*q)) ++q;
  return *q != 0 ? q + 1 : nullptr;
}

}  // namespace

CWideStringUI CControlUI::PlainText(const CWideStringUI& source, bool markup) {
  if (!markup) return source;
  std::wstring plain;
  for (const wchar_t* p = source.GetData(); *p != 0;) {
    if (IsEscape(p)) {
      plain += p[1];
      p += 3;
    } else if (const wchar_t* end = IsMarkupOpen(*p) ? TagEnd(p) : nullptr) {
      // A line break tag reads as a space between words.
      if (p[1] == L'n') plain += L' ';
      p = end;
    } else {
      plain += *p++;
    }
  }
  const size_t first = plain.find_first_not_of(L' ');
  if (first == std::wstring::npos) return CWideStringUI();
  return CWideStringUI(plain.substr(first, plain.find_last_not_of(L' ') + 1 - first).c_str());
}

DWORD CControlUI::AccessibleRole() const {
  return backImage.IsEmpty() ? ROLE_SYSTEM_CLIENT : ROLE_SYSTEM_GRAPHIC;
}

CWideStringUI CControlUI::AccessibleName() {
  if (!accessibleName.IsEmpty()) return accessibleName;
  if (!text.IsEmpty()) return text;
  return toolTip;
}

CWideStringUI CControlUI::AccessibleDescription() {
  return accessibleDescription;
}

CWideStringUI CControlUI::AccessibleValue() const {
  return CWideStringUI();
}

DWORD CControlUI::AccessibleOwnState() const {
  return 0;
}

CWideStringUI CControlUI::AccessibleDefaultAction() const {
  return CWideStringUI();
}

bool CControlUI::DoAccessibleDefaultAction() {
  return false;
}

bool CControlUI::SelectForAccessibility() {
  return false;
}

int CControlUI::AccessibleChildCount() const {
  return 0;
}

CControlUI* CControlUI::AccessibleChildAt(int /*index*/) const {
  return nullptr;
}

bool CControlUI::DescribeAccessiblePart(int /*part*/, TAccessiblePartUI& /*description*/) const {
  return false;
}

bool CControlUI::DoAccessiblePartAction(int /*part*/) {
  return false;
}

// Hidden by itself or by any parent: invisible; shown but outside every
// parent's area: offscreen.
DWORD CControlUI::AccessibleState() const {
  DWORD state = AccessibleOwnState();
  if (!enabled) state |= STATE_SYSTEM_UNAVAILABLE;
  if ((ControlFlags() & ControlFlagTabStop) != 0 && keyboardEnabled) {
    state |= STATE_SYSTEM_FOCUSABLE;
  }
  if (manager != nullptr && manager->FocusControl() == this) state |= STATE_SYSTEM_FOCUSED;
  bool shown = visible && innerVisible;
  for (const CControlUI* above = parent; above != nullptr && shown; above = above->parent) {
    shown = above->visible;
  }
  if (!shown) return state | STATE_SYSTEM_INVISIBLE;
  RECT area;
  if (itemRect.IsEmpty() || !VisibleArea(area)) state |= STATE_SYSTEM_OFFSCREEN;
  return state;
}

void CControlUI::SetAccessibleName(const wchar_t* value) {
  if (accessibleName == (value != nullptr ? value : L"")) return;
  accessibleName = value;
  NotifyAccessibility(EVENT_OBJECT_NAMECHANGE);
}

void CControlUI::SetAccessibleDescription(const wchar_t* value) {
  accessibleDescription = value;
}

void CControlUI::NotifyAccessibility(DWORD event) {
  if (manager != nullptr) manager->NotifyAccessibleEvent(event, this);
}

}  // namespace SkinUI

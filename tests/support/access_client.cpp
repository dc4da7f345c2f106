#include "tests/support/access_client.h"

namespace SkinUITest {

const IID kAccessibleIid = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

VARIANT Child(LONG id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

ComPtr<IAccessible> ClientObjectOf(HWND window) {
  ComPtr<IAccessible> object;
  AccessibleObjectFromWindow(window, OBJID_CLIENT, kAccessibleIid,
                             reinterpret_cast<void**>(object.GetAddressOf()));
  return object;
}

std::wstring NameOf(IAccessible* object, LONG id) {
  return TextOf(object, &IAccessible::get_accName, id);
}

std::wstring TextOf(IAccessible* object,
                    HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, BSTR*), LONG id) {
  BSTR text = nullptr;
  if ((object->*read)(Child(id), &text) != S_OK || text == nullptr) return L"";
  std::wstring copy(text);
  SysFreeString(text);
  return copy;
}

LONG LongOf(IAccessible* object, HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, VARIANT*),
            LONG id) {
  VARIANT value;
  VariantInit(&value);
  if ((object->*read)(Child(id), &value) != S_OK || value.vt != VT_I4) return -1;
  return value.lVal;
}

ComPtr<IAccessible> ChildObject(IAccessible* parent, LONG position) {
  ComPtr<IDispatch> dispatch;
  ComPtr<IAccessible> child;
  if (parent->get_accChild(Child(position), &dispatch) == S_OK && dispatch) {
    dispatch->QueryInterface(kAccessibleIid, reinterpret_cast<void**>(child.GetAddressOf()));
  }
  return child;
}

ComPtr<IAccessible> ObjectIn(VARIANT& value) {
  ComPtr<IAccessible> object;
  if (value.vt == VT_DISPATCH && value.pdispVal != nullptr) {
    value.pdispVal->QueryInterface(kAccessibleIid, reinterpret_cast<void**>(object.GetAddressOf()));
  }
  VariantClear(&value);
  return object;
}

RECT LocationOf(IAccessible* object, LONG id) {
  LONG left = 0, top = 0, width = 0, height = 0;
  object->accLocation(&left, &top, &width, &height, Child(id));
  return RECT{left, top, left + width, top + height};
}

namespace {

void Walk(IAccessible* object, std::vector<TAccessNode>& nodes, int depth) {
  LONG count = 0;
  if (depth > 64 || object->get_accChildCount(&count) != S_OK) return;
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<IAccessible> child = ChildObject(object, i);
    if (!child) continue;
    TAccessNode node;
    node.object = child;
    node.role = LongOf(child.Get(), &IAccessible::get_accRole);
    node.name = NameOf(child.Get());
    node.state = LongOf(child.Get(), &IAccessible::get_accState);
    nodes.push_back(node);
    Walk(child.Get(), nodes, depth + 1);
  }
}

}  // namespace

std::vector<TAccessNode> WalkTree(IAccessible* root) {
  std::vector<TAccessNode> nodes;
  if (root != nullptr) Walk(root, nodes, 0);
  return nodes;
}

TAccessNode FindShown(IAccessible* root, LONG role, const std::wstring& name) {
  for (const TAccessNode& node : WalkTree(root)) {
    if (node.role == role && node.name == name && node.Shown()) return node;
  }
  return TAccessNode();
}

CAccessEventLog* CAccessEventLog::listening = nullptr;

CAccessEventLog::CAccessEventLog(HWND heard) : window(heard) {
  listening = this;
  hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, Hear, 0, 0, WINEVENT_OUTOFCONTEXT);
}

CAccessEventLog::~CAccessEventLog() {
  Stop();
}

void CAccessEventLog::Stop() {
  if (hook != nullptr) UnhookWinEvent(hook);
  hook = nullptr;
  if (listening == this) listening = nullptr;
}

void CALLBACK CAccessEventLog::Hear(HWINEVENTHOOK, DWORD event, HWND from, LONG object, LONG child,
                                    DWORD, DWORD) {
  if (listening != nullptr && from == listening->window && object == OBJID_CLIENT) {
    listening->events.emplace_back(event, child);
  }
}

}  // namespace SkinUITest

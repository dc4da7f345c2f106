#pragma once
// A screen reader's side of the platform's accessibility interface, for the
// tests that read and drive a window through it: short readers of one
// property, children by position, and a search of the tree by role and
// name.

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <string>
#include <utility>
#include <vector>

namespace SkinUITest {

using Microsoft::WRL::ComPtr;

// The interface id, spelled out: the import library may resolve the
// platform's symbol to a stub.
extern const IID kAccessibleIid;

VARIANT Child(LONG id);
ComPtr<IAccessible> ClientObjectOf(HWND window);
std::wstring NameOf(IAccessible* object, LONG id = CHILDID_SELF);
std::wstring TextOf(IAccessible* object,
                    HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, BSTR*),
                    LONG id = CHILDID_SELF);
// -1 when the value is no number.
LONG LongOf(IAccessible* object, HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, VARIANT*),
            LONG id = CHILDID_SELF);
ComPtr<IAccessible> ChildObject(IAccessible* parent, LONG position);
// The object a VARIANT holds (VT_DISPATCH), or null.
ComPtr<IAccessible> ObjectIn(VARIANT& value);
// Screen rectangle.
RECT LocationOf(IAccessible* object, LONG id = CHILDID_SELF);

// One object of the tree as a reader meets it.
struct TAccessNode {
  ComPtr<IAccessible> object;
  LONG role = 0;
  std::wstring name;
  LONG state = 0;
  bool Shown() const { return (state & STATE_SYSTEM_INVISIBLE) == 0; }
};
// Every object below root, depth first.
std::vector<TAccessNode> WalkTree(IAccessible* root);
// The first shown object of that role and name, or an empty node.
TAccessNode FindShown(IAccessible* root, LONG role, const std::wstring& name);

// What the platform announces for one window's client area, heard by an
// out-of-context hook while the thread runs its messages; one at a time.
class CAccessEventLog {
 public:
  explicit CAccessEventLog(HWND window);
  ~CAccessEventLog();
  CAccessEventLog(const CAccessEventLog&) = delete;
  CAccessEventLog& operator=(const CAccessEventLog&) = delete;
  bool Hooked() const { return hook != nullptr; }
  // Stops listening.
  void Stop();

  // Event and child id, in arrival order.
  std::vector<std::pair<DWORD, LONG>> events;

 private:
  static void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                            DWORD);
  static CAccessEventLog* listening;
  HWND window;
  HWINEVENTHOOK hook = nullptr;
};

}  // namespace SkinUITest

#pragma once
// The accessible object of one control: what the platform's screen readers
// ask through IAccessible, answered from the control's own role, name,
// state and actions. It holds only a weak link (the registry and the
// control's id): once the control or its window is gone every call answers
// CO_E_OBJNOTCONNECTED. Calls arrive on the window's thread (the platform
// marshals those from other apartments and processes there).

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <vector>

#include "ui/access/access_registry.h"
#include "ui/controls/control.h"

namespace SkinUI {

// The interface id, defined here: the import library may resolve the
// platform's symbol to a stub.
extern const IID kIidAccessible;

class CAccessibleUI final : public IAccessible {
 public:
  CAccessibleUI(std::shared_ptr<TAccessLink> link, LONG id);
  CAccessibleUI(const CAccessibleUI&) = delete;
  CAccessibleUI& operator=(const CAccessibleUI&) = delete;
  // From now on every call answers CO_E_OBJNOTCONNECTED.
  void CutOff() { id = 0; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focused) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selected) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* found) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 private:
  // What a child argument names: a control, and 0 or one of its parts.
  struct TTarget {
    CControlUI* control = nullptr;
    int part = 0;
  };

  ~CAccessibleUI() = default;
  CAccessRegistryUI* Registry() const;
  CControlUI* Self() const;
  bool IsRoot(const CControlUI* control) const;
  HRESULT Resolve(const VARIANT& child, TTarget& target) const;
  // Hands out the object of control (VT_DISPATCH), or CHILDID_SELF for this one.
  HRESULT PutControl(CControlUI* control, VARIANT* out) const;
  HRESULT PutText(const CWideStringUI& text, BSTR* out) const;
  // name, description or value of the target.
  template <typename Read>
  HRESULT ReadText(const VARIANT& child, BSTR* out, Read read) const;
  // role or state of the target.
  template <typename Read>
  HRESULT ReadNumber(const VARIANT& child, VARIANT* out, Read read) const;
  RECT ScreenRect(const RECT& client) const;
  CControlUI* DeepestAt(CControlUI* from, POINT point) const;

  LONG references = 1;
  std::shared_ptr<TAccessLink> link;
  LONG id;
};

}  // namespace SkinUI

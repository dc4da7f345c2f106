// CAccessibleUI: IAccessible over one control.

#include "ui/access/accessible_object.h"

#include <algorithm>

#include "ui/access/accessible_tree.h"

namespace SkinUI {

const IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

namespace {

// No C++ exception may leave a COM method.
template <typename Body>
HRESULT Guarded(Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return E_FAIL;
  }
}

void PutLong(VARIANT* out, LONG value) {
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
}

bool IsShown(CControlUI* control) {
  return (control->AccessibleState() & STATE_SYSTEM_INVISIBLE) == 0;
}

}  // namespace

CAccessibleUI::CAccessibleUI(std::shared_ptr<TAccessLink> registryLink, LONG controlId)
    : link(std::move(registryLink)), id(controlId) {}

HRESULT STDMETHODCALLTYPE CAccessibleUI::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, kIidAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CAccessibleUI::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references));
}

ULONG STDMETHODCALLTYPE CAccessibleUI::Release() {
  const LONG left = InterlockedDecrement(&references);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                                EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

CAccessRegistryUI* CAccessibleUI::Registry() const {
  return id != 0 ? link->registry : nullptr;
}

CControlUI* CAccessibleUI::Self() const {
  CAccessRegistryUI* registry = Registry();
  return registry != nullptr ? registry->ControlOf(id) : nullptr;
}

bool CAccessibleUI::IsRoot(const CControlUI* control) const {
  CAccessRegistryUI* registry = Registry();
  return registry != nullptr && control == registry->Host().AccessRoot();
}

// Positive ids are positions: the children first, then the parts. Negative
// ids are the window's stable ids, of this control or one below it.
HRESULT CAccessibleUI::Resolve(const VARIANT& child, TTarget& target) const {
  CControlUI* self = Self();
  if (self == nullptr) return CO_E_OBJNOTCONNECTED;
  if (child.vt != VT_I4) return E_INVALIDARG;
  const LONG which = child.lVal;
  target = TTarget();
  if (which == CHILDID_SELF) {
    target.control = self;
    return S_OK;
  }
  if (which < 0) {
    CControlUI* control = Registry()->ControlOf(which);
    if (control == nullptr || !AccessibleTree::Contains(self, control)) return E_INVALIDARG;
    target.control = control;
    return S_OK;
  }
  const std::vector<CControlUI*> children = AccessibleTree::Children(self);
  if (which <= static_cast<LONG>(children.size())) {
    target.control = children[which - 1];
    return S_OK;
  }
  const LONG part = which - static_cast<LONG>(children.size());
  if (part > self->AccessiblePartCount()) return E_INVALIDARG;
  target.control = self;
  target.part = static_cast<int>(part);
  return S_OK;
}

HRESULT CAccessibleUI::PutControl(CControlUI* control, VARIANT* out) const {
  VariantInit(out);
  if (control == Self()) {
    PutLong(out, CHILDID_SELF);
    return S_OK;
  }
  Microsoft::WRL::ComPtr<IAccessible> object = Registry()->ObjectOf(control);
  if (!object) return S_FALSE;
  out->vt = VT_DISPATCH;
  return object.CopyTo(&out->pdispVal);
}

HRESULT CAccessibleUI::PutText(const CWideStringUI& text, BSTR* out) const {
  if (text.IsEmpty()) return S_FALSE;
  *out = SysAllocString(text.GetData());
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

template <typename Read>
HRESULT CAccessibleUI::ReadText(const VARIANT& child, BSTR* out, Read read) const {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return Guarded([&]() -> HRESULT {
    TTarget target;
    const HRESULT resolved = Resolve(child, target);
    if (FAILED(resolved)) return resolved;
    return PutText(read(target), out);
  });
}

RECT CAccessibleUI::ScreenRect(const RECT& client) const {
  RECT screen = client;
  MapWindowPoints(Registry()->Host().AccessWindow(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
  return screen;
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accParent(IDispatch** parent) {
  if (parent == nullptr) return E_POINTER;
  *parent = nullptr;
  return Guarded([&]() -> HRESULT {
    CControlUI* self = Self();
    if (self == nullptr) return CO_E_OBJNOTCONNECTED;
    CControlUI* above = IsRoot(self) ? nullptr : AccessibleTree::Parent(self);
    if (above == nullptr) {
      // The client area's parent is the window itself, as the platform sees it.
      return CreateStdAccessibleObject(Registry()->Host().AccessWindow(), OBJID_WINDOW,
                                       IID_IDispatch, reinterpret_cast<void**>(parent));
    }
    Microsoft::WRL::ComPtr<IAccessible> object = Registry()->ObjectOf(above);
    if (!object) return S_FALSE;
    return object.CopyTo(reinterpret_cast<IAccessible**>(parent));
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accChildCount(LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return Guarded([&]() -> HRESULT {
    CControlUI* self = Self();
    if (self == nullptr) return CO_E_OBJNOTCONNECTED;
    *count = static_cast<LONG>(AccessibleTree::Children(self).size()) + self->AccessiblePartCount();
    return S_OK;
  });
}

// Parts are simple elements: the caller asks this object about them.
HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accChild(VARIANT child, IDispatch** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return Guarded([&]() -> HRESULT {
    TTarget target;
    const HRESULT resolved = Resolve(child, target);
    if (FAILED(resolved)) return resolved;
    if (target.part != 0) return S_FALSE;
    if (target.control == Self()) return E_INVALIDARG;
    Microsoft::WRL::ComPtr<IAccessible> found = Registry()->ObjectOf(target.control);
    if (!found) return E_INVALIDARG;
    return found.CopyTo(reinterpret_cast<IAccessible**>(object));
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accName(VARIANT child, BSTR* name) {
  return ReadText(child, name, [this](const TTarget& target) {
    TAccessiblePartUI part;
    if (target.part != 0) {
      return target.control->DescribeAccessiblePart(target.part, part) ? part.name
                                                                       : CWideStringUI();
    }
    CWideStringUI text = target.control->AccessibleName();
    if (text.IsEmpty() && IsRoot(target.control)) {
      wchar_t title[256] = {};
      GetWindowTextW(Registry()->Host().AccessWindow(), title, 256);
      text = title;
    }
    return text;
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accValue(VARIANT child, BSTR* value) {
  return ReadText(child, value, [](const TTarget& target) {
    return target.part != 0 ? CWideStringUI() : target.control->AccessibleValue();
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accDescription(VARIANT child, BSTR* description) {
  return ReadText(child, description, [](const TTarget& target) {
    return target.part != 0 ? CWideStringUI() : target.control->AccessibleDescription();
  });
}

template <typename Read>
HRESULT CAccessibleUI::ReadNumber(const VARIANT& child, VARIANT* out, Read read) const {
  if (out == nullptr) return E_POINTER;
  VariantInit(out);
  return Guarded([&]() -> HRESULT {
    TTarget target;
    const HRESULT resolved = Resolve(child, target);
    if (FAILED(resolved)) return resolved;
    TAccessiblePartUI part;
    if (target.part != 0) target.control->DescribeAccessiblePart(target.part, part);
    PutLong(out, static_cast<LONG>(read(target, part)));
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accRole(VARIANT child, VARIANT* role) {
  return ReadNumber(child, role, [this](const TTarget& target, const TAccessiblePartUI& part) {
    if (target.part != 0) return part.role;
    return IsRoot(target.control) ? static_cast<DWORD>(ROLE_SYSTEM_CLIENT)
                                  : target.control->AccessibleRole();
  });
}

// A part is hidden or off screen with its control.
HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accState(VARIANT child, VARIANT* state) {
  return ReadNumber(child, state, [](const TTarget& target, const TAccessiblePartUI& part) {
    const DWORD own = target.control->AccessibleState();
    if (target.part == 0) return own;
    return part.state | (own & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN));
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accHelp(VARIANT child, BSTR* help) {
  return ReadText(child, help, [](const TTarget&) { return CWideStringUI(); });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) {
  if (file != nullptr) *file = nullptr;
  if (topic != nullptr) *topic = 0;
  return Self() != nullptr ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return ReadText(child, shortcut, [](const TTarget& target) {
    const wchar_t key = target.part != 0 ? 0 : target.control->GetShortcut();
    CWideStringUI text;
    if (key != 0) text.Format(L"Alt+%c", key);
    return text;
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accFocus(VARIANT* focused) {
  if (focused == nullptr) return E_POINTER;
  VariantInit(focused);
  return Guarded([&]() -> HRESULT {
    CControlUI* self = Self();
    if (self == nullptr) return CO_E_OBJNOTCONNECTED;
    IControlHostUI* host = self->GetManager();
    CControlUI* focus = host != nullptr ? host->FocusControl() : nullptr;
    if (focus == nullptr || !AccessibleTree::Contains(self, focus)) return S_FALSE;
    return PutControl(focus, focused);
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accSelection(VARIANT* selected) {
  if (selected == nullptr) return E_POINTER;
  VariantInit(selected);
  return Guarded([&]() -> HRESULT {
    CControlUI* self = Self();
    if (self == nullptr) return CO_E_OBJNOTCONNECTED;
    for (CControlUI* child : AccessibleTree::Children(self)) {
      if ((child->AccessibleState() & STATE_SYSTEM_SELECTED) != 0) {
        return PutControl(child, selected);
      }
    }
    return S_FALSE;
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::get_accDefaultAction(VARIANT child, BSTR* action) {
  return ReadText(child, action, [](const TTarget& target) {
    TAccessiblePartUI part;
    if (target.part != 0) {
      return target.control->DescribeAccessiblePart(target.part, part) ? part.defaultAction
                                                                       : CWideStringUI();
    }
    return target.control->AccessibleDefaultAction();
  });
}

// Focus first, then the selection; either may end the control, so it is
// looked up again in between.
HRESULT STDMETHODCALLTYPE CAccessibleUI::accSelect(LONG flags, VARIANT child) {
  return Guarded([&]() -> HRESULT {
    TTarget target;
    const HRESULT resolved = Resolve(child, target);
    if (FAILED(resolved)) return resolved;
    if (target.part != 0) return E_INVALIDARG;
    const LONG targetId = Registry()->IdOf(target.control);
    bool done = false;
    if ((flags & SELFLAG_TAKEFOCUS) != 0) {
      if ((target.control->AccessibleState() & STATE_SYSTEM_FOCUSABLE) == 0) return S_FALSE;
      target.control->SetFocus();
      done = true;
    }
    if ((flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION)) != 0) {
      CAccessRegistryUI* registry = Registry();
      CControlUI* control = registry != nullptr ? registry->ControlOf(targetId) : nullptr;
      if (control == nullptr) return CO_E_OBJNOTCONNECTED;
      if (!control->SelectForAccessibility()) return S_FALSE;
      done = true;
    }
    return done ? S_OK : E_INVALIDARG;
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::accLocation(LONG* left, LONG* top, LONG* width,
                                                     LONG* height, VARIANT child) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
    return E_POINTER;
  }
  *left = *top = *width = *height = 0;
  return Guarded([&]() -> HRESULT {
    TTarget target;
    const HRESULT resolved = Resolve(child, target);
    if (FAILED(resolved)) return resolved;
    RECT bounds = target.control->Bounds();
    TAccessiblePartUI part;
    if (target.part != 0 && target.control->DescribeAccessiblePart(target.part, part)) {
      bounds = part.bounds;
    }
    const RECT screen = ScreenRect(bounds);
    *left = screen.left;
    *top = screen.top;
    *width = screen.right - screen.left;
    *height = screen.bottom - screen.top;
    return S_OK;
  });
}

// The spatial directions are left to the platform's clients: only the
// tree's first and last child and the siblings are answered.
HRESULT STDMETHODCALLTYPE CAccessibleUI::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (end == nullptr) return E_POINTER;
  VariantInit(end);
  return Guarded([&]() -> HRESULT {
    TTarget target;
    const HRESULT resolved = Resolve(start, target);
    if (FAILED(resolved)) return resolved;
    if (target.part != 0) return S_FALSE;
    CControlUI* self = Self();
    if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
      if (target.control != self) return E_INVALIDARG;
      const std::vector<CControlUI*> children = AccessibleTree::Children(self);
      if (children.empty()) return S_FALSE;
      return PutControl(direction == NAVDIR_FIRSTCHILD ? children.front() : children.back(), end);
    }
    if (direction != NAVDIR_NEXT && direction != NAVDIR_PREVIOUS) return S_FALSE;
    CControlUI* above = AccessibleTree::Parent(target.control);
    if (above == nullptr || IsRoot(target.control)) return S_FALSE;
    const std::vector<CControlUI*> siblings = AccessibleTree::Children(above);
    auto at = std::find(siblings.begin(), siblings.end(), target.control);
    if (at == siblings.end()) return S_FALSE;
    if (direction == NAVDIR_NEXT) {
      return at + 1 != siblings.end() ? PutControl(*(at + 1), end) : S_FALSE;
    }
    return at != siblings.begin() ? PutControl(*(at - 1), end) : S_FALSE;
  });
}

// Later children are drawn over earlier ones: they are asked first.
CControlUI* CAccessibleUI::DeepestAt(CControlUI* from, POINT point) const {
  for (int depth = 0; depth <= kMaxTreeDepth; ++depth) {
    const std::vector<CControlUI*> children = AccessibleTree::Children(from);
    auto hit = std::find_if(children.rbegin(), children.rend(), [&](CControlUI* child) {
      return IsShown(child) && PtInRect(&child->Bounds(), point);
    });
    if (hit == children.rend()) return from;
    from = *hit;
  }
  return from;
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::accHitTest(LONG x, LONG y, VARIANT* found) {
  if (found == nullptr) return E_POINTER;
  VariantInit(found);
  return Guarded([&]() -> HRESULT {
    CControlUI* self = Self();
    if (self == nullptr) return CO_E_OBJNOTCONNECTED;
    POINT point = {x, y};
    ScreenToClient(Registry()->Host().AccessWindow(), &point);
    if (!PtInRect(&self->Bounds(), point)) return S_FALSE;
    CControlUI* hit = DeepestAt(self, point);
    if (hit != self) return PutControl(hit, found);
    const LONG children = static_cast<LONG>(AccessibleTree::Children(self).size());
    for (int part = 1; part <= self->AccessiblePartCount(); ++part) {
      TAccessiblePartUI description;
      if (self->DescribeAccessiblePart(part, description) && PtInRect(&description.bounds, point)) {
        PutLong(found, children + part);
        return S_OK;
      }
    }
    PutLong(found, CHILDID_SELF);
    return S_OK;
  });
}

// Done when the window takes its next message, as the platform's own
// buttons do: a default action that asks the user (a message box) must not
// hold the reader's call.
HRESULT STDMETHODCALLTYPE CAccessibleUI::accDoDefaultAction(VARIANT child) {
  return Guarded([&]() -> HRESULT {
    TTarget target;
    const HRESULT resolved = Resolve(child, target);
    if (FAILED(resolved)) return resolved;
    TAccessiblePartUI part;
    const CWideStringUI action =
        target.part != 0
            ? (target.control->DescribeAccessiblePart(target.part, part) ? part.defaultAction
                                                                         : CWideStringUI())
            : target.control->AccessibleDefaultAction();
    if (action.IsEmpty()) return DISP_E_MEMBERNOTFOUND;
    const DWORD state = target.control->AccessibleState();
    if ((state & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE)) != 0) return E_FAIL;
    return Registry()->QueueAction(target.control, target.part) ? S_OK : E_FAIL;
  });
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::put_accName(VARIANT, BSTR) {
  return Self() != nullptr ? E_NOTIMPL : CO_E_OBJNOTCONNECTED;
}

HRESULT STDMETHODCALLTYPE CAccessibleUI::put_accValue(VARIANT, BSTR) {
  return Self() != nullptr ? E_NOTIMPL : CO_E_OBJNOTCONNECTED;
}

}  // namespace SkinUI

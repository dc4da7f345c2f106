// CAccessRegistryUI: stable ids, the objects behind them, WM_GETOBJECT and
// the events readers listen to.

#include "ui/access/access_registry.h"

#include "ui/access/accessible_object.h"
#include "ui/controls/control.h"

namespace SkinUI {

CAccessRegistryUI::CAccessRegistryUI(IAccessHostUI& windowHost) : host(windowHost) {
  link->registry = this;
}

CAccessRegistryUI::~CAccessRegistryUI() {
  link->registry = nullptr;
  while (!objects.empty()) CutOff(objects.begin()->first);
}

// Counting down keeps the ids negative; a window would have to make two
// thousand million controls before one came round again.
LONG CAccessRegistryUI::IdOf(CControlUI* control) {
  auto known = ids.find(control);
  if (known != ids.end()) return known->second;
  const LONG id = --lastId;
  ids[control] = id;
  controls[id] = control;
  return id;
}

CControlUI* CAccessRegistryUI::ControlOf(LONG id) const {
  auto found = controls.find(id);
  if (found == controls.end()) return nullptr;
  return host.IsInAccessTree(found->second) ? found->second : nullptr;
}

Microsoft::WRL::ComPtr<IAccessible> CAccessRegistryUI::ObjectOf(CControlUI* control) {
  if (control == nullptr || !host.IsInAccessTree(control)) return nullptr;
  const LONG id = IdOf(control);
  auto& object = objects[id];
  if (!object) object.Attach(new CAccessibleUI(link, id));
  return Microsoft::WRL::ComPtr<IAccessible>(object.Get());
}

void CAccessRegistryUI::Forget(CControlUI* control) {
  auto known = ids.find(control);
  if (known == ids.end()) return;
  const LONG id = known->second;
  ids.erase(known);
  controls.erase(id);
  CutOff(id);
}

// Clients in other processes lose their connection at once; those in this
// one keep a live object that answers that it is not connected.
void CAccessRegistryUI::CutOff(LONG id) {
  auto found = objects.find(id);
  if (found == objects.end()) return;
  Microsoft::WRL::ComPtr<CAccessibleUI> object = std::move(found->second);
  objects.erase(found);
  object->CutOff();
  CoDisconnectObject(static_cast<IAccessible*>(object.Get()), 0);
}

bool CAccessRegistryUI::AnswerGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // The object id arrives sign-extended on 64-bit windows, or not at all.
  if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return false;
  Microsoft::WRL::ComPtr<IAccessible> root = ObjectOf(host.AccessRoot());
  if (!root) return false;
  result = LresultFromObject(kIidAccessible, wParam, root.Get());
  return true;
}

// Nothing to do while no reader listens for the event: building and
// showing a window raises many.
void CAccessRegistryUI::NotifyEvent(DWORD event, CControlUI* control) {
  if (!IsWinEventHookInstalled(event)) return;
  HWND window = host.AccessWindow();
  if (window == nullptr || control == nullptr || !host.IsInAccessTree(control)) return;
  const LONG child = control == host.AccessRoot() ? CHILDID_SELF : IdOf(control);
  NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

UINT CAccessRegistryUI::ActionMessage() {
  static const UINT message = RegisterWindowMessageW(L"SkinUI.AccessibleAction");
  return message;
}

bool CAccessRegistryUI::QueueAction(CControlUI* control, int part) {
  HWND window = host.AccessWindow();
  if (window == nullptr) return false;
  return PostMessageW(window, ActionMessage(), static_cast<WPARAM>(IdOf(control)),
                      static_cast<LPARAM>(part)) != FALSE;
}

void CAccessRegistryUI::RunAction(WPARAM wParam, LPARAM lParam) {
  CControlUI* control = ControlOf(static_cast<LONG>(wParam));
  if (control == nullptr) return;
  const int part = static_cast<int>(lParam);
  if (part != 0) {
    control->DoAccessiblePartAction(part);
  } else {
    control->DoAccessibleDefaultAction();
  }
}

}  // namespace SkinUI

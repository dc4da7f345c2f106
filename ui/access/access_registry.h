#pragma once
// The accessible objects of one window, keyed by stable child ids.
//
// Every control a reader asks about gets a negative id, unique in the
// window for as long as the control lives (positive child ids are the
// children's positions, as the platform's helpers number them). The
// registry owns one accessible object per control, made on first use; when
// the control goes (or the registry with its window) the object is cut off
// and answers CO_E_OBJNOTCONNECTED from then on, whoever still holds it.

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <map>
#include <memory>

#include "ui/access/access_host.h"

namespace SkinUI {

class CControlUI;
class CAccessibleUI;

// Shared by the registry and its objects: null once the registry is gone.
struct TAccessLink {
  class CAccessRegistryUI* registry = nullptr;
};

class CAccessRegistryUI {
 public:
  explicit CAccessRegistryUI(IAccessHostUI& host);
  CAccessRegistryUI(const CAccessRegistryUI&) = delete;
  CAccessRegistryUI& operator=(const CAccessRegistryUI&) = delete;
  // Cuts every object off.
  ~CAccessRegistryUI();

  IAccessHostUI& Host() const { return host; }
  // The control's id, given on first use.
  LONG IdOf(CControlUI* control);
  // The live control of the window's tree with that id, or null.
  CControlUI* ControlOf(LONG id) const;
  // The control's object, made on first use; null for a control outside the
  // window's tree.
  Microsoft::WRL::ComPtr<IAccessible> ObjectOf(CControlUI* control);
  // The control is going: its id leads nowhere and its object is cut off.
  void Forget(CControlUI* control);

  // WM_GETOBJECT: the root's object for OBJID_CLIENT; false for anything
  // else, which the platform answers.
  bool AnswerGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Tells listening readers of a change on a control of the tree.
  void NotifyEvent(DWORD event, CControlUI* control);

  // A default action (part 0: the control's own) runs when the window takes
  // ActionMessage; false when it could not be posted.
  bool QueueAction(CControlUI* control, int part);
  // The message the window hands to RunAction.
  static UINT ActionMessage();
  // Runs the action the message names, if its control still lives.
  void RunAction(WPARAM wParam, LPARAM lParam);

 private:
  void CutOff(LONG id);

  IAccessHostUI& host;
  std::shared_ptr<TAccessLink> link = std::make_shared<TAccessLink>();
  LONG lastId = 0;
  std::map<CControlUI*, LONG> ids;
  std::map<LONG, CControlUI*> controls;
  std::map<LONG, Microsoft::WRL::ComPtr<CAccessibleUI>> objects;
};

}  // namespace SkinUI

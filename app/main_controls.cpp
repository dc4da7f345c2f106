#include "app/main_controls.h"

namespace {

using SkinUI::CControlUI;
using SkinUI::CWindowManagerUI;

// The named control seen as the interface, or null.
template <typename T>
bool Lookup(CWindowManagerUI& manager, const wchar_t* name, const wchar_t* interfaceName,
            T*& control) {
  CControlUI* found = manager.ControlByName(name);
  control = found != nullptr ? static_cast<T*>(found->InterfaceFor(interfaceName)) : nullptr;
  return control != nullptr;
}

}  // namespace

bool TMainControls::Find(CWindowManagerUI& manager) {
  const wchar_t* welcomeNames[] = {L"Control_PIC1", L"Control_PIC2", L"Control_PIC3",
                                   L"Text_1",       L"Text_2",       L"Text_3"};
  bool all = Lookup(manager, L"BtnClose", L"Button", titleClose) &
             Lookup(manager, L"BtnMiniSize", L"Button", titleMinimise) &
             Lookup(manager, L"Btn_Close", L"Button", close) &
             Lookup(manager, L"Btn_Scan", L"Button", scan) &
             Lookup(manager, L"Btn_Website", L"Button", website) &
             Lookup(manager, L"Check_All", L"Option", checkAll) &
             Lookup(manager, L"List_Holes", L"List", list) &
             Lookup(manager, L"Text_Msg", L"Text", message) &
             Lookup(manager, L"Label_State", L"Label", state) &
             Lookup(manager, L"Progress_Action", L"Progress", progress) &
             Lookup(manager, L"Control_Icon", L"Control", icon) &
             Lookup(manager, L"Text_Result1", L"Text", result1) &
             Lookup(manager, L"Text_Result2", L"Text", result2) &
             Lookup(manager, L"Control_Bottom", L"Control", bottom) &
             Lookup(manager, L"Option_RestartLater", L"Option", restartLater) &
             Lookup(manager, L"Option_RestartNow", L"Option", restartNow);
  for (int i = 0; i < 6; ++i) all &= Lookup(manager, welcomeNames[i], L"Control", welcome[i]);
  return all;
}

#include "ui/window/process_settings.h"

namespace SkinUI {

namespace {

TColorShift& Shift() {
  static TColorShift shift;
  return shift;
}

}  // namespace

TColorShift ProcessColorShift() {
  return Shift();
}

void SetProcessColorShift(const TColorShift& shift) {
  Shift() = shift;
}

std::vector<ControlFactoryProc>& ControlFactoryPlugins() {
  static std::vector<ControlFactoryProc> plugins;
  return plugins;
}

CControlUI* CreateControlFromPlugins(const wchar_t* elementName) {
  if (elementName == nullptr) return nullptr;
  for (ControlFactoryProc factory : ControlFactoryPlugins()) {
    if (factory == nullptr) continue;
    if (CControlUI* control = factory(elementName)) return control;
  }
  return nullptr;
}

}  // namespace SkinUI

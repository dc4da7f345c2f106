#include "ui/core/module_instance.h"

namespace SkinUI {

namespace {

HINSTANCE& StoredInstance() {
  static HINSTANCE instance = nullptr;
  return instance;
}

}  // namespace

void SetModuleInstance(HINSTANCE instance) {
  StoredInstance() = instance;
}

HINSTANCE ModuleInstance() {
  return StoredInstance();
}

}  // namespace SkinUI

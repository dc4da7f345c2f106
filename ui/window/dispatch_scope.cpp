#include "ui/window/dispatch_scope.h"

#include <utility>

#include "ui/controls/control.h"
#include "ui/window/window_manager.h"

namespace SkinUI {

CDispatchScope::CDispatchScope(std::shared_ptr<TDispatchState> state) : shared(std::move(state)) {
  ++shared->depth;
}

CDispatchScope::~CDispatchScope() {
  if (--shared->depth > 0) return;
  for (CControlUI* orphan : std::exchange(shared->orphans, {})) delete orphan;
  if (shared->deletionPutOff && !shared->managerGone && shared->window != nullptr) {
    shared->deletionPutOff = false;
    PostMessageW(shared->window, kDeleteLaterMessage, 0, 0);
  }
}

}  // namespace SkinUI

#include "ui/window/dispatch_scope.h"

#include <utility>

#include "ui/controls/control.h"
#include "ui/window/window_manager.h"

namespace SkinUI {

CDispatchScope::CDispatchScope(std::shared_ptr<TDispatchState> state) : state_(std::move(state)) {
  ++state_->depth;
}

CDispatchScope::~CDispatchScope() {
  if (--state_->depth > 0) return;
  for (CControlUI* orphan : std::exchange(state_->orphans, {})) delete orphan;
  if (state_->deletionPutOff && !state_->managerGone && state_->window != nullptr) {
    state_->deletionPutOff = false;
    PostMessageW(state_->window, kDeleteLaterMessage, 0, 0);
  }
}

}  // namespace SkinUI

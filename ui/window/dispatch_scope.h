#pragma once
// Held on the stack by every entry into a window manager that may run the
// application's handlers (a window message, keyboard filtering, focus
// changes, installing a tree). A handler may close the window, and with it
// end the manager, while control code further up the stack is still running
// in the tree: the trees of a manager that ends inside a delivery are
// unbound and kept, and deleted when the outermost entry returns. The
// manager's own code asks ManagerGone before it touches the manager again.

#include <windows.h>

#include <memory>
#include <vector>

namespace SkinUI {

class CControlUI;

struct TDispatchState {
  // Entries into the manager on the stack now.
  int depth = 0;
  bool managerGone = false;
  // The manager's window, where a deletion put off by a nested entry is
  // asked for again.
  HWND window = nullptr;
  bool deletionPutOff = false;
  // Trees of a manager that ended inside a delivery, already unbound.
  std::vector<CControlUI*> orphans;
};

class CDispatchScope {
 public:
  explicit CDispatchScope(std::shared_ptr<TDispatchState> state);
  CDispatchScope(const CDispatchScope&) = delete;
  CDispatchScope& operator=(const CDispatchScope&) = delete;
  ~CDispatchScope();

  bool ManagerGone() const { return shared->managerGone; }
  // No other entry into the manager is running below this one.
  bool Outermost() const { return shared->depth == 1; }

 private:
  std::shared_ptr<TDispatchState> shared;
};

}  // namespace SkinUI

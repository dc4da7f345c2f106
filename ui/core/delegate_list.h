#pragma once
// An owned list of listeners called with one argument: a control for the
// init, destroy and size hooks, the event record for event hooks and the
// notification record for notify hooks.

#include <functional>
#include <utility>
#include <vector>

namespace SkinUI {

class DelegateList {
 public:
  // Returns false to stop the listeners after it and to refuse the call.
  using Listener = std::function<bool(void* argument)>;

  void Add(Listener listener) { listeners.push_back(std::move(listener)); }
  bool IsEmpty() const { return listeners.empty(); }
  int Count() const { return static_cast<int>(listeners.size()); }

  // Calls every listener in order; false at the first that refuses. An empty
  // list (or one holding only empty listeners) yields true.
  bool Invoke(void* argument) const {
    for (const Listener& listener : listeners) {
      if (listener && !listener(argument)) return false;
    }
    return true;
  }

 private:
  std::vector<Listener> listeners;
};

}  // namespace SkinUI

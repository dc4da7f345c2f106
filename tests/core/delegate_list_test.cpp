#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/core/delegate_list.h"

namespace {

using SkinUI::DelegateList;

TEST(DelegateList, CallsInOrderAndStopsAtTheFirstRefusal) {
  DelegateList hooks;
  EXPECT_TRUE(hooks.Invoke(nullptr));  // nobody to refuse

  std::vector<int> calls;
  int argument = 7;
  hooks.Add([&](void* p) {
    calls.push_back(*static_cast<int*>(p));
    return true;
  });
  hooks.Add(nullptr);
  hooks.Add([&](void*) {
    calls.push_back(2);
    return false;
  });
  hooks.Add([&](void*) {
    calls.push_back(3);
    return true;
  });
  EXPECT_FALSE(hooks.Invoke(&argument));
  EXPECT_EQ((std::vector<int>{7, 2}), calls);
}

TEST(DelegateList, OwnsItsListeners) {
  auto state = std::make_shared<int>(0);
  std::weak_ptr<int> watch = state;
  {
    DelegateList hooks;
    hooks.Add([state](void*) { return ++*state > 0; });
    state.reset();
    EXPECT_TRUE(hooks.Invoke(nullptr));
    EXPECT_FALSE(watch.expired());
  }
  EXPECT_TRUE(watch.expired());
}

}  // namespace

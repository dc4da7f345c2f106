// Control timers on a real window: per control and key, restart, stop, and
// the native ids they run under.

#include <algorithm>

#include "tests/window/window_scene.h"
#include "ui/controls/control.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

// Sees every WM_TIMER before the manager does and leaves it to it.
class TimerIdRecorder : public IMessageFilterUI {
 public:
  LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM, bool&) override {
    if (message == WM_TIMER) ids.push_back(static_cast<UINT>(wParam));
    return 0;
  }
  std::vector<UINT> ids;
};

class ManagerTimers : public WindowScene {
 protected:
  void SetUp() override {
    a = AddProbe(L"a", 10, 10, 40, 20);
    b = AddProbe(L"b", 60, 10, 40, 20);
    Show();
    manager().AddFilter(&ids);
  }
  // The native id each timer event of the control and key came under (every
  // WM_TIMER of the window gives exactly one event).
  std::vector<UINT> IdsOf(const wchar_t* control, WPARAM key) const {
    std::vector<UINT> found;
    size_t next = 0;
    for (const TEventRecord& record : log.records) {
      if (record.kind != EventTimer) continue;
      if (record.control == control && record.wParam == key) found.push_back(ids.ids[next]);
      ++next;
    }
    return found;
  }
  bool TimedOut(const wchar_t* control, WPARAM key, size_t count) {
    return !window.PumpUntil([&] { return IdsOf(control, key).size() >= count; });
  }

  TimerIdRecorder ids;
  CProbeControlUI* a = nullptr;
  CProbeControlUI* b = nullptr;
};

TEST_F(ManagerTimers, EachControlAndKeyRunsItsOwnTimer) {
  EXPECT_TRUE(manager().StartControlTimer(a, 1, 10));
  EXPECT_FALSE(manager().StartControlTimer(a, 1, 10));  // already running
  EXPECT_TRUE(manager().StartControlTimer(a, 2, 15));
  EXPECT_TRUE(manager().StartControlTimer(b, 1, 10));
  ASSERT_FALSE(TimedOut(L"a", 2, 2));
  ASSERT_FALSE(TimedOut(L"b", 1, 2));
  EXPECT_EQ(17u, IdsOf(L"a", 1).front());
  EXPECT_EQ(18u, IdsOf(L"a", 2).front());
  EXPECT_EQ(19u, IdsOf(L"b", 1).front());
  // The control base answers its timer with a "timer" notification.
  EXPECT_GE(notes().Count(L"timer"), 4);
  // The window's own timers are not the manager's business.
  EXPECT_NE(window.ownMessages.end(),
            std::find(window.ownMessages.begin(), window.ownMessages.end(), WM_TIMER));

  EXPECT_TRUE(manager().StopControlTimer(a, 1));
  EXPECT_FALSE(manager().StopControlTimer(a, 1));  // no longer running
  window.Pump(40);
  const size_t before = IdsOf(L"a", 1).size();
  window.Pump(60);
  EXPECT_EQ(before, IdsOf(L"a", 1).size());

  // A restart keeps the record and its native id.
  EXPECT_TRUE(manager().StartControlTimer(a, 1, 10));
  ASSERT_FALSE(TimedOut(L"a", 1, before + 1));
  EXPECT_EQ(17u, IdsOf(L"a", 1).back());

  manager().StopControlTimers(a);
  window.Pump(40);
  const size_t ofA = IdsOf(L"a", 1).size() + IdsOf(L"a", 2).size();
  window.Pump(60);
  EXPECT_EQ(ofA, IdsOf(L"a", 1).size() + IdsOf(L"a", 2).size());
  EXPECT_FALSE(manager().StopControlTimer(a, 2));
  EXPECT_FALSE(TimedOut(L"b", 1, IdsOf(L"b", 1).size() + 1));  // b is not touched
}

TEST_F(ManagerTimers, IdsWrapThroughZeroAfter254) {
  constexpr UINT kNever = 0x7FFFFFFF;
  for (UINT key = 1; key <= 237; ++key) ASSERT_TRUE(manager().StartControlTimer(a, key, kNever));
  for (UINT key = 238; key <= 240; ++key) ASSERT_TRUE(manager().StartControlTimer(b, key, 10));
  ASSERT_FALSE(TimedOut(L"b", 240, 1));
  ASSERT_FALSE(TimedOut(L"b", 239, 1));
  ASSERT_FALSE(TimedOut(L"b", 238, 1));
  EXPECT_EQ(254u, IdsOf(L"b", 238).front());
  EXPECT_EQ(0u, IdsOf(L"b", 239).front());
  EXPECT_EQ(1u, IdsOf(L"b", 240).front());
}

TEST_F(ManagerTimers, ADestroyedControlLeavesNoTimerBehind) {
  ASSERT_TRUE(manager().StartControlTimer(b, 5, 10));
  ASSERT_FALSE(TimedOut(L"b", 5, 1));
  panel->Detach(b);
  delete b;
  log.Clear();
  ids.ids.clear();
  window.Pump(80);
  EXPECT_TRUE(ids.ids.empty());
  // Its key starts afresh for another control under a new id.
  ASSERT_TRUE(manager().StartControlTimer(a, 5, 10));
  ASSERT_FALSE(TimedOut(L"a", 5, 1));
  EXPECT_EQ(18u, IdsOf(L"a", 5).front());
}

}  // namespace
}  // namespace SkinUITest

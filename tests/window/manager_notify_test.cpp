// Notifications, tree installation and removal, names, option groups and
// the reflection of native child messages.

#include <string>

#include "tests/window/window_scene.h"
#include "ui/controls/control.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

std::vector<std::wstring> Only(const std::vector<std::wstring>& types,
                               std::initializer_list<const wchar_t*> wanted) {
  std::vector<std::wstring> kept;
  for (const std::wstring& type : types) {
    for (const wchar_t* w : wanted) {
      if (type == w) kept.push_back(type);
    }
  }
  return kept;
}

class ManagerNotify : public WindowScene {
 protected:
  void SetUp() override {
    a = AddProbe(L"a", 10, 10, 60, 40);
    b = AddProbe(L"b", 100, 10, 60, 40);
  }
  CProbeControlUI* a = nullptr;
  CProbeControlUI* b = nullptr;
};

TEST_F(ManagerNotify, WindowInitComesOnceAndAgainAfterANewRoot) {
  Show();
  ASSERT_EQ(1, notes().Count(L"windowinit"));
  EXPECT_EQ(panel, notes().entries.front().sender);
  manager().RequestLayout();
  window.InvalidateAll();
  window.Paint();
  EXPECT_EQ(1, notes().Count(L"windowinit"));

  auto* next = new CTestPanelUI;
  next->Add(new CProbeControlUI(L"c", &log, 0, 0, 30, 30));
  EXPECT_TRUE(manager().SetRootControl(next));
  EXPECT_EQ(0, log.Count(L"a", kProbeDestroyed));  // the old tree waits for the next message
  EXPECT_EQ(a, manager().ControlByName(L"a"));
  window.Pump();
  EXPECT_EQ(1, log.Count(L"a", kProbeDestroyed));
  EXPECT_EQ(nullptr, manager().ControlByName(L"a"));
  EXPECT_EQ(1, log.Count(L"b", kProbeDestroyed));
  EXPECT_EQ(2, notes().Count(L"windowinit"));
  EXPECT_EQ(next, notes().entries.back().sender);
  EXPECT_NE(nullptr, manager().ControlByName(L"c"));
}

TEST_F(ManagerNotify, QueuedNotificationsArriveAfterTheSendingCodeReturned) {
  Show();
  std::vector<std::wstring> seenInHandler;
  a->EventHooks().Add([&](void* data) {
    if (static_cast<TControlEvent*>(data)->kind != EventButtonDown) return true;
    manager().SendNotification(a, L"queued", 1, 2, true);
    manager().SendNotification(a, L"sync");
    seenInHandler = notes().Types();
    return true;
  });
  window.Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ((std::vector<std::wstring>{L"sync"}), Only(seenInHandler, {L"sync", L"queued"}));
  EXPECT_EQ((std::vector<std::wstring>{L"sync", L"queued"}),
            Only(notes().Types(), {L"sync", L"queued"}));
  EXPECT_EQ(a, notes().entries.back().sender);
  EXPECT_EQ(1u, notes().entries.back().wParam);

  // Queued outside any message: delivered when the window handles its next one.
  manager().SendNotification(b, L"later", 0, 0, true);
  EXPECT_EQ(0, notes().Count(L"later"));
  window.Send(WM_NULL);
  EXPECT_EQ(1, notes().Count(L"later"));

  // Its sender died while it waited: the listeners still hear it, without one.
  manager().SendNotification(b, L"orphan", 0, 0, true);
  panel->Detach(b);
  delete b;
  window.Send(WM_NULL);
  ASSERT_EQ(L"orphan", notes().entries.back().type);
  EXPECT_EQ(nullptr, notes().entries.back().sender);
  EXPECT_EQ(nullptr, manager().ControlByName(L"b"));
}

TEST_F(ManagerNotify, NotifyHooksOfTheSenderRunBeforeTheListeners) {
  Show();
  std::vector<std::string> order;
  a->NotifyHooks().Add([&](void*) {
    order.push_back("hook");
    return false;  // refusing stops the hooks, not the listeners
  });
  a->NotifyHooks().Add([&](void*) {
    order.push_back("second hook");
    return true;
  });
  notes().onReceive = [&](TNotifyMsg& msg) {
    order.push_back("listener");
    EXPECT_EQ(-1, msg.point.x);  // stamped with the last mouse point
    EXPECT_NE(0u, msg.time);
  };
  CWindowManagerUI& concrete = manager();
  concrete.SendNotification(a, NotifyType::kClick);  // the builder form stays callable
  EXPECT_EQ((std::vector<std::string>{"hook", "listener"}), order);
}

TEST_F(ManagerNotify, DeletionWaitsUntilTheCurrentMessageIsDone) {
  Show();
  bool aliveAfterRequest = false;
  b->EventHooks().Add([&](void* data) {
    if (static_cast<TControlEvent*>(data)->kind != EventButtonDown) return true;
    panel->Detach(b);
    manager().DeleteLater(b);
    aliveAfterRequest = log.Count(L"b", kProbeDestroyed) == 0;
    return true;
  });
  window.Mouse(WM_LBUTTONDOWN, 110, 20, MK_LBUTTON);
  EXPECT_TRUE(aliveAfterRequest);
  EXPECT_EQ(1, log.Count(L"b", EventButtonDown));  // handled after the request
  EXPECT_EQ(nullptr, b->GetParent());
  EXPECT_EQ(0, log.Count(L"b", kProbeDestroyed));
  window.Pump();
  EXPECT_EQ(1, log.Count(L"b", kProbeDestroyed));
  // The pressed control is gone: the capture it held is let go, so clicks
  // elsewhere on the desktop are not swallowed by this window.
  EXPECT_FALSE(manager().HasMouseCapture());
  EXPECT_EQ(nullptr, GetCapture());
  window.Mouse(WM_LBUTTONUP, 110, 20);
  EXPECT_EQ(nullptr, manager().ControlByName(L"b"));
}

TEST_F(ManagerNotify, NamesAndOptionGroups) {
  Show();
  EXPECT_EQ(a, manager().ControlByName(L"a"));
  auto* twin = new CProbeControlUI(L"a", &log, 0, 60, 10, 10);
  panel->Add(twin);  // a later control with the same name wins
  EXPECT_EQ(twin, manager().ControlByName(L"a"));

  EXPECT_TRUE(manager().JoinOptionGroup(L"restart", a));
  EXPECT_FALSE(manager().JoinOptionGroup(L"restart", a));
  EXPECT_TRUE(manager().JoinOptionGroup(L"restart", b));
  CPointerArrayUI* group = manager().OptionGroup(L"restart");
  ASSERT_NE(nullptr, group);
  EXPECT_EQ(2, group->GetSize());
  EXPECT_EQ(b, group->GetAt(1));
  manager().LeaveOptionGroup(L"restart", a);
  EXPECT_EQ(b, manager().OptionGroup(L"restart")->GetAt(0));
  manager().LeaveOptionGroup(L"restart", b);
  EXPECT_EQ(nullptr, manager().OptionGroup(L"restart"));
  EXPECT_FALSE(manager().BindControlTree(nullptr));
}

// A native child window that answers reflected messages with their number.
LRESULT CALLBACK ReflectingChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= 0x2000 && message < 0x3000) return message;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(ManagerNotify, ChildWindowMessagesAreReflectedAndItsKeysRouted) {
  b->SetShortcut(L'k');
  Show();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ReflectingChildProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"SkinUITestReflectingChild";
  RegisterClassW(&wc);
  HWND child = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 200, 100, 20, 20,
                               window.GetHWND(), nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, child);
  const LPARAM childParam = reinterpret_cast<LPARAM>(child);

  EXPECT_EQ(0x2111, window.Send(WM_COMMAND, 7, childParam));
  EXPECT_EQ(0x2000 + WM_CTLCOLORSTATIC, window.Send(WM_CTLCOLORSTATIC, 0, childParam));
  EXPECT_EQ(0x2000 + WM_CTLCOLOREDIT, window.Send(WM_CTLCOLOREDIT, 0, childParam));
  NMHDR header = {child, 3, 0};
  EXPECT_EQ(0x204E, window.Send(WM_NOTIFY, 3, reinterpret_cast<LPARAM>(&header)));
  window.ownMessages.clear();
  window.Send(WM_COMMAND, 7, 0);  // a menu command is the window's own
  EXPECT_EQ((std::vector<UINT>{WM_COMMAND}), window.ownMessages);

  // Keys posted to a child window pass its parent's manager first.
  PostMessageW(child, WM_SYSCHAR, L'K', 0);
  window.Pump();
  EXPECT_EQ(b, manager().FocusControl());
  EXPECT_EQ(1, b->activations);
}

}  // namespace
}  // namespace SkinUITest

// Focus, Tab order and keyboard shortcuts, with keys posted to a real window
// and routed the way the program's message loop routes them.

#include "tests/window/window_scene.h"
#include "ui/controls/control.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

class ManagerFocus : public WindowScene {
 protected:
  void AddTabStops() {
    first = AddProbe(L"first", 10, 10, 40, 20, ControlFlagTabStop);
    AddProbe(L"plain", 60, 10, 40, 20);
    second = AddProbe(L"second", 110, 10, 40, 20, ControlFlagTabStop);
    third = AddProbe(L"third", 160, 10, 40, 20, ControlFlagTabStop);
  }
  void Tab() { window.PostAndPump(WM_KEYDOWN, VK_TAB); }
  MSG Queued(UINT message, WPARAM wParam) {
    MSG msg = {};
    msg.hwnd = window.GetHWND();
    msg.message = message;
    msg.wParam = wParam;
    return msg;
  }

  CProbeControlUI* first = nullptr;
  CProbeControlUI* second = nullptr;
  CProbeControlUI* third = nullptr;
};

TEST_F(ManagerFocus, TabWalksTheTabStopsAndWrapsBothWays) {
  AddTabStops();
  Show();
  EXPECT_EQ(first, manager().FocusControl());  // the first paint moves to the first stop

  Tab();
  EXPECT_EQ(second, manager().FocusControl());
  Tab();
  Tab();
  EXPECT_EQ(first, manager().FocusControl());
  EXPECT_EQ(0, log.Count(L"second", EventKeyDown));  // Tab is consumed before dispatch

  CHarnessWindow::SetKeyDown(VK_SHIFT, true);
  Tab();
  EXPECT_EQ(third, manager().FocusControl());
  Tab();
  EXPECT_EQ(second, manager().FocusControl());
  CHarnessWindow::SetKeyDown(VK_SHIFT, false);

  // The one losing focus hears who gains it; both are announced.
  const TEventRecord* lost = log.Last(L"third", EventKillFocus);
  ASSERT_NE(nullptr, lost);
  EXPECT_EQ(second, lost->sender);
  EXPECT_TRUE(second->IsFocused());
  EXPECT_EQ(L"killfocus", notes().entries.end()[-2].type);
  EXPECT_EQ(L"setfocus", notes().entries.back().type);
  EXPECT_EQ(second, notes().entries.back().sender);
}

TEST_F(ManagerFocus, TabBeforeTheFirstLayoutWaitsForThePaint) {
  AddTabStops();
  InstallOnly();
  EXPECT_TRUE(CWindowManagerUI::RouteBeforeDispatch(Queued(WM_KEYDOWN, VK_TAB)));
  EXPECT_EQ(nullptr, manager().FocusControl());
  window.Paint();
  EXPECT_EQ(first, manager().FocusControl());

  // Focus asked for before a layout lands on that control after it.
  manager().FocusAfterLayout(third);
  EXPECT_EQ(second, manager().FocusControl());  // quietly parked on the stop before
  EXPECT_EQ(0, log.Count(L"second", EventSetFocus));
  window.Paint();
  EXPECT_EQ(third, manager().FocusControl());
  EXPECT_EQ(1, log.Count(L"third", EventSetFocus));
}

TEST_F(ManagerFocus, AltShortcutOfALabelActivatesTheNextControlThatIsNoLabel) {
  auto* target = AddProbe(L"target", 10, 10, 40, 20);
  auto* label = AddProbe(L"label", 60, 10, 40, 20);
  auto* after = AddProbe(L"after", 110, 10, 40, 20);
  label->className = L"LabelUI";
  label->SetShortcut(L's');
  after->SetShortcut(L'x');
  Show();

  // Searched topmost first: "after", then the label, then "target".
  window.PostAndPump(WM_SYSCHAR, L'S');
  EXPECT_EQ(target, manager().FocusControl());
  EXPECT_EQ(1, target->activations);
  EXPECT_EQ(0, label->activations);
  EXPECT_EQ(0, after->activations);

  window.PostAndPump(WM_SYSCHAR, L'X');
  EXPECT_EQ(after, manager().FocusControl());
  EXPECT_EQ(1, after->activations);
  EXPECT_FALSE(CWindowManagerUI::RouteBeforeDispatch(Queued(WM_SYSCHAR, L'q')));
  EXPECT_FALSE(CWindowManagerUI::RouteBeforeDispatch(Queued(WM_SYSCHAR, 0)));

  // Alt keys go to the focus control and on to the window.
  EXPECT_FALSE(CWindowManagerUI::RouteBeforeDispatch(Queued(WM_SYSKEYDOWN, VK_F4)));
  ASSERT_EQ(1, log.Count(L"after", EventSysKey));
  EXPECT_EQ(VK_F4, log.Last(L"after", EventSysKey)->key);
}

TEST_F(ManagerFocus, ARichEditThatWantsTabKeepsIt) {
  auto* editor = AddProbe(L"editor", 10, 10, 40, 20, ControlFlagTabStop);
  AddProbe(L"next", 60, 10, 40, 20, ControlFlagTabStop);
  editor->className = L"TestRichEditUI";
  editor->wantsTab = true;
  Show();
  ASSERT_EQ(editor, manager().FocusControl());
  Tab();
  EXPECT_EQ(editor, manager().FocusControl());
  ASSERT_EQ(1, log.Count(L"editor", EventKeyDown));
  EXPECT_EQ(VK_TAB, log.Last(L"editor", EventKeyDown)->key);

  editor->wantsTab = false;
  Tab();
  EXPECT_NE(editor, manager().FocusControl());
}

TEST_F(ManagerFocus, HiddenDisabledAndForeignControlsTakeNoFocus) {
  AddTabStops();
  Show();
  CProbeControlUI stranger(L"stranger", &log);
  for (CControlUI* refused : {static_cast<CControlUI*>(second), static_cast<CControlUI*>(third),
                              static_cast<CControlUI*>(&stranger)}) {
    manager().SetFocusControl(first);
    ASSERT_EQ(first, manager().FocusControl());
    second->SetEnabled(false);
    third->SetVisible(false);
    manager().SetFocusControl(refused);
    EXPECT_EQ(nullptr, manager().FocusControl());
    EXPECT_EQ(refused, log.Last(L"first", EventKillFocus)->sender);
  }
  EXPECT_TRUE(log.KindsOf(L"stranger").empty());

  // A focused control that is hidden gives the focus up.
  manager().SetFocusControl(first);
  first->SetVisible(false);
  EXPECT_EQ(nullptr, manager().FocusControl());
}

}  // namespace
}  // namespace SkinUITest

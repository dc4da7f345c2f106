// The keyboard without a mouse: Tab order on screen, the focus indicator
// and its styles, keys no control uses, the list's keys and an option
// group's arrows, with keys sent to a real window.

#include "tests/window/window_scene.h"
#include "ui/controls/list/list.h"
#include "ui/controls/list/list_rows.h"
#include "ui/controls/option.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

constexpr DWORD kPanelColor = 0xFF808080;
constexpr DWORD kPanelRgb = 0x808080;

class Keyboard : public WindowScene {
 protected:
  Keyboard() { panel->SetBkColor(kPanelColor); }

  void Tab() { window.PostAndPump(WM_KEYDOWN, VK_TAB); }
  void Press(WPARAM key) { window.PostAndPump(WM_KEYDOWN, key); }
  DWORD ScreenAt(int x, int y) { return window.ReadScreen()->Rgb(x, y); }
  // Whether any pixel of the ring inset by `inset` from the rectangle
  // differs from the panel.
  bool RingDrawn(const Canvas& screen, RECT rc, int inset) {
    InflateRect(&rc, -inset, -inset);
    for (int x = rc.left; x < rc.right; ++x) {
      if (screen.Rgb(x, rc.top) != kPanelRgb || screen.Rgb(x, rc.bottom - 1) != kPanelRgb) {
        return true;
      }
    }
    return false;
  }
};

TEST_F(Keyboard, TabFollowsTheReadingOrderOnScreenNotTheTreeOrder) {
  auto* lowLeft = AddProbe(L"lowLeft", 10, 100, 40, 20, ControlFlagTabStop);
  auto* topRight = AddProbe(L"topRight", 150, 14, 40, 20, ControlFlagTabStop);
  auto* topLeft = AddProbe(L"topLeft", 10, 10, 40, 20, ControlFlagTabStop);
  auto* middle = AddProbe(L"middle", 80, 50, 40, 20, ControlFlagTabStop);
  auto* plain = AddProbe(L"plain", 60, 75, 20, 20);
  Show();
  EXPECT_EQ(topLeft, manager().FocusControl());
  Tab();
  EXPECT_EQ(topRight, manager().FocusControl());  // a few pixels lower: the same line
  Tab();
  EXPECT_EQ(middle, manager().FocusControl());
  Tab();
  EXPECT_EQ(lowLeft, manager().FocusControl());
  Tab();
  EXPECT_EQ(topLeft, manager().FocusControl());

  CHarnessWindow::SetKeyDown(VK_SHIFT, true);
  Tab();
  EXPECT_EQ(lowLeft, manager().FocusControl());
  Tab();
  EXPECT_EQ(middle, manager().FocusControl());
  CHarnessWindow::SetKeyDown(VK_SHIFT, false);

  // From a control that is no tab stop, Tab goes on from its place.
  manager().SetFocusControl(plain);
  Tab();
  EXPECT_EQ(lowLeft, manager().FocusControl());
}

TEST_F(Keyboard, ATabSentStraightToTheWindowMovesTheFocusToo) {
  AddProbe(L"first", 10, 10, 40, 20, ControlFlagTabStop);
  auto* second = AddProbe(L"second", 60, 10, 40, 20, ControlFlagTabStop);
  Show();
  window.Key(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(second, manager().FocusControl());
}

TEST_F(Keyboard, TheFocusIndicatorShowsFromTheFirstKeyAndFollowsTheFocus) {
  auto* first = AddProbe(L"first", 10, 10, 60, 30, ControlFlagTabStop);
  auto* second = AddProbe(L"second", 100, 10, 60, 30, ControlFlagTabStop);
  Show();
  ASSERT_EQ(first, manager().FocusControl());
  // A mouse user sees no indicator.
  EXPECT_FALSE(RingDrawn(*window.ReadScreen(), first->Bounds(), 2));
  EXPECT_FALSE(manager().ShowsKeyboardCues());

  Tab();
  window.Paint();
  auto screen = window.ReadScreen();
  CHarnessWindow::SavePng(*screen, L"keyboard-focus-indicator.png");
  EXPECT_TRUE(RingDrawn(*screen, second->Bounds(), 2));
  EXPECT_FALSE(RingDrawn(*screen, first->Bounds(), 2));
  // Dotted: neighbouring pixels of the ring alternate the two colours.
  const RECT rc = second->Bounds();
  EXPECT_EQ(0x000000u, screen->Rgb(rc.left + 2, rc.top + 2));
  EXPECT_EQ(0xFFFFFFu, screen->Rgb(rc.left + 3, rc.top + 2));
  EXPECT_EQ(kPanelRgb, screen->Rgb(rc.left + 1, rc.top + 1));  // inset by 2
  EXPECT_EQ(kPanelRgb, screen->Rgb(rc.left + 3, rc.top + 3));  // one pixel wide
}

// The indicator's width and inset are skin numbers: at 200 % the default
// ring is two pixels wide, four pixels in.
TEST_F(Keyboard, TheIndicatorScalesWithTheWindow) {
  AddProbe(L"first", 10, 10, 60, 30, ControlFlagTabStop);
  auto* second = AddProbe(L"second", 100, 10, 60, 30, ControlFlagTabStop);
  Show();
  Tab();
  RECT suggested = {100, 100, 100 + 2 * 650, 100 + 2 * 400};
  SendMessageW(window.GetHWND(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  window.Pump();
  window.InvalidateAll();
  window.Paint();
  auto screen = window.ReadScreen();
  ASSERT_EQ(192, manager().Resources().Scale().Dpi());
  const RECT rc = second->Bounds();
  EXPECT_EQ(kPanelRgb, screen->Rgb(rc.left + 3, rc.top + 3));
  EXPECT_EQ(0x000000u, screen->Rgb(rc.left + 4, rc.top + 4));
  EXPECT_EQ(0x000000u, screen->Rgb(rc.left + 5, rc.top + 5));
  EXPECT_EQ(kPanelRgb, screen->Rgb(rc.left + 6, rc.top + 6));
}

TEST_F(Keyboard, TheWindowStyleAndAControlsOwnStyleShapeTheIndicator) {
  auto* styled = AddProbe(L"styled", 10, 10, 60, 30, ControlFlagTabStop);
  auto* hidden = AddProbe(L"hidden", 100, 10, 60, 30, ControlFlagTabStop);
  auto* plain = AddProbe(L"plain", 10, 60, 60, 30, ControlFlagTabStop);
  styled->ApplyAttribute(L"focusrect", L"solid 2 0 #FFFF0000");
  hidden->ApplyAttribute(L"focusrect", L"none");
  manager().SetFocusIndicatorStyle(L"solid 1 4 #FF0000FF");
  Show();
  Press(VK_SHIFT);  // any key shows the cues
  window.Paint();
  const RECT a = styled->Bounds();
  EXPECT_EQ(0xFF0000u, ScreenAt(a.left, a.top));  // red
  EXPECT_EQ(0xFF0000u, ScreenAt(a.left + 1, a.top + 1));
  EXPECT_EQ(kPanelRgb, ScreenAt(a.left + 2, a.top + 2));

  Tab();
  window.Paint();
  EXPECT_FALSE(RingDrawn(*window.ReadScreen(), hidden->Bounds(), 0));
  EXPECT_FALSE(RingDrawn(*window.ReadScreen(), hidden->Bounds(), 2));

  Tab();
  window.Paint();
  const RECT c = plain->Bounds();
  EXPECT_EQ(0x0000FFu, ScreenAt(c.left + 4, c.top + 4));  // the window's blue, inset 4
  EXPECT_EQ(kPanelRgb, ScreenAt(c.left + 2, c.top + 2));
}

TEST_F(Keyboard, EscapeThatNoControlUsesClosesTheWindowByTheSystemCommand) {
  AddProbe(L"focused", 10, 10, 40, 20, ControlFlagTabStop);
  Show();
  ASSERT_NE(nullptr, manager().FocusControl());
  HWND hwnd = window.GetHWND();
  Press(VK_ESCAPE);
  window.Pump(50);
  EXPECT_EQ(1, log.Count(L"focused", EventKeyDown));  // the control heard it first
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Keyboard, EscapeWithoutAFocusedControlClosesTheWindowToo) {
  Show();
  ASSERT_EQ(nullptr, manager().FocusControl());
  HWND hwnd = window.GetHWND();
  window.Key(WM_KEYDOWN, VK_ESCAPE);
  window.Pump(50);
  EXPECT_FALSE(IsWindow(hwnd));
}

// A list of rows as the application makes them.
class ListKeys : public Keyboard {
 protected:
  void ShowList(int rows, bool checkable) {
    list = new CListUI;
    list->SetFixedOffset(CSizeUI(10, 10));
    list->SetFixedWidth(200);
    list->SetFixedHeight(120);
    panel->Add(list);
    for (int i = 0; i < rows; ++i) {
      auto* row = new CListTextElementUI;
      row->SetCheckable(checkable);
      list->Add(row);
    }
    Show();
    list->SelectRow(0, true);
    window.Paint();
    notes().Clear();
  }
  CListElementUI* Row(int index) {
    return static_cast<CListElementUI*>(list->ChildAt(index)->InterfaceFor(L"ListElement"));
  }

  CListUI* list = nullptr;
};

TEST_F(ListKeys, PageDownAndPageUpMoveTheSelectionByAPage) {
  ShowList(30, false);
  const int perPage = std::max(1, list->Body()->GetHeight() / Row(0)->GetHeight() - 1);
  ASSERT_GT(perPage, 1);
  Press(VK_NEXT);
  EXPECT_EQ(perPage, list->CurrentSelection());
  EXPECT_EQ(list->ChildAt(perPage), manager().FocusControl());
  Press(VK_NEXT);
  EXPECT_EQ(2 * perPage, list->CurrentSelection());
  Press(VK_PRIOR);
  EXPECT_EQ(perPage, list->CurrentSelection());
  for (int i = 0; i < 30; ++i) Press(VK_NEXT);
  EXPECT_EQ(29, list->CurrentSelection());  // stops at the last row
  for (int i = 0; i < 30; ++i) Press(VK_PRIOR);
  EXPECT_EQ(0, list->CurrentSelection());
  EXPECT_EQ(L"itemselect", notes().entries.back().type);
}

TEST_F(ListKeys, SpaceTogglesTheCheckOfTheSelectedRowAndSaysSo) {
  ShowList(3, true);
  Press(VK_DOWN);
  notes().Clear();
  Press(VK_SPACE);
  EXPECT_TRUE(Row(1)->IsChecked());
  EXPECT_FALSE(Row(0)->IsChecked());
  ASSERT_EQ(1, notes().Count(L"itemcheck"));
  EXPECT_EQ(1u, notes().entries.back().wParam);
  EXPECT_EQ(1, notes().entries.back().lParam);
  Press(VK_SPACE);
  EXPECT_FALSE(Row(1)->IsChecked());
  EXPECT_EQ(0, notes().entries.back().lParam);

  // A disabled row keeps its check.
  Row(1)->SetEnabled(false);
  Press(VK_SPACE);
  EXPECT_FALSE(Row(1)->IsChecked());
  EXPECT_EQ(2, notes().Count(L"itemcheck"));
}

TEST_F(ListKeys, SpaceOnARowWithoutCheckChangesNothing) {
  ShowList(3, false);
  Press(VK_SPACE);
  EXPECT_FALSE(Row(0)->IsChecked());
  EXPECT_EQ(0, notes().Count(L"itemcheck"));
}

TEST_F(ListKeys, TheIndicatorOfAFocusedListIsOnItsSelectedRow) {
  ShowList(5, false);
  manager().SetFocusControl(list);
  Press(VK_SHIFT);
  window.Paint();
  const RECT row = Row(0)->Bounds();
  EXPECT_TRUE(RingDrawn(*window.ReadScreen(), row, 2));
  EXPECT_EQ(row.top, list->FocusIndicatorRect().top);
  list->SelectRow(-1);
  EXPECT_EQ(list->Bounds().top, list->FocusIndicatorRect().top);
}

class OptionGroupKeys : public Keyboard {
 protected:
  COptionUI* AddOption(int x) {
    auto* option = new COptionUI;
    option->SetFixedOffset(CSizeUI(x, 10));
    option->SetFixedWidth(40);
    option->SetFixedHeight(20);
    panel->Add(option);
    option->SetGroup(L"restart");
    return option;
  }
};

TEST_F(OptionGroupKeys, ArrowsMoveTheSelectionAndFocusThroughTheGroup) {
  COptionUI* later = AddOption(10);
  COptionUI* hiddenOne = AddOption(60);
  COptionUI* now = AddOption(110);
  Show();
  hiddenOne->SetVisible(false);
  later->SetSelected(true);
  manager().SetFocusControl(later);
  notes().Clear();

  Press(VK_RIGHT);
  EXPECT_EQ(now, manager().FocusControl());
  EXPECT_TRUE(now->IsSelected());
  EXPECT_FALSE(later->IsSelected());
  EXPECT_EQ(1, notes().Count(L"click"));
  Press(VK_DOWN);  // round the end, past the hidden member
  EXPECT_EQ(later, manager().FocusControl());
  EXPECT_TRUE(later->IsSelected());
  Press(VK_LEFT);
  EXPECT_TRUE(now->IsSelected());
  Press(VK_UP);
  EXPECT_TRUE(later->IsSelected());
  EXPECT_FALSE(hiddenOne->IsSelected());
}

// Tab reaches the group once, at its selected member; with none selected,
// at each member.
TEST_F(OptionGroupKeys, TabStopsAtTheSelectedMemberOfAGroupOnly) {
  COptionUI* first = AddOption(10);
  COptionUI* second = AddOption(60);
  auto* after = AddProbe(L"after", 160, 10, 40, 20, ControlFlagTabStop);
  Show();
  manager().SetFocusControl(after);
  Tab();
  EXPECT_EQ(first, manager().FocusControl());
  Tab();
  EXPECT_EQ(second, manager().FocusControl());

  second->SetSelected(true);
  Tab();
  EXPECT_EQ(after, manager().FocusControl());
  Tab();
  EXPECT_EQ(second, manager().FocusControl());
  CHarnessWindow::SetKeyDown(VK_SHIFT, true);
  Tab();
  EXPECT_EQ(after, manager().FocusControl());
  CHarnessWindow::SetKeyDown(VK_SHIFT, false);

  second->SetVisible(false);  // the selected member cannot take focus
  Tab();
  EXPECT_EQ(first, manager().FocusControl());
}

}  // namespace
}  // namespace SkinUITest

// Notification handlers that change the tree under the code that sent the
// notification, in real windows: closing the window from "click", clearing or
// replacing the root from "windowinit", removing a control from its own
// "setfocus", a row from its own "itemclick", replacing the root while a
// button is held, and handlers that run their own message loop. The program
// poisons what it frees, so that code touching freed controls or a freed
// window manager faults or is seen.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/poisoned_heap.h"
#include "tests/support/window_harness.h"
#include "ui/controls/button.h"
#include "ui/controls/container.h"
#include "ui/controls/list/list.h"
#include "ui/controls/list/list_rows.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

constexpr DWORD kFirstLook = 0xFF2060C0;
constexpr DWORD kSecondLook = 0xFFC06020;

CButtonUI* FloatButton(const wchar_t* name, int x, int y) {
  auto* button = new CButtonUI;
  button->SetName(name);
  button->SetFloat(true);
  button->SetFixedOffset(CSizeUI(x, y));
  button->SetFixedWidth(60);
  button->SetFixedHeight(30);
  return button;
}

CContainerUI* Panel(DWORD color) {
  auto* panel = new CContainerUI;
  panel->SetBkColor(color);
  return panel;
}

class HandlerChangesTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root = Panel(kFirstLook);
    button = FloatButton(L"button", 20, 20);
    root->Add(button);
    faultsBefore = AccessFaultsSeen();
  }
  void TearDown() override {
    EXPECT_EQ(faultsBefore, AccessFaultsSeen());
    EXPECT_TRUE(FreedBlocksStillPoisoned());
  }

  void Click(int x, int y) {
    window->Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    if (window->HasManager()) window->Mouse(WM_LBUTTONUP, x, y);
  }
  DWORD PixelAt(int x, int y) { return window->ReadScreen()->Rgb(x, y); }

  std::unique_ptr<CHarnessWindow> window = std::make_unique<CHarnessWindow>(200, 120);
  CContainerUI* root = nullptr;
  CButtonUI* button = nullptr;
  long faultsBefore = 0;
};

TEST_F(HandlerChangesTree, ClosingTheWindowFromClickLeavesNothingFreedInUse) {
  window->Install(root);
  HWND handle = window->GetHWND();
  CHarnessWindow* closing = window.get();
  window->Notifications().onReceive = [closing](TNotifyMsg& msg) {
    if (msg.type == L"click") closing->Destroy();
  };
  Click(30, 30);
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_FALSE(window->HasManager());
  EXPECT_EQ(1, window->Notifications().Count(L"click"));
  window->Pump();
}

TEST_F(HandlerChangesTree, ClearingTheRootInWindowInitPaintsAnEmptyWindow) {
  window->Notifications().onReceive = [this](TNotifyMsg& msg) {
    if (msg.type == L"windowinit") window->Manager().SetRootControl(nullptr);
  };
  window->Install(root);
  window->Pump();
  EXPECT_EQ(nullptr, window->Manager().RootControl());
  EXPECT_EQ(1, window->Notifications().Count(L"windowinit"));
  EXPECT_NE(kFirstLook & 0x00FFFFFF, PixelAt(5, 5));
}

TEST_F(HandlerChangesTree, ReplacingTheRootInWindowInitShowsTheNewTree) {
  CContainerUI* second = Panel(kSecondLook);
  window->Notifications().onReceive = [this, second](TNotifyMsg& msg) {
    if (msg.type == L"windowinit" && msg.sender == root) window->Manager().SetRootControl(second);
  };
  window->Install(root);
  window->Paint();
  window->Pump();
  EXPECT_EQ(second, window->Manager().RootControl());
  EXPECT_EQ(2, window->Notifications().Count(L"windowinit"));
  EXPECT_EQ(kSecondLook & 0x00FFFFFF, PixelAt(5, 5));
}

TEST_F(HandlerChangesTree, AControlRemovedInItsOwnSetFocusHandlerSendsNoClick) {
  window->Install(root);
  // The first paint gave it the focus; the press is to give it again.
  window->Manager().SetFocusControl(nullptr);
  window->Notifications().Clear();
  window->Notifications().onReceive = [this](TNotifyMsg& msg) {
    if (msg.type == L"setfocus" && msg.sender == button) root->Remove(button);
  };
  Click(30, 30);
  EXPECT_EQ(1, window->Notifications().Count(L"setfocus"));
  EXPECT_EQ(0, window->Notifications().Count(L"click"));
  EXPECT_EQ(nullptr, window->Manager().FocusControl());
  EXPECT_NE(window->GetHWND(), GetCapture());
  window->Pump();
  EXPECT_EQ(0, root->GetCount());
}

TEST_F(HandlerChangesTree, ReplacingTheRootWhileAButtonIsHeldReleasesTheMouse) {
  window->Install(root);
  window->Mouse(WM_LBUTTONDOWN, 30, 30, MK_LBUTTON);
  ASSERT_TRUE(window->Manager().HasMouseCapture());

  CContainerUI* second = Panel(kSecondLook);
  CButtonUI* other = FloatButton(L"other", 100, 50);
  second->Add(other);
  int cursorEvents = 0;
  other->EventHooks().Add([&cursorEvents](void* data) {
    if (static_cast<TControlEvent*>(data)->kind == EventSetCursor) ++cursorEvents;
    return true;
  });
  window->Install(second);
  EXPECT_FALSE(window->Manager().HasMouseCapture());
  EXPECT_NE(window->GetHWND(), GetCapture());

  // The cursor follows the controls again at once, not after the next press.
  window->PointerAt(110, 60);
  window->Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window->GetHWND()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  window->ParkPointer();
  EXPECT_EQ(1, cursorEvents);
}

TEST_F(HandlerChangesTree, DeletionWaitsForAHandlerRunningItsOwnMessageLoop) {
  window->Install(root);
  bool destroyed = false;
  button->DestroyHooks().Add([&destroyed](void*) {
    destroyed = true;
    return true;
  });
  bool destroyedDuringHandler = true;
  window->Notifications().onReceive = [&](TNotifyMsg& msg) {
    if (msg.type != L"click") return;
    root->Remove(button);
    // A message box would run a loop like this one.
    window->Pump(20);
    destroyedDuringHandler = destroyed;
  };
  Click(30, 30);
  EXPECT_FALSE(destroyedDuringHandler);
  window->Pump();
  EXPECT_TRUE(destroyed);
}

// The rows of a list, each with its text.
CListUI* ListOfRows(int rows) {
  auto* list = new CListUI;
  list->SetBkColor(0xFFFFFFFF);
  for (int i = 0; i < rows; ++i) {
    auto* row = new CListLabelElementUI;
    row->SetText((L"row " + std::to_wstring(i)).c_str());
    row->SetFixedHeight(20);
    list->Add(row);
  }
  return list;
}

TEST_F(HandlerChangesTree, ARowRemovedInItsOwnItemClickHandlerSelectsNoOtherRow) {
  CListUI* list = ListOfRows(5);
  window->Install(list);
  window->Notifications().onReceive = [list](TNotifyMsg& msg) {
    if (msg.type == L"itemclick") list->Remove(msg.sender);
  };
  CControlUI* second = list->ChildAt(1);
  const RECT place = second->Bounds();
  Click(place.left + 5, place.top + 5);
  EXPECT_EQ(4, list->GetCount());
  EXPECT_EQ(-1, list->CurrentSelection());
  EXPECT_EQ(0, window->Notifications().Count(L"itemselect"));
  EXPECT_FALSE(static_cast<CListLabelElementUI*>(list->ChildAt(1))->IsSelected());
  window->Pump();
}

TEST_F(HandlerChangesTree, RowsRefilledInAnItemClickHandlerAreNotSelectedByTheOldRow) {
  CListUI* list = ListOfRows(5);
  window->Install(list);
  window->Notifications().onReceive = [list](TNotifyMsg& msg) {
    if (msg.type != L"itemclick") return;
    list->RemoveAll();
    for (int i = 0; i < 3; ++i) list->Add(new CListLabelElementUI);
  };
  const RECT place = list->ChildAt(2)->Bounds();
  Click(place.left + 5, place.top + 5);
  EXPECT_EQ(-1, list->CurrentSelection());
  EXPECT_EQ(0, window->Notifications().Count(L"itemselect"));
  window->Pump();
}

}  // namespace
}  // namespace SkinUITest

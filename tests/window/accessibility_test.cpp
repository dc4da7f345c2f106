// The window's tree as screen readers see it: a client in this process
// (and one on another thread, through the platform's marshalling) reads
// roles, names, states and places, acts through default actions and
// selection, hears the events, and holds references past the controls'
// and the window's end.

#include <oleacc.h>
#include <wrl/client.h>

#include <thread>

#include "tests/support/access_client.h"
#include "tests/window/window_scene.h"
#include "ui/access/accessible_object.h"
#include "ui/controls/button.h"
#include "ui/controls/list/list.h"
#include "ui/controls/list/list_header.h"
#include "ui/controls/list/list_rows.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

class Accessibility : public WindowScene {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    scan = new CButtonUI;
    Place(scan, 10, 10, 80, 24);
    scan->SetText(L"Scan");
    picture = new CControlUI;
    Place(picture, 100, 10, 20, 20);
    picture->SetAccessibleName(L"Shield");
    check = new COptionUI;
    Place(check, 130, 10, 60, 20);
    check->SetToolTip(L"Check every row");
    later = new COptionUI;
    Place(later, 10, 40, 60, 20);
    later->SetGroup(L"restart");
    later->SetText(L"Later");
    progress = new CProgressUI;
    Place(progress, 80, 40, 100, 12);
    progress->SetAccessibleName(L"Progress");
    list = new CListUI;
    Place(list, 10, 70, 220, 80);
    for (int width : {20, 120, 60}) {
      auto* column = new CListHeaderItemUI;
      column->SetFixedWidth(width);
      list->Add(column);
    }
    for (int i = 0; i < 3; ++i) {
      auto* row = new CListTextElementUI;
      row->SetCheckable();
      list->Add(row);
      row->SetText(0, L"<i uncheck.png />");
      row->SetText(1, i == 1 ? L"Second {<}update{>}" : L"Update");
      row->SetText(2, L"2024-05-14");
    }
    list->ApplyAttribute(L"itemshowhtml", L"true");
    Show();
    // Set once painted: an image that cannot be drawn is dropped, and with it
    // the picture.
    picture->SetBkImage(L"pic.png");
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(window.GetHWND(), OBJID_CLIENT, kIidAccessible,
                                               reinterpret_cast<void**>(root.GetAddressOf())));
  }
  void TearDown() override {
    root.Reset();
    CoUninitialize();
  }
  void Place(CControlUI* control, int x, int y, int width, int height) {
    control->SetFixedOffset(CSizeUI(x, y));
    control->SetFixedWidth(width);
    control->SetFixedHeight(height);
    panel->Add(control);
  }
  ComPtr<IAccessible> ListObject() { return ChildObject(root.Get(), 6); }
  ComPtr<IAccessible> RowObject(int row) { return ChildObject(ListObject().Get(), 4 + row); }
  RECT OnScreen(const CControlUI* control) {
    RECT rc = control->Bounds();
    MapWindowPoints(window.GetHWND(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  }

  CButtonUI* scan = nullptr;
  CControlUI* picture = nullptr;
  COptionUI* check = nullptr;
  COptionUI* later = nullptr;
  CProgressUI* progress = nullptr;
  CListUI* list = nullptr;
  ComPtr<IAccessible> root;
};

TEST_F(Accessibility, TheTreeHasRolesNamesStatesAndPlacesOfThePaintedControls) {
  EXPECT_EQ(ROLE_SYSTEM_CLIENT, LongOf(root.Get(), &IAccessible::get_accRole));
  LONG count = 0;
  ASSERT_EQ(S_OK, root->get_accChildCount(&count));
  ASSERT_EQ(6, count);
  const struct {
    LONG role;
    const wchar_t* name;
  } expected[] = {{ROLE_SYSTEM_PUSHBUTTON, L"Scan"},
                  {ROLE_SYSTEM_GRAPHIC, L"Shield"},
                  {ROLE_SYSTEM_CHECKBUTTON, L"Check every row"},
                  {ROLE_SYSTEM_RADIOBUTTON, L"Later"},
                  {ROLE_SYSTEM_PROGRESSBAR, L"Progress"},
                  {ROLE_SYSTEM_LIST, L""}};
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<IAccessible> child = ChildObject(root.Get(), i);
    ASSERT_TRUE(child) << i;
    EXPECT_EQ(expected[i - 1].role, LongOf(child.Get(), &IAccessible::get_accRole)) << i;
    EXPECT_EQ(expected[i - 1].name, NameOf(child.Get())) << i;
    // The parent's view of the child agrees with the child's own.
    EXPECT_EQ(expected[i - 1].name, NameOf(root.Get(), i)) << i;
  }
  EXPECT_EQ(L"Press", TextOf(ChildObject(root.Get(), 1).Get(), &IAccessible::get_accDefaultAction));
  EXPECT_EQ(L"0%", TextOf(ChildObject(root.Get(), 5).Get(), &IAccessible::get_accValue));
  progress->SetValue(42);
  EXPECT_EQ(L"42%", TextOf(ChildObject(root.Get(), 5).Get(), &IAccessible::get_accValue));

  // Places on screen are those of the painted controls.
  const RECT button = LocationOf(ChildObject(root.Get(), 1).Get());
  const RECT painted = OnScreen(scan);
  EXPECT_TRUE(EqualRect(&button, &painted));

  // The list: three column headers, then the rows (its header and row area
  // are no levels of their own), then its scroll bars.
  ComPtr<IAccessible> listObject = ListObject();
  ASSERT_TRUE(listObject);
  EXPECT_EQ(ROLE_SYSTEM_COLUMNHEADER,
            LongOf(ChildObject(listObject.Get(), 1).Get(), &IAccessible::get_accRole));
  ComPtr<IAccessible> second = RowObject(1);
  ASSERT_TRUE(second);
  EXPECT_EQ(ROLE_SYSTEM_LISTITEM, LongOf(second.Get(), &IAccessible::get_accRole));
  EXPECT_EQ(L"Second <update>", NameOf(second.Get()));  // markup read as plain text
  EXPECT_EQ(L"2024-05-14", TextOf(second.Get(), &IAccessible::get_accDescription));
  const RECT row = LocationOf(second.Get());
  const RECT paintedRow = OnScreen(list->ChildAt(1));
  EXPECT_TRUE(EqualRect(&row, &paintedRow));
  // The row's check is its one simple element.
  LONG rowChildren = 0;
  second->get_accChildCount(&rowChildren);
  ASSERT_EQ(1, rowChildren);
  EXPECT_EQ(ROLE_SYSTEM_CHECKBUTTON, LongOf(second.Get(), &IAccessible::get_accRole, 1));
  EXPECT_EQ(L"Check", TextOf(second.Get(), &IAccessible::get_accDefaultAction, 1));

  // States.
  const LONG rowState = LongOf(second.Get(), &IAccessible::get_accState);
  EXPECT_TRUE(rowState & STATE_SYSTEM_SELECTABLE);
  EXPECT_FALSE(rowState & STATE_SYSTEM_SELECTED);
  list->SelectRow(1);
  static_cast<CListElementUI*>(list->ChildAt(1)->InterfaceFor(L"ListElement"))->SetChecked(true);
  EXPECT_TRUE(LongOf(second.Get(), &IAccessible::get_accState) & STATE_SYSTEM_SELECTED);
  EXPECT_TRUE(LongOf(second.Get(), &IAccessible::get_accState, 1) & STATE_SYSTEM_CHECKED);
  later->SetSelected(true);
  EXPECT_TRUE(LongOf(root.Get(), &IAccessible::get_accState, 4) & STATE_SYSTEM_CHECKED);
  scan->SetEnabled(false);
  EXPECT_TRUE(LongOf(root.Get(), &IAccessible::get_accState, 1) & STATE_SYSTEM_UNAVAILABLE);
  check->SetVisible(false);
  EXPECT_TRUE(LongOf(root.Get(), &IAccessible::get_accState, 3) & STATE_SYSTEM_INVISIBLE);
  EXPECT_TRUE(LongOf(root.Get(), &IAccessible::get_accState, 6) & STATE_SYSTEM_FOCUSABLE);
  manager().SetFocusControl(list);
  EXPECT_TRUE(LongOf(root.Get(), &IAccessible::get_accState, 6) & STATE_SYSTEM_FOCUSED);

  // Hit testing finds the row under a screen point.
  VARIANT hit;
  ASSERT_EQ(S_OK, root->accHitTest(row.left + 40, row.top + 2, &hit));
  ASSERT_EQ(VT_DISPATCH, hit.vt);
  ComPtr<IAccessible> hitRow = ObjectIn(hit);
  EXPECT_EQ(L"Second <update>", NameOf(hitRow.Get()));
}

TEST_F(Accessibility, DefaultActionsAndSelectionDoWhatClicksDo) {
  ComPtr<IAccessible> button = ChildObject(root.Get(), 1);
  ASSERT_EQ(S_OK, button->accDoDefaultAction(Child(CHILDID_SELF)));
  window.Pump();
  EXPECT_EQ(1, notes().Count(L"click"));

  ComPtr<IAccessible> row = RowObject(2);
  ASSERT_EQ(S_OK, row->accDoDefaultAction(Child(1)));  // its check
  window.Pump();
  EXPECT_EQ(1, notes().Count(L"itemcheck"));
  EXPECT_TRUE(
      static_cast<CListElementUI*>(list->ChildAt(2)->InterfaceFor(L"ListElement"))->IsChecked());

  ASSERT_EQ(S_OK, row->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Child(CHILDID_SELF)));
  EXPECT_EQ(2, list->CurrentSelection());
  EXPECT_EQ(list->ChildAt(2), manager().FocusControl());
  VARIANT focused;
  ASSERT_EQ(S_OK, root->get_accFocus(&focused));
  ASSERT_EQ(VT_DISPATCH, focused.vt);
  VariantClear(&focused);
  VARIANT selected;
  ASSERT_EQ(S_OK, ListObject()->get_accSelection(&selected));
  EXPECT_EQ(VT_DISPATCH, selected.vt);
  VariantClear(&selected);

  ASSERT_EQ(S_OK, root->accSelect(SELFLAG_TAKESELECTION, Child(4)));  // the radio option
  EXPECT_TRUE(later->IsSelected());
  EXPECT_EQ(2, notes().Count(L"click"));  // as a click on it
  // A control without an action says so; a hidden one cannot act.
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, root->accDoDefaultAction(Child(2)));
  scan->SetVisible(false);
  EXPECT_EQ(E_FAIL, button->accDoDefaultAction(Child(CHILDID_SELF)));
  window.Pump();
  EXPECT_EQ(2, notes().Count(L"click"));
}

TEST_F(Accessibility, ReferencesHeldPastTheControlsAndTheWindowAnswerNotConnected) {
  ComPtr<IAccessible> row = RowObject(0);
  ComPtr<IAccessible> button = ChildObject(root.Get(), 1);
  ASSERT_TRUE(row && button);
  list->RemoveAt(0);  // the row is freed now
  window.Pump();
  BSTR name = nullptr;
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, row->get_accName(Child(CHILDID_SELF), &name));
  LONG count = -1;
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, row->get_accChildCount(&count));
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, row->accDoDefaultAction(Child(CHILDID_SELF)));
  EXPECT_EQ(L"Scan", NameOf(button.Get()));

  // A tree replaced: its objects are cut off at once, and stay so once the
  // tree has been deleted.
  window.Manager().SetRootControl(new CTestPanelUI);
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, button->get_accName(Child(CHILDID_SELF), &name));
  window.Pump();
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, button->get_accName(Child(CHILDID_SELF), &name));
  window.Destroy();
  window.Pump();
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, root->get_accChildCount(&count));
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, root->get_accName(Child(CHILDID_SELF), &name));
  IDispatch* parent = nullptr;
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, root->get_accParent(&parent));
}

TEST_F(Accessibility, EventsTellOfFocusSelectionStatesNamesValuesAndVisibility) {
  CAccessEventLog announced(window.GetHWND());
  ASSERT_TRUE(announced.Hooked());
  const auto& heard = announced.events;
  list->SelectRow(1, true);
  static_cast<CListElementUI*>(list->ChildAt(1)->InterfaceFor(L"ListElement"))->SetChecked(true);
  scan->SetText(L"Fix");
  progress->SetValue(10);
  check->SetVisible(false);
  check->SetVisible(true);
  window.Pump(100);
  announced.Stop();

  const std::vector<DWORD> expected = {EVENT_OBJECT_SELECTION,   EVENT_OBJECT_FOCUS,
                                       EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_NAMECHANGE,
                                       EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_HIDE,
                                       EVENT_OBJECT_SHOW};
  std::vector<DWORD> kinds;
  for (const auto& event : heard) {
    if (event.first >= EVENT_OBJECT_CREATE && event.first <= EVENT_OBJECT_VALUECHANGE &&
        event.first != EVENT_OBJECT_LOCATIONCHANGE && event.first != EVENT_OBJECT_REORDER) {
      kinds.push_back(event.first);
    }
  }
  ASSERT_EQ(expected, kinds);
  // Each names its control by a child id the client object resolves.
  const std::wstring names[] = {L"Second <update>", L"Second <update>", L"Second <update>", L"Fix",
                                L"Progress",        L"Check every row", L"Check every row"};
  size_t at = 0;
  for (const auto& event : heard) {
    if (at >= kinds.size() || event.first != kinds[at]) continue;
    ComPtr<IAccessible> object;
    VARIANT child;
    ASSERT_EQ(S_OK, AccessibleObjectFromEvent(window.GetHWND(), OBJID_CLIENT, event.second,
                                              object.GetAddressOf(), &child));
    EXPECT_EQ(names[at], NameOf(object.Get(), child.lVal)) << at;
    ++at;
  }
}

TEST_F(Accessibility, AClientOnAnotherThreadReadsAndActsThroughMarshalling) {
  HWND hwnd = window.GetHWND();
  std::wstring name;
  LONG count = 0;
  HRESULT action = E_FAIL;
  bool done = false;
  std::thread client([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      ComPtr<IAccessible> remote;
      if (SUCCEEDED(AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, kIidAccessible,
                                               reinterpret_cast<void**>(remote.GetAddressOf())))) {
        remote->get_accChildCount(&count);
        ComPtr<IAccessible> button = ChildObject(remote.Get(), 1);
        if (button) {
          name = NameOf(button.Get());
          action = button->accDoDefaultAction(Child(CHILDID_SELF));
        }
      }
    }
    CoUninitialize();
    done = true;
  });
  window.PumpUntil([&] { return done; }, 10000);
  client.join();
  window.Pump(50);
  EXPECT_EQ(6, count);
  EXPECT_EQ(L"Scan", name);
  EXPECT_EQ(S_OK, action);
  EXPECT_EQ(1, notes().Count(L"click"));
}

}  // namespace
}  // namespace SkinUITest

// The container against the stand-in manager: ownership and removal,
// visibility through the tree, searches and hit-testing, float placement,
// its scroll bars, and the two painting clips.

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/controls/container.h"
#include "ui/controls/scroll_bar.h"

namespace {

using SkinUI::CContainerUI;
using SkinUI::CControlUI;
using SkinUI::CRectUI;
using SkinUI::TControlEvent;
using SkinUITest::Canvas;
using SkinUITest::CTestManager;

// Tells when it dies and what reaches it; may pose as a list item.
class Probe : public CControlUI {
 public:
  explicit Probe(bool* destroyed = nullptr, bool listItem = false)
      : destroyed_(destroyed), listItem_(listItem) {}
  ~Probe() override {
    if (destroyed_ != nullptr) *destroyed_ = true;
  }
  void* InterfaceFor(const wchar_t* name) override {
    if (listItem_ && wcscmp(name, L"ListItem") == 0) return this;
    return CControlUI::InterfaceFor(name);
  }
  void HandleEvent(TControlEvent& event) override {
    handled.push_back(event.kind);
    CControlUI::HandleEvent(event);
  }
  std::vector<int> handled;

 private:
  bool* destroyed_;
  bool listItem_;
};

CControlUI* CALLBACK Self(CControlUI* control, LPVOID) {
  return control;
}

class Container : public ::testing::Test {
 protected:
  void SetUp() override {
    container.BindManager(&manager, nullptr, false);
    container.SetBounds(RECT{0, 0, 200, 100});
  }
  CControlUI* HitAt(LONG x, LONG y, UINT flags = SkinUI::FindHitTest | SkinUI::FindTopFirst) {
    POINT point = {x, y};
    return container.FindInTree(Self, &point, flags | SkinUI::FindVisible);
  }

  CTestManager manager;
  CContainerUI container;
};

TEST_F(Container, AddingToAHiddenContainerHidesTheWholeNewSubtree) {
  container.SetVisible(false);
  auto* inner = new CContainerUI;
  auto* grandchild = new Probe;
  inner->Add(grandchild);
  EXPECT_FALSE(container.Add(nullptr));
  ASSERT_TRUE(container.Add(inner));
  EXPECT_EQ(&container, inner->GetParent());  // attached through the manager
  EXPECT_EQ(&manager, grandchild->GetManager());
  EXPECT_EQ(inner, grandchild->GetParent());
  EXPECT_FALSE(inner->IsInnerVisible());
  EXPECT_FALSE(grandchild->IsVisible());
  EXPECT_TRUE(inner->IsVisible());
}

TEST_F(Container, HidingAndShowingShowsEveryDescendantAgain) {
  auto* shown = new Probe;
  auto* hiddenAlone = new Probe;
  auto* inner = new CContainerUI;
  auto* deep = new Probe;
  container.Add(shown);
  container.Add(hiddenAlone);
  container.Add(inner);
  inner->Add(deep);
  hiddenAlone->SetVisible(false);
  deep->SetVisible(false);
  container.SetVisible(false);
  EXPECT_FALSE(shown->IsVisible());
  EXPECT_FALSE(inner->IsVisible());
  container.SetVisible(true);
  for (CControlUI* c : {static_cast<CControlUI*>(shown), static_cast<CControlUI*>(hiddenAlone),
                        static_cast<CControlUI*>(inner), static_cast<CControlUI*>(deep)}) {
    EXPECT_TRUE(c->IsVisible());
  }
}

TEST_F(Container, RemovalDestroysOnlyChildrenAndLaterThroughTheWindow) {
  bool strangerGone = false;
  Probe stranger(&strangerGone);
  EXPECT_FALSE(container.Remove(&stranger));
  EXPECT_FALSE(container.RemoveAt(0));
  EXPECT_FALSE(strangerGone);

  bool firstGone = false;
  bool secondGone = false;
  auto* first = new Probe(&firstGone);
  auto* second = new Probe(&secondGone);
  container.Add(first);
  container.Add(second);
  manager.ClearRecords();
  EXPECT_TRUE(container.Remove(first));
  EXPECT_EQ(1, container.GetCount());
  EXPECT_GE(manager.layoutRequests, 1);
  EXPECT_FALSE(firstGone);  // delayed: handed to the window
  ASSERT_EQ(std::vector<CControlUI*>{first}, manager.deferred);
  EXPECT_EQ(nullptr, first->GetParent());
  manager.RunDeferredDeletes();
  EXPECT_TRUE(firstGone);

  container.SetDeferredDelete(false);
  EXPECT_TRUE(container.RemoveAt(0));
  EXPECT_TRUE(secondGone);  // at once

  bool keptGone = false;
  auto* kept = new Probe(&keptGone);
  container.Add(kept);
  container.SetAutoDelete(false);
  container.RemoveAll();
  EXPECT_EQ(0, container.GetCount());
  EXPECT_FALSE(keptGone);
  delete kept;
}

TEST_F(Container, ChildrenMoveWithinTheListAndGoAtOnceWithTheContainer) {
  auto* a = new Probe;
  auto* b = new Probe;
  auto* c = new Probe;
  for (CControlUI* child :
       {static_cast<CControlUI*>(a), static_cast<CControlUI*>(b), static_cast<CControlUI*>(c)}) {
    container.Add(child);
  }
  EXPECT_TRUE(container.MoveChildTo(a, 2));
  EXPECT_EQ(a, container.ChildAt(2));
  EXPECT_TRUE(container.MoveChildTo(c, 99));  // past the end: to the end, never lost
  EXPECT_EQ(3, container.GetCount());
  EXPECT_EQ(c, container.ChildAt(2));
  Probe stranger;
  EXPECT_FALSE(container.MoveChildTo(&stranger, 0));
  EXPECT_EQ(-1, container.IndexOfChild(&stranger));
  EXPECT_EQ(nullptr, container.ChildAt(3));

  bool gone = false;
  auto* owner = new CContainerUI;
  owner->BindManager(&manager, nullptr, false);
  owner->Add(new Probe(&gone));
  delete owner;
  EXPECT_TRUE(gone);  // not deferred: the window may be going too
  EXPECT_TRUE(manager.deferred.empty());
}

TEST_F(Container, FloatChildrenAnchorAndFollowTheirRelativePosition) {
  auto* corner = new CControlUI;
  corner->ApplyAttributeText(L"float=\"true\" pos=\"-60,-50,-10,-20\"");
  auto* relative = new CControlUI;
  relative->ApplyAttributeText(L"float=\"true\" pos=\"10,10,60,40\" relativepos=\"50,0,50,0\"");
  auto* flowing = new CControlUI;
  container.Add(corner);
  container.Add(relative);
  container.Add(flowing);
  container.SetInset(RECT{5, 6, 7, 8});
  container.SetBounds(RECT{0, 0, 200, 100});
  EXPECT_EQ(CRectUI(140, 50, 190, 80), CRectUI(corner->Bounds()));  // inset ignored
  EXPECT_EQ(CRectUI(10, 10, 60, 40), CRectUI(relative->Bounds()));
  EXPECT_EQ(CRectUI(5, 6, 193, 92), CRectUI(flowing->Bounds()));

  container.SetBounds(RECT{0, 0, 300, 100});
  EXPECT_EQ(CRectUI(60, 10, 160, 40), CRectUI(relative->Bounds()));  // +50, 50 wider
  EXPECT_EQ(CRectUI(240, 50, 290, 80), CRectUI(corner->Bounds()));
  container.SetBounds(RECT{0, 0, 200, 100});
  EXPECT_EQ(CRectUI(10, 10, 60, 40), CRectUI(relative->Bounds()));
}

TEST_F(Container, HitTestsPreferTopChildrenInsideTheClientArea) {
  auto* below = new Probe;
  auto* above = new Probe;
  auto* floating = new Probe;
  floating->ApplyAttributeText(L"float=\"true\" pos=\"190,0,200,10\"");
  container.Add(below);
  container.Add(above);
  container.Add(floating);
  container.SetInset(RECT{0, 0, 20, 0});
  container.SetBounds(RECT{0, 0, 200, 100});
  EXPECT_EQ(above, HitAt(50, 50));
  EXPECT_EQ(below, HitAt(50, 50, SkinUI::FindHitTest));  // first to last
  EXPECT_EQ(&container, HitAt(50, 50, SkinUI::FindHitTest | SkinUI::FindMeFirst));
  EXPECT_EQ(floating, HitAt(195, 5));  // a float child over the inset is hit
  above->SetBounds(RECT{150, 0, 200, 100});
  EXPECT_EQ(&container, HitAt(190, 50));  // a flowing child under the inset is not
  EXPECT_EQ(nullptr, HitAt(250, 50));

  container.SetMouseChildEnabled(false);
  EXPECT_EQ(&container, HitAt(50, 50));
  container.ApplyAttribute(L"mousechild", L"true");
  container.SetVisible(false);
  EXPECT_EQ(nullptr, HitAt(50, 50));
}

TEST_F(Container, ScrollBarsComeWithTheWindowDefaultsAndGoOnRequest) {
  manager.SetClassDefaults(L"VScrollBar", L"showbutton1=\"false\" linesize=\"3\"");
  manager.SetClassDefaults(L"HScrollBar", L"showbutton2=\"false\"");
  container.ApplyAttribute(L"vscrollbar", L"true");
  SkinUI::CScrollBarUI* vertical = container.VerticalScrollBar();
  ASSERT_NE(nullptr, vertical);
  EXPECT_FALSE(vertical->IsHorizontal());
  EXPECT_FALSE(vertical->IsShowButton1());
  EXPECT_EQ(3, vertical->GetLineSize());
  EXPECT_EQ(&container, vertical->Owner());
  EXPECT_EQ(&manager, vertical->GetManager());
  EXPECT_EQ(nullptr, vertical->GetParent());
  EXPECT_EQ(nullptr, container.HorizontalScrollBar());

  container.ApplyAttribute(L"hscrollbarstyle", L"linesize=\"7\"");
  SkinUI::CScrollBarUI* horizontal = container.HorizontalScrollBar();
  ASSERT_NE(nullptr, horizontal);
  EXPECT_TRUE(horizontal->IsHorizontal());
  EXPECT_FALSE(horizontal->IsShowButton2());
  EXPECT_EQ(7, horizontal->GetLineSize());
  EXPECT_EQ(vertical, container.VerticalScrollBar());  // kept

  container.ApplyAttribute(L"vscrollbar", L"false");
  EXPECT_EQ(nullptr, container.VerticalScrollBar());
  EXPECT_EQ(horizontal, container.HorizontalScrollBar());
  container.SetMouseEnabled(false);
  EXPECT_FALSE(horizontal->IsMouseEnabled());
  EXPECT_EQ(static_cast<void*>(&container), container.InterfaceFor(L"Container"));
  EXPECT_EQ(static_cast<void*>(static_cast<SkinUI::IContainerUI*>(&container)),
            container.InterfaceFor(L"IContainer"));
}

TEST_F(Container, AttributesSetInsetPaddingAndHitTesting) {
  container.ApplyAttributeText(L"inset=\"1,2,3,4\" childpadding=\"6\" mousechild=\"false\"");
  EXPECT_EQ(CRectUI(1, 2, 3, 4), CRectUI(container.GetInset()));
  EXPECT_EQ(6, container.GetChildPadding());
  EXPECT_FALSE(container.IsMouseChildEnabled());
  EXPECT_STREQ(L"ContainerUI", container.ClassName());
}

TEST_F(Container, NearestSelectableSkipsWhatCannotBeSelected) {
  EXPECT_EQ(-1, container.NearestSelectable(0, true));
  auto* plain = new Probe;
  auto* item = new Probe(nullptr, true);
  auto* hidden = new Probe(nullptr, true);
  auto* disabled = new Probe(nullptr, true);
  auto* last = new Probe(nullptr, true);
  for (CControlUI* child : {static_cast<CControlUI*>(plain), static_cast<CControlUI*>(item),
                            static_cast<CControlUI*>(hidden), static_cast<CControlUI*>(disabled),
                            static_cast<CControlUI*>(last)}) {
    container.Add(child);
  }
  hidden->SetVisible(false);
  disabled->SetEnabled(false);
  EXPECT_EQ(1, container.NearestSelectable(-5, true));
  EXPECT_EQ(4, container.NearestSelectable(2, true));
  EXPECT_EQ(1, container.NearestSelectable(3, false));
  EXPECT_EQ(4, container.NearestSelectable(99, false));
  item->SetEnabled(false);
  EXPECT_EQ(4, container.NearestSelectable(3, false));  // none before: the first after 0
  last->SetVisible(false);
  EXPECT_EQ(-1, container.NearestSelectable(0, true));
}

TEST_F(Container, FocusIsOnlyRecordedAndMouseOffPassesEventsUp) {
  Probe outer;
  outer.BindManager(&manager, nullptr, false);
  container.BindManager(&manager, &outer, false);
  manager.ClearRecords();
  TControlEvent focus;
  focus.kind = SkinUI::EventSetFocus;
  container.RouteEvent(focus);
  EXPECT_TRUE(container.IsFocused());
  EXPECT_TRUE(manager.invalidated.empty());
  focus.kind = SkinUI::EventKillFocus;
  container.RouteEvent(focus);
  EXPECT_FALSE(container.IsFocused());

  TControlEvent wheel;
  wheel.kind = SkinUI::EventScrollWheel;
  container.SetMouseEnabled(false);
  container.RouteEvent(wheel);
  EXPECT_EQ(std::vector<int>{SkinUI::EventScrollWheel}, outer.handled);
  container.BindManager(&manager, nullptr, false);
}

TEST_F(Container, FlowingChildrenAreClippedToTheClientAreaAndFloatOnesAreNot) {
  container.SetBounds(RECT{0, 0, 100, 100});
  container.SetBkColor(0xFF0000FF);
  container.SetInset(RECT{10, 10, 10, 10});
  auto* flowing = new CControlUI;
  flowing->SetBkColor(0xFFFF0000);
  auto* floating = new CControlUI;
  floating->ApplyAttributeText(L"float=\"true\" pos=\"-25,-25,-5,-5\" bkcolor=\"#FF00FF00\"");
  container.Add(flowing);
  container.Add(floating);
  container.SetBounds(RECT{0, 0, 100, 100});
  flowing->SetBounds(RECT{0, 0, 100, 100});  // reaches into the inset

  Canvas canvas(120, 120);
  container.Paint(canvas.dc(), canvas.Bounds());
  EXPECT_EQ(0x0000FFu, canvas.Rgb(5, 5));     // inset: the container's own colour
  EXPECT_EQ(0xFF0000u, canvas.Rgb(50, 50));   // client area: the child
  EXPECT_EQ(0x00FF00u, canvas.Rgb(92, 92));   // the float child over the inset
  EXPECT_EQ(0xFFFFFFu, canvas.Rgb(110, 50));  // nothing outside the container

  Canvas insetOnly(120, 120);  // a dirty area outside the client: float children only
  container.Paint(insetOnly.dc(), RECT{91, 91, 100, 100});
  EXPECT_EQ(0x00FF00u, insetOnly.Rgb(92, 92));
  EXPECT_EQ(0x0000FFu, insetOnly.Rgb(97, 97));
  EXPECT_EQ(0xFFFFFFu, insetOnly.Rgb(50, 50));
}

}  // namespace

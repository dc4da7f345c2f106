// The container against the stand-in manager: ownership and removal,
// visibility through the tree, hit-testing, float placement, its bars and the
// two painting clips.

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
using SkinUITest::CTestManager;

// Tells when it dies; may pose as a list item.
class Probe : public CControlUI {
 public:
  explicit Probe(bool* gone = nullptr, bool listItem = false) : gone_(gone), item_(listItem) {}
  ~Probe() override {
    if (gone_ != nullptr) *gone_ = true;
  }
  void* InterfaceFor(const wchar_t* name) override {
    return item_ && wcscmp(name, L"ListItem") == 0 ? this : CControlUI::InterfaceFor(name);
  }

 private:
  bool* gone_;
  bool item_;
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
  CControlUI* Add(CControlUI* child, const wchar_t* attributes = L"") {
    child->ApplyAttributeText(attributes);
    container.Add(child);
    return child;
  }
  CControlUI* HitAt(LONG x, LONG y, UINT flags = SkinUI::FindTopFirst) {
    POINT point = {x, y};
    return container.FindInTree(Self, &point, flags | SkinUI::FindHitTest | SkinUI::FindVisible);
  }

  CTestManager manager;
  CContainerUI container;
};

TEST_F(Container, ShowingAndHidingReachEveryDescendant) {
  auto* inner = new CContainerUI;
  CControlUI* deep = new Probe;
  inner->Add(deep);
  container.SetVisible(false);
  Add(inner);  // into a hidden container: the new subtree is hidden too
  EXPECT_EQ(&container, inner->GetParent());
  EXPECT_EQ(&manager, deep->GetManager());
  EXPECT_FALSE(inner->IsInnerVisible());
  EXPECT_FALSE(deep->IsVisible());

  CControlUI* alone = Add(new Probe, L"visible=\"false\"");
  container.SetVisible(true);  // even children hidden on their own come back
  EXPECT_TRUE(alone->IsVisible() && inner->IsVisible() && deep->IsVisible());
  EXPECT_TRUE(inner->IsInnerVisible() && alone->IsInnerVisible());  // and may take focus
}

TEST_F(Container, RemovalDestroysOnlyChildrenAndLaterThroughTheWindow) {
  bool strangerGone = false;
  Probe stranger(&strangerGone);
  EXPECT_FALSE(container.Remove(&stranger));
  EXPECT_FALSE(container.MoveChildTo(&stranger, 0));
  EXPECT_FALSE(strangerGone);

  bool gone[3] = {};
  Probe* children[3];
  for (int i = 0; i < 3; ++i) children[i] = static_cast<Probe*>(Add(new Probe(&gone[i])));
  EXPECT_TRUE(container.MoveChildTo(children[0], 99));  // past the end: last, never lost
  EXPECT_EQ(children[0], container.ChildAt(2));
  EXPECT_TRUE(container.Remove(children[0]));
  EXPECT_FALSE(gone[0]);
  EXPECT_EQ(std::vector<CControlUI*>{children[0]}, manager.deferred);
  manager.RunDeferredDeletes();
  EXPECT_TRUE(gone[0]);
  container.SetDeferredDelete(false);
  EXPECT_TRUE(container.RemoveAt(0));
  EXPECT_TRUE(gone[1]);
  container.SetAutoDelete(false);
  container.RemoveAll();
  EXPECT_FALSE(gone[2]);
  delete children[2];

  bool ownedGone = false;
  auto* owner = new CContainerUI;
  owner->BindManager(&manager, nullptr, false);
  owner->Add(new Probe(&ownedGone));
  delete owner;  // at once: the window may be going away too
  EXPECT_TRUE(ownedGone);
  EXPECT_TRUE(manager.deferred.empty());
}

TEST_F(Container, FloatChildrenAnchorAndFollowTheirRelativePosition) {
  CControlUI* corner = Add(new CControlUI, L"float=\"true\" pos=\"-60,-50,-10,-20\"");
  CControlUI* relative =
      Add(new CControlUI, L"float=\"true\" pos=\"10,10,60,40\" relativepos=\"50,0,50,0\"");
  CControlUI* flowing = Add(new CControlUI);
  container.SetInset(RECT{5, 6, 7, 8});
  container.SetBounds(RECT{0, 0, 200, 100});
  EXPECT_EQ(CRectUI(140, 50, 190, 80), CRectUI(corner->Bounds()));  // inset ignored
  EXPECT_EQ(CRectUI(10, 10, 60, 40), CRectUI(relative->Bounds()));
  EXPECT_EQ(CRectUI(5, 6, 193, 92), CRectUI(flowing->Bounds()));
  container.SetBounds(RECT{0, 0, 300, 100});
  EXPECT_EQ(CRectUI(60, 10, 160, 40), CRectUI(relative->Bounds()));  // 50 right, 50 wider
  EXPECT_EQ(CRectUI(240, 50, 290, 80), CRectUI(corner->Bounds()));
}

TEST_F(Container, HitTestsTakeTopChildrenInsideTheClientArea) {
  CControlUI* below = Add(new Probe);
  CControlUI* above = Add(new Probe);
  CControlUI* floating = Add(new Probe, L"float=\"true\" pos=\"190,0,200,10\"");
  container.SetInset(RECT{0, 0, 20, 0});
  container.SetBounds(RECT{0, 0, 200, 100});
  EXPECT_EQ(above, HitAt(50, 50));
  EXPECT_EQ(below, HitAt(50, 50, 0));
  EXPECT_EQ(&container, HitAt(50, 50, SkinUI::FindMeFirst));
  EXPECT_EQ(floating, HitAt(195, 5));  // a float child over the inset is hit
  above->SetBounds(RECT{150, 0, 200, 100});
  EXPECT_EQ(&container, HitAt(190, 50));  // a flowing one under the inset is not
  container.ApplyAttribute(L"mousechild", L"false");
  EXPECT_EQ(&container, HitAt(50, 50));
}

TEST_F(Container, BarsAreOwnedAndNearestSelectableSkipsWhatCannotBeChosen) {
  container.ApplyAttribute(L"vscrollbar", L"true");
  container.ApplyAttribute(L"hscrollbarstyle", L"linesize=\"7\"");
  SkinUI::CScrollBarUI* horizontal = container.HorizontalScrollBar();
  ASSERT_NE(nullptr, horizontal);
  EXPECT_TRUE(horizontal->IsHorizontal());
  EXPECT_EQ(7, horizontal->GetLineSize());
  EXPECT_EQ(&container, container.VerticalScrollBar()->Owner());
  EXPECT_EQ(nullptr, container.VerticalScrollBar()->GetParent());
  container.ApplyAttribute(L"vscrollbar", L"false");
  EXPECT_EQ(nullptr, container.VerticalScrollBar());
  EXPECT_EQ(horizontal, container.HorizontalScrollBar());

  EXPECT_EQ(-1, container.NearestSelectable(0, true));
  Add(new Probe);
  CControlUI* item = Add(new Probe(nullptr, true));
  Add(new Probe(nullptr, true), L"visible=\"false\"");
  Add(new Probe(nullptr, true), L"enabled=\"false\"");
  Add(new Probe(nullptr, true));
  EXPECT_EQ(1, container.NearestSelectable(-5, true));
  EXPECT_EQ(4, container.NearestSelectable(2, true));
  EXPECT_EQ(1, container.NearestSelectable(3, false));
  item->SetEnabled(false);
  EXPECT_EQ(4, container.NearestSelectable(3, false));  // none before: first from 0
}

TEST_F(Container, FlowingChildrenAreClippedToTheClientAreaAndFloatOnesAreNot) {
  container.SetBkColor(0xFF0000FF);
  container.SetInset(RECT{10, 10, 10, 10});
  CControlUI* flowing = Add(new CControlUI, L"bkcolor=\"#FFFF0000\"");
  Add(new CControlUI, L"float=\"true\" pos=\"-25,-25,-5,-5\" bkcolor=\"#FF00FF00\"");
  container.SetBounds(RECT{0, 0, 100, 100});
  flowing->SetBounds(RECT{0, 0, 100, 100});  // reaches into the inset
  SkinUITest::Canvas all(120, 120);
  container.Paint(all.dc(), all.Bounds());
  EXPECT_EQ(0x0000FFu, all.Rgb(5, 5));
  EXPECT_EQ(0xFF0000u, all.Rgb(50, 50));
  EXPECT_EQ(0x00FF00u, all.Rgb(92, 92));  // the float child over the inset
  EXPECT_EQ(0xFFFFFFu, all.Rgb(110, 50));
  SkinUITest::Canvas insetOnly(120, 120);  // dirty outside the client: float children only
  container.Paint(insetOnly.dc(), RECT{91, 91, 100, 100});
  EXPECT_EQ(0x00FF00u, insetOnly.Rgb(92, 92));
  EXPECT_EQ(0xFFFFFFu, insetOnly.Rgb(50, 50));
}

}  // namespace

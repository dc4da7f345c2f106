// The control base against the stand-in manager: attribute parsing, the
// repaint and re-layout requests that follow changes, the paint sequence
// into memory bitmaps, and event delivery.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/controls/control.h"

namespace {

using SkinUI::CControlUI;
using SkinUI::CRectUI;
using SkinUI::TControlEvent;
using SkinUITest::Canvas;
using SkinUITest::CTestManager;

// Records what reaches HandleEvent.
class ProbeControl : public CControlUI {
 public:
  void HandleEvent(TControlEvent& event) override {
    handled.push_back(event.kind);
    CControlUI::HandleEvent(event);
  }
  std::vector<int> handled;
};

class ControlBase : public ::testing::Test {
 protected:
  // A control inside a parent at (0, 0, 200, 100), both bound to the manager.
  void SetUp() override {
    parent.BindManager(&manager, nullptr, false);
    parent.SetBounds(RECT{0, 0, 200, 100});
    control.BindManager(&manager, &parent, false);
    control.SetBounds(RECT{10, 10, 60, 40});
    manager.ClearRecords();
  }

  CTestManager manager;
  ProbeControl parent;
  ProbeControl control;
};

TEST_F(ControlBase, PositionAttributesFollowTheNegativeSizeRule) {
  struct Case {
    const wchar_t* pos;
    LONG x, y;
    int width, height;
  };
  const Case cases[] = {
      {L"575,0,0,0", 575, 0, 0, 0},            // negative size: only the offset
      {L"-60,-50,-10,-20", -10, -20, 50, 30},  // anchored to the right and bottom
      {L"-10,-10,-50,-40", -50, -40, 0, 0},    // negative size ignored
      {L"4,5,24,35", 4, 5, 20, 30},
  };
  for (const Case& c : cases) {
    CControlUI fresh;
    fresh.ApplyAttribute(L"pos", c.pos);
    EXPECT_EQ(c.x, fresh.FixedOffset().cx) << c.pos;
    EXPECT_EQ(c.y, fresh.FixedOffset().cy) << c.pos;
    EXPECT_EQ(c.width, fresh.GetFixedWidth()) << c.pos;
    EXPECT_EQ(c.height, fresh.GetFixedHeight()) << c.pos;
  }
  // The skin relies on "pos" coming before "width" and "height".
  CControlUI button;
  button.ApplyAttributeText(L"pos=\"575,0,0,0\" width=\"38\" height=\"20\"");
  EXPECT_EQ(575, button.FixedOffset().cx);
  EXPECT_EQ(38, button.GetFixedWidth());
  EXPECT_EQ(20, button.GetFixedHeight());
}

TEST_F(ControlBase, ValuesAreReadByTheirOwnRules) {
  CControlUI c;
  c.ApplyAttributeText(
      L"bkcolor=\" #FF00FF00\" bordercolor=\" #FF00FF00\" bkcolor2=\"0x00c8a500\" "
      L"focusbordercolor=\"#80112233\" bkcolor3=\"zz\" width=\"12px\" height=\"abc\" "
      L"minwidth=\" -3\" maxheight=\"+77\" visible=\"TRUE\" float=\"true\" shortcut=\"xy\" "
      L"relativepos=\"50,0,50,0\" padding=\"2,0,2,0\" borderround=\"3;4\" tooltip=\"tip\" "
      L"userdata=\"data\" name=\"Btn\" text=\"Scan\" menu=\"true\" enabled=\"false\"");
  EXPECT_EQ(0xFF00FF00u, c.GetBkColor());
  EXPECT_EQ(0u, c.GetBorderColor());  // no blank skipping for borders
  EXPECT_EQ(0x00C8A500u, c.GetBkColor2());
  EXPECT_EQ(0x80112233u, c.GetFocusBorderColor());
  EXPECT_EQ(0u, c.GetBkColor3());
  EXPECT_EQ(12, c.GetFixedWidth());
  EXPECT_EQ(0, c.GetFixedHeight());
  EXPECT_EQ(0, c.GetMinWidth());  // negative refused
  EXPECT_EQ(77, c.GetMaxHeight());
  EXPECT_FALSE(c.IsVisible());  // only the exact "true" is true
  EXPECT_TRUE(c.IsFloat());
  EXPECT_EQ(L'x', c.GetShortcut());
  EXPECT_TRUE(c.IsRelativePos());
  EXPECT_EQ(50, c.GetRelativePos().moveX);
  EXPECT_EQ(50, c.GetRelativePos().zoomX);
  EXPECT_EQ(CRectUI(2, 0, 2, 0), c.GetPadding());
  EXPECT_EQ(3, c.GetBorderRound().cx);
  EXPECT_EQ(4, c.GetBorderRound().cy);
  EXPECT_EQ(L"tip", std::wstring(c.GetToolTip()));
  EXPECT_EQ(L"data", std::wstring(c.GetUserData()));
  EXPECT_EQ(L"Btn", std::wstring(c.GetName()));
  EXPECT_EQ(L"Scan", std::wstring(c.GetText()));
  EXPECT_TRUE(c.IsMenuEnabled());
  EXPECT_FALSE(c.IsEnabled());
  c.ApplyAttribute(L"shortcut", L"");
  EXPECT_EQ(0, c.GetShortcut());
  c.ApplyAttribute(L"Width", L"99");  // names are case-sensitive
  EXPECT_EQ(12, c.GetFixedWidth());
}

TEST_F(ControlBase, AttributeListsStopAtTheFirstMalformedPair) {
  struct Case {
    const wchar_t* list;
    const wchar_t* text;
    const wchar_t* tip;
  };
  const Case cases[] = {
      {L"text=\"a\" tooltip=\"b\"", L"a", L"b"},
      {L"text=\"a\"\ttooltip=\"b\"", L"a", L""},  // pair before a non-blank still applied
      {L"text=\"a\"  tooltip=\"b\"", L"a", L""},  // two blanks: the next name is " tooltip"
      {L"text= \"a\" tooltip=\"b\"", L"", L""},   // quote must follow "=" directly
      {L"text=\"a\" tooltip=\"b", L"a", L""},     // unterminated value not applied
      {L"text=\"file='x.png' source='0,0,1,1'\"", L"file='x.png' source='0,0,1,1'", L""},
      {L"text", L"", L""},
  };
  for (const Case& c : cases) {
    CControlUI fresh;
    fresh.ApplyAttributeText(c.list);
    EXPECT_EQ(std::wstring(c.text), std::wstring(fresh.GetText())) << c.list;
    EXPECT_EQ(std::wstring(c.tip), std::wstring(fresh.GetToolTip())) << c.list;
  }
}

TEST_F(ControlBase, InvalidationStaysInsideTheAncestors) {
  control.SetText(L"one");
  control.SetText(L"one");
  ASSERT_EQ(1u, manager.invalidated.size());  // same text twice invalidates once
  EXPECT_EQ(CRectUI(10, 10, 60, 40), manager.invalidated[0]);

  manager.ClearRecords();
  control.SetBounds(RECT{180, 80, 260, 140});  // old area joined with the new, cut by the parent
  ASSERT_EQ(1u, manager.invalidated.size());
  EXPECT_EQ(CRectUI(10, 10, 200, 100), manager.invalidated[0]);

  manager.ClearRecords();
  control.SetBounds(RECT{300, 300, 320, 320});  // moved entirely outside the parent
  control.SetBounds(RECT{400, 400, 420, 420});
  control.SetBkColor(0xFF123456);
  EXPECT_EQ(1u, manager.invalidated.size());  // only the move out of the parent shows

  manager.ClearRecords();
  control.SetVisible(false);
  manager.ClearRecords();
  control.SetText(L"hidden");
  EXPECT_TRUE(manager.invalidated.empty());
}

TEST_F(ControlBase, BoundsAreNormalisedAndFloatControlsKeepTheirAnchor) {
  int sizeCalls = 0;
  control.SizeHooks().Add([&](void* p) {
    ++sizeCalls;
    auto* self = static_cast<CControlUI*>(p);
    self->SetBounds(self->Bounds());  // re-entry is not hooked again
    return true;
  });
  control.SetBounds(RECT{50, 50, 40, 30});
  EXPECT_EQ(1, sizeCalls);
  EXPECT_EQ(CRectUI(50, 50, 50, 50), CRectUI(control.Bounds()));

  CControlUI floating;
  floating.BindManager(&manager, &parent, false);
  floating.ApplyAttribute(L"float", L"true");
  floating.ApplyAttribute(L"pos", L"-60,-50,-10,-20");
  floating.SetBounds(RECT{130, 50, 180, 80});
  EXPECT_EQ(-20, floating.FixedOffset().cx);  // measured from the right edge
  EXPECT_EQ(-20, floating.FixedOffset().cy);
  EXPECT_EQ(50, floating.GetFixedWidth());
  EXPECT_FALSE(floating.IsRelayoutPending());
}

TEST_F(ControlBase, ChangesAskForTheRightAmountOfLayout) {
  control.SetBounds(RECT{10, 10, 60, 40});
  parent.SetBounds(RECT{0, 0, 200, 100});
  manager.ClearRecords();
  control.SetPadding(RECT{1, 1, 1, 1});  // geometry: through the parent
  EXPECT_TRUE(parent.IsRelayoutPending());
  EXPECT_FALSE(control.IsRelayoutPending());
  EXPECT_GE(manager.layoutRequests, 1);

  parent.SetBounds(RECT{0, 0, 200, 100});
  manager.ClearRecords();
  control.SetMinWidth(0);  // unchanged: nothing
  control.SetFixedWidth(-5);
  EXPECT_EQ(0, manager.layoutRequests);
  EXPECT_FALSE(parent.IsRelayoutPending());

  control.SetFloat(true);
  parent.SetBounds(RECT{0, 0, 200, 100});
  control.SetBounds(RECT{10, 10, 60, 40});
  control.SetFixedWidth(70);  // a float control lays itself out
  EXPECT_TRUE(control.IsRelayoutPending());
  EXPECT_FALSE(parent.IsRelayoutPending());
}

TEST_F(ControlBase, HiddenControlsGiveUpTheFocus) {
  control.SetFocus();
  EXPECT_EQ(&control, manager.FocusControl());
  control.SetVisible(false);
  EXPECT_EQ(nullptr, manager.FocusControl());

  control.SetVisible(true);
  control.SetFocus();
  control.SetInnerVisible(false);
  EXPECT_EQ(nullptr, manager.FocusControl());
  EXPECT_FALSE(control.IsInnerVisible());
  EXPECT_TRUE(control.IsVisible());
}

// Paints control into a 200 x 100 white canvas with the given dirty area.
Canvas PaintInto(CControlUI& control, const RECT& dirty) {
  Canvas canvas(200, 100, 0xFFFFFFFF);
  control.Paint(canvas.dc(), dirty);
  return canvas;
}

TEST_F(ControlBase, OpaqueColourPaintsTheDirtyPartAndTranslucentTheWhole) {
  control.SetBounds(RECT{0, 0, 100, 100});
  control.SetBkColor(0xFFFF0000);
  Canvas opaque = PaintInto(control, RECT{0, 0, 50, 100});
  EXPECT_EQ(0xFF0000u, opaque.Rgb(10, 10));
  EXPECT_EQ(0xFFFFFFu, opaque.Rgb(80, 10));

  control.SetBkColor(0x80FF0000);
  Canvas translucent = PaintInto(control, RECT{0, 0, 50, 100});
  EXPECT_EQ(translucent.Rgb(10, 10), translucent.Rgb(80, 10));
  EXPECT_NE(0xFFFFFFu, translucent.Rgb(80, 10));
  EXPECT_EQ(0xFFFFFFu, translucent.Rgb(150, 10));
}

TEST_F(ControlBase, GradientsRunFromTopToBottom) {
  control.SetBounds(RECT{0, 0, 100, 100});
  control.SetBkColor(0xFF000000);
  control.SetBkColor2(0xFF0000FF);
  Canvas two = PaintInto(control, control.Bounds());
  EXPECT_LT(two.Rgb(50, 2) & 0xFF, 0x20u);
  EXPECT_GT(two.Rgb(50, 97) & 0xFF, 0xE0u);

  control.SetBkColor3(0xFF000000);  // up to blue in the middle, back down to black
  Canvas three = PaintInto(control, control.Bounds());
  EXPECT_LT(three.Rgb(50, 2) & 0xFF, 0x20u);
  EXPECT_GT(three.Rgb(50, 50) & 0xFF, 0xE0u);
  EXPECT_LT(three.Rgb(50, 97) & 0xFF, 0x20u);
}

TEST_F(ControlBase, MissingBackgroundImageIsTriedOnceAndBordersFollowFocus) {
  control.SetBounds(RECT{0, 0, 100, 100});
  control.SetBkImage(L"absent.png");
  PaintInto(control, control.Bounds());
  PaintInto(control, control.Bounds());
  EXPECT_EQ(1u, manager.ImageRequests().size());
  EXPECT_TRUE(control.GetBkImage().IsEmpty());

  control.SetBorderSize(2);
  control.SetBorderColor(0xFF00FF00);
  control.SetFocusBorderColor(0xFF0000FF);
  EXPECT_EQ(0x00FF00u, PaintInto(control, control.Bounds()).Rgb(1, 50));
  TControlEvent focus;
  focus.kind = SkinUI::EventSetFocus;
  control.RouteEvent(focus);
  Canvas focused = PaintInto(control, control.Bounds());
  EXPECT_EQ(0x0000FFu, focused.Rgb(1, 50));
  EXPECT_EQ(0xFFFFFFu, focused.Rgb(50, 50));
}

TEST_F(ControlBase, RoundedControlsClipTheirCorners) {
  control.SetBounds(RECT{0, 0, 100, 100});
  control.SetBkColor(0xFFFF0000);
  control.SetBorderRound(40, 40);
  Canvas canvas = PaintInto(control, control.Bounds());
  EXPECT_EQ(0xFFFFFFu, canvas.Rgb(1, 1));
  EXPECT_EQ(0xFF0000u, canvas.Rgb(50, 50));
}

TEST_F(ControlBase, EventsReachHooksThenTheControlThenItsParent) {
  TControlEvent event;
  event.kind = SkinUI::EventMouseMove;
  bool refuse = true;
  control.EventHooks().Add([&](void*) { return !refuse; });
  control.RouteEvent(event);
  EXPECT_TRUE(control.handled.empty());

  refuse = false;
  control.RouteEvent(event);
  EXPECT_EQ(std::vector<int>{SkinUI::EventMouseMove}, control.handled);
  EXPECT_EQ(std::vector<int>{SkinUI::EventMouseMove}, parent.handled);  // not understood: passed up

  event.kind = SkinUI::EventContextMenu;
  event.wParam = 7;
  event.lParam = 9;
  control.RouteEvent(event);  // no menu: the parent gets it
  EXPECT_TRUE(manager.notifications.empty());
  EXPECT_EQ(2u, parent.handled.size());
  control.SetMenuEnabled(true);
  control.RouteEvent(event);
  event.kind = SkinUI::EventTimer;
  event.wParam = 10;
  control.RouteEvent(event);
  ASSERT_EQ(2u, manager.notifications.size());
  EXPECT_EQ(L"menu", manager.notifications[0].type);
  EXPECT_EQ(7u, manager.notifications[0].wParam);
  EXPECT_EQ(9, manager.notifications[0].lParam);
  EXPECT_EQ(L"timer", manager.notifications[1].type);
  EXPECT_EQ(10u, manager.notifications[1].wParam);
  EXPECT_EQ(&control, manager.notifications[1].sender);
  EXPECT_EQ(2u, parent.handled.size());
}

TEST_F(ControlBase, SearchesHonourTheFlagsAndDestructionTellsTheWindow) {
  POINT inside = {20, 20};
  POINT outside = {100, 20};
  auto self = [](CControlUI* c, LPVOID) CALLBACK -> CControlUI* { return c; };
  EXPECT_EQ(&control, control.FindInTree(self, &inside, SkinUI::FindHitTest));
  EXPECT_EQ(nullptr, control.FindInTree(self, &outside, SkinUI::FindHitTest));
  control.SetMouseEnabled(false);
  EXPECT_EQ(nullptr, control.FindInTree(self, &inside, SkinUI::FindHitTest));
  control.SetEnabled(false);
  EXPECT_EQ(nullptr, control.FindInTree(self, nullptr, SkinUI::FindEnabled));
  EXPECT_EQ(&control, control.FindInTree(self, nullptr, SkinUI::FindVisible));

  bool destroyed = false;
  auto* doomed = new CControlUI;
  doomed->BindManager(&manager, &parent, true);
  doomed->DestroyHooks().Add([&](void*) { return destroyed = true; });
  delete doomed;
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(std::vector<CControlUI*>{doomed}, manager.forgotten);
}

}  // namespace

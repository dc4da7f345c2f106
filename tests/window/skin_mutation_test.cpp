// Hostile skins through the real builder, in a real window, with handlers
// that change the tree while the framework delivers: a skin with every kind
// of control, option groups and Include elements (counted, nested, looping
// back to itself or through another document, with absurd counts) is damaged
// at random, built, installed and clicked, tabbed and scrolled through, while
// "click", "itemclick", "setfocus" and "windowinit" handlers remove their
// sender, replace or clear the tree, or close the window. This program
// poisons what it frees, so that code running on in freed controls or a
// freed window manager faults, and a write into freed memory is seen.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/poisoned_heap.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/text_mutation.h"
#include "tests/support/window_harness.h"
#include "ui/controls/button.h"
#include "ui/controls/container.h"
#include "ui/markup/skin_resources.h"
#include "ui/window/skin_builder.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

constexpr int kMutants = 2000;
constexpr int kInputsPerMutant = 8;
constexpr int kWidth = 240;
constexpr int kHeight = 160;

const char kSkin[] = R"(<Window size="240,160">
<Font name="Tahoma" size="12" default="true" />
<Default name="Button" value="text=&quot;b&quot;" />
<Container bkcolor="#FFFFFFFF">
  <Include source="part_a.xml" count="2" />
  <Button name="b1" float="true" pos="10,10,60,30" text="one" />
  <Option name="o1" group="g" float="true" pos="70,10,120,30" />
  <Option name="o2" group="g" selected="true" float="true" pos="130,10,180,30" />
  <VerticalLayout float="true" pos="10,40,110,150" vscrollbar="true" childpadding="2">
    <Button height="30" text="v1" />
    <Option height="30" group="g" text="v2" />
    <Include source="part_b.xml" />
    <Label height="30" text="l" />
  </VerticalLayout>
  <List name="list" float="true" pos="120,40,230,150" vscrollbar="true">
    <ListHeader><ListHeaderItem text="h" width="100" /></ListHeader>
    <ListLabelElement text="r0" /><ListLabelElement text="r1" />
    <ListTextElement /><ListLabelElement text="r3" /><ListLabelElement text="r4" />
  </List>
  <HorizontalLayout float="true" pos="0,150,240,160"><Button /><Option group="g" /></HorizontalLayout>
</Container>
</Window>)";

// The documents the skin and its mutants include.
const std::map<std::wstring, std::string> kIncluded = {
    {L"part_a.xml",
     "<Window><Option group=\"g\" selected=\"true\" float=\"true\" pos=\"190,10,230,30\" />"
     "<Include source=\"part_b.xml\" /></Window>"},
    {L"part_b.xml",
     "<Window><Button height=\"20\" text=\"pb\" /><Include source=\"part_c.xml\" count=\"3\" />"
     "</Window>"},
    {L"part_c.xml", "<Window><Label height=\"10\" /></Window>"},
    {L"loop.xml", "<Window><Include source=\"loop_back.xml\" /></Window>"},
    {L"loop_back.xml", "<Window><Button /><Include source=\"LOOP.xml\" /></Window>"},
};

// Whole elements put in between others.
const std::vector<const char*> kElements = {
    "<Include source=\"skin.xml\" />",
    "<Include source=\"loop.xml\" />",
    "<Include source=\"part_a.xml\" count=\"2147483647\" />",
    "<Include source=\"part_c.xml\" count=\"1000\" />",
    "<Include source=\"part_b.xml\" count=\"-3\" />",
    "<Include source=\"part_a.xml\" />",
    "<Include source=\"nothing.xml\" />",
    "<Include />",
    "<Option group=\"g\" selected=\"true\" height=\"20\" />",
    "<Button height=\"20\" text=\"n\" />",
    "<VerticalLayout><Button height=\"20\" /><Include source=\"part_c.xml\" /></VerticalLayout>",
    "<ListLabelElement text=\"x\" />",
    "<ListTextElement />",
    "<Label />",
};

// Broken markup, character by character.
const std::vector<const char*> kTokens = {"<", ">", "/>", "</", "\"", "=", " ", "<Include "};

// A number of an attribute replaced with one of these.
const std::vector<const char*> kNumbers = {"2147483647", "-2147483647", "0", "-5", "99999"};

std::vector<size_t> TagEnds(const std::string& text) {
  std::vector<size_t> ends;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '>') ends.push_back(i + 1);
  }
  return ends;
}

// Most mutants stay well formed, so that they reach the builder and the
// window: elements put in or cut out, numbers made huge or negative. One in
// four is damaged character by character.
std::string MutateSkin(const std::string& skin, CRandom& random) {
  if (random.Below(4) == 0) return MutateText(skin, random, kTokens);
  std::string text = skin;
  const size_t edits = 1 + random.Below(3);
  for (size_t edit = 0; edit < edits; ++edit) {
    const std::vector<size_t> ends = TagEnds(text);
    if (ends.size() < 2) break;
    const size_t at = ends[random.Below(ends.size() - 1)];
    switch (random.Below(3)) {
      case 0:
        text.insert(at, kElements[random.Below(kElements.size())]);
        break;
      case 1:
        text.erase(at, text.find('>', at) + 1 - at);
        break;
      default: {
        const size_t number = text.find_first_of("0123456789", at);
        if (number == std::string::npos) break;
        const size_t length = text.find_first_not_of("0123456789", number) - number;
        text.replace(number, length, kNumbers[random.Below(kNumbers.size())]);
        break;
      }
    }
  }
  return text;
}

enum class HandlerAction { None, RemoveSender, ReplaceTree, ClearTree, CloseWindow, HideSender };
constexpr int kActions = 6;
const wchar_t* const kWatchedTypes[] = {L"click", L"itemclick", L"setfocus", L"windowinit"};

// Takes a control out of the tree the way an application would: a row
// through its list, anything else through its container.
void RemoveFromTree(CControlUI* control) {
  CControlUI* parent = control->GetParent();
  if (parent == nullptr) return;
  if (control->InterfaceFor(L"ListItem") != nullptr && parent->GetParent() != nullptr) {
    parent = parent->GetParent();
  }
  auto* container = static_cast<IContainerUI*>(parent->InterfaceFor(L"IContainer"));
  if (container != nullptr) container->Remove(control);
}

CControlUI* SmallTree() {
  auto* root = new CContainerUI;
  auto* button = new CButtonUI;
  button->SetFloat(true);
  button->SetFixedOffset(CSizeUI(20, 20));
  button->SetFixedWidth(80);
  button->SetFixedHeight(30);
  root->Add(button);
  return root;
}

struct TTally {
  int built = 0;
  int actionsTaken = 0;
  int windowsClosed = 0;
  std::map<std::wstring, int> refusals;
};

class CMutantRun {
 public:
  CMutantRun(CRandom& random, TTally& tally) : random_(random), tally_(tally) {}

  void Run(const std::string& skin, std::unique_ptr<CHarnessWindow>& window) {
    window_ = window.get();
    std::ofstream(folder_->File(L"skin.xml").c_str()) << skin;
    CSkinBuilder builder;
    CControlUI* root = builder.Create(L"skin.xml", nullptr, nullptr, &window_->Manager());
    if (root == nullptr) {
      // A document that loads but holds no control gives no reason.
      ++tally_.refusals[builder.LastErrorMessage()];
      return;
    }
    ++tally_.built;
    ArmHandler();
    window_->Install(root);
    for (int i = 0; i < kInputsPerMutant && window_->HasManager(); ++i) SendInput();
    window_->Notifications().onReceive = nullptr;
    if (!window_->HasManager()) {
      ++tally_.windowsClosed;
      window->Pump();
      window = std::make_unique<CHarnessWindow>(kWidth, kHeight);
      return;
    }
    window_->Install(nullptr);
    window_->Pump();
  }

  ScratchFolder* folder_ = nullptr;

 private:
  // One action for one kind of notification; a tree is replaced once, so
  // that "windowinit" of the new tree does not replace it for ever.
  void ArmHandler() {
    const std::wstring type = kWatchedTypes[random_.Below(4)];
    const auto action = static_cast<HandlerAction>(random_.Below(kActions));
    bool replaced = false;
    CHarnessWindow* window = window_;
    TTally& tally = tally_;
    window_->Notifications().onReceive = [=, &tally](TNotifyMsg& msg) mutable {
      if (msg.type != type.c_str() || msg.sender == nullptr) return;
      ++tally.actionsTaken;
      switch (action) {
        case HandlerAction::None:
          return;
        case HandlerAction::RemoveSender:
          RemoveFromTree(msg.sender);
          return;
        case HandlerAction::ReplaceTree:
          if (!replaced) window->Manager().SetRootControl(SmallTree());
          replaced = true;
          return;
        case HandlerAction::ClearTree:
          window->Manager().SetRootControl(nullptr);
          return;
        case HandlerAction::CloseWindow:
          window->Destroy();
          return;
        case HandlerAction::HideSender:
          msg.sender->SetVisible(false);
          return;
      }
    };
  }

  void SendInput() {
    const int x = static_cast<int>(random_.Below(kWidth));
    const int y = static_cast<int>(random_.Below(kHeight));
    switch (random_.Below(7)) {
      case 0:
        window_->Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        if (window_->HasManager()) window_->Mouse(WM_LBUTTONUP, x, y);
        break;
      case 1:
        window_->Mouse(WM_RBUTTONDOWN, x, y, MK_RBUTTON);
        break;
      case 2:
        window_->Mouse(WM_LBUTTONDBLCLK, x, y, MK_LBUTTON);
        if (window_->HasManager()) window_->Mouse(WM_LBUTTONUP, x, y);
        break;
      case 3:
        window_->PostAndPump(WM_KEYDOWN, VK_TAB);
        break;
      case 4:
        window_->Key(WM_KEYDOWN, random_.Below(2) ? VK_RETURN : VK_DOWN);
        if (window_->HasManager()) window_->Key(WM_KEYUP, VK_RETURN);
        break;
      case 5:
        window_->Mouse(WM_MOUSEWHEEL, x, y, static_cast<WPARAM>(-WHEEL_DELTA) << 16);
        break;
      default:
        window_->Mouse(WM_MOUSEMOVE, x, y);
        break;
    }
    if (window_->HasManager()) {
      window_->InvalidateAll();
      window_->Paint();
      window_->Pump();
    }
  }

  CRandom& random_;
  TTally& tally_;
  CHarnessWindow* window_ = nullptr;
};

TEST(BadInput, MutatedSkinsWithIncludesAndTreeChangingHandlersBuildOrFailCleanly) {
  ScratchFolder folder;
  for (const auto& [name, markup] : kIncluded)
    std::ofstream(folder.File(name.c_str()).c_str()) << markup;
  SetResourceFolder((folder.path() + L"\\").c_str());
  CRandom random(20240722);
  TTally tally;
  CMutantRun run(random, tally);
  run.folder_ = &folder;
  auto window = std::make_unique<CHarnessWindow>(kWidth, kHeight);
  const long faultsBefore = AccessFaultsSeen();
  const DWORD start = GetTickCount();
  run.Run(kSkin, window);  // the skin itself builds
  ASSERT_EQ(1, tally.built);
  for (int i = 0; i < kMutants && !HasFailure(); ++i) {
    run.Run(MutateSkin(kSkin, random), window);
  }
  SetResourceFolder(L"");
  window.reset();

  std::printf(
      "[ measure  ] %d mutated skins in %.1f s: %d built, %d handler actions, "
      "%d windows closed\n",
      kMutants, (GetTickCount() - start) / 1000.0, tally.built, tally.actionsTaken,
      tally.windowsClosed);
  for (const auto& [reason, count] : tally.refusals) {
    std::printf("[ measure  ]   refused %3d: %ls\n", count, reason.c_str());
  }
  EXPECT_TRUE(FreedBlocksStillPoisoned());
  EXPECT_EQ(faultsBefore, AccessFaultsSeen());
  // The mutants reach every bound of the builder and every kind of handler.
  EXPECT_GT(tally.built, kMutants / 4);
  EXPECT_GT(tally.refusals[L"Include brings in a document that is being built"], 0);
  EXPECT_GT(tally.refusals[L"Include count too large"], 0);
  EXPECT_GT(tally.windowsClosed, 0);
  EXPECT_GT(tally.actionsTaken, kMutants / 4);
}

}  // namespace
}  // namespace SkinUITest

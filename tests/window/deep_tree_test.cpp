// Trees at the depth limit, built in code and from skins, in real windows on
// a thread with the stack of a plain Windows thread: every walk over them
// (binding, layout, paint, hit test, events handed up to the root, focus
// search, hiding, destruction, the skin builder and its includes) fits, and
// nothing deeper is accepted, whatever builds it.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/stack_probe.h"
#include "tests/support/window_harness.h"
#include "ui/controls/box_layout.h"
#include "ui/controls/button.h"
#include "ui/markup/skin_resources.h"
#include "ui/window/skin_builder.h"

namespace {

using namespace SkinUI;
using SkinUITest::CHarnessWindow;
using SkinUITest::CStackGauge;

// A plain thread's stack, smaller than the program's main thread's (2 MiB).
constexpr size_t kThreadStack = 1024 * 1024;
// What one walk at the limit may take of it: the rest is for the program's
// own frames below the message loop and for the system's.
constexpr size_t kWalkBudget = kThreadStack / 2;

// Layouts nested depth - 1 times around a button: depth levels in all.
CControlUI* Chain(int depth, CContainerUI** deepestLayout = nullptr) {
  auto* button = new CButtonUI;
  button->SetName(L"deepest");
  CControlUI* top = button;
  for (int level = 1; level < depth; ++level) {
    auto* layout = new CVerticalLayoutUI;
    EXPECT_TRUE(layout->Add(top));
    if (level == 1 && deepestLayout != nullptr) *deepestLayout = layout;
    top = layout;
  }
  return top;
}

class CStackReport {
 public:
  // Checks and prints what the walk since the last call took, then starts anew.
  void Walk(const char* what) {
    const size_t peak = gauge_.Peak();
    std::printf("[ stack    ] %-24s %7zu bytes at depth %d, %4zu per level\n", what, peak,
                kMaxTreeDepth, peak / kMaxTreeDepth);
    EXPECT_LT(peak, kWalkBudget) << what;
    gauge_.Reset();
  }

 private:
  CStackGauge gauge_;
};

TEST(DeepTree, EveryWalkOverATreeAtTheLimitFitsAPlainThreadsStack) {
  SkinUITest::RunWithStack(
      [] {
        CStackReport report;
        CHarnessWindow window(200, 100);
        CControlUI* root = Chain(kMaxTreeDepth);
        ASSERT_EQ(kMaxTreeDepth, root->SubtreeDepth());
        CControlUI* deepest = nullptr;
        report.Walk("window");

        window.Manager().SetRootControl(root);
        deepest = window.Manager().ControlByName(L"deepest");
        report.Walk("install and names");
        ASSERT_NE(nullptr, deepest);
        EXPECT_EQ(kMaxTreeDepth, deepest->DepthInTree());

        window.Paint();
        report.Walk("layout and paint");
        EXPECT_EQ(200, deepest->GetWidth());

        window.Mouse(WM_MOUSEMOVE, 5, 5);
        window.Mouse(WM_LBUTTONDOWN, 5, 5);
        window.Mouse(WM_LBUTTONUP, 5, 5);
        report.Walk("hit test and click");
        EXPECT_EQ(1, window.Notifications().Count(L"click"));
        EXPECT_EQ(deepest, window.Manager().FocusControl());

        // A key the button does not take is handed up to the root.
        window.Key(WM_KEYDOWN, 'A');
        window.Key(WM_KEYUP, 'A');
        report.Walk("events to the root");

        window.Manager().MoveFocusByTab(true);
        report.Walk("tab search");

        root->SetVisible(false);
        root->SetVisible(true);
        report.Walk("hide and show");

        window.Install(nullptr);
        window.Pump();
        report.Walk("destruction");
      },
      kThreadStack);
}

// A layout holding levels - 1 nested layouts: levels in all.
CContainerUI* Nest(int levels) {
  auto* top = new CVerticalLayoutUI;
  CContainerUI* inner = top;
  for (int level = 1; level < levels; ++level) {
    auto* next = new CVerticalLayoutUI;
    inner->Add(next);
    inner = next;
  }
  return top;
}

TEST(DeepTree, NothingBuiltInCodeGrowsDeeperThanTheLimit) {
  CContainerUI* deepestLayout = nullptr;
  std::unique_ptr<CControlUI> root(Chain(kMaxTreeDepth, &deepestLayout));
  // Not from above: the whole chain under one more layout.
  CVerticalLayoutUI above;
  EXPECT_FALSE(above.Add(root.get()));

  // Not from below: beside the button, a leaf fits and a layout with a
  // child does not.
  EXPECT_TRUE(deepestLayout->Add(new CButtonUI));
  std::unique_ptr<CContainerUI> twoLevels(Nest(2));
  EXPECT_FALSE(deepestLayout->Add(twoLevels.get()));
  EXPECT_EQ(2, deepestLayout->GetCount());

  // Nor from the middle: one level up, two levels fit and three do not.
  auto* layout = static_cast<CContainerUI*>(deepestLayout->GetParent());
  std::unique_ptr<CContainerUI> threeLevels(Nest(3));
  EXPECT_FALSE(layout->Add(threeLevels.get()));
  EXPECT_TRUE(layout->Add(twoLevels.release()));
  EXPECT_EQ(kMaxTreeDepth, root->SubtreeDepth());

  // No control goes into its own subtree.
  std::unique_ptr<CContainerUI> outer(Nest(3));
  auto* inner = static_cast<CContainerUI*>(outer->ChildAt(0));
  EXPECT_FALSE(static_cast<CContainerUI*>(inner->ChildAt(0))->Add(outer.get()));
  EXPECT_FALSE(outer->Add(outer.get()));
  EXPECT_EQ(1, inner->GetCount());
}

// part_i.xml nests layouts[i] layouts around an Include of part_(i+1).xml;
// the last one holds a button instead.
void WriteIncludeChain(const SkinUITest::ScratchFolder& folder, const std::vector<int>& layouts) {
  for (size_t i = 0; i < layouts.size(); ++i) {
    const std::wstring name = L"part_" + std::to_wstring(i) + L".xml";
    std::ofstream file(folder.File(name.c_str()).c_str());
    file << "<Window>";
    for (int level = 0; level < layouts[i]; ++level) file << "<VerticalLayout>";
    if (i + 1 < layouts.size()) {
      file << "<Include source=\"part_" << i + 1 << ".xml\" />";
    } else {
      file << "<Button />";
    }
    for (int level = 0; level < layouts[i]; ++level) file << "</VerticalLayout>";
    file << "</Window>";
  }
}

TEST(DeepTree, SkinsAndTheirIncludesStopAtTheLimitWithinAPlainThreadsStack) {
  SkinUITest::ScratchFolder folder;
  // From part_0 the button lies one level past the limit; from part_1 on
  // exactly at it.
  WriteIncludeChain(folder, {1, 200, 200, 200, 200, kMaxTreeDepth - 801});
  SetResourceFolder((folder.path() + L"\\").c_str());
  SkinUITest::RunWithStack(
      [] {
        CStackReport report;
        CHarnessWindow window(200, 100);
        report.Walk("window");
        CSkinBuilder builder;
        // One level too many: the button lies past the limit.
        EXPECT_EQ(nullptr, builder.Create(L"part_0.xml", nullptr, nullptr, &window.Manager()));
        EXPECT_STREQ(L"Elements nested too deeply", builder.LastErrorMessage());
        report.Walk("include chain refused");

        // From the second document on, the chain fits exactly.
        std::unique_ptr<CControlUI> built(
            builder.Create(L"part_1.xml", nullptr, nullptr, &window.Manager()));
        report.Walk("include chain built");
        ASSERT_NE(nullptr, built);
        EXPECT_EQ(kMaxTreeDepth, built->SubtreeDepth());
        EXPECT_EQ(nullptr, built->GetManager());
        built.reset();
        report.Walk("built chain deleted");
      },
      kThreadStack);
  SetResourceFolder(L"");
}

TEST(DeepTree, ASkinBuiltIntoADeepTreeCountsTheLevelsAboveIt) {
  CContainerUI* deepestLayout = nullptr;
  std::unique_ptr<CControlUI> root(Chain(kMaxTreeDepth, &deepestLayout));
  CSkinBuilder builder;
  const wchar_t* twoLevels = L"<Window><VerticalLayout><Button /></VerticalLayout></Window>";
  EXPECT_EQ(nullptr, builder.Create(twoLevels, nullptr, nullptr, nullptr, deepestLayout));
  EXPECT_STREQ(L"Elements nested too deeply", builder.LastErrorMessage());
  EXPECT_EQ(1, deepestLayout->GetCount());  // only the button it held before
  EXPECT_NE(nullptr, builder.Create(L"<Window><Button /></Window>", nullptr, nullptr, nullptr,
                                    deepestLayout));
  EXPECT_EQ(2, deepestLayout->GetCount());
  EXPECT_EQ(kMaxTreeDepth, root->SubtreeDepth());
}

}  // namespace

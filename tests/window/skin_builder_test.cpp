// The skin builder on small documents: where shared resources and window
// settings go, which elements become controls, Include, attribute order; and
// hostile skins: includes that loop, repeat or nest without end, too many
// controls, and option groups of controls built and thrown away.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "tests/support/canvas.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/window_harness.h"
#include "ui/controls/button.h"
#include "ui/controls/container.h"
#include "ui/controls/label.h"
#include "ui/controls/option.h"
#include "ui/markup/skin_resources.h"
#include "ui/window/process_settings.h"
#include "ui/window/skin_builder.h"

namespace {

using SkinUI::CContainerUI;
using SkinUI::CControlUI;
using SkinUI::CSkinBuilder;
using SkinUITest::CHarnessWindow;

class SkinBuilder : public ::testing::Test {
 protected:
  // Builds markup text against the harness window's manager.
  std::unique_ptr<CControlUI> Build(const wchar_t* markup, CControlUI* parent = nullptr) {
    return std::unique_ptr<CControlUI>(
        builder_.Create(markup, nullptr, nullptr, &window_.Manager(), parent));
  }
  static CContainerUI* AsContainer(CControlUI* control) {
    return static_cast<CContainerUI*>(control->InterfaceFor(L"Container"));
  }

  // Writes documents into a folder the builder reads skins from.
  void WriteDocument(const wchar_t* name, const std::string& markup) {
    if (!folder_) {
      folder_ = std::make_unique<SkinUITest::ScratchFolder>();
      SkinUI::SetResourceFolder((folder_->path() + L"\\").c_str());
    }
    std::ofstream(folder_->File(name).c_str()) << markup;
  }
  void TearDown() override {
    if (folder_) SkinUI::SetResourceFolder(L"");
  }
  // Builds and expects the build to be refused for reason.
  void ExpectRefused(const wchar_t* skin, const wchar_t* reason, CControlUI* parent = nullptr) {
    EXPECT_EQ(nullptr, Build(skin, parent)) << skin;
    EXPECT_STREQ(reason, builder_.LastErrorMessage()) << skin;
  }

  CHarnessWindow window_{120, 80};
  CSkinBuilder builder_;
  std::unique_ptr<SkinUITest::ScratchFolder> folder_;
};

// The options of group g in the tree, in tree order, and which are selected.
std::wstring GroupState(CContainerUI* container) {
  std::wstring state;
  for (int i = 0; i < container->GetCount(); ++i) {
    auto* option = static_cast<SkinUI::COptionUI*>(container->ChildAt(i)->InterfaceFor(L"Option"));
    if (option != nullptr) state += option->IsSelected() ? L'x' : L'-';
  }
  return state;
}

TEST_F(SkinBuilder, SharedResourcesApplyBeforeAnyControlWhereverTheyStand) {
  auto root = Build(
      L"<Window size=\"300,200\" caption=\"0,0,300,30\" roundcorner=\"5,6\" alpha=\"300\" "
      L"defaultfontcolor=\"#FF112233\">"
      L"<Container><Button name=\"b\" /><Label name=\"l\" text=\"own\" /></Container>"
      L"<Default name=\"Button\" value=\"text=&quot;from defaults&quot; tooltip=&quot;t&quot;\" />"
      L"<Default name=\"Button\" value=\"text=&quot;second&quot;\" />"
      L"<Font name=\"Tahoma\" size=\"19\" bold=\"true\" />"
      L"<Font name=\"Tahoma\" size=\"13\" default=\"true\" />"
      L"</Window>");
  ASSERT_NE(nullptr, root);
  CContainerUI* container = AsContainer(root.get());
  ASSERT_NE(nullptr, container);
  ASSERT_EQ(2, container->GetCount());
  CControlUI* button = container->ChildAt(0);
  EXPECT_EQ(L"from defaults", std::wstring(button->GetText()));  // the first Default wins
  EXPECT_EQ(L"own", std::wstring(container->ChildAt(1)->GetText()));
  EXPECT_EQ(nullptr, button->GetManager());  // controls leave the build unbound

  SkinUI::CWindowManagerUI& manager = window_.Manager();
  EXPECT_EQ(19, manager.Resources().FontInfoAt(0)->size);
  EXPECT_EQ(1, manager.Resources().FontInfoAt(0)->bold);
  EXPECT_EQ(13, manager.Resources().FontInfoAt(1)->size);
  EXPECT_EQ(13, manager.Resources().DefaultFontInfo()->size);
  EXPECT_EQ(0xFF112233u, manager.Resources().DefaultTextColor());
  EXPECT_EQ(SkinUI::CRectUI(0, 0, 300, 30), SkinUI::CRectUI(manager.CaptionArea()));
  EXPECT_EQ(5, manager.CornerRounding().cx);
  RECT client = {};
  GetClientRect(window_.GetHWND(), &client);
  EXPECT_EQ(300, client.right);  // no root was installed yet, so the window took the size
  EXPECT_EQ(200, client.bottom);
  EXPECT_EQ(255, manager.WindowOpacity());
}

TEST_F(SkinBuilder, OnlyKnownElementsUnderContainersBecomeControls) {
  // An unknown element is skipped with its whole subtree.
  EXPECT_EQ(nullptr, Build(L"<Window><Foo text=\"x\"><Label /></Foo></Window>"));

  // "<Label/>" opens an element that is never closed.
  EXPECT_EQ(nullptr, Build(L"<Window><Label/></Window>"));
  EXPECT_STREQ(L"Unmatched closing tag", builder_.LastErrorMessage());
  auto label = Build(L"<Window><Label /></Window>");
  ASSERT_NE(nullptr, label);
  EXPECT_STREQ(L"LabelUI", label->ClassName());

  // A label holds no children: its level ends and the button is not kept.
  auto root = Build(
      L"<Window><Container><Label name=\"l\"><Button /></Label><Edit /><Button /></Container>"
      L"</Window>");
  ASSERT_NE(nullptr, root);
  CContainerUI* container = AsContainer(root.get());
  ASSERT_EQ(2, container->GetCount());
  EXPECT_STREQ(L"LabelUI", container->ChildAt(0)->ClassName());
  EXPECT_STREQ(L"ButtonUI", container->ChildAt(1)->ClassName());

  // Further factories are asked for names the builder does not know.
  SkinUI::ControlFactoryPlugins().push_back([](const wchar_t* name) -> CControlUI* {
    return wcscmp(name, L"Edit") == 0 ? new SkinUI::CLabelUI : nullptr;
  });
  auto withPlugin = Build(L"<Window><Container><Edit /></Container></Window>");
  SkinUI::ControlFactoryPlugins().clear();
  EXPECT_EQ(1, AsContainer(withPlugin.get())->GetCount());
}

TEST_F(SkinBuilder, AttributesApplyInDocumentOrder) {
  auto root = Build(
      L"<Window><Container>"
      L"<Control width=\"38\" pos=\"575,0,0,0\" />"
      L"<Control width=\"10\" pos=\"0,0,38,20\" />"
      L"</Container></Window>");
  CContainerUI* container = AsContainer(root.get());
  ASSERT_EQ(2, container->GetCount());
  EXPECT_EQ(38, container->ChildAt(0)->GetFixedWidth());
  EXPECT_EQ(575, container->ChildAt(0)->FixedOffset().cx);
  EXPECT_EQ(38, container->ChildAt(1)->GetFixedWidth());
}

TEST_F(SkinBuilder, IncludeBuildsItsSourceCountTimesIntoTheParent) {
  SkinUITest::ScratchFolder folder;
  std::ofstream(folder.File(L"part.xml").c_str())
      << "<Part><Label text=\"p\" /><Button text=\"q\" /></Part>";
  SkinUI::SetResourceFolder((folder.path() + L"\\").c_str());
  auto root = Build(
      L"<Window><Container><Include source=\"part.xml\" count=\"3\" /><Include />"
      L"<Include source=\"part.xml\" count=\"0\" /></Container></Window>");
  SkinUI::SetResourceFolder(L"");
  CContainerUI* container = AsContainer(root.get());
  ASSERT_EQ(6, container->GetCount());
  EXPECT_EQ(L"p", std::wstring(container->ChildAt(4)->GetText()));
  EXPECT_EQ(L"q", std::wstring(container->ChildAt(5)->GetText()));
}

TEST_F(SkinBuilder, IncludesThatBringInADocumentBeingBuiltAreRefused) {
  const wchar_t* kCycle = L"Include brings in a document that is being built";
  WriteDocument(L"self.xml",
                "<Window><Container><Include source=\"self.xml\" /></Container></Window>");
  WriteDocument(L"a.xml", "<Window><Label /><Include source=\"b.xml\" /></Window>");
  WriteDocument(L"leaf.xml", "<Window><Label text=\"leaf\" /></Window>");
  ExpectRefused(L"self.xml", kCycle);
  ExpectRefused(L"<Window><Container><Include source=\"self.xml\" /></Container></Window>", kCycle);
  // Through another document, and under another spelling of the name.
  WriteDocument(L"b.xml", "<Window><Include source=\"A.XML\" /></Window>");
  ExpectRefused(L"<Window><Container><Include source=\"a.xml\" /></Container></Window>", kCycle);
  // The same document twice side by side is no cycle.
  auto root = Build(
      L"<Window><Container><Include source=\"leaf.xml\" /><Include source=\"leaf.xml\" />"
      L"</Container></Window>");
  ASSERT_NE(nullptr, root);
  EXPECT_EQ(2, AsContainer(root.get())->GetCount());
}

TEST_F(SkinBuilder, IncludeCountsNestingAndControlsAreBounded) {
  WriteDocument(L"leaf.xml", "<Window><Label /></Window>");
  // Read 2^31 times, this would not end.
  ExpectRefused(
      L"<Window><Container><Include source=\"leaf.xml\" count=\"2147483647\" />"
      L"</Container></Window>",
      L"Include count too large");
  auto most = Build(
      L"<Window><Container><Include source=\"leaf.xml\" count=\"1000\" /></Container></Window>");
  ASSERT_NE(nullptr, most);
  EXPECT_EQ(CSkinBuilder::kMaxIncludeCount, AsContainer(most.get())->GetCount());

  // 40 x 40 documents: each count is modest, together they are too many.
  WriteDocument(L"forty.xml", "<Window><Include source=\"leaf.xml\" count=\"40\" /></Window>");
  ExpectRefused(
      L"<Window><Container><Include source=\"forty.xml\" count=\"40\" />"
      L"</Container></Window>",
      L"Too many included documents");

  // 101 controls, 1000 times.
  std::string hundred = "<Window>";
  for (int i = 0; i < 101; ++i) hundred += "<Label />";
  WriteDocument(L"hundred.xml", hundred + "</Window>");
  ExpectRefused(
      L"<Window><Container><Include source=\"hundred.xml\" count=\"1000\" />"
      L"</Container></Window>",
      L"Too many controls");

  // A chain of distinct documents, each including the next: from the outer
  // skin, the last lies one include too deep.
  const int last = CSkinBuilder::kMaxIncludeNesting;
  for (int i = 0; i < last; ++i) {
    WriteDocument(
        (L"chain_" + std::to_wstring(i) + L".xml").c_str(),
        "<Window><Include source=\"chain_" + std::to_string(i + 1) + ".xml\" /></Window>");
  }
  WriteDocument((L"chain_" + std::to_wstring(last) + L".xml").c_str(),
                "<Window><Label /></Window>");
  ExpectRefused(L"<Window><Container><Include source=\"chain_0.xml\" /></Container></Window>",
                L"Includes nested too deeply");
  EXPECT_NE(nullptr, Build(L"<Window><Container><Include source=\"chain_1.xml\" />"
                           L"</Container></Window>"));
}

TEST_F(SkinBuilder, ARefusedBuildLeavesNothingInTheParent) {
  WriteDocument(L"self.xml", "<Window><Include source=\"self.xml\" /></Window>");
  auto parent = std::make_unique<CContainerUI>();
  parent->Add(new SkinUI::CLabelUI);
  EXPECT_EQ(nullptr, builder_.Create(L"<Window><Button /><Label /><Include source=\"self.xml\" />"
                                     L"</Window>",
                                     nullptr, nullptr, &window_.Manager(), parent.get()));
  ASSERT_EQ(1, parent->GetCount());
  EXPECT_STREQ(L"LabelUI", parent->ChildAt(0)->ClassName());
}

// A document without a parent keeps only its first control: what an Include
// directly under the root builds is thrown away at once.
TEST_F(SkinBuilder, OptionsThrownAwayDuringTheBuildLeaveTheirGroup) {
  WriteDocument(L"option.xml", "<Window><Option group=\"g\" /></Window>");
  auto root = Build(
      L"<Window><Include source=\"option.xml\" /><Container>"
      L"<Option group=\"g\" selected=\"true\" /><Option group=\"g\" /></Container></Window>");
  ASSERT_NE(nullptr, root);
  // Built and not installed, the options belong to no window's group.
  EXPECT_EQ(nullptr, window_.Manager().OptionGroup(L"g"));

  // A tree deleted before it was installed leaves nothing behind either.
  Build(L"<Window><Container><Option group=\"g\" /><Option group=\"g\" /></Container></Window>")
      .reset();
  EXPECT_EQ(nullptr, window_.Manager().OptionGroup(L"g"));

  CContainerUI* container = AsContainer(root.get());
  window_.Install(root.release());
  const SkinUI::CPointerArrayUI* members = window_.Manager().OptionGroup(L"g");
  ASSERT_NE(nullptr, members);
  ASSERT_EQ(2, members->GetSize());
  EXPECT_EQ(container->ChildAt(0), members->GetAt(0));
  EXPECT_EQ(L"x-", GroupState(container));
  static_cast<SkinUI::COptionUI*>(container->ChildAt(1)->InterfaceFor(L"Option"))->Activate();
  EXPECT_EQ(L"-x", GroupState(container));
}

// Selecting switches off what the skin selected before, also across an
// included document.
TEST_F(SkinBuilder, ASelectedOptionSwitchesOffTheMembersBuiltBeforeIt) {
  WriteDocument(L"selected.xml", "<Window><Option group=\"g\" selected=\"true\" /></Window>");
  auto root = Build(
      L"<Window><Container><Include source=\"selected.xml\" count=\"2\" />"
      L"<Option group=\"g\" /><Option group=\"g\" selected=\"true\" /></Container></Window>");
  ASSERT_NE(nullptr, root);
  EXPECT_EQ(L"---x", GroupState(AsContainer(root.get())));
}

}  // namespace

// The skin builder on small documents: where shared resources and window
// settings go, which elements become controls, Include, and attribute order.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "tests/support/canvas.h"
#include "tests/support/window_harness.h"
#include "ui/controls/button.h"
#include "ui/controls/container.h"
#include "ui/controls/label.h"
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

  CHarnessWindow window_{120, 80};
  CSkinBuilder builder_;
};

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
  EXPECT_EQ(19, manager.FontInfoAt(0)->size);
  EXPECT_EQ(1, manager.FontInfoAt(0)->bold);
  EXPECT_EQ(13, manager.FontInfoAt(1)->size);
  EXPECT_EQ(13, manager.DefaultFontInfo()->size);
  EXPECT_EQ(0xFF112233u, manager.DefaultTextColor());
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

}  // namespace

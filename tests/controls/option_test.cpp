// Options against the stand-in manager: groups kept by the window, markup
// order of "group" and "selected", notifications and the selected look.

#include <gtest/gtest.h>

#include <memory>

#include "tests/controls/basic_controls_fixture.h"
#include "ui/controls/option.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

class Options : public ::testing::Test {
 protected:
  // As the skin builder does: the manager is known before the attributes,
  // and the control is attached afterwards.
  std::unique_ptr<COptionUI> Make(const wchar_t* attributes) {
    auto option = std::make_unique<COptionUI>();
    option->BindManager(&manager, nullptr, false);
    option->ApplyAttributeText(attributes);
    option->BindManager(&manager, nullptr, true);
    option->SetBounds(RECT{0, 0, 40, 20});
    return option;
  }
  std::vector<std::pair<std::wstring, CControlUI*>> Sent() const {
    std::vector<std::pair<std::wstring, CControlUI*>> sent;
    for (const auto& n : manager.notifications) sent.emplace_back(n.type, n.sender);
    return sent;
  }

  CTestManager manager;
};

TEST_F(Options, RestartGroupReportsOnlyFromTheNewlySelectedOption) {
  auto later = Make(L"name=\"Option_RestartLater\" group=\"restart\"");
  auto now = Make(L"name=\"Option_RestartNow\" group=\"restart\" selected=\"true\"");
  EXPECT_TRUE(now->IsSelected());
  EXPECT_FALSE(later->IsSelected());
  EXPECT_EQ(1u, manager.notifications.size());
  ASSERT_NE(nullptr, manager.OptionGroup(L"restart"));
  EXPECT_EQ(2, manager.OptionGroup(L"restart")->GetSize());  // attaching joins no twice

  manager.ClearRecords();
  Send(*later, EventButtonDown, {5, 5});
  Send(*later, EventButtonUp, {5, 5});
  using Sent = std::vector<std::pair<std::wstring, CControlUI*>>;
  EXPECT_EQ((Sent{{L"click", later.get()}, {L"selectchanged", later.get()}}), this->Sent());
  EXPECT_TRUE(later->IsSelected());
  EXPECT_FALSE(now->IsSelected());
  EXPECT_EQ(0u, now->GetButtonState() & ButtonState::kSelected);

  manager.ClearRecords();
  later->Activate();  // clicking the selected one changes nothing
  EXPECT_EQ((Sent{{L"click", later.get()}}), this->Sent());

  // Leaving: on a group change and on destruction; the name goes with the last member.
  later->SetGroup(L"other");
  EXPECT_EQ(1, manager.OptionGroup(L"restart")->GetSize());
  now.reset();
  EXPECT_EQ(nullptr, manager.OptionGroup(L"restart"));
  later->SetGroup(nullptr);
  EXPECT_EQ(nullptr, manager.OptionGroup(L"other"));
}

TEST_F(Options, MarkupOrderDecidesWhetherSelectingSwitchesTheOthersOff) {
  auto first = Make(L"group=\"restart\" selected=\"true\"");
  auto groupFirst = Make(L"group=\"restart\" selected=\"true\"");
  EXPECT_FALSE(first->IsSelected());
  EXPECT_TRUE(groupFirst->IsSelected());

  auto selectedFirst = Make(L"selected=\"true\" group=\"restart\"");
  EXPECT_TRUE(selectedFirst->IsSelected());
  EXPECT_TRUE(groupFirst->IsSelected());  // selected before it joined: nobody switched off
  EXPECT_EQ(3u, manager.notifications.size());
}

TEST_F(Options, OptionWithoutGroupTogglesAndReportsBothWays) {
  auto check = Make(L"text=\"Remember\"");
  check->Activate();
  EXPECT_TRUE(check->IsSelected());
  EXPECT_EQ(ButtonState::kSelected, check->GetButtonState());
  check->Activate();
  EXPECT_FALSE(check->IsSelected());
  EXPECT_EQ((std::vector<std::wstring>{L"click", L"selectchanged", L"click", L"selectchanged"}),
            SentTypes(manager));

  // Disabling keeps the selection bit only; a disabled option does not act.
  check->SetSelected(true);
  Send(*check, EventMouseEnter, {5, 5});
  check->SetEnabled(false);
  EXPECT_EQ(ButtonState::kSelected, check->GetButtonState());
  EXPECT_FALSE(check->Activate());
  EXPECT_TRUE(check->IsSelected());
}

TEST_F(Options, SelectedLookNeverShowsPushedAndForeImageGoesOnTop) {
  AddStateImages(manager);
  AddSolidImage(manager, L"fore.png", kFocusedLook);
  auto option = Make(
      L"normalimage=\"normal.png\" pushedimage=\"pushed.png\" selectedimage=\"selected.png\" "
      L"foreimage=\"file='fore.png' dest='0,0,4,4'\" text=\"Now\" textcolor=\"#FF0000FF\" "
      L"selectedtextcolor=\"#FFFF0000\"");
  Canvas canvas(40, 20, kPaper);
  Send(*option, EventButtonDown, {20, 10});
  PaintInto(*option, canvas);
  EXPECT_EQ(Rgb(kNormalLook), canvas.Rgb(38, 18));  // pressed, but no pushed look
  EXPECT_EQ(Rgb(kFocusedLook), canvas.Rgb(1, 1));
  EXPECT_EQ(0, canvas.CountRgb(0xFF0000));
  Send(*option, EventButtonUp, {20, 10});
  PaintInto(*option, canvas);
  EXPECT_EQ(Rgb(kSelectedLook), canvas.Rgb(38, 18));
  EXPECT_EQ(Rgb(kFocusedLook), canvas.Rgb(1, 1));
  EXPECT_GT(canvas.CountRgb(0xFF0000), 0);  // the selected text colour, for this paint only
  EXPECT_EQ(0xFF0000FFu, option->GetTextColor());

  option->SetSelectedImage(L"gone.png");  // dropped, the button look takes over
  PaintInto(*option, canvas);
  EXPECT_EQ(Rgb(kNormalLook), canvas.Rgb(38, 18));
  EXPECT_TRUE(option->GetSelectedImage().IsEmpty());
}

}  // namespace
}  // namespace SkinUITest

#include <gtest/gtest.h>

#include <string>

#include "tests/support/main_window_host.h"
#include "ui/controls/list/list.h"
#include "ui/controls/progress.h"
#include "ui/core/gdi_handles.h"

namespace {

using SkinUITest::CMainWindowHost;

constexpr DWORD kPatienceMs = 20000;
constexpr wchar_t kCloseQuestion[] = L"Fix tool is running, are you sure to close?";

constexpr wchar_t kTwoUpdates[] =
    L"search_ms = 50\n"
    L"pace_ms = 60\n"
    L"steps_per_update = 10\n"
    L"[update]\n"
    L"title = Security Update for Windows (KB5010001)\n"
    L"kb = 5010001\n"
    L"auto_select = true\n"
    L"size = 34865152\n"
    L"date = 2024-05-14\n"
    L"[update]\n"
    L"title = Cumulative Update (KB5010002)\n"
    L"kb = 5010002\n"
    L"auto_select = true\n"
    L"size = 18446744073709551615\n"
    L"date = 2024-06-11\n";

// The main window of the program on the simulated agent, driven as a user
// would; message boxes are answered by the recorded actions.
class MainWindow : public ::testing::Test {
 protected:
  MainWindow() : MainWindow(kTwoUpdates) {}
  explicit MainWindow(const wchar_t* catalogue) : host(catalogue) {}

  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host.Ready(error)) << error;
    ASSERT_NE(nullptr, host.Open());
    hwnd = host.Window()->GetHWND();
  }

  void ScanToList() {
    ASSERT_TRUE(host.Click(L"Btn_Scan"));
    ASSERT_TRUE(host.PumpUntil([&] { return host.TextOf(L"Btn_Scan") == L"Fix"; }, kPatienceMs));
  }

  void FixUntil(const wchar_t* stateText) {
    ScanToList();
    ASSERT_TRUE(host.Click(L"Btn_Scan"));
    ASSERT_TRUE(host.PumpUntil(
        [&] { return std::wstring(host.TextOf(L"Label_State").GetData()).find(stateText) == 0; },
        kPatienceMs))
        << "never reached " << std::string(stateText, stateText + wcslen(stateText));
  }

  bool Asked() {
    for (const auto& message : host.Actions().messages) {
      if (message.text == kCloseQuestion) return true;
    }
    return false;
  }

  // The agent's job calls since the last look.
  std::vector<std::wstring> NewJobCalls() {
    const std::vector<std::wstring> journal = host.Agent().Journal();
    std::vector<std::wstring> fresh(journal.begin() + seen, journal.end());
    seen = journal.size();
    return fresh;
  }

  bool WaitForTheWindowToGo() {
    return host.PumpUntil([&] { return !IsWindow(hwnd); }, kPatienceMs);
  }

  CMainWindowHost host;
  HWND hwnd = nullptr;
  size_t seen = 0;
};

using JobCalls = std::vector<std::wstring>;

// One update installs, one fails, one is aborted; a long title, a title
// full of markup characters, and an update without a date.
constexpr wchar_t kMixedOutcomes[] =
    L"search_ms = 50\n"
    L"pace_ms = 20\n"
    L"steps_per_update = 2\n"
    L"[update]\n"
    L"title = Security Update for Windows (KB5010001)\n"
    L"auto_select = true\n"
    L"id = ok\n"
    L"date = 2024-05-14\n"
    L"[update]\n"
    L"title = 2024-06 Cumulative Update for Windows 10 Version 22H2 for x64-based Systems "
    L"with a name far too long for its column (KB5010002)\n"
    L"auto_select = true\n"
    L"id = failing\n"
    L"date = 2024-06-11\n"
    L"install = 4 0x80070643\n"
    L"[update]\n"
    L"title = Fix <i C:\\x.png> {b}x <<every>> {{bracket}} (KB5010003)\n"
    L"auto_select = true\n"
    L"id = aborted\n"
    L"install = 5 0x8024000B\n";

class FailedInstallation : public MainWindow {
 protected:
  FailedInstallation() : MainWindow(kMixedOutcomes) {}

  SkinUI::CProgressUI* Progress() {
    return static_cast<SkinUI::CProgressUI*>(
        host.Window()->Manager().ControlByName(L"Progress_Action"));
  }
};

// Alt+F4 reaches the window as the system's close command.
void PressAltF4(HWND hwnd) {
  constexpr LPARAM kAltDown = 1 << 29;
  PostMessageW(hwnd, WM_SYSKEYDOWN, VK_F4, kAltDown | 1);
}

}  // namespace

// Every control the main window works with is in the program's own skin, of
// the kind the window expects.
TEST_F(MainWindow, FindsEveryControlItWorksWithInTheProgramsSkin) {
  TMainControls controls;
  EXPECT_TRUE(controls.Find(host.Window()->Manager()));
}

TEST_F(MainWindow, CarriesTheProgramsIconLargeAndSmall) {
  const HWND hwnd = host.Window()->GetHWND();
  const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102));
  ASSERT_NE(nullptr, icon);
  EXPECT_EQ(icon, reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0)));
  EXPECT_EQ(icon, reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0)));
}

// The skin's "roundcorner" rounds the window at the size it opens with and
// at every size it takes later.
TEST_F(MainWindow, ItsCornersAreRoundedAtEverySize) {
  const auto expectRounded = [&](int width, int height) {
    SkinUI::UniqueRegion shape(CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(COMPLEXREGION, GetWindowRgn(hwnd, shape.get())) << width << "x" << height;
    SkinUI::UniqueRegion rounded(CreateRoundRectRgn(0, 0, width, height, 5, 6));
    // The same pixels, whichever rectangles the system keeps them in.
    EXPECT_EQ(NULLREGION, CombineRgn(rounded.get(), rounded.get(), shape.get(), RGN_XOR))
        << width << "x" << height;
  };
  constexpr UINT kSizeOnly = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  expectRounded(650, 400);
  SetWindowPos(hwnd, nullptr, 0, 0, 500, 300, kSizeOnly);
  expectRounded(500, 300);
  SetWindowPos(hwnd, nullptr, 0, 0, 650, 400, kSizeOnly);
  expectRounded(650, 400);
}

TEST_F(MainWindow, AltF4DuringTheDownloadAsksAndNoKeepsItGoing) {
  FixUntil(L"Download ");
  host.Actions().answer = IDNO;

  PressAltF4(hwnd);
  ASSERT_TRUE(host.PumpUntil([&] { return Asked(); }, kPatienceMs));

  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(host.PumpUntil([&] { return host.TextOf(L"Btn_Close") == L"Finish"; }, kPatienceMs));
}

TEST_F(MainWindow, EveryCloseRouteDuringTheInstallationAsksAndYesAbortsBeforeTheWindowGoes) {
  const struct {
    const char* route;
    UINT message;
    WPARAM wParam;
  } routes[] = {{"close message", WM_CLOSE, 0},
                {"system menu", WM_SYSCOMMAND, SC_CLOSE},
                {"Alt+F4", WM_SYSKEYDOWN, VK_F4}};
  for (const auto& route : routes) {
    host.Actions().messages.clear();
    FixUntil(L"Installing: ");
    host.Actions().answer = IDYES;

    PostMessageW(hwnd, route.message, route.wParam, route.message == WM_SYSKEYDOWN ? 1 << 29 : 0);
    ASSERT_TRUE(WaitForTheWindowToGo()) << route.route;

    EXPECT_TRUE(Asked()) << route.route;
    EXPECT_NE(L"Finish", host.TextOf(L"Btn_Close")) << route.route;
    EXPECT_EQ(
        (JobCalls{L"CleanUp download", L"RequestAbort installation", L"CleanUp installation"}),
        NewJobCalls())
        << route.route;
    ASSERT_NE(nullptr, host.Open());
    hwnd = host.Window()->GetHWND();
  }
}

TEST_F(MainWindow, YesDuringTheDownloadAbortsItAndInstallsNothing) {
  FixUntil(L"Download ");
  host.Actions().answer = IDYES;

  ASSERT_TRUE(host.Click(L"BtnClose"));
  ASSERT_TRUE(WaitForTheWindowToGo());

  EXPECT_TRUE(Asked());
  EXPECT_EQ((JobCalls{L"RequestAbort download", L"CleanUp download"}), NewJobCalls());
}

TEST_F(MainWindow, AJobThatNeverEndsAfterItsAbortHoldsTheWindowNoLongerThanTheBound) {
  host.Agent().Catalogue().abortNeverCompletes = true;
  host.SetCloseBound(1500);
  ASSERT_NE(nullptr, host.Open());
  hwnd = host.Window()->GetHWND();
  FixUntil(L"Installing: ");
  host.Actions().answer = IDYES;

  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitForTheWindowToGo());

  EXPECT_EQ((JobCalls{L"CleanUp download", L"RequestAbort installation", L"CleanUp installation"}),
            NewJobCalls());
}

// The success screen shows at the final report; the job's completion follows
// a step later and must not be aborted when Finish is quicker.
TEST_F(MainWindow, FinishRightAfterTheFinalReportLetsTheInstallationComplete) {
  FixUntil(L"Installing: ");
  ASSERT_TRUE(host.PumpUntil([&] { return host.TextOf(L"Btn_Close") == L"Finish"; }, kPatienceMs));

  ASSERT_TRUE(host.Click(L"Btn_Close"));
  ASSERT_TRUE(WaitForTheWindowToGo());

  EXPECT_FALSE(Asked());
  EXPECT_EQ(1u, host.Actions().restarts.size());
  EXPECT_EQ((JobCalls{L"CleanUp download", L"CleanUp installation"}), NewJobCalls());
}

TEST_F(MainWindow, ClosingTheWelcomeAndListScreensAsksNothing) {
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  ASSERT_NE(nullptr, host.Open());
  hwnd = host.Window()->GetHWND();
  ScanToList();

  PressAltF4(hwnd);
  EXPECT_TRUE(WaitForTheWindowToGo());
  EXPECT_TRUE(host.Actions().messages.empty());
}

TEST_F(MainWindow, ShutdownWaitsForAnInstallationAndTheEndOfTheSessionAbortsIt) {
  EXPECT_EQ(TRUE, SendMessageW(hwnd, WM_QUERYENDSESSION, 0, 0));
  FixUntil(L"Download ");

  EXPECT_EQ(FALSE, SendMessageW(hwnd, WM_QUERYENDSESSION, 0, 0));
  SendMessageW(hwnd, WM_ENDSESSION, TRUE, 0);

  EXPECT_EQ(TRUE, SendMessageW(hwnd, WM_QUERYENDSESSION, 0, 0));
  EXPECT_TRUE(host.Actions().messages.empty());
  const std::vector<std::wstring> blocks = {L"Patchwell is installing updates.", L""};
  EXPECT_EQ(blocks, host.Actions().shutdownBlocks);
}

TEST_F(MainWindow, ShutdownIsHeldOffFromFixToTheResultScreen) {
  FixUntil(L"Download ");
  EXPECT_EQ(1u, host.Actions().shutdownBlocks.size());

  ASSERT_TRUE(host.PumpUntil([&] { return host.TextOf(L"Btn_Close") == L"Finish"; }, kPatienceMs));

  const std::vector<std::wstring> blocks = {L"Patchwell is installing updates.", L""};
  EXPECT_EQ(blocks, host.Actions().shutdownBlocks);
}

TEST_F(MainWindow, AHugeUpdateShowsItsSizeInExabytes) {
  FixUntil(L"Download Cumulative");

  const std::wstring message = host.TextOf(L"Text_Msg").GetData();
  EXPECT_NE(std::wstring::npos, message.find(L"/15.9 EB"))
      << std::string(message.begin(), message.end());
}

TEST_F(FailedInstallation, TheFailureScreenNamesEachUpdateThatFailedWithHowAndWhy) {
  FixUntil(L"Download ");
  ASSERT_TRUE(host.PumpUntil([&] { return host.TextOf(L"Btn_Scan") == L"Retry"; }, kPatienceMs));

  EXPECT_TRUE(host.Visible(L"Text_Msg"));
  EXPECT_EQ(std::wstring(L"Windows Update Failed!"), host.TextOf(L"Text_Result1").GetData());
  const std::wstring message = host.TextOf(L"Text_Msg").GetData();
  const std::string shown(message.begin(), message.end());
  EXPECT_NE(std::wstring::npos, message.find(L"Failed, 0x80070643: The update's installer "
                                             L"reported an error."))
      << shown;
  EXPECT_NE(std::wstring::npos, message.find(L"Aborted, 0x8024000B: The operation was cancelled."))
      << shown;
  EXPECT_NE(std::wstring::npos, message.find(L"2024-06 Cumulative Update")) << shown;
  EXPECT_NE(std::wstring::npos, message.find(L"...\r\n")) << "the long title is cut: " << shown;
  EXPECT_NE(std::wstring::npos, message.find(L"Fix <i C:\\x.png> {b}x")) << shown;
  EXPECT_EQ(std::wstring::npos, message.find(L"Security Update")) << "it succeeded: " << shown;
}

TEST_F(FailedInstallation, RetryStartsTheScanWithAnEmptyBarAndMessage) {
  FixUntil(L"Download ");
  ASSERT_TRUE(host.PumpUntil([&] { return host.TextOf(L"Btn_Scan") == L"Retry"; }, kPatienceMs));
  Progress()->SetValue(100);

  ASSERT_TRUE(host.Click(L"Btn_Scan"));

  EXPECT_TRUE(host.Visible(L"Progress_Action"));
  EXPECT_EQ(0, Progress()->GetValue());
  EXPECT_EQ(std::wstring(), host.TextOf(L"Text_Msg").GetData());
  ASSERT_TRUE(host.PumpUntil([&] { return host.TextOf(L"Btn_Scan") == L"Fix"; }, kPatienceMs));
}

TEST_F(FailedInstallation, LongTitlesEndInAnEllipsisAndKeepTheWholeTitleInTheirTooltip) {
  ScanToList();
  auto* list = static_cast<SkinUI::CListUI*>(host.Window()->Manager().ControlByName(L"List_Holes"));
  ASSERT_EQ(3, list->GetCount());

  EXPECT_TRUE(list->ListStyle()->textStyle & DT_END_ELLIPSIS);
  // Checked rows come in reverse: the update without a date is first.
  EXPECT_STREQ(L"", host.Window()->CellText(nullptr, 0, 2));
  EXPECT_STREQ(L"2024-05-14", host.Window()->CellText(nullptr, 2, 2));
  const std::wstring tooltip = list->ChildAt(1)->GetToolTip().GetData();
  EXPECT_NE(std::wstring::npos, tooltip.find(L"far too long for its column (KB5010002)"));
  // Row 1 selected: its title line is cut so that the date and description show.
  list->SelectRow(1, true);
  const std::wstring message = host.TextOf(L"Text_Msg").GetData();
  EXPECT_EQ(0u, message.find(L"Title: 2024-06 Cumulative Update"));
  EXPECT_NE(std::wstring::npos, message.find(L"...\r\nDate: "));
}

// The main window as a screen reader meets it: a client in this process
// walks every screen, the events of a scan arrive in order, and a second
// process (this program started again) drives the whole workflow through
// accessibility calls alone.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/access_client.h"
#include "tests/support/main_window_host.h"
#include "tests/support/pump.h"

namespace {

using namespace SkinUITest;

constexpr DWORD kPatienceMs = 20000;
constexpr wchar_t kClientWindowVariable[] = L"PATCHWELL_ACCESS_CLIENT_WINDOW";
constexpr wchar_t kClientTest[] =
    L"--gtest_filter=AccessClientProcess.DISABLED_DrivesTheParentsMainWindow "
    L"--gtest_also_run_disabled_tests";

constexpr wchar_t kCatalogue[] =
    L"search_ms = 50\n"
    L"pace_ms = 20\n"
    L"steps_per_update = 2\n"
    L"[update]\n"
    L"title = Security Update (KB5010001)\n"
    L"auto_select = true\n"
    L"id = first\n"
    L"size = 1048576\n"
    L"date = 2024-05-14\n"
    L"[update]\n"
    L"title = Cumulative Update (KB5010002)\n"
    L"id = second\n"
    L"size = 2048\n"
    L"date = 2024-06-11\n";

class MainWindowAccess : public ::testing::Test {
 protected:
  MainWindowAccess() : host(kCatalogue) {}

  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host.Ready(error)) << error;
    ASSERT_NE(nullptr, host.Open());
    hwnd = host.Window()->GetHWND();
    root = ClientObjectOf(hwnd);
    ASSERT_TRUE(root);
  }

  RECT OnScreen(const wchar_t* name) {
    RECT rc = host.Window()->Manager().ControlByName(name)->Bounds();
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  }
  void ExpectShownAt(LONG role, const wchar_t* name, const wchar_t* control) {
    const TAccessNode node = FindShown(root.Get(), role, name);
    ASSERT_TRUE(node.object) << std::string(name, name + wcslen(name));
    const RECT found = LocationOf(node.object.Get());
    const RECT painted = OnScreen(control);
    EXPECT_TRUE(EqualRect(&found, &painted)) << std::string(name, name + wcslen(name));
  }
  void Act(LONG role, const wchar_t* name) {
    const TAccessNode node = FindShown(root.Get(), role, name);
    ASSERT_TRUE(node.object) << std::string(name, name + wcslen(name));
    ASSERT_EQ(S_OK, node.object->accDoDefaultAction(Child(CHILDID_SELF)));
  }
  bool Shown(LONG role, const wchar_t* name) {
    return static_cast<bool>(FindShown(root.Get(), role, name).object);
  }

  CMainWindowHost host;
  HWND hwnd = nullptr;
  ComPtr<IAccessible> root;
};

TEST_F(MainWindowAccess, AReaderWalksEveryScreenAndFindsWhatIsPainted) {
  // Welcome.
  ExpectShownAt(ROLE_SYSTEM_PUSHBUTTON, L"Scan", L"Btn_Scan");
  ExpectShownAt(ROLE_SYSTEM_PUSHBUTTON, L"Minimise", L"BtnMiniSize");
  ExpectShownAt(ROLE_SYSTEM_PUSHBUTTON, L"Patchwell website", L"Btn_Website");
  EXPECT_TRUE(Shown(ROLE_SYSTEM_STATICTEXT, L"Gets the latest security updates for windows"));
  EXPECT_FALSE(Shown(ROLE_SYSTEM_LIST, L"Updates"));
  EXPECT_FALSE(Shown(ROLE_SYSTEM_CHECKBUTTON, L"Check all"));

  // The list, reached by the default action of Scan.
  Act(ROLE_SYSTEM_PUSHBUTTON, L"Scan");
  ASSERT_TRUE(host.PumpUntil([&] { return Shown(ROLE_SYSTEM_PUSHBUTTON, L"Fix"); }, kPatienceMs));
  ExpectShownAt(ROLE_SYSTEM_LIST, L"Updates", L"List_Holes");
  const TAccessNode first =
      FindShown(root.Get(), ROLE_SYSTEM_LISTITEM, L"Security Update (KB5010001)");
  ASSERT_TRUE(first.object);
  EXPECT_EQ(L"2024-05-14, 1.00 MB", TextOf(first.object.Get(), &IAccessible::get_accDescription));
  EXPECT_TRUE(first.state & STATE_SYSTEM_SELECTED);
  EXPECT_TRUE(first.state & STATE_SYSTEM_FOCUSED);
  EXPECT_TRUE(LongOf(first.object.Get(), &IAccessible::get_accState, 1) & STATE_SYSTEM_CHECKED);
  const TAccessNode second =
      FindShown(root.Get(), ROLE_SYSTEM_LISTITEM, L"Cumulative Update (KB5010002)");
  ASSERT_TRUE(second.object);
  EXPECT_FALSE(LongOf(second.object.Get(), &IAccessible::get_accState, 1) & STATE_SYSTEM_CHECKED);
  EXPECT_TRUE(Shown(ROLE_SYSTEM_COLUMNHEADER, L"Title"));
  const TAccessNode all = FindShown(root.Get(), ROLE_SYSTEM_CHECKBUTTON, L"Check all");
  ASSERT_TRUE(all.object);
  EXPECT_FALSE(all.state & STATE_SYSTEM_CHECKED);
  EXPECT_TRUE(Shown(ROLE_SYSTEM_STATICTEXT,
                    L"Title: Security Update (KB5010001)\r\nDate: 2024-05-14\r\nDescription: "));

  // Every row checked through the reader: Check all follows.
  ASSERT_EQ(S_OK, second.object->accDoDefaultAction(Child(1)));
  ASSERT_TRUE(host.PumpUntil(
      [&] { return LongOf(all.object.Get(), &IAccessible::get_accState) & STATE_SYSTEM_CHECKED; },
      kPatienceMs));

  // Progress, then success.
  Act(ROLE_SYSTEM_PUSHBUTTON, L"Fix");
  ASSERT_TRUE(
      host.PumpUntil([&] { return Shown(ROLE_SYSTEM_PROGRESSBAR, L"Progress"); }, kPatienceMs));
  ExpectShownAt(ROLE_SYSTEM_PROGRESSBAR, L"Progress", L"Progress_Action");
  EXPECT_FALSE(Shown(ROLE_SYSTEM_LIST, L"Updates"));
  ASSERT_TRUE(
      host.PumpUntil([&] { return Shown(ROLE_SYSTEM_PUSHBUTTON, L"Finish"); }, kPatienceMs));
  EXPECT_TRUE(Shown(ROLE_SYSTEM_STATICTEXT, L"Successfully Repaired and Updated!"));
  const TAccessNode now = FindShown(root.Get(), ROLE_SYSTEM_RADIOBUTTON, L"Restart PC Now");
  const TAccessNode later = FindShown(root.Get(), ROLE_SYSTEM_RADIOBUTTON, L"Restart PC Later");
  ASSERT_TRUE(now.object && later.object);
  EXPECT_TRUE(now.state & STATE_SYSTEM_CHECKED);
  EXPECT_FALSE(later.state & STATE_SYSTEM_CHECKED);
  EXPECT_FALSE(Shown(ROLE_SYSTEM_PROGRESSBAR, L"Progress"));
}

TEST_F(MainWindowAccess, TheEventsOfAScanArriveInOrder) {
  CAccessEventLog announced(hwnd);
  ASSERT_TRUE(announced.Hooked());
  Act(ROLE_SYSTEM_PUSHBUTTON, L"Scan");
  ASSERT_TRUE(host.PumpUntil([&] { return Shown(ROLE_SYSTEM_PUSHBUTTON, L"Fix"); }, kPatienceMs));
  host.PumpUntil([] { return false; }, 100);
  announced.Stop();

  // What each event names, as the reader reads it now.
  std::vector<std::pair<DWORD, std::wstring>> told;
  for (const auto& event : announced.events) {
    ComPtr<IAccessible> object;
    VARIANT child;
    if (AccessibleObjectFromEvent(hwnd, OBJID_CLIENT, event.second, object.GetAddressOf(),
                                  &child) != S_OK) {
      continue;
    }
    told.emplace_back(event.first, NameOf(object.Get(), child.lVal));
  }
  const std::wstring title = L"Security Update (KB5010001)";
  const std::vector<std::pair<DWORD, std::wstring>> expected = {
      {EVENT_OBJECT_SHOW, L"Progress"},  {EVENT_OBJECT_HIDE, L"Fix"},
      {EVENT_OBJECT_SHOW, L"Fix"},       {EVENT_OBJECT_NAMECHANGE, L"Fix"},
      {EVENT_OBJECT_SHOW, L"Updates"},   {EVENT_OBJECT_HIDE, L"Progress"},
      {EVENT_OBJECT_SHOW, L"Check all"}, {EVENT_OBJECT_SELECTION, title},
      {EVENT_OBJECT_FOCUS, title}};
  size_t at = 0;
  for (const auto& event : told) {
    if (at < expected.size() && event == expected[at]) ++at;
  }
  EXPECT_EQ(expected.size(), at) << "stopped before event " << at;
  // The description shown for the selected row is announced last.
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(static_cast<DWORD>(EVENT_OBJECT_NAMECHANGE), told.back().first);
  EXPECT_EQ(0u, told.back().second.find(L"Title: " + title));
}

TEST_F(MainWindowAccess, AnotherProcessDrivesTheWorkflowThroughAccessibilityAlone) {
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(program) + L"\" " + kClientTest;
  SetEnvironmentVariableW(kClientWindowVariable,
                          std::to_wstring(reinterpret_cast<ULONG_PTR>(hwnd)).c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  SetEnvironmentVariableW(kClientWindowVariable, nullptr);
  ASSERT_TRUE(started);
  // The client's calls are answered while this thread runs its messages;
  // the window's end stops the host's pump, the client's own end this one.
  auto clientEnded = [&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; };
  const bool ended =
      host.PumpUntil(clientEnded, 60000) || SkinUITest::PumpUntil(clientEnded, 30000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  ASSERT_TRUE(ended);
  EXPECT_EQ(0u, code) << "the client process failed: see its output above";
  // "Finish" with "Restart PC Later" chosen closed the window without a restart.
  EXPECT_TRUE(host.PumpUntil([&] { return !IsWindow(hwnd); }, kPatienceMs));
  EXPECT_TRUE(host.Actions().restarts.empty());
}

// Run only as the client process of the test above.
class AccessClientProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t value[32] = {};
    if (GetEnvironmentVariableW(kClientWindowVariable, value, 32) == 0) {
      GTEST_SKIP() << "started by the main window test only";
    }
    window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(_wtoi64(value)));
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    root = ClientObjectOf(window);
    ASSERT_TRUE(root);
  }
  void TearDown() override {
    root.Reset();
    CoUninitialize();
  }
  TAccessNode WaitForShown(LONG role, const wchar_t* name) {
    for (DWORD waited = 0; waited < kPatienceMs; waited += 50) {
      TAccessNode node = FindShown(root.Get(), role, name);
      if (node.object) return node;
      Sleep(50);
    }
    ADD_FAILURE() << "never shown: " << std::string(name, name + wcslen(name));
    return TAccessNode();
  }

  HWND window = nullptr;
  ComPtr<IAccessible> root;
};

TEST_F(AccessClientProcess, DISABLED_DrivesTheParentsMainWindow) {
  TAccessNode scan = WaitForShown(ROLE_SYSTEM_PUSHBUTTON, L"Scan");
  ASSERT_TRUE(scan.object);
  ASSERT_EQ(S_OK, scan.object->accDoDefaultAction(Child(CHILDID_SELF)));

  // The second row is chosen as well: selected, then its check toggled.
  TAccessNode row = WaitForShown(ROLE_SYSTEM_LISTITEM, L"Cumulative Update (KB5010002)");
  ASSERT_TRUE(row.object);
  ASSERT_EQ(S_OK,
            row.object->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Child(CHILDID_SELF)));
  EXPECT_TRUE(LongOf(row.object.Get(), &IAccessible::get_accState) & STATE_SYSTEM_SELECTED);
  EXPECT_EQ(L"Check", TextOf(row.object.Get(), &IAccessible::get_accDefaultAction, 1));
  ASSERT_EQ(S_OK, row.object->accDoDefaultAction(Child(1)));
  for (DWORD waited = 0; waited < kPatienceMs; waited += 50) {
    if (LongOf(row.object.Get(), &IAccessible::get_accState, 1) & STATE_SYSTEM_CHECKED) break;
    Sleep(50);
  }
  ASSERT_TRUE(LongOf(row.object.Get(), &IAccessible::get_accState, 1) & STATE_SYSTEM_CHECKED);

  TAccessNode fix = WaitForShown(ROLE_SYSTEM_PUSHBUTTON, L"Fix");
  ASSERT_EQ(S_OK, fix.object->accDoDefaultAction(Child(CHILDID_SELF)));
  TAccessNode finish = WaitForShown(ROLE_SYSTEM_PUSHBUTTON, L"Finish");
  ASSERT_TRUE(finish.object);
  // The reference held across the change of screen still answers: its row
  // is hidden now.
  EXPECT_TRUE(LongOf(row.object.Get(), &IAccessible::get_accState) & STATE_SYSTEM_INVISIBLE);

  TAccessNode later = WaitForShown(ROLE_SYSTEM_RADIOBUTTON, L"Restart PC Later");
  ASSERT_TRUE(later.object);
  ASSERT_EQ(S_OK, later.object->accSelect(SELFLAG_TAKESELECTION, Child(CHILDID_SELF)));
  EXPECT_TRUE(LongOf(later.object.Get(), &IAccessible::get_accState) & STATE_SYSTEM_CHECKED);
  ASSERT_EQ(S_OK, finish.object->accDoDefaultAction(Child(CHILDID_SELF)));
  for (DWORD waited = 0; waited < kPatienceMs && IsWindow(window); waited += 50) Sleep(50);
  EXPECT_FALSE(IsWindow(window));
  // The window is gone: what the client still holds says so, and the
  // program that answered it lives on.
  LONG count = 0;
  const HRESULT answer = root->get_accChildCount(&count);
  EXPECT_TRUE(FAILED(answer)) << std::hex << answer;
  EXPECT_TRUE(FAILED(row.object->get_accChildCount(&count)));
}

}  // namespace

// Where addresses are opened, how long the version check keeps the system
// actions, and the maker's site as a build setting.

#include <gtest/gtest.h>

#include <objbase.h>

#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/maker_site.h"
#include "app/new_version_check.h"
#include "app/open_address_as_user.h"
#include "app/recorded_system_actions.h"
#include "platform/file_bytes.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/recording_actions.h"
#include "tests/support/scratch_folder.h"

namespace {

using SkinUITest::CRecordingActions;

constexpr char kQueryPath[] = "/software/freetools.php?pro_id=44&pversion=1.0.1";
constexpr DWORD kWaitMs = 10 * 1000;

std::vector<std::wstring> g_shellOpened;

bool ShellOpens(const wchar_t* address) {
  g_shellOpened.push_back(address);
  return true;
}

bool NoShell(const wchar_t* address) {
  g_shellOpened.push_back(address);
  return false;
}

std::string ReadAll(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  ReadWholeFile(path.c_str(), kNoFileSizeLimit, bytes);
  return std::string(bytes.begin(), bytes.end());
}

bool WaitForFile(const std::wstring& path) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(50);
  }
  return false;
}

// Runs call on a new thread, which has no COM, as the version check's has
// none; the result, and whether COM was left initialised there.
template <typename Call>
std::pair<bool, bool> OnThreadWithoutCom(Call call) {
  return std::async(std::launch::async,
                    [&] {
                      const bool result = call();
                      const HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                      if (SUCCEEDED(again)) CoUninitialize();
                      return std::make_pair(result, again != S_OK);
                    })
      .get();
}

TEST(OpenAddress, TheDesktopShellOpensWhereItCanElseTheAddressIsShownToCopy) {
  CRecordingActions actions;
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  g_shellOpened.clear();
  EXPECT_EQ(EOpenRoute::DesktopShell,
            OpenAddressAsUser(owner, L"https://example.test/dl", actions, ShellOpens));
  EXPECT_TRUE(actions.messages.empty());

  EXPECT_EQ(EOpenRoute::Message,
            OpenAddressAsUser(owner, L"https://example.test/dl", actions, NoShell));
  EXPECT_EQ(EOpenRoute::Message,
            OpenAddressAsUser(owner, L"http://example.test/", actions, nullptr));
  EXPECT_EQ((std::vector<std::wstring>{L"https://example.test/dl", L"https://example.test/dl"}),
            g_shellOpened);
  ASSERT_EQ(2u, actions.messages.size());
  EXPECT_EQ(L"Patchwell", actions.messages[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), actions.messages[0].type);
  EXPECT_NE(std::wstring::npos, actions.messages[0].text.find(L"\r\n\r\nhttps://example.test/dl"));
  EXPECT_NE(std::wstring::npos, actions.messages[1].text.find(L"http://example.test/"));
  EXPECT_TRUE(actions.opened.empty());
}

// The real desktop shell, reached from a thread without COM, which is left
// without COM again. A batch file stands in for the address so that the
// test can see the shell open it without starting a browser.
TEST(OpenAddress, TheDesktopShellIsReachedAndOpensWhatItIsHanded) {
  EXPECT_EQ(std::make_pair(true, false),
            OnThreadWithoutCom([] { return DesktopShellReachable(L"http://example.test/"); }));

  SkinUITest::ScratchFolder folder;
  const std::wstring marker = folder.File(L"opened.txt");
  const std::wstring batch = folder.Write(
      L"open-me.bat", "@echo opened> \"" + std::string(marker.begin(), marker.end()) + "\"\r\n");
  EXPECT_EQ(std::make_pair(true, false),
            OnThreadWithoutCom([&] { return OpenWithDesktopShell(batch.c_str()); }));
  EXPECT_TRUE(WaitForFile(marker));
  Sleep(200);  // the batch may still hold the file open
}

TEST(OpenAddress, TheSimulatedBuildRecordsTheRouteItWouldTake) {
  SkinUITest::ScratchFolder folder;
  const std::wstring log = folder.File(L"actions.log");
  {
    CRecordedSystemActions actions(log);
    actions.OpenAddress(nullptr, L"https://example.test/dl");
  }
  EXPECT_EQ("open https://example.test/dl via desktop shell\r\n", ReadAll(log));
}

// The program may return while the check still waits for its answer; the
// check then still holds the actions, and lets them go when it ends.
TEST(VersionCheckThread, HoldsTheActionsUntilItEnds) {
  LoopbackHttpServer server;
  ASSERT_TRUE(server.Start());
  HttpRoute slow = HttpRoute::Ok("http://example.test/new");
  slow.mode = HttpRoute::Mode::Drip;
  slow.dripDelayMs = 30;
  server.SetRoute(kQueryPath, slow);
  const std::string service = server.Url("");

  auto journal = std::make_shared<std::vector<std::wstring>>();
  auto actions = std::make_shared<CRecordingActions>(journal);
  actions->answer = IDYES;
  const std::weak_ptr<CRecordingActions> watch = actions;
  UniqueHandle thread = StartVersionCheck(
      TVersionCheck{std::wstring(service.begin(), service.end()), actions, TVersionCheckLimits()});
  ASSERT_TRUE(thread);
  actions.reset();
  EXPECT_FALSE(watch.expired());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.get(), kWaitMs));
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ((std::vector<std::wstring>{L"message New version has been released",
                                       L"open http://example.test/new", L"destroyed"}),
            *journal);
}

TEST(MakerSite, TheBuildSettingReachesTheServiceAndTheHomePage) {
  const std::string configured = PATCHWELL_EXPECTED_SITE;
  const TMakerSite site = MakerSite();
  EXPECT_EQ(std::wstring(configured.begin(), configured.end()), site.serviceAddress);
  EXPECT_EQ(site.serviceAddress + L"/", site.homePage);
  TWebAddress service;
  TWebAddress home;
  EXPECT_TRUE(ParseWebAddress(site.serviceAddress, service));
  EXPECT_TRUE(ParseWebAddress(site.homePage, home));
  EXPECT_EQ(service.host, home.host);

  const std::string byDefault = PATCHWELL_DEFAULT_SITE;
  TWebAddress defaultService;
  ASSERT_TRUE(ParseWebAddress(std::wstring(byDefault.begin(), byDefault.end()), defaultService));
  EXPECT_TRUE(defaultService.secure);
  EXPECT_NE(0u, VersionRequestFlags(defaultService) & INTERNET_FLAG_SECURE);
}

}  // namespace

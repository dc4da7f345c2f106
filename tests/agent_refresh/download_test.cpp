#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "agent_refresh/download_to_temp_file.h"
#include "agent_refresh/refresh_limits.h"
#include "agent_refresh/temp_folder.h"
#include "agent_refresh/work_folder.h"
#include "tests/support/loopback_http_server.h"
#include "tests/agent_refresh/refresh_sandbox.h"

namespace {

constexpr ULONGLONG kCatalogueCap = 64 * 1024;
constexpr ULONGLONG kInstallerCap = 128 * 1024;
constexpr DWORD kStallMs = 1000;

std::string CurrentTestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::string BinaryBody(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return body;
}

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    RefreshLimits limits;
    limits.connectTimeoutMs = 2000;
    limits.lowSpeedTimeMs = kStallMs;
    limits.catalogueMaxBytes = kCatalogueCap;
    limits.installerMaxBytes = kInstallerCap;
    SetRefreshLimits(limits);
  }
  void TearDown() override {
    ResetRefreshLimits();
    server_.Stop();
  }

  bool Download(const std::string& route, bool installer = false) {
    return DownloadToTempFile(&path_, server_.Url(route).c_str(), installer, &folder_);
  }

  LoopbackHttpServer server_;
  TempPathSandbox sandbox_{CurrentTestName()};
  std::string path_ = "not reset";
  WorkFolder folder_;
};

TEST_F(DownloadTest, AppendToFileReportsOnlyWhatReachedTheFile) {
  std::string path = sandbox_.Path() + "append.bin";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DownloadSink sink;
  sink.file = file;
  sink.maxBytes = 8;
  char abc[] = "abc";
  char de[] = "de";
  EXPECT_EQ(AppendToFile(abc, 1, 3, &sink), 3u);
  EXPECT_EQ(AppendToFile(de, 2, 1, &sink), 2u);
  EXPECT_EQ(AppendToFile(abc, 1, 4, &sink), 0u) << "past the cap";
  EXPECT_EQ(AppendToFile(abc, 1, 3, &sink), 3u) << "exactly up to the cap";
  EXPECT_EQ(AppendToFile(abc, static_cast<size_t>(-1), 2, &sink), 0u) << "size overflow";
  EXPECT_EQ(AppendToFile(abc, 1, 3, nullptr), 0u);
  CloseHandle(file);
  EXPECT_EQ(ReadWholeFile(path), "abcdeabc");

  HANDLE readOnly = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
  DownloadSink readOnlySink;
  readOnlySink.file = readOnly;
  readOnlySink.maxBytes = 1000;
  EXPECT_EQ(AppendToFile(abc, 1, 3, &readOnlySink), 0u);
  EXPECT_EQ(readOnlySink.written, 0u);
  CloseHandle(readOnly);
  DeleteFileA(path.c_str());
}

TEST_F(DownloadTest, SavesAnOkBodyUnderItsFixedNameInAFreshFolder) {
  const std::string body = BinaryBody(50000);
  server_.SetRoute("/wuredist.cab", HttpRoute::Ok(body));

  ASSERT_TRUE(Download("/wuredist.cab"));
  std::string catalogue = path_;
  WorkFolder installerFolder;
  ASSERT_TRUE(
      DownloadToTempFile(&path_, server_.Url("/wuredist.cab").c_str(), true, &installerFolder));
  std::string installer = path_;

  EXPECT_EQ(catalogue.substr(catalogue.size() - 13), "\\wuredist.cab");
  EXPECT_EQ(installer.substr(installer.size() - 14), "\\WUAUpdate.exe");
  EXPECT_EQ(FolderOf(FolderOf(catalogue)) + "\\", sandbox_.Path());
  EXPECT_EQ(FolderOf(catalogue).size(), sandbox_.Path().size() + 36);
  EXPECT_NE(FolderOf(catalogue), FolderOf(installer));
  EXPECT_EQ(ReadWholeFile(catalogue), body);
  EXPECT_EQ(ReadWholeFile(installer), body);
  for (const HttpRequestRecord& request : server_.Requests())
    EXPECT_EQ(request.userAgent, "CorvexaDownloader");
  EXPECT_EQ(server_.RequestCount("/wuredist.cab"), 2);

  folder_.Remove();
  installerFolder.Remove();
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(DownloadTest, AnythingButACompleteStatus200IsAFailureThatLeavesNothing) {
  server_.SetRoute("/target", HttpRoute::Ok("the real file"));
  HttpRoute redirect = HttpRoute::Status(302, "moved");
  redirect.extraHeaders = "Location: " + server_.Url("/target") + "\r\n";
  server_.SetRoute("/redirect", redirect);
  server_.SetRoute("/error", HttpRoute::Status(500, "<html>error page</html>"));
  HttpRoute truncated = HttpRoute::Ok("only half");
  truncated.announcedLength = 100;
  server_.SetRoute("/truncated", truncated);

  for (const char* route : {"/missing", "/redirect", "/error", "/truncated"}) {
    EXPECT_FALSE(Download(route, true)) << route;
    EXPECT_TRUE(path_.empty()) << route;
  }
  EXPECT_EQ(server_.RequestCount("/target"), 0) << "redirects are not followed";
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(DownloadTest, GivesUpOnAServerThatNeverAnswers) {
  HttpRoute stall;
  stall.mode = HttpRoute::Mode::Stall;
  server_.SetRoute("/wuredist.cab", stall);

  HttpRoute silentBody = HttpRoute::Ok("late");
  silentBody.mode = HttpRoute::Mode::Drip;
  silentBody.dripDelayMs = 60 * 1000;
  server_.SetRoute("/silent-body", silentBody);

  for (const char* route : {"/wuredist.cab", "/silent-body"}) {
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(Download(route)) << route;
    ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_GE(elapsed, kStallMs - 100) << route;
    EXPECT_LT(elapsed, 10 * kStallMs) << route;
    EXPECT_EQ(server_.RequestCount(route), 1) << route;
  }
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(DownloadTest, RefusesABodyLargerThanItsCap) {
  server_.SetRoute("/announced", HttpRoute::Ok(BinaryBody(kCatalogueCap + 1)));
  HttpRoute unannounced = HttpRoute::Ok(BinaryBody(kCatalogueCap + 1));
  unannounced.announceLength = false;
  server_.SetRoute("/unannounced", unannounced);
  server_.SetRoute("/endless", HttpRoute::Ok(BinaryBody(4 * kInstallerCap)));
  server_.SetRoute("/at-cap", HttpRoute::Ok(BinaryBody(kCatalogueCap)));

  EXPECT_FALSE(Download("/announced"));
  EXPECT_FALSE(Download("/unannounced"));
  EXPECT_FALSE(Download("/endless", true));
  EXPECT_TRUE(sandbox_.Entries().empty());

  ASSERT_TRUE(Download("/unannounced", true)) << "the installer's cap is larger";
  folder_.Remove();
  ASSERT_TRUE(Download("/at-cap"));
  EXPECT_EQ(ReadWholeFile(path_).size(), kCatalogueCap);
  folder_.Remove();
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(DownloadTest, ASlowTransferGoesOnButATrickleBelowTheLowSpeedLimitStops) {
  HttpRoute drip = HttpRoute::Ok("twelve bytes");
  drip.mode = HttpRoute::Mode::Drip;
  drip.dripDelayMs = 150;  // 12 bytes over about 1.8 s: longer than the stall limit
  server_.SetRoute("/drip", drip);

  ASSERT_TRUE(Download("/drip"));
  EXPECT_EQ(ReadWholeFile(path_), "twelve bytes");
  folder_.Remove();

  HttpRoute longDrip = drip;
  longDrip.body = std::string(40, 'd');  // about 6 s at this pace
  server_.SetRoute("/long-drip", longDrip);
  RefreshLimits demanding = CurrentRefreshLimits();
  demanding.lowSpeedBytesPerSecond = 50;
  SetRefreshLimits(demanding);
  ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(Download("/long-drip"));
  EXPECT_LT(GetTickCount64() - start, 4000u);
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(DownloadTest, RefusesAddressesThatAreNotHttp) {
  std::string file = sandbox_.Path() + "local.txt";
  ASSERT_TRUE(WriteWholeFile(file, "local"));
  for (std::string url : {"file:///" + file, std::string("ftp://127.0.0.1/x"),
                          std::string("127.0.0.1/x"), std::string("")}) {
    EXPECT_FALSE(DownloadToTempFile(&path_, url.c_str(), false, &folder_)) << url;
  }
  EXPECT_FALSE(DownloadToTempFile(&path_, nullptr, false, &folder_));
  DeleteFileA(file.c_str());
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(DownloadTest, SendsNoCookiesAndAnswersNoLogonRequest) {
  HttpRoute cookie = HttpRoute::Ok("first");
  cookie.extraHeaders = "Set-Cookie: session=secret; Path=/\r\n";
  server_.SetRoute("/wuredist.cab", cookie);
  server_.SetRoute("/second.cab", HttpRoute::Ok("second"));
  ASSERT_TRUE(Download("/wuredist.cab"));
  ASSERT_TRUE(Download("/second.cab"));

  for (const char* challenge : {"Basic realm=\"agent\"", "NTLM", "Negotiate"}) {
    HttpRoute logon = HttpRoute::Status(401, "who are you");
    logon.extraHeaders = std::string("WWW-Authenticate: ") + challenge + "\r\n";
    server_.SetRoute("/logon.exe", logon);
    EXPECT_FALSE(Download("/logon.exe", true)) << challenge;
  }
  // Credentials written into the address are not sent either.
  std::string url = server_.Url("/logon.exe");
  url.insert(url.find("//") + 2, "user:secret@");
  EXPECT_FALSE(DownloadToTempFile(&path_, url.c_str(), true, &folder_));

  std::vector<HttpRequestRecord> requests = server_.Requests();
  EXPECT_EQ(server_.RequestCount("/logon.exe"), 4) << "one request per challenge, none answered";
  for (const HttpRequestRecord& request : requests) {
    EXPECT_EQ(request.cookie, "") << request.path;
    EXPECT_EQ(request.authorization, "") << request.path;
  }
  folder_.Remove();
  EXPECT_TRUE(sandbox_.Entries().empty());
}

TEST_F(DownloadTest, FailsBeforeTouchingDiskWhenThePathWouldBeTooLong) {
  server_.SetRoute("/wuredist.cab", HttpRoute::Ok("cabinet"));
  {
    // "\wuredist.cab" just fits, the one character longer "\WUAUpdate.exe" does not.
    TempPathSandbox deep("deep_temp_210", 210);
    char temp[MAX_PATH + 1];
    ASSERT_EQ(GetTempPathA(sizeof(temp), temp), 210u);
    EXPECT_FALSE(Download("/wuredist.cab", true));
    EXPECT_TRUE(path_.empty());
    EXPECT_TRUE(deep.Entries().empty());
    ASSERT_TRUE(Download("/wuredist.cab"));
    EXPECT_EQ(path_.size(), kMaxPathLength);
    folder_.Remove();
    EXPECT_TRUE(deep.Entries().empty());
  }
  {
    TempPathSandbox deeper("deep_temp_250", 250);
    EXPECT_FALSE(Download("/wuredist.cab"));
    EXPECT_TRUE(deeper.Entries().empty());
  }
  EXPECT_EQ(server_.RequestCount("/wuredist.cab"), 1);
}

}  // namespace

// The new-version check against a loopback web service: what counts as an
// offer, what reaches the prompt and the shell, and answers the service
// could use to corrupt memory or launch something other than a web page.

#include <gtest/gtest.h>

#include <string>

#include "app/new_version_check.h"
#include "tests/agent_refresh/loopback_http_server.h"
#include "tests/support/recording_actions.h"

namespace {

using SkinUITest::CRecordingActions;

constexpr char kQueryPath[] = "/software/freetools.php?pro_id=44&pversion=1.0.1";

class VersionCheck : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  std::wstring Service() const {
    const std::string url = server_.Url("");
    return std::wstring(url.begin(), url.end());
  }
  void Answer(HttpRoute route) { server_.SetRoute(kQueryPath, std::move(route)); }

  // Runs the thread procedure as the program does and returns its exit code.
  DWORD RunCheck() {
    TVersionCheck check{Service(), &actions_};
    return CheckNewVersion(&check);
  }

  LoopbackHttpServer server_;
  CRecordingActions actions_;
};

TEST_F(VersionCheck, AsksTheServiceAndOpensTheOfferedPageOnYes) {
  Answer(HttpRoute::Ok("https://example.test/dl"));
  actions_.answer = IDYES;
  EXPECT_EQ(0u, RunCheck());
  ASSERT_EQ(1, server_.RequestCount(kQueryPath));
  EXPECT_EQ("UA/Corvexa", server_.Requests()[0].userAgent);
  ASSERT_EQ(1u, actions_.messages.size());
  EXPECT_EQ(L"New version of Patchwell is available. It's free, download now?",
            actions_.messages[0].text);
  EXPECT_EQ(L"New version has been released", actions_.messages[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_YESNO), actions_.messages[0].type);
  ASSERT_EQ(1u, actions_.opened.size());
  EXPECT_EQ(L"https://example.test/dl", actions_.opened[0]);

  actions_.answer = IDNO;
  RunCheck();
  EXPECT_EQ(2u, actions_.messages.size());
  EXPECT_EQ(1u, actions_.opened.size());  // No opens nothing
}

TEST_F(VersionCheck, OnlyAPlainWebAddressIsOffered) {
  actions_.answer = IDYES;
  const char* refused[] = {"calc.exe",
                           "\\\\h\\s\\x.exe",
                           "file:///c:/x.exe",
                           "javascript:x",
                           "C:\\Windows\\System32\\cmd.exe",
                           "http://a b",
                           "http://a\"b",
                           ""};
  for (const char* body : refused) {
    Answer(HttpRoute::Ok(body));
    char page[kPageAddressChars] = "stale";
    bool offered = true;
    EXPECT_TRUE(QueryNewVersion(Service().c_str(), page, offered)) << body;
    EXPECT_FALSE(offered) << body;
    RunCheck();
  }
  EXPECT_TRUE(actions_.messages.empty());
  EXPECT_TRUE(actions_.opened.empty());

  // The status is not looked at: a 404 naming a valid page still offers it.
  Answer(HttpRoute::Status(404, "HTTP://example.test/new"));
  char page[kPageAddressChars] = {};
  bool offered = false;
  EXPECT_TRUE(QueryNewVersion(Service().c_str(), page, offered));
  EXPECT_TRUE(offered);
  EXPECT_STREQ("HTTP://example.test/new", page);
}

TEST_F(VersionCheck, AnnouncedLengthsCannotCorruptMemory) {
  struct Case {
    const char* header;  // Content-Length as sent, or null for none
    std::string body;
    bool succeeds;
    bool offered;
  };
  const std::string url = "https://example.test/page";
  const Case cases[] = {
      {"-1", url, false, false},
      {"abc", url, true, false},  // reads as 0: an empty answer
      {"0", url, true, false},
      {"5000", url, false, false},
      {"99999999999", url, false, false},
      {nullptr, url, false, false},  // no length header, even with a body
      {"200", url, true, true},      // shorter than announced: what arrived
      {"300", std::string(300, 'h'), true, false},
      {"300", "https://" + std::string(292, 'a'), true, false},  // no room in the buffer
  };
  for (const Case& c : cases) {
    HttpRoute route = HttpRoute::Ok(c.body);
    route.announceLength = false;
    if (c.header != nullptr)
      route.extraHeaders = std::string("Content-Length: ") + c.header + "\r\n";
    Answer(route);
    char page[kPageAddressChars] = {};
    bool offered = true;
    EXPECT_EQ(c.succeeds, QueryNewVersion(Service().c_str(), page, offered)) << c.header;
    EXPECT_EQ(c.offered, offered) << c.header;
    EXPECT_EQ(0u, RunCheck());
  }
  EXPECT_EQ(1u, actions_.messages.size());  // only the short, valid answer prompted
}

TEST_F(VersionCheck, ABodyArrivingInPiecesIsReadWhole) {
  HttpRoute route = HttpRoute::Ok("http://example.test/slow");
  route.mode = HttpRoute::Mode::Drip;
  route.dripDelayMs = 20;
  Answer(route);
  char page[kPageAddressChars] = {};
  bool offered = false;
  EXPECT_TRUE(QueryNewVersion(Service().c_str(), page, offered));
  EXPECT_TRUE(offered);
  EXPECT_STREQ("http://example.test/slow", page);
}

TEST_F(VersionCheck, NoServiceEndsSilently) {
  server_.Stop();
  char page[kPageAddressChars] = {};
  bool offered = true;
  EXPECT_FALSE(QueryNewVersion(Service().c_str(), page, offered));
  EXPECT_FALSE(offered);
  EXPECT_EQ(0u, RunCheck());
  EXPECT_TRUE(actions_.messages.empty());
}

}  // namespace

// The new-version check against a loopback web service: what counts as an
// offer, what reaches the prompt and the opening, answers the service could
// use to corrupt memory or launch something other than a web page, and
// servers that stall, drip or redirect without end.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "app/new_version_check.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/recording_actions.h"

namespace {

using SkinUITest::CRecordingActions;

constexpr char kQueryPath[] = "/software/freetools.php?pro_id=44&pversion=1.0.1";
constexpr auto kWatchdog = std::chrono::seconds(8);

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

// Short enough that a stalled test server costs well under a second.
TVersionCheckLimits QuickLimits(DWORD receiveMs = 2000, DWORD wholeMs = 5000) {
  TVersionCheckLimits limits;
  limits.connectTimeoutMs = 2000;
  limits.sendTimeoutMs = receiveMs;
  limits.receiveTimeoutMs = receiveMs;
  limits.wholeCheckMs = wholeMs;
  return limits;
}

struct TOutcome {
  bool answered;
  std::string page;  // empty: no offer
};

class VersionCheck : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  std::wstring Service() const { return Wide(server_.Url("")); }
  void Answer(HttpRoute route) { server_.SetRoute(kQueryPath, std::move(route)); }

  // The whole check, as the program's thread runs it.
  void RunCheck() { RunVersionCheck(TVersionCheck{Service(), sharedActions_, QuickLimits()}); }

  TOutcome Ask(const TVersionCheckLimits& limits = QuickLimits()) {
    char page[kPageAddressChars] = "stale";
    bool offered = true;
    const bool answered = QueryNewVersion(Service().c_str(), page, offered, limits);
    return {answered, offered ? page : ""};
  }

  // Ask on a thread of its own; one that has not ended within the watchdog
  // fails, and the server is stopped so that it can end.
  TOutcome AskWatched(const TVersionCheckLimits& limits) {
    auto asked = std::async(std::launch::async, [&] { return Ask(limits); });
    if (asked.wait_for(kWatchdog) != std::future_status::ready) {
      ADD_FAILURE() << "the check did not end";
      server_.Stop();
    }
    return asked.get();
  }

  LoopbackHttpServer server_;
  std::shared_ptr<CRecordingActions> sharedActions_ = std::make_shared<CRecordingActions>();
  CRecordingActions& actions_ = *sharedActions_;
};

TEST_F(VersionCheck, AsksTheServiceAndOpensTheOfferedPageOnYes) {
  Answer(HttpRoute::Ok("https://example.test/dl"));
  actions_.answer = IDYES;
  RunCheck();
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
                           "",
                           "http://\\\\evil\\share\\x.exe",
                           "http://",
                           "https://",
                           "http:///x",
                           "http:example.test/x",
                           "http://user:pw@example.test/x",
                           "http://user@example.test/",
                           "http://@example.test/",
                           "http://example.test\\x.exe",
                           "http://example.test/a\\b",
                           "http://example.test:80x/",
                           "http://example.test:99999/",
                           "http://example.test:0/",
                           "http://example.test:/x",
                           "http://example.test?x",
                           "http://[::1]/",
                           "http://-example.test/",
                           "http://a..b/",
                           "ftp://example.test/x"};
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
  for (const char* page : {"http://example.test", "https://example.test:8443/dl?x=1&y=2#top",
                           "HTTP://127.0.0.1:8080/setup.exe", "http://a-b.example.test/"}) {
    EXPECT_TRUE(IsOfferablePageAddress(page)) << page;
  }

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
    RunCheck();
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
  RunCheck();
  EXPECT_TRUE(actions_.messages.empty());
}

TEST_F(VersionCheck, AnAnswerEndingInALineBreakIsOffered) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://example.test/new\r\n", "http://example.test/new"},
      {"https://example.test/new \t\n\r\n", "https://example.test/new"},
      {"\r\n", ""},
      {"http://example.test/a\r\nb", ""},  // a line break inside is no address
      {" http://example.test/new", ""},    // only trailing blanks are trimmed
  };
  for (const auto& [body, page] : cases) {
    Answer(HttpRoute::Ok(body));
    const TOutcome outcome = Ask();
    EXPECT_TRUE(outcome.answered) << body;
    EXPECT_EQ(page, outcome.page) << body;
  }
}

// Each stall ends twice over: by the time-outs of the single steps when the
// whole check has time left, and by the whole check's bound when the steps
// would wait longer. A body that keeps coming, a byte at a time well within
// each time-out, is cut off by the bound as well.
TEST_F(VersionCheck, AStalledServerEndsTheCheckWithinItsBound) {
  for (const TVersionCheckLimits& limits : {QuickLimits(300, 60000), QuickLimits(60000, 1000)}) {
    for (HttpRoute::Mode mode :
         {HttpRoute::Mode::Stall, HttpRoute::Mode::StallInHead, HttpRoute::Mode::StallInBody}) {
      HttpRoute route = HttpRoute::Ok("http://example.test/never-whole");
      route.mode = mode;
      Answer(route);
      const TOutcome outcome = AskWatched(limits);
      EXPECT_FALSE(outcome.answered) << static_cast<int>(mode) << " " << limits.wholeCheckMs;
    }
  }
  HttpRoute drip = HttpRoute::Ok("http://example.test/" + std::string(200, 'd'));
  drip.mode = HttpRoute::Mode::Drip;
  drip.dripDelayMs = 100;
  Answer(drip);
  EXPECT_FALSE(AskWatched(QuickLimits(60000, 1000)).answered);
}

TEST_F(VersionCheck, RedirectsAreFollowedAtMostThreeTimes) {
  Answer(HttpRoute::Redirect(server_.Url("/hop1")));
  server_.SetRoute("/hop1", HttpRoute::Redirect("/hop2"));  // relative
  server_.SetRoute("/hop2", HttpRoute::Redirect(server_.Url("/hop3")));
  server_.SetRoute("/hop3", HttpRoute::Ok("http://example.test/after-three"));
  EXPECT_EQ("http://example.test/after-three", Ask().page);

  server_.SetRoute("/hop3", HttpRoute::Redirect("/hop4"));
  EXPECT_FALSE(Ask().answered);
  EXPECT_EQ(0, server_.RequestCount("/hop4"));

  // A redirect to itself: the first request and three more, then no more.
  Answer(HttpRoute::Redirect(server_.Url(kQueryPath)));
  const int before = server_.RequestCount(kQueryPath);
  EXPECT_FALSE(AskWatched(QuickLimits()).answered);
  server_.WaitUntilIdle();
  EXPECT_EQ(4, server_.RequestCount(kQueryPath) - before);
}

TEST_F(VersionCheck, RedirectsLeadOnlyToWebAddressesAndCarryNoCookies) {
  server_.SetRoute("/target", HttpRoute::Ok("http://example.test/new"));
  const std::string target = server_.Url("/target");
  for (const std::string& location :
       {std::string("file:///c:/x.exe"), std::string("javascript:x"),
        std::string("ftp://127.0.0.1/target"), std::string("\\\\127.0.0.1\\share\\x.exe"),
        "http://user:pw@" + target.substr(7), std::string("http://127.0.0.1\\target")}) {
    Answer(HttpRoute::Redirect(location));
    EXPECT_FALSE(Ask().answered) << location;
  }
  EXPECT_EQ(0, server_.RequestCount("/target"));

  HttpRoute setsCookie = HttpRoute::Redirect(target);
  setsCookie.extraHeaders += "Set-Cookie: session=secret; Path=/\r\n";
  Answer(setsCookie);
  EXPECT_EQ("http://example.test/new", Ask().page);
  ASSERT_EQ(1, server_.RequestCount("/target"));
  for (const HttpRequestRecord& request : server_.Requests()) EXPECT_EQ("", request.cookie);
}

TEST_F(VersionCheck, TheServiceAddressIsReadAsAWebAddressAndHttpsStaysSecure) {
  TWebAddress https;
  ASSERT_TRUE(ParseWebAddress(L"https://example.test:8443/a/b?c=d#e", https));
  EXPECT_TRUE(https.secure);
  EXPECT_EQ(L"example.test", https.host);
  EXPECT_EQ(8443, https.port);
  EXPECT_EQ(L"/a/b?c=d", https.object);
  TWebAddress http;
  ASSERT_TRUE(ParseWebAddress(L"http://127.0.0.1", http));
  EXPECT_FALSE(http.secure);
  EXPECT_EQ(80, http.port);
  EXPECT_EQ(L"/", http.object);

  const DWORD plain = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI |
                      INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH;
  EXPECT_EQ(plain | INTERNET_FLAG_SECURE,
            VersionRequestFlags(https));  // no certificate error ignored
  EXPECT_EQ(plain, VersionRequestFlags(http));

  // https to a plain server: the handshake fails (or waits, under Wine, until
  // the server closes), and the question is never asked in plain text,
  // neither at first nor after a redirect.
  const std::string authority = server_.Url("").substr(7);
  char page[kPageAddressChars] = {};
  bool offered = true;
  EXPECT_FALSE(
      QueryNewVersion(Wide("https://" + authority).c_str(), page, offered, QuickLimits(500, 1000)));
  Answer(HttpRoute::Redirect("https://" + authority + "/target"));
  EXPECT_FALSE(Ask(QuickLimits(500, 1000)).answered);
  EXPECT_EQ(1, server_.RequestCount(kQueryPath));  // the plain one that redirected
  EXPECT_EQ(0, server_.RequestCount("/target"));

  // A service address that is no web address asks nothing at all.
  const size_t asked = server_.Requests().size();
  for (const std::string& service :
       {"http://u@" + authority, "http://" + authority + "\\x", "file://" + authority + "/x"}) {
    EXPECT_FALSE(QueryNewVersion(Wide(service).c_str(), page, offered, QuickLimits())) << service;
  }
  EXPECT_EQ(asked, server_.Requests().size());
}

}  // namespace

// The new-version check against a loopback web service: what counts as an
// offer, what reaches the prompt and the opening, answers the service could
// use to corrupt memory or launch something other than a web page, and
// servers that stall, drip or redirect without end.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/new_version_check.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/recording_actions.h"

namespace {

using SkinUITest::CRecordingActions;

constexpr char kQueryPath[] = "/software/freetools.php?pro_id=44&pversion=1.0.1";
constexpr DWORD kWatchdogMs = 8000;

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

// Short enough that a stalled test server costs well under a second.
TVersionCheckLimits QuickLimits() {
  TVersionCheckLimits limits;
  limits.connectTimeoutMs = 2000;
  limits.sendTimeoutMs = 2000;
  limits.receiveTimeoutMs = 2000;
  limits.wholeCheckMs = 5000;
  return limits;
}

struct TTimedQuery {
  bool finished = false;
  bool result = true;
  bool offered = true;
};

struct TWatchedQuery {
  std::wstring service;
  TVersionCheckLimits limits;
  TTimedQuery outcome;
};

DWORD WINAPI RunWatchedQuery(LPVOID argument) {
  auto* run = static_cast<TWatchedQuery*>(argument);
  char page[kPageAddressChars] = {};
  run->outcome.result =
      QueryNewVersion(run->service.c_str(), page, run->outcome.offered, run->limits);
  return 0;
}

class VersionCheck : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  std::wstring Service() const { return Wide(server_.Url("")); }
  void Answer(HttpRoute route) { server_.SetRoute(kQueryPath, std::move(route)); }

  bool Query(char (&page)[kPageAddressChars], bool& offered,
             const TVersionCheckLimits& limits = QuickLimits()) {
    return QueryNewVersion(Service().c_str(), page, offered, limits);
  }

  // The whole check, as the program's thread runs it.
  void RunCheck() { RunVersionCheck(TVersionCheck{Service(), actions_, QuickLimits()}); }

  // Runs the query on a thread of its own; when it has not ended within the
  // watchdog, the server is stopped so that it can, and finished is false.
  TTimedQuery QueryWatched(const TVersionCheckLimits& limits) {
    TWatchedQuery run{Service(), limits, {}};
    UniqueHandle thread(CreateThread(nullptr, 0, RunWatchedQuery, &run, 0, nullptr));
    if (!thread) return run.outcome;
    run.outcome.finished = WaitForSingleObject(thread.get(), kWatchdogMs) == WAIT_OBJECT_0;
    if (!run.outcome.finished) {
      server_.Stop();
      WaitForSingleObject(thread.get(), INFINITE);
    }
    return run.outcome;
  }

  LoopbackHttpServer server_;
  std::shared_ptr<CRecordingActions> actions_ = std::make_shared<CRecordingActions>();
};

TEST_F(VersionCheck, AsksTheServiceAndOpensTheOfferedPageOnYes) {
  Answer(HttpRoute::Ok("https://example.test/dl"));
  actions_->answer = IDYES;
  RunCheck();
  ASSERT_EQ(1, server_.RequestCount(kQueryPath));
  EXPECT_EQ("UA/Corvexa", server_.Requests()[0].userAgent);
  ASSERT_EQ(1u, actions_->messages.size());
  EXPECT_EQ(L"New version of Patchwell is available. It's free, download now?",
            actions_->messages[0].text);
  EXPECT_EQ(L"New version has been released", actions_->messages[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_YESNO), actions_->messages[0].type);
  ASSERT_EQ(1u, actions_->opened.size());
  EXPECT_EQ(L"https://example.test/dl", actions_->opened[0]);

  actions_->answer = IDNO;
  RunCheck();
  EXPECT_EQ(2u, actions_->messages.size());
  EXPECT_EQ(1u, actions_->opened.size());  // No opens nothing
}

TEST_F(VersionCheck, OnlyAPlainWebAddressIsOffered) {
  actions_->answer = IDYES;
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
                           "http://a_b.test/",
                           "ftp://example.test/x"};
  for (const char* body : refused) {
    Answer(HttpRoute::Ok(body));
    char page[kPageAddressChars] = "stale";
    bool offered = true;
    EXPECT_TRUE(Query(page, offered)) << body;
    EXPECT_FALSE(offered) << body;
    EXPECT_STREQ("", page) << body;
    RunCheck();
  }
  EXPECT_TRUE(actions_->messages.empty());
  EXPECT_TRUE(actions_->opened.empty());

  const char* accepted[] = {"http://example.test", "https://example.test:8443/dl?x=1&y=2#top",
                            "HTTP://127.0.0.1:8080/setup.exe", "http://a-b.example.test/"};
  for (const char* body : accepted) EXPECT_TRUE(IsOfferablePageAddress(body)) << body;

  // The status is not looked at: a 404 naming a valid page still offers it.
  Answer(HttpRoute::Status(404, "HTTP://example.test/new"));
  char page[kPageAddressChars] = {};
  bool offered = false;
  EXPECT_TRUE(Query(page, offered));
  EXPECT_TRUE(offered);
  EXPECT_STREQ("HTTP://example.test/new", page);
}

TEST_F(VersionCheck, AnAnswerEndingInALineBreakIsOffered) {
  struct Case {
    const char* body;
    const char* page;  // null: no offer
  };
  const Case cases[] = {
      {"http://example.test/new\r\n", "http://example.test/new"},
      {"http://example.test/new\n", "http://example.test/new"},
      {"https://example.test/new \t\r\n\r\n", "https://example.test/new"},
      {"\r\n", nullptr},
      {" \t", nullptr},
      {"http://example.test/a\r\nb", nullptr},  // a line break inside is no address
      {" http://example.test/new", nullptr},    // only trailing blanks are trimmed
  };
  for (const Case& c : cases) {
    Answer(HttpRoute::Ok(c.body));
    char page[kPageAddressChars] = {};
    bool offered = false;
    EXPECT_TRUE(Query(page, offered)) << c.body;
    EXPECT_EQ(c.page != nullptr, offered) << c.body;
    EXPECT_STREQ(c.page ? c.page : "", page) << c.body;
  }
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
    EXPECT_EQ(c.succeeds, Query(page, offered)) << c.header;
    EXPECT_EQ(c.offered, offered) << c.header;
    RunCheck();
  }
  EXPECT_EQ(1u, actions_->messages.size());  // only the short, valid answer prompted
}

TEST_F(VersionCheck, ABodyArrivingInPiecesIsReadWhole) {
  HttpRoute route = HttpRoute::Ok("http://example.test/slow");
  route.mode = HttpRoute::Mode::Drip;
  route.dripDelayMs = 20;
  Answer(route);
  char page[kPageAddressChars] = {};
  bool offered = false;
  EXPECT_TRUE(Query(page, offered));
  EXPECT_TRUE(offered);
  EXPECT_STREQ("http://example.test/slow", page);
}

TEST_F(VersionCheck, NoServiceEndsSilently) {
  server_.Stop();
  char page[kPageAddressChars] = {};
  bool offered = true;
  EXPECT_FALSE(Query(page, offered));
  EXPECT_FALSE(offered);
  RunCheck();
  EXPECT_TRUE(actions_->messages.empty());
}

// Each stall ends twice over: by the time-outs of the single steps when the
// whole check has time left, and by the whole check's bound when the steps
// would wait longer.
TEST_F(VersionCheck, AStalledServerEndsTheCheckWithinItsBound) {
  TVersionCheckLimits shortSteps = QuickLimits();
  shortSteps.receiveTimeoutMs = 300;
  shortSteps.wholeCheckMs = 60 * 1000;
  TVersionCheckLimits shortWhole = QuickLimits();
  shortWhole.receiveTimeoutMs = 60 * 1000;
  shortWhole.sendTimeoutMs = 60 * 1000;
  shortWhole.wholeCheckMs = 1000;

  const HttpRoute::Mode stalls[] = {HttpRoute::Mode::Stall, HttpRoute::Mode::StallInHead,
                                    HttpRoute::Mode::StallInBody};
  for (const TVersionCheckLimits& limits : {shortSteps, shortWhole}) {
    for (HttpRoute::Mode mode : stalls) {
      HttpRoute route = HttpRoute::Ok("http://example.test/never-whole");
      route.mode = mode;
      Answer(route);
      const TTimedQuery query = QueryWatched(limits);
      ASSERT_TRUE(query.finished) << static_cast<int>(mode) << " " << limits.wholeCheckMs;
      EXPECT_FALSE(query.result);
      EXPECT_FALSE(query.offered);
    }
  }

  // A body that keeps coming, a byte at a time, well within each step's
  // time-out, is cut off by the bound as well.
  HttpRoute drip = HttpRoute::Ok("http://example.test/" + std::string(200, 'd'));
  drip.mode = HttpRoute::Mode::Drip;
  drip.dripDelayMs = 100;
  Answer(drip);
  const TTimedQuery query = QueryWatched(shortWhole);
  ASSERT_TRUE(query.finished);
  EXPECT_FALSE(query.result);
}

TEST_F(VersionCheck, RedirectsAreFollowedAtMostThreeTimes) {
  Answer(HttpRoute::Redirect(server_.Url("/hop1")));
  server_.SetRoute("/hop1", HttpRoute::Redirect("/hop2"));  // relative
  server_.SetRoute("/hop2", HttpRoute::Redirect(server_.Url("/hop3")));
  server_.SetRoute("/hop3", HttpRoute::Ok("http://example.test/after-three\r\n"));
  char page[kPageAddressChars] = {};
  bool offered = false;
  EXPECT_TRUE(Query(page, offered));
  EXPECT_TRUE(offered);
  EXPECT_STREQ("http://example.test/after-three", page);

  server_.SetRoute("/hop3", HttpRoute::Redirect("/hop4"));
  server_.SetRoute("/hop4", HttpRoute::Ok("http://example.test/after-four"));
  EXPECT_FALSE(Query(page, offered));
  EXPECT_EQ(0, server_.RequestCount("/hop4"));

  // A redirect to itself: the first request and three more, then no more.
  Answer(HttpRoute::Redirect(server_.Url(kQueryPath)));
  const int before = server_.RequestCount(kQueryPath);
  const TTimedQuery loop = QueryWatched(QuickLimits());
  ASSERT_TRUE(loop.finished);
  EXPECT_FALSE(loop.result);
  server_.WaitUntilIdle();
  EXPECT_EQ(4, server_.RequestCount(kQueryPath) - before);
}

TEST_F(VersionCheck, RedirectsLeadOnlyToWebAddresses) {
  server_.SetRoute("/target", HttpRoute::Ok("http://example.test/new"));
  const std::string target = server_.Url("/target");
  const std::string refused[] = {"file:///c:/x.exe",
                                 "javascript:x",
                                 "ftp://127.0.0.1/target",
                                 "\\\\127.0.0.1\\share\\x.exe",
                                 "http://user:pw@" + target.substr(7),
                                 "http://127.0.0.1\\target"};
  for (const std::string& location : refused) {
    Answer(HttpRoute::Redirect(location));
    char page[kPageAddressChars] = {};
    bool offered = true;
    EXPECT_FALSE(Query(page, offered)) << location;
    EXPECT_FALSE(offered) << location;
  }
  EXPECT_EQ(0, server_.RequestCount("/target"));

  // Cookies set on the way are not sent on.
  HttpRoute setsCookie = HttpRoute::Redirect(target);
  setsCookie.extraHeaders += "Set-Cookie: session=secret; Path=/\r\n";
  Answer(setsCookie);
  char page[kPageAddressChars] = {};
  bool offered = false;
  EXPECT_TRUE(Query(page, offered));
  EXPECT_TRUE(offered);
  ASSERT_EQ(1, server_.RequestCount("/target"));
  for (const HttpRequestRecord& request : server_.Requests()) {
    EXPECT_EQ("", request.cookie) << request.path;
  }
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

  const DWORD ignoringCertificates = INTERNET_FLAG_IGNORE_CERT_CN_INVALID |
                                     INTERNET_FLAG_IGNORE_CERT_DATE_INVALID |
                                     SECURITY_FLAG_IGNORE_UNKNOWN_CA;
  const DWORD plain = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI |
                      INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH;
  EXPECT_EQ(plain | INTERNET_FLAG_SECURE, VersionRequestFlags(https));
  EXPECT_EQ(plain, VersionRequestFlags(http));
  EXPECT_EQ(0u, VersionRequestFlags(https) & ignoringCertificates);

  // https to a plain server: the handshake fails (or waits for an answer
  // that never comes, until the server closes), and the question is never
  // asked in plain text, neither at first nor after a redirect.
  const std::string authority = server_.Url("").substr(7);
  const std::wstring secureService = Wide("https://" + authority);
  char page[kPageAddressChars] = {};
  bool offered = true;
  TVersionCheckLimits limits = QuickLimits();
  limits.receiveTimeoutMs = 500;
  limits.wholeCheckMs = 1000;
  EXPECT_FALSE(QueryNewVersion(secureService.c_str(), page, offered, limits));
  server_.SetRoute("/target", HttpRoute::Ok("http://example.test/new"));
  Answer(HttpRoute::Redirect("https://" + authority + "/target"));
  EXPECT_FALSE(Query(page, offered, limits));
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

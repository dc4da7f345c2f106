#include <gtest/gtest.h>

#include <thread>

#include "tests/updates/fake_agent_fixture.h"

namespace {

constexpr DATE kNoonOnTheFifteenthOfMarch2011 = 40617.5;  // 2011-03-15 12:00:00

FakeUpdateData FullUpdate() {
  FakeUpdateData data;
  data.title = L"Security Update for Windows 7 (KB2000001)";
  data.id = L"6d6a8c1e-0000-4000-8000-000000000001";
  data.description = L"A security issue has been identified.";
  data.articles = {L"2000001"};
  data.autoSelect = true;
  data.size = MakeDecimal(0x123456789ULL, 5);  // high part set: only the low 64 bits count
  data.deployed = kNoonOnTheFifteenthOfMarch2011;
  return data;
}

FakeUpdateData WithArticles(std::vector<std::wstring> articles) {
  FakeUpdateData data = FullUpdate();
  data.articles = std::move(articles);
  return data;
}

FakeUpdateData WithFault(const char* property, ReadFault fault) {
  FakeUpdateData data = FullUpdate();
  data.faults = {{property, fault}};
  return data;
}

SYSTEMTIME LocalTimeOf(DATE date) {
  SYSTEMTIME universal{};
  SYSTEMTIME local{};
  VariantTimeToSystemTime(date, &universal);
  SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
  return local;
}

bool IsAllZero(const SYSTEMTIME& time) {
  static const SYSTEMTIME zero{};
  return memcmp(&time, &zero, sizeof time) == 0;
}

void ExpectPlaceholder(const UpdateEntry& entry) {
  EXPECT_FALSE(entry.checked);
  EXPECT_EQ(L"Unkown", entry.title);
  EXPECT_EQ(L"Unkown", entry.updateId);
  EXPECT_EQ(L"", entry.description);
  EXPECT_TRUE(IsAllZero(entry.released));
  EXPECT_EQ(0u, entry.size);
}

}  // namespace

TEST_F(FakeAgentTest, SearchUsesTheCriteriaAsWrittenAndOneSessionForEveryScan) {
  Scan({UpdateNamed(L"A", L"a")});
  Scan({UpdateNamed(L"A", L"a"), UpdateNamed(L"B", L"b")});

  EXPECT_EQ(L"IsInstalled=0 and Type='SoftWare'", agent->session->lastCriteria);
  EXPECT_EQ(1, agent->sessionsCreated);
  EXPECT_EQ(2, agent->session->searches);
}

TEST_F(FakeAgentTest, SessionThatCannotBeCreatedStopsTheScanAndIsTriedAgainNextTime) {
  agent->createSessionResult = REGDB_E_CLASSNOTREG;
  LONG count = -1;

  EXPECT_EQ(REGDB_E_CLASSNOTREG, client->RunSearch(count));
  EXPECT_EQ(0, count);
  std::vector<UpdateEntry> entries{UpdateEntry{}};
  EXPECT_EQ(E_POINTER, client->CollectUpdates(entries));
  EXPECT_TRUE(entries.empty());

  agent->createSessionResult = S_OK;
  Scan({UpdateNamed(L"A", L"a")});
  EXPECT_EQ(1u, Collect().size());
}

TEST_F(FakeAgentTest, EntryCarriesEveryPropertyOfItsUpdate) {
  Scan({MakeUpdate(FullUpdate())});

  const std::vector<UpdateEntry> entries = Collect();

  ASSERT_EQ(1u, entries.size());
  const UpdateEntry& entry = entries[0];
  EXPECT_TRUE(entry.checked);
  EXPECT_EQ(L"Security Update for Windows 7 (KB2000001)", entry.title);
  EXPECT_EQ(L"6d6a8c1e-0000-4000-8000-000000000001", entry.updateId);
  EXPECT_EQ(L"A security issue has been identified.", entry.description);
  EXPECT_EQ(0x123456789ULL, entry.size);
  const SYSTEMTIME expected = LocalTimeOf(kNoonOnTheFifteenthOfMarch2011);
  EXPECT_EQ(0, memcmp(&expected, &entry.released, sizeof expected));
  EXPECT_EQ(2011, entry.released.wYear);
  EXPECT_EQ(3, entry.released.wMonth);
}

TEST_F(FakeAgentTest, UpdatesListingAnExcludedArticleAsAWholeNumberAreLeftOut) {
  Scan({
      MakeUpdate(WithArticles({L"978886"})),
      MakeUpdate(WithArticles({L"2483139"})),
      MakeUpdate(WithArticles({L"111111", L"978886"})),
      MakeUpdate(WithArticles({L"2483139", L"978886"})),
      MakeUpdate(WithArticles({L"9788861"})),
      MakeUpdate(WithArticles({L"KB978886"})),
      MakeUpdate(WithArticles({L"24831390", L"1978886"})),
      MakeUpdate(WithArticles({L"2483139 "})),
      MakeUpdate(WithArticles({})),
  });

  const std::vector<UpdateEntry> entries = Collect();

  EXPECT_EQ(5u, entries.size());
}

TEST_F(FakeAgentTest, UnreadableArticleListExcludesNothing) {
  for (const char* property : {"KBArticleIDs", "KBCount", "KBItem"}) {
    for (ReadFault fault : {ReadFault::kFails, ReadFault::kNull}) {
      FakeUpdateData data = WithFault(property, fault);
      data.articles = {L"978886"};
      Scan({MakeUpdate(data)});

      const std::vector<UpdateEntry> entries = Collect();

      ASSERT_EQ(1u, entries.size()) << property;
      EXPECT_EQ(L"Security Update for Windows 7 (KB2000001)", entries[0].title) << property;
    }
  }
}

TEST_F(FakeAgentTest, OnlyAnUpdateThatAsksForAutoSelectionIsChecked) {
  FakeUpdateData notAsking = FullUpdate();
  notAsking.autoSelect = false;
  Scan({MakeUpdate(FullUpdate()), MakeUpdate(notAsking),
        MakeUpdate(WithFault("AutoSelect", ReadFault::kFails))});

  const std::vector<UpdateEntry> entries = Collect();

  ASSERT_EQ(3u, entries.size());
  EXPECT_TRUE(entries[0].checked);
  EXPECT_FALSE(entries[1].checked);
  EXPECT_FALSE(entries[2].checked);
}

TEST_F(FakeAgentTest, ResultItemThatCannotBeFetchedBecomesAPlaceholderEntry) {
  Scan({UpdateNamed(L"A", L"a"), UpdateNamed(L"B", L"b"), UpdateNamed(L"C", L"c"),
        UpdateNamed(L"D", L"d")});
  agent->session->found->failingItems = {1};
  agent->session->found->nullItems = {2};

  const std::vector<UpdateEntry> entries = Collect();

  ASSERT_EQ(4u, entries.size());
  EXPECT_EQ(L"A", entries[0].title);
  ExpectPlaceholder(entries[1]);
  ExpectPlaceholder(entries[2]);
  EXPECT_EQ(L"D", entries[3].title);
}

TEST_F(FakeAgentTest, EachUnreadablePropertyKeepsItsDefaultAndNothingElse) {
  const struct {
    const char* property;
    ReadFault fault;
  } cases[] = {
      {"Title", ReadFault::kFails},           {"Title", ReadFault::kNull},
      {"Identity", ReadFault::kFails},        {"Identity", ReadFault::kNull},
      {"UpdateID", ReadFault::kFails},        {"UpdateID", ReadFault::kNull},
      {"Description", ReadFault::kFails},     {"Description", ReadFault::kNull},
      {"MaxDownloadSize", ReadFault::kFails}, {"LastDeployment", ReadFault::kFails},
      {"AutoSelect", ReadFault::kFails},
  };
  for (const auto& c : cases) {
    Scan({MakeUpdate(WithFault(c.property, c.fault))});

    const std::vector<UpdateEntry> entries = Collect();

    ASSERT_EQ(1u, entries.size()) << c.property;
    const UpdateEntry& entry = entries[0];
    const std::string p = c.property;
    const wchar_t* unreadTitle = c.fault == ReadFault::kNull ? L"" : L"Unkown";
    EXPECT_EQ(p == "Title" ? unreadTitle : L"Security Update for Windows 7 (KB2000001)",
              entry.title)
        << p;
    EXPECT_EQ(
        p == "Identity" || p == "UpdateID" ? L"Unkown" : L"6d6a8c1e-0000-4000-8000-000000000001",
        entry.updateId)
        << p;
    EXPECT_EQ(p == "Description" ? L"" : L"A security issue has been identified.",
              entry.description)
        << p;
    EXPECT_EQ(p == "MaxDownloadSize" ? 0u : 0x123456789ULL, entry.size) << p;
    EXPECT_EQ(p == "LastDeployment", IsAllZero(entry.released)) << p;
    EXPECT_EQ(p != "AutoSelect", entry.checked) << p;
  }
}

TEST_F(FakeAgentTest, DeploymentDateOutsideTheCalendarLeavesTheDateZero) {
  FakeUpdateData data = FullUpdate();
  data.deployed = 1e12;
  Scan({MakeUpdate(data)});

  const std::vector<UpdateEntry> entries = Collect();

  ASSERT_EQ(1u, entries.size());
  EXPECT_TRUE(IsAllZero(entries[0].released));
}

TEST_F(FakeAgentTest, RescanWhoseSearchFailsKeepsThePreviousResult) {
  Scan({UpdateNamed(L"A", L"a"), UpdateNamed(L"B", L"b")});
  agent->session->searchResult = E_NOTIMPL;
  LONG count = -1;

  EXPECT_EQ(E_NOTIMPL, client->RunSearch(count));

  const std::vector<UpdateEntry> entries = Collect();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ(L"A", entries[0].title);
  EXPECT_EQ(L"B", entries[1].title);

  Scan({UpdateNamed(L"C", L"c")});
  ASSERT_EQ(1u, Collect().size());
  EXPECT_EQ(L"C", Collect()[0].title);
}

TEST_F(FakeAgentTest, UnreadableResultCountYieldsNoEntries) {
  Scan({UpdateNamed(L"A", L"a")});
  agent->session->found->countFails = true;
  std::vector<UpdateEntry> entries{UpdateEntry{}};

  EXPECT_TRUE(FAILED(client->CollectUpdates(entries)));
  EXPECT_TRUE(entries.empty());
}

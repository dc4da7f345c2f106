#include <gtest/gtest.h>

#include "tests/updates/client_fixture.h"

namespace {

constexpr DATE kNoonOnTheFifteenthOfMarch2011 = 40617.5;  // 2011-03-15 12:00:00

TSimulatedUpdate FullUpdate() {
  TSimulatedUpdate update = UpdateNamed(L"Security Update for Windows 7 (KB2000001)",
                                        L"6d6a8c1e-0000-4000-8000-000000000001");
  update.description = L"A security issue has been identified.";
  update.kbArticleIds = {L"2000001"};
  update.autoSelect = true;
  update.sizeBytes = 0x123456789ULL;
  update.deployed = kNoonOnTheFifteenthOfMarch2011;
  return update;
}

TSimulatedUpdate WithArticles(std::vector<std::wstring> articles) {
  TSimulatedUpdate update = FullUpdate();
  update.kbArticleIds = std::move(articles);
  return update;
}

TSimulatedUpdate WithFault(SimulatedRead read, SimulatedFault fault) {
  TSimulatedUpdate update = FullUpdate();
  (fault == SimulatedFault::kFails ? update.failingReads : update.emptyReads) = read;
  return update;
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

// The agent answers only the program's criteria, exactly as written.
TEST_F(ClientTest, SearchUsesTheCriteriaAsWrittenAndOneSessionForEveryScan) {
  Scan({UpdateNamed(L"A", L"a")});
  Scan({UpdateNamed(L"A", L"a"), UpdateNamed(L"B", L"b")});

  EXPECT_EQ(2, agent.CallCount(L"Search"));
  EXPECT_EQ(1, agent.CallCount(L"CreateUpdateSession"));
}

TEST_F(ClientTest, SessionThatCannotBeCreatedStopsTheScanAndIsTriedAgainNextTime) {
  agent.Failures().createSession = REGDB_E_CLASSNOTREG;
  LONG count = -1;

  EXPECT_EQ(REGDB_E_CLASSNOTREG, client->RunSearch(count));
  EXPECT_EQ(0, count);
  std::vector<UpdateEntry> entries{UpdateEntry{}};
  EXPECT_EQ(E_POINTER, client->CollectUpdates(entries));
  EXPECT_TRUE(entries.empty());

  agent.Failures().createSession = S_OK;
  Scan({UpdateNamed(L"A", L"a")});
  EXPECT_EQ(1u, Collect().size());
}

TEST_F(ClientTest, EntryCarriesEveryPropertyOfItsUpdate) {
  agent.Catalogue().readFaults.sizeHighBits = 5;  // only the low 64 bits count
  Scan({FullUpdate()});

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

TEST_F(ClientTest, UpdatesListingAnExcludedArticleAsAWholeNumberAreLeftOut) {
  Scan({
      WithArticles({L"978886"}),
      WithArticles({L"2483139"}),
      WithArticles({L"111111", L"978886"}),
      WithArticles({L"2483139", L"978886"}),
      WithArticles({L"9788861"}),
      WithArticles({L"KB978886"}),
      WithArticles({L"24831390", L"1978886"}),
      WithArticles({L"2483139 "}),
      WithArticles({}),
  });

  const std::vector<UpdateEntry> entries = Collect();

  EXPECT_EQ(5u, entries.size());
}

TEST_F(ClientTest, UnreadableArticleListExcludesNothing) {
  for (SimulatedRead read : {kReadKBArticleIDs, kReadKBCount, kReadKBItem}) {
    for (SimulatedFault fault : {SimulatedFault::kFails, SimulatedFault::kEmpty}) {
      TSimulatedUpdate update = WithFault(read, fault);
      update.kbArticleIds = {L"978886"};
      Scan({update});

      const std::vector<UpdateEntry> entries = Collect();

      ASSERT_EQ(1u, entries.size()) << read;
      EXPECT_EQ(L"Security Update for Windows 7 (KB2000001)", entries[0].title) << read;
    }
  }
}

TEST_F(ClientTest, OnlyAnUpdateThatAsksForAutoSelectionIsChecked) {
  TSimulatedUpdate notAsking = FullUpdate();
  notAsking.autoSelect = false;
  Scan({FullUpdate(), notAsking, WithFault(kReadAutoSelect, SimulatedFault::kFails)});

  const std::vector<UpdateEntry> entries = Collect();

  ASSERT_EQ(3u, entries.size());
  EXPECT_TRUE(entries[0].checked);
  EXPECT_FALSE(entries[1].checked);
  EXPECT_FALSE(entries[2].checked);
}

TEST_F(ClientTest, ResultItemThatCannotBeFetchedBecomesAPlaceholderEntry) {
  TSimulatedUpdate failing = UpdateNamed(L"B", L"b");
  failing.failingReads = kReadItem;
  TSimulatedUpdate empty = UpdateNamed(L"C", L"c");
  empty.emptyReads = kReadItem;
  Scan({UpdateNamed(L"A", L"a"), failing, empty, UpdateNamed(L"D", L"d")});

  const std::vector<UpdateEntry> entries = Collect();

  ASSERT_EQ(4u, entries.size());
  EXPECT_EQ(L"A", entries[0].title);
  ExpectPlaceholder(entries[1]);
  ExpectPlaceholder(entries[2]);
  EXPECT_EQ(L"D", entries[3].title);
}

TEST_F(ClientTest, EachUnreadablePropertyKeepsItsDefaultAndNothingElse) {
  const SimulatedFault kFails = SimulatedFault::kFails;
  const SimulatedFault kEmpty = SimulatedFault::kEmpty;
  const struct {
    SimulatedRead read;
    SimulatedFault fault;
  } cases[] = {
      {kReadTitle, kFails},          {kReadTitle, kEmpty},       {kReadIdentity, kFails},
      {kReadIdentity, kEmpty},       {kReadUpdateId, kFails},    {kReadUpdateId, kEmpty},
      {kReadDescription, kFails},    {kReadDescription, kEmpty}, {kReadMaxDownloadSize, kFails},
      {kReadDeploymentDate, kFails}, {kReadAutoSelect, kFails},
  };
  for (const auto& c : cases) {
    Scan({WithFault(c.read, c.fault)});

    const std::vector<UpdateEntry> entries = Collect();

    ASSERT_EQ(1u, entries.size()) << c.read;
    const UpdateEntry& entry = entries[0];
    const SimulatedRead r = c.read;
    const wchar_t* unreadTitle = c.fault == kEmpty ? L"" : L"Unkown";
    EXPECT_EQ(r == kReadTitle ? unreadTitle : L"Security Update for Windows 7 (KB2000001)",
              entry.title)
        << r;
    EXPECT_EQ(r == kReadIdentity || r == kReadUpdateId ? L"Unkown"
                                                       : L"6d6a8c1e-0000-4000-8000-000000000001",
              entry.updateId)
        << r;
    EXPECT_EQ(r == kReadDescription ? L"" : L"A security issue has been identified.",
              entry.description)
        << r;
    EXPECT_EQ(r == kReadMaxDownloadSize ? 0u : 0x123456789ULL, entry.size) << r;
    EXPECT_EQ(r == kReadDeploymentDate, IsAllZero(entry.released)) << r;
    EXPECT_EQ(r != kReadAutoSelect, entry.checked) << r;
  }
}

TEST_F(ClientTest, DeploymentDateOutsideTheCalendarLeavesTheDateZero) {
  TSimulatedUpdate update = FullUpdate();
  update.deployed = 1e12;
  Scan({update});

  const std::vector<UpdateEntry> entries = Collect();

  ASSERT_EQ(1u, entries.size());
  EXPECT_TRUE(IsAllZero(entries[0].released));
}

TEST_F(ClientTest, RescanWhoseSearchFailsKeepsThePreviousResult) {
  Scan({UpdateNamed(L"A", L"a"), UpdateNamed(L"B", L"b")});
  agent.Failures().search = E_NOTIMPL;
  LONG count = -1;

  EXPECT_EQ(E_NOTIMPL, client->RunSearch(count));

  const std::vector<UpdateEntry> entries = Collect();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ(L"A", entries[0].title);
  EXPECT_EQ(L"B", entries[1].title);

  agent.Failures().search = S_OK;
  Scan({UpdateNamed(L"C", L"c")});
  ASSERT_EQ(1u, Collect().size());
  EXPECT_EQ(L"C", Collect()[0].title);
}

TEST_F(ClientTest, UnreadableResultCountYieldsNoEntries) {
  Scan({UpdateNamed(L"A", L"a")});
  agent.Failures().countResult = E_FAIL;
  std::vector<UpdateEntry> entries{UpdateEntry{}};

  EXPECT_TRUE(FAILED(client->CollectUpdates(entries)));
  EXPECT_TRUE(entries.empty());
}

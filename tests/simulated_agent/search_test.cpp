#include "tests/simulated_agent/agent_test_support.h"

#include <algorithm>

namespace {

class Search : public SimulatedAgentTest {};

HRESULT SearchWith(IUpdateSession* session, const wchar_t* criteria, ISearchResult** result) {
  ComPtr<IUpdateSearcher> searcher;
  HRESULT hr = session->CreateUpdateSearcher(&searcher);
  if (FAILED(hr)) return hr;
  BSTR text = criteria ? SysAllocString(criteria) : nullptr;
  hr = searcher->Search(text, result);
  SysFreeString(text);
  return hr;
}

SYSTEMTIME ToSystemTime(DATE date) {
  SYSTEMTIME time = {};
  VariantTimeToSystemTime(date, &time);
  return time;
}

TSimulatedUpdate UpdateNamed(const wchar_t* title, const wchar_t* id) {
  TSimulatedUpdate update;
  update.title = title;
  update.updateId = id;
  update.kbArticleIds = {L"100"};
  update.description = L"about it";
  update.sizeBytes = 1000;
  update.deployed = SimulatedDate(2020, 2, 29);
  return update;
}

}  // namespace

TEST_F(Search, ReportsEveryCatalogueUpdateWithTheValuesTheScanReads) {
  auto session = NewSession();
  ComPtr<ISearchResult> result;
  ASSERT_EQ(S_OK, SearchWith(session.Get(), kProgramCriteria, &result));
  OperationResultCode code = orcNotStarted;
  EXPECT_EQ(S_OK, result->get_ResultCode(&code));
  EXPECT_EQ(orcSucceeded, code);
  ComPtr<IUpdateCollection> updates;
  ASSERT_EQ(S_OK, result->get_Updates(&updates));

  const auto& expected = agent_.Catalogue().updates;
  ASSERT_EQ(static_cast<LONG>(expected.size()), CountOf(updates.Get()));
  for (LONG i = 0; i < CountOf(updates.Get()); ++i) {
    const TSimulatedUpdate& record = expected[i];
    ComPtr<IUpdate> update = ItemOf(updates.Get(), i);
    ASSERT_TRUE(update);
    EXPECT_EQ(record.title, ReadTitle(update.Get()));
    EXPECT_EQ(record.updateId, ReadUpdateId(update.Get()));
    EXPECT_EQ(record.kbArticleIds, ReadKbIds(update.Get()));

    VARIANT_BOOL autoSelect = VARIANT_TRUE;
    EXPECT_EQ(S_OK, update->get_AutoSelectOnWebSites(&autoSelect));
    EXPECT_EQ(record.autoSelect ? VARIANT_TRUE : VARIANT_FALSE, autoSelect);

    BSTR description = nullptr;
    EXPECT_EQ(S_OK, update->get_Description(&description));
    EXPECT_EQ(record.description, std::wstring(description));
    SysFreeString(description);

    DECIMAL size;
    EXPECT_EQ(S_OK, update->get_MaxDownloadSize(&size));
    EXPECT_EQ(record.sizeBytes, size.Lo64);
    EXPECT_EQ(0u, size.Hi32);
    EXPECT_EQ(0, size.scale);
    EXPECT_EQ(0, size.sign);

    DATE deployed = 0;
    EXPECT_EQ(S_OK, update->get_LastDeploymentChangeTime(&deployed));
    const SYSTEMTIME got = ToSystemTime(deployed);
    const SYSTEMTIME want = ToSystemTime(record.deployed);
    EXPECT_EQ(want.wYear, got.wYear);
    EXPECT_EQ(want.wMonth, got.wMonth);
    EXPECT_EQ(want.wDay, got.wDay);

    VARIANT_BOOL installed = VARIANT_TRUE;
    EXPECT_EQ(S_OK, update->get_IsInstalled(&installed));
    EXPECT_EQ(VARIANT_FALSE, installed);
  }
}

TEST_F(Search, RefusesCriteriaOtherThanTheProgramsOwn) {
  auto session = NewSession();
  const wchar_t* wrong[] = {L"IsInstalled=0 and Type='Software'", L"IsInstalled=0",
                            L"IsInstalled=0 and Type='SoftWare' ", L"",
                            L"IsInstalled=1 and Type='SoftWare'"};
  for (const wchar_t* criteria : wrong) {
    ComPtr<ISearchResult> result;
    EXPECT_EQ(WU_E_INVALID_CRITERIA, SearchWith(session.Get(), criteria, &result)) << criteria;
    EXPECT_FALSE(result);
  }
  ComPtr<ISearchResult> result;
  EXPECT_EQ(E_INVALIDARG, SearchWith(session.Get(), nullptr, &result));
  EXPECT_FALSE(result);

  // A criteria string with an embedded zero is not the program's either.
  ComPtr<IUpdateSearcher> searcher;
  ASSERT_EQ(S_OK, session->CreateUpdateSearcher(&searcher));
  std::wstring padded = std::wstring(kProgramCriteria) + L'\0' + L"x";
  BSTR text = SysAllocStringLen(padded.data(), static_cast<UINT>(padded.size()));
  EXPECT_EQ(WU_E_INVALID_CRITERIA, searcher->Search(text, &result));
  SysFreeString(text);
}

TEST_F(Search, DefaultCatalogueHoldsTheKindsOfUpdateAMachineMisses) {
  const TSimulatedCatalogue catalogue = DefaultSimulatedCatalogue();
  ASSERT_EQ(8u, catalogue.updates.size());
  auto titled = [&](const wchar_t* word) {
    return std::count_if(
        catalogue.updates.begin(), catalogue.updates.end(),
        [&](const TSimulatedUpdate& u) { return u.title.find(word) != std::wstring::npos; });
  };
  EXPECT_GE(titled(L"Security Update"), 1);
  EXPECT_GE(titled(L"Cumulative"), 1);
  EXPECT_GE(titled(L".NET"), 1);
  EXPECT_GE(titled(L"Definition Update"), 1);

  int autoSelected = 0;
  int excluded = 0;
  std::vector<std::wstring> ids;
  for (const TSimulatedUpdate& update : catalogue.updates) {
    autoSelected += update.autoSelect ? 1 : 0;
    for (const auto& kb : update.kbArticleIds) excluded += kb == L"2483139" ? 1 : 0;
    EXPECT_EQ(36u, update.updateId.size());
    EXPECT_GT(update.sizeBytes, 0u);
    EXPECT_GT(update.deployed, 0.0);
    EXPECT_FALSE(update.description.empty());
    EXPECT_EQ(orcSucceeded, update.download.resultCode);
    EXPECT_EQ(orcSucceeded, update.install.resultCode);
    ids.push_back(update.updateId);
  }
  EXPECT_EQ(1, autoSelected);
  EXPECT_EQ(1, excluded);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids.end(), std::adjacent_find(ids.begin(), ids.end()));
  EXPECT_EQ(L"7.6.7601.24436", catalogue.agentVersion);
}

TEST_F(Search, AnUnreadablePropertyFailsOnlyThatRead) {
  struct TCase {
    unsigned failing;
    const char* name;
  };
  const TCase cases[] = {
      {kReadTitle, "title"},         {kReadDescription, "description"},
      {kReadIdentity, "identity"},   {kReadKBArticleIDs, "kb"},
      {kReadAutoSelect, "auto"},     {kReadMaxDownloadSize, "size"},
      {kReadDeploymentDate, "date"}, {kReadAcceptEula, "eula"},
  };
  for (const TCase& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    TSimulatedCatalogue& catalogue = agent_.Catalogue();
    catalogue.updates = {UpdateNamed(L"A", L"id-a")};
    catalogue.updates[0].failingReads = testCase.failing;
    auto session = NewSession();
    auto found = SearchMissing(session.Get());
    ComPtr<IUpdate> update = ItemOf(found.Get(), 0);
    ASSERT_TRUE(update);

    auto expect = [&](unsigned read, HRESULT hr) {
      EXPECT_EQ(testCase.failing == read ? E_FAIL : S_OK, hr) << "read " << read;
    };
    BSTR text = nullptr;
    expect(kReadTitle, update->get_Title(&text));
    SysFreeString(text);
    text = nullptr;
    expect(kReadDescription, update->get_Description(&text));
    SysFreeString(text);
    ComPtr<IUpdateIdentity> identity;
    expect(kReadIdentity, update->get_Identity(&identity));
    ComPtr<IStringCollection> kbs;
    expect(kReadKBArticleIDs, update->get_KBArticleIDs(&kbs));
    VARIANT_BOOL flag = VARIANT_FALSE;
    expect(kReadAutoSelect, update->get_AutoSelectOnWebSites(&flag));
    DECIMAL size;
    expect(kReadMaxDownloadSize, update->get_MaxDownloadSize(&size));
    DATE date = 0;
    expect(kReadDeploymentDate, update->get_LastDeploymentChangeTime(&date));
    expect(kReadAcceptEula, update->AcceptEula());
  }
}

TEST_F(Search, AnUnreadableItemFailsOnlyInTheSearchResult) {
  TSimulatedCatalogue& catalogue = agent_.Catalogue();
  catalogue.updates = {UpdateNamed(L"A", L"id-a"), UpdateNamed(L"B", L"id-b"),
                       UpdateNamed(L"C", L"id-c")};
  catalogue.updates[1].failingReads = kReadItem;
  auto session = NewSession();
  auto found = SearchMissing(session.Get());
  ASSERT_EQ(3, CountOf(found.Get()));

  ComPtr<IUpdate> item;
  EXPECT_EQ(S_OK, found->get_Item(0, &item));
  EXPECT_EQ(E_FAIL, found->get_Item(1, &item));
  EXPECT_FALSE(item);
  EXPECT_EQ(S_OK, found->get_Item(2, &item));
  EXPECT_EQ(L"C", ReadTitle(item.Get()));
}

// What the scan did when a worker searched and the UI thread read the result:
// the platform refuses it, and so does the agent.
TEST_F(Search, ASessionMadeOnAScanWorkerServesNoOtherThreadAndDiesWithTheWorkersApartment) {
  ComPtr<IUpdateSession> session;
  ComPtr<IUpdateCollection> found;
  HRESULT whileOpen = E_PENDING;
  RunOnThread(COINIT_APARTMENTTHREADED, [&] {
    ASSERT_EQ(S_OK, UpdateAgentFactory().CreateUpdateSession(&session));
    found = SearchMissing(session.Get());
    EXPECT_EQ(8, CountOf(found.Get()));
    RunOnThread(COINIT_APARTMENTTHREADED, [&] {
      LONG count = 0;
      whileOpen = found->get_Count(&count);
    });
  });
  EXPECT_EQ(RPC_E_WRONG_THREAD, whileOpen) << "the UI thread read the worker's result";
  ASSERT_TRUE(session);
  ASSERT_TRUE(found);

  LONG count = 0;
  EXPECT_EQ(RPC_E_DISCONNECTED, found->get_Count(&count));
  ComPtr<IUpdateSearcher> searcher;
  EXPECT_EQ(RPC_E_DISCONNECTED, session->CreateUpdateSearcher(&searcher));
  EXPECT_FALSE(searcher);

  // A rescan from a later worker cannot reuse the session either.
  HRESULT rescan = E_PENDING;
  RunOnThread(COINIT_APARTMENTTHREADED, [&] { rescan = session->CreateUpdateSearcher(&searcher); });
  EXPECT_EQ(RPC_E_DISCONNECTED, rescan);
}

TEST_F(Search, AgentInformationReportsTheCatalogueVersion) {
  agent_.Catalogue().agentVersion = L"7.6.7600.256";
  ComPtr<IWindowsUpdateAgentInfo> info;
  ASSERT_EQ(S_OK, UpdateAgentFactory().CreateAgentInfo(&info));

  std::wstring version;
  ASSERT_EQ(S_OK, AskAgentVersion(info.Get(), &version));
  EXPECT_EQ(L"7.6.7600.256", version);

  VARIANT name;
  VariantInit(&name);
  VARIANT answer;
  VariantInit(&answer);
  name.vt = VT_BSTR;
  name.bstrVal = SysAllocString(L"productversionstring");
  EXPECT_EQ(E_INVALIDARG, info->GetInfo(name, &answer));
  EXPECT_EQ(VT_EMPTY, answer.vt);
  VariantClear(&name);

  name.vt = VT_I4;
  name.lVal = 1;
  EXPECT_EQ(E_INVALIDARG, info->GetInfo(name, &answer));
}

TEST_F(Search, CollectionsKeepTheOrderOfAddAndSearchResultsStayReadOnly) {
  auto session = NewSession();
  auto found = SearchMissing(session.Get());
  ComPtr<IUpdateCollection> chosen;
  ASSERT_EQ(S_OK, UpdateAgentFactory().CreateUpdateCollection(&chosen));
  VARIANT_BOOL readOnly = VARIANT_TRUE;
  EXPECT_EQ(S_OK, chosen->get_ReadOnly(&readOnly));
  EXPECT_EQ(VARIANT_FALSE, readOnly);
  EXPECT_EQ(0, CountOf(chosen.Get()));

  LONG at = -1;
  EXPECT_EQ(S_OK, chosen->Add(ItemOf(found.Get(), 5).Get(), &at));
  EXPECT_EQ(0, at);
  EXPECT_EQ(S_OK, chosen->Add(ItemOf(found.Get(), 2).Get(), &at));
  EXPECT_EQ(1, at);
  EXPECT_EQ(E_INVALIDARG, chosen->Add(nullptr, &at));
  ASSERT_EQ(2, CountOf(chosen.Get()));
  // The same update object, not a copy: a licence accepted through one is
  // accepted in both.
  EXPECT_EQ(ItemOf(found.Get(), 5).Get(), ItemOf(chosen.Get(), 0).Get());
  EXPECT_EQ(agent_.Catalogue().updates[2].title, ReadTitle(ItemOf(chosen.Get(), 1).Get()));

  ComPtr<IUpdate> none;
  EXPECT_EQ(E_INVALIDARG, chosen->get_Item(2, &none));
  EXPECT_EQ(E_INVALIDARG, chosen->get_Item(-1, &none));
  EXPECT_FALSE(none);

  EXPECT_EQ(S_OK, found->get_ReadOnly(&readOnly));
  EXPECT_EQ(VARIANT_TRUE, readOnly);
  EXPECT_EQ(WU_E_NOT_SUPPORTED, found->Add(ItemOf(found.Get(), 0).Get(), &at));
  EXPECT_EQ(WU_E_NOT_SUPPORTED, found->Clear());
  EXPECT_EQ(8, CountOf(found.Get()));

  EXPECT_EQ(S_OK, chosen->RemoveAt(0));
  EXPECT_EQ(1, CountOf(chosen.Get()));
  EXPECT_EQ(S_OK, chosen->Clear());
  EXPECT_EQ(0, CountOf(chosen.Get()));
}

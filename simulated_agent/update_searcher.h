#pragma once
// Finds the catalogue's updates that are not installed yet. Only the criteria
// the program uses are understood; any other text is refused, as the real
// agent refuses criteria it cannot parse.

#include "agent_seam/agent_interfaces.h"
#include "simulated_agent/agent_state.h"
#include "simulated_agent/dispatch_object.h"

namespace simulated_agent {

class CUpdateSearcher final : public CDispatchObject<IUpdateSearcher> {
 public:
  explicit CUpdateSearcher(AgentState agent) : agent_(std::move(agent)) {}

  STDMETHODIMP Search(BSTR criteria, ISearchResult** retval) override;
  STDMETHODIMP get_ClientApplicationID(BSTR* retval) override;
  STDMETHODIMP put_ClientApplicationID(BSTR value) override;
  STDMETHODIMP get_Online(VARIANT_BOOL* retval) override;
  STDMETHODIMP put_Online(VARIANT_BOOL value) override;
  STDMETHODIMP get_ServerSelection(ServerSelection* retval) override;
  STDMETHODIMP put_ServerSelection(ServerSelection value) override;

  // Nothing in the program asks for these.
  STDMETHODIMP get_CanAutomaticallyUpgradeService(VARIANT_BOOL*) override {
    return NotImplemented();
  }
  STDMETHODIMP put_CanAutomaticallyUpgradeService(VARIANT_BOOL) override {
    return NotImplemented();
  }
  STDMETHODIMP get_IncludePotentiallySupersededUpdates(VARIANT_BOOL*) override {
    return NotImplemented();
  }
  STDMETHODIMP put_IncludePotentiallySupersededUpdates(VARIANT_BOOL) override {
    return NotImplemented();
  }
  STDMETHODIMP BeginSearch(BSTR, IUnknown*, VARIANT, ISearchJob**) override {
    return NotImplemented();
  }
  STDMETHODIMP EndSearch(ISearchJob*, ISearchResult**) override { return NotImplemented(); }
  STDMETHODIMP EscapeString(BSTR, BSTR*) override { return NotImplemented(); }
  STDMETHODIMP QueryHistory(LONG, LONG, IUpdateHistoryEntryCollection**) override {
    return NotImplemented();
  }
  STDMETHODIMP GetTotalHistoryCount(LONG*) override { return NotImplemented(); }
  STDMETHODIMP get_ServiceID(BSTR*) override { return NotImplemented(); }
  STDMETHODIMP put_ServiceID(BSTR) override { return NotImplemented(); }

 private:
  // Search without the apartment check, to be recorded with its answer.
  HRESULT SearchFor(BSTR criteria, ISearchResult** retval);
  HRESULT FindMissingUpdates(ISearchResult** retval);

  AgentState agent_;
  std::mutex mutex_;
  std::wstring clientApplicationId_;
  bool online_ = true;
  ServerSelection serverSelection_ = ssDefault;
};

class CSearchResult final : public CDispatchObject<ISearchResult> {
 public:
  explicit CSearchResult(ComPtr<IUpdateCollection> updates) : updates_(std::move(updates)) {}

  STDMETHODIMP get_ResultCode(OperationResultCode* retval) override;
  STDMETHODIMP get_RootCategories(ICategoryCollection**) override { return NotImplemented(); }
  STDMETHODIMP get_Updates(IUpdateCollection** retval) override;
  STDMETHODIMP get_Warnings(IUpdateExceptionCollection**) override { return NotImplemented(); }

 private:
  ComPtr<IUpdateCollection> updates_;
};

}  // namespace simulated_agent

#include "simulated_agent/update_session.h"

#include "simulated_agent/update_downloader.h"
#include "simulated_agent/update_installer.h"
#include "simulated_agent/update_searcher.h"

namespace simulated_agent {

namespace {

// The operation's failure switch, else a new object handed out.
template <typename Object, typename Interface>
HRESULT CreateUnlessFailing(HRESULT failure, const AgentState& agent, Interface** retval) {
  if (!retval) return E_POINTER;
  *retval = nullptr;
  if (FAILED(failure)) return failure;
  return Guarded([&] { return HandOut(MakeObject<Object>(agent), retval); });
}

}  // namespace

STDMETHODIMP CUpdateSession::get_ClientApplicationID(BSTR* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  std::lock_guard<std::mutex> lock(mutex_);
  return CopyBstr(clientApplicationId_.c_str(), retval);
}

STDMETHODIMP CUpdateSession::put_ClientApplicationID(BSTR value) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return Guarded([&] {
    std::lock_guard<std::mutex> lock(mutex_);
    clientApplicationId_.assign(value ? value : L"", SysStringLen(value));
    return S_OK;
  });
}

STDMETHODIMP CUpdateSession::get_ReadOnly(VARIANT_BOOL* retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CUpdateSession::CreateUpdateSearcher(IUpdateSearcher** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return CreateUnlessFailing<CUpdateSearcher>(agent_->Failures().createSearcher, agent_, retval);
}

STDMETHODIMP CUpdateSession::CreateUpdateDownloader(IUpdateDownloader** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return agent_->Answer(
      L"CreateUpdateDownloader",
      CreateUnlessFailing<CUpdateDownloader>(agent_->Failures().createDownloader, agent_, retval));
}

STDMETHODIMP CUpdateSession::CreateUpdateInstaller(IUpdateInstaller** retval) {
  if (const HRESULT refused = ApartmentRefusal()) return refused;
  return agent_->Answer(
      L"CreateUpdateInstaller",
      CreateUnlessFailing<CUpdateInstaller>(agent_->Failures().createInstaller, agent_, retval));
}

}  // namespace simulated_agent

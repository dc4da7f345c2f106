#pragma once
// The update session: makes the searcher, the downloader and the installer.

#include "agent_seam/agent_interfaces.h"
#include "simulated_agent/agent_state.h"
#include "simulated_agent/dispatch_object.h"

namespace simulated_agent {

class CUpdateSession final : public CDispatchObject<IUpdateSession> {
 public:
  explicit CUpdateSession(AgentState agent) : agent_(std::move(agent)) {}

  STDMETHODIMP get_ClientApplicationID(BSTR* retval) override;
  STDMETHODIMP put_ClientApplicationID(BSTR value) override;
  STDMETHODIMP get_ReadOnly(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_WebProxy(IWebProxy**) override { return NotImplemented(); }
  STDMETHODIMP put_WebProxy(IWebProxy*) override { return NotImplemented(); }
  STDMETHODIMP CreateUpdateSearcher(IUpdateSearcher** retval) override;
  STDMETHODIMP CreateUpdateDownloader(IUpdateDownloader** retval) override;
  STDMETHODIMP CreateUpdateInstaller(IUpdateInstaller** retval) override;

 private:
  AgentState agent_;
  std::mutex mutex_;
  std::wstring clientApplicationId_;
};

}  // namespace simulated_agent

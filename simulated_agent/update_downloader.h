#pragma once
// Downloads the updates it is given, asynchronously.

#include "agent_seam/agent_interfaces.h"
#include "simulated_agent/agent_state.h"
#include "simulated_agent/dispatch_object.h"

namespace simulated_agent {

class CUpdateDownloader final : public CDispatchObject<IUpdateDownloader> {
 public:
  explicit CUpdateDownloader(AgentState agent);

  STDMETHODIMP get_ClientApplicationID(BSTR* retval) override;
  STDMETHODIMP put_ClientApplicationID(BSTR value) override;
  STDMETHODIMP get_IsForced(VARIANT_BOOL* retval) override;
  STDMETHODIMP put_IsForced(VARIANT_BOOL value) override;
  STDMETHODIMP get_Priority(DownloadPriority* retval) override;
  STDMETHODIMP put_Priority(DownloadPriority value) override;
  STDMETHODIMP get_Updates(IUpdateCollection** retval) override;
  STDMETHODIMP put_Updates(IUpdateCollection* value) override;
  STDMETHODIMP BeginDownload(IUnknown* onProgressChanged, IUnknown* onCompleted, VARIANT state,
                             IDownloadJob** retval) override;
  STDMETHODIMP Download(IDownloadResult**) override { return NotImplemented(); }
  STDMETHODIMP EndDownload(IDownloadJob* value, IDownloadResult** retval) override;

 private:
  HRESULT Begin(IUnknown* onProgressChanged, IUnknown* onCompleted, const VARIANT& state,
                IDownloadJob** retval);

  AgentState agent_;
  const LONG serial_;
  std::mutex mutex_;
  std::wstring clientApplicationId_;
  bool isForced_ = false;
  DownloadPriority priority_ = dpNormal;
  ComPtr<IUpdateCollection> updates_;
};

}  // namespace simulated_agent

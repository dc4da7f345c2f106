#pragma once
// Downloads the updates it is given, asynchronously.

#include "simulated_agent/job_starter.h"

namespace simulated_agent {

class CUpdateDownloader final : public CJobStarter<IUpdateDownloader, TDownloadKind> {
 public:
  explicit CUpdateDownloader(AgentState agent);

  STDMETHODIMP get_Priority(DownloadPriority* retval) override;
  STDMETHODIMP put_Priority(DownloadPriority value) override;
  STDMETHODIMP BeginDownload(IUnknown* onProgressChanged, IUnknown* onCompleted, VARIANT state,
                             IDownloadJob** retval) override;
  STDMETHODIMP Download(IDownloadResult**) override { return NotImplemented(); }
  STDMETHODIMP EndDownload(IDownloadJob* value, IDownloadResult** retval) override;

 private:
  DownloadPriority priority_ = dpNormal;
};

}  // namespace simulated_agent

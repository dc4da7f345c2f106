#pragma once

#include <atomic>

#include "updates/agent_callback.h"
#include "updates/progress_handlers.h"

// Forwards the agent's download progress to the window's handler.
class CMyDownProgressCallback final
    : public AgentCallback<CMyDownProgressCallback, IDownloadProgressChangedCallback> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(IDownloadJob* downloadJob,
                                   IDownloadProgressChangedCallbackArgs* callbackArgs) override;

  void SetHandler(DownloadProgressHandler handler) { handler_.store(handler); }

 private:
  std::atomic<DownloadProgressHandler> handler_{nullptr};
};

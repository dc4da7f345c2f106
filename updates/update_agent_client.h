#pragma once
// The program's link to the update agent: the scan (search and the entries
// it yields) and the installation of chosen updates (download, then install,
// reported through the window's handlers).
//
// Threads: RunSearch runs on a scan worker; everything else, and every
// handler call, on the UI thread, which must pump messages while jobs run.

#include <wrl/client.h>

#include <string>
#include <vector>

#include "agent_refresh/refresh_update_agent.h"
#include "agent_seam/agent_interfaces.h"
#include "updates/my_down_progress_callback.h"
#include "updates/my_download_complete_callback.h"
#include "updates/my_install_callback.h"
#include "updates/my_install_complete_callback.h"
#include "updates/progress_handlers.h"
#include "updates/update_entry.h"

class UpdateAgentClient {
 public:
  // catalogueUrl is where the agent refresh fetches the agent catalogue.
  explicit UpdateAgentClient(std::string catalogueUrl = kVendorCatalogueUrl);
  ~UpdateAgentClient();
  UpdateAgentClient(const UpdateAgentClient&) = delete;
  UpdateAgentClient& operator=(const UpdateAgentClient&) = delete;

  // Refreshes the agent, then searches; the result is kept until a later
  // search succeeds.
  HRESULT RunSearch(LONG& count);

  // One entry per kept update, in the agent's order, less the excluded ones.
  HRESULT CollectUpdates(std::vector<UpdateEntry>& entries);

  // Handlers that StartInstallation hands to the progress callbacks.
  void SetHandlers(const InstallHandlers& handlers) { handlers_ = handlers; }

  // Downloads, then installs, the kept updates whose ids are chosen. A
  // failure here means nothing started and no handler will be called.
  HRESULT StartInstallation(const std::vector<std::wstring>& chosenIds);

  // True once the installation's 100 percent report reached the handler.
  bool FinalReportDelivered() const;

 private:
  friend class CMyDownloadCompleteCallBack;
  friend class CMyInstallCompleteCallBack;

  VARIANT JobState() const;
  bool IsOwnJobState(const VARIANT& state) const;
  HRESULT CreateSessionOnce();
  HRESULT AddChosenUpdates(const std::vector<std::wstring>& chosenIds);
  HRESULT PrepareDownloader();
  HRESULT PrepareInstaller();
  void CompleteDownload(IDownloadJob* job);
  void CompleteInstallation(IInstallationJob* job);
  void ReportInstallationFinished(bool succeeded);

  std::string catalogueUrl_;
  InstallHandlers handlers_;
  bool installationFinishReported_ = false;

  Microsoft::WRL::ComPtr<IUpdateSession> session_;
  Microsoft::WRL::ComPtr<IUpdateCollection> results_;
  Microsoft::WRL::ComPtr<IUpdateDownloader> downloader_;
  Microsoft::WRL::ComPtr<IUpdateInstaller> installer_;
  Microsoft::WRL::ComPtr<IUpdateCollection> toInstall_;
  Microsoft::WRL::ComPtr<CMyInstallCallback> installProgressCallback_;
  Microsoft::WRL::ComPtr<CMyInstallCompleteCallBack> installCompletedCallback_;
  Microsoft::WRL::ComPtr<CMyDownProgressCallback> downloadProgressCallback_;
  Microsoft::WRL::ComPtr<CMyDownloadCompleteCallBack> downloadCompletedCallback_;
  Microsoft::WRL::ComPtr<IDownloadJob> downloadJob_;
  Microsoft::WRL::ComPtr<IInstallationJob> installationJob_;
};

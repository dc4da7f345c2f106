#pragma once
// The program's link to the update agent: the scan (search and the entries
// it yields) and the installation of chosen updates (download, then install).
//
// Threads: every call, and the life of the object, belong to one thread: the
// agent thread (CUpdateAgentThread), whose apartment owns every agent object
// the client holds. The agent may call back on any thread; the callbacks only
// leave plain data in the client's inbox, and ProcessCallbackEvents, run by
// the owning thread outside every callback, does the rest and hands reports
// to the report sink.

#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "agent_refresh/refresh_update_agent.h"
#include "agent_seam/agent_interfaces.h"
#include "updates/agent_reports.h"
#include "updates/callback_inbox.h"
#include "updates/my_down_progress_callback.h"
#include "updates/my_download_complete_callback.h"
#include "updates/my_install_callback.h"
#include "updates/my_install_complete_callback.h"
#include "updates/update_entry.h"

using AgentReportSink = std::function<void(TAgentReport report)>;

class UpdateAgentClient {
 public:
  // catalogueUrl is where the agent refresh fetches the agent catalogue.
  explicit UpdateAgentClient(std::string catalogueUrl = kVendorCatalogueUrl);
  // Jobs still held are cleaned up; callbacks arriving later reach nothing.
  ~UpdateAgentClient();
  UpdateAgentClient(const UpdateAgentClient&) = delete;
  UpdateAgentClient& operator=(const UpdateAgentClient&) = delete;

  // Refreshes the agent, then searches; the result is kept until a later
  // search succeeds.
  HRESULT RunSearch(LONG& count);

  // One entry per kept update, in the agent's order, less the excluded ones.
  HRESULT CollectUpdates(std::vector<UpdateEntry>& entries);

  // Where progress and the end of an installation are reported.
  void SetReportSink(AgentReportSink sink) { sink_ = std::move(sink); }

  // Downloads, then installs, the kept updates whose ids are chosen. A
  // failure here means nothing started and nothing will be reported.
  HRESULT StartInstallation(const std::vector<std::wstring>& chosenIds);

  // Set while the callbacks have left something for ProcessCallbackEvents.
  HANDLE CallbackSignal() const { return inbox_->Signal(); }
  // Ends completed jobs (each cleaned up before it is released), begins the
  // installation after the download, and reports progress to the sink.
  void ProcessCallbackEvents();

  // True once the installation's 100 percent report was handed on.
  bool FinalReportDelivered() const { return finalReportDelivered_; }
  // True from StartInstallation until the last job has ended.
  bool JobRunning() const { return downloadJob_ || installationJob_; }
  // Asks the running job to stop; its completion still arrives, and no
  // installation follows an aborted download.
  void RequestAbort();
  // Cleans up and lets go of every job still held, completed or not.
  void CleanUpJobs();

 private:
  HRESULT CreateSessionOnce();
  HRESULT AddChosenUpdates(const std::vector<std::wstring>& chosenIds);
  HRESULT PrepareDownloader();
  HRESULT PrepareInstaller();
  VARIANT JobState() const;

  void OnInstallProgress(TInstallReport report);
  void OnJobCompleted(const TJobCompleted& completed);
  void CompleteDownload();
  void CompleteInstallation();
  void BeginInstallation();
  void ReportInstallationEnded(bool succeeded, HRESULT result = S_OK,
                               std::vector<TUpdateOutcome> outcomes = {});
  void Report(TAgentReport report);

  std::string catalogueUrl_;
  AgentReportSink sink_;
  std::shared_ptr<CCallbackInbox> inbox_;
  bool aborting_ = false;
  bool finalReportDelivered_ = false;
  bool endReported_ = false;
  std::vector<TUpdateOutcome> downloadOutcomes_;

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

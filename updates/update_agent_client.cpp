#include "updates/update_agent_client.h"

#include <wuerror.h>

#include <cstdint>
#include <variant>
#include <utility>

#include "agent_seam/update_agent_factory.h"
#include "platform/com_values.h"
#include "platform/run_log.h"
#include "updates/update_error_reasons.h"
#include "updates/update_reads.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kSearchCriteria[] = L"IsInstalled=0 and Type='SoftWare'";
constexpr LONG kFinalPercent = 100;

// Updates that are never offered, by their whole KB article number.
constexpr const wchar_t* kExcludedArticles[] = {L"978886", L"2483139"};

bool IsExcludedArticle(const UniqueBstr& article) {
  for (const wchar_t* excluded : kExcludedArticles) {
    if (article.Equals(excluded, static_cast<UINT>(wcslen(excluded)))) return true;
  }
  return false;
}

// An unreadable list, count or string excludes nothing.
bool IsExcludedUpdate(IUpdate* update) {
  ComPtr<IStringCollection> articles;
  if (FAILED(update->get_KBArticleIDs(&articles)) || !articles) return false;
  LONG count = 0;
  if (FAILED(articles->get_Count(&count))) return false;
  for (LONG i = 0; i < count; ++i) {
    UniqueBstr article;
    if (FAILED(articles->get_Item(i, article.Out()))) continue;
    if (IsExcludedArticle(article)) return true;
  }
  return false;
}

void ReadReleaseDate(IUpdate* update, UpdateEntry& entry) {
  SYSTEMTIME& released = entry.released;
  DATE date = 0;
  if (FAILED(update->get_LastDeploymentChangeTime(&date))) return;
  if (date == 0) {
    entry.noReleaseDate = true;
    return;
  }
  SYSTEMTIME universal{};
  if (!VariantTimeToSystemTime(date, &universal)) return;
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) return;
  released = local;
}

// Each property is read on its own; an unreadable one keeps its default.
void ReadEntry(IUpdate* update, UpdateEntry& entry) {
  VARIANT_BOOL autoSelect = VARIANT_FALSE;
  if (SUCCEEDED(update->get_AutoSelectOnWebSites(&autoSelect))) {
    entry.checked = autoSelect == VARIANT_TRUE;
  }
  UniqueBstr text;
  if (ReadDescription(update, text)) entry.description = text.Text();
  if (ReadUpdateId(update, text)) entry.updateId = text.Text();
  if (ReadTitle(update, text)) entry.title = text.Text();
  DECIMAL size{};
  if (SUCCEEDED(update->get_MaxDownloadSize(&size))) entry.size = size.Lo64;
  ReadReleaseDate(update, entry);
}

void LogOutcomes(const wchar_t* step, const std::vector<TUpdateOutcome>& outcomes) {
  for (const TUpdateOutcome& outcome : outcomes) {
    LogLine(L"%s \"%s\": %s, %s", step, outcome.title.c_str(), UpdateResultName(outcome.resultCode),
            DescribeHresult(outcome.result).c_str());
  }
}

bool IsChosen(const UniqueBstr& id, const std::vector<std::wstring>& chosenIds) {
  for (const std::wstring& chosen : chosenIds) {
    if (id.Equals(chosen.c_str(), static_cast<UINT>(chosen.size()))) return true;
  }
  return false;
}

}  // namespace

UpdateAgentClient::UpdateAgentClient(std::string catalogueUrl)
    : catalogueUrl_(std::move(catalogueUrl)),
      inbox_(std::make_shared<CCallbackInbox>(
          static_cast<LONGLONG>(reinterpret_cast<intptr_t>(this)))),
      installProgressCallback_(new CMyInstallCallback(inbox_)),
      installCompletedCallback_(new CMyInstallCompleteCallBack(inbox_)),
      downloadProgressCallback_(new CMyDownProgressCallback(inbox_)),
      downloadCompletedCallback_(new CMyDownloadCompleteCallBack(inbox_)) {}

// The agent may keep the callbacks and call them later; without the inbox
// they reach nothing.
UpdateAgentClient::~UpdateAgentClient() {
  sink_ = nullptr;
  CleanUpJobs();
  inbox_.reset();
}

HRESULT UpdateAgentClient::RunSearch(LONG& count) {
  count = 0;
  RefreshUpdateAgent(catalogueUrl_.c_str());

  HRESULT hr = CreateSessionOnce();
  if (FAILED(hr)) return hr;
  ComPtr<IUpdateSearcher> searcher;
  hr = session_->CreateUpdateSearcher(&searcher);
  if (FAILED(hr)) return hr;
  if (!searcher) return E_POINTER;

  UniqueBstr criteria(kSearchCriteria);
  if (criteria.IsNull()) return E_OUTOFMEMORY;
  ComPtr<ISearchResult> result;
  hr = searcher->Search(criteria.Get(), &result);
  if (FAILED(hr)) return hr;
  if (!result) return E_POINTER;

  ComPtr<IUpdateCollection> updates;
  hr = result->get_Updates(&updates);
  if (FAILED(hr)) return hr;
  if (!updates) return E_POINTER;
  results_ = updates;
  if (FAILED(results_->get_Count(&count))) count = 0;
  return S_OK;
}

HRESULT UpdateAgentClient::CreateSessionOnce() {
  if (session_) return S_OK;
  const HRESULT hr = UpdateAgentFactory().CreateUpdateSession(&session_);
  if (FAILED(hr)) {
    session_.Reset();
    return hr;
  }
  return session_ ? S_OK : E_POINTER;
}

HRESULT UpdateAgentClient::CollectUpdates(std::vector<UpdateEntry>& entries) {
  entries.clear();
  if (!results_) return E_POINTER;
  LONG count = 0;
  const HRESULT hr = results_->get_Count(&count);
  if (FAILED(hr)) return hr;

  for (LONG i = 0; i < count; ++i) {
    UpdateEntry entry;
    ComPtr<IUpdate> update;
    if (FAILED(results_->get_Item(i, &update)) || !update) {
      entries.push_back(std::move(entry));
      continue;
    }
    if (IsExcludedUpdate(update.Get())) continue;
    ReadEntry(update.Get(), entry);
    entries.push_back(std::move(entry));
  }
  return S_OK;
}

HRESULT UpdateAgentClient::StartInstallation(const std::vector<std::wstring>& chosenIds) {
  CleanUpJobs();
  aborting_ = false;
  finalReportDelivered_ = false;
  endReported_ = false;
  if (!results_ || !session_) return E_POINTER;

  toInstall_.Reset();
  HRESULT hr = UpdateAgentFactory().CreateUpdateCollection(&toInstall_);
  if (FAILED(hr)) return hr;
  if (!toInstall_) return E_POINTER;
  hr = AddChosenUpdates(chosenIds);
  if (FAILED(hr)) return hr;
  hr = PrepareDownloader();
  if (FAILED(hr)) return hr;
  hr = PrepareInstaller();
  if (FAILED(hr)) return hr;

  ComPtr<IDownloadJob> job;
  hr = downloader_->BeginDownload(downloadProgressCallback_.Get(), downloadCompletedCallback_.Get(),
                                  JobState(), &job);
  if (SUCCEEDED(hr)) downloadJob_ = job;
  return hr;
}

// Keeps the order of the search result, not that of the chosen ids.
HRESULT UpdateAgentClient::AddChosenUpdates(const std::vector<std::wstring>& chosenIds) {
  LONG count = 0;
  const HRESULT hr = results_->get_Count(&count);
  if (FAILED(hr)) return hr;
  LONG added = 0;
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IUpdate> update;
    if (FAILED(results_->get_Item(i, &update)) || !update) continue;
    UniqueBstr id;
    if (!ReadUpdateId(update.Get(), id) || !IsChosen(id, chosenIds)) continue;
    update->AcceptEula();
    LONG index = 0;
    if (SUCCEEDED(toInstall_->Add(update.Get(), &index))) ++added;
  }
  // Beginning a job for nothing would leave the window waiting for reports
  // that never come.
  return added > 0 ? S_OK : WU_E_NO_UPDATE;
}

HRESULT UpdateAgentClient::PrepareDownloader() {
  downloader_.Reset();
  const HRESULT hr = session_->CreateUpdateDownloader(&downloader_);
  if (FAILED(hr)) return hr;
  if (!downloader_) return E_POINTER;
  return downloader_->put_Updates(toInstall_.Get());
}

HRESULT UpdateAgentClient::PrepareInstaller() {
  installer_.Reset();
  const HRESULT hr = session_->CreateUpdateInstaller(&installer_);
  if (FAILED(hr)) return hr;
  if (!installer_) return E_POINTER;
  return installer_->put_Updates(toInstall_.Get());
}

VARIANT UpdateAgentClient::JobState() const {
  VARIANT state;
  VariantInit(&state);
  state.vt = VT_I8;
  state.llVal = inbox_->JobToken();
  return state;
}

void UpdateAgentClient::ProcessCallbackEvents() {
  for (TCallbackEvent& event : inbox_->TakeAll()) {
    if (auto* download = std::get_if<TDownloadReport>(&event)) {
      Report(std::move(*download));
    } else if (auto* install = std::get_if<TInstallReport>(&event)) {
      OnInstallProgress(std::move(*install));
    } else {
      OnJobCompleted(std::get<TJobCompleted>(event));
    }
  }
}

// The final report decides the screen, so its outcomes are logged before
// the window hears of it.
void UpdateAgentClient::OnInstallProgress(TInstallReport report) {
  if (report.overallPercent == kFinalPercent) {
    finalReportDelivered_ = true;
    LogOutcomes(L"install", report.outcomes);
  }
  Report(std::move(report));
}

// A completion whose state does not name this client is never followed.
void UpdateAgentClient::OnJobCompleted(const TJobCompleted& completed) {
  if (!completed.ownJob) {
    ReportInstallationEnded(false);
    return;
  }
  if (completed.kind == AgentJobKind::kDownload) {
    CompleteDownload();
  } else {
    CompleteInstallation();
  }
}

// The installation begins even when some or all downloads failed; its own
// reports then tell the outcome. Not after an abort.
void UpdateAgentClient::CompleteDownload() {
  if (!downloadJob_) return;
  downloadOutcomes_.clear();
  if (downloader_) {
    ComPtr<IDownloadResult> result;
    if (SUCCEEDED(downloader_->EndDownload(downloadJob_.Get(), &result)) && result) {
      downloadOutcomes_ = ReadOutcomes<IUpdateDownloadResult>(result.Get(), toInstall_.Get());
    }
  }
  LogOutcomes(L"download", downloadOutcomes_);
  downloadJob_->CleanUp();
  downloadJob_.Reset();
  if (aborting_) {
    ReportInstallationEnded(false, E_ABORT, downloadOutcomes_);
    return;
  }
  BeginInstallation();
}

void UpdateAgentClient::BeginInstallation() {
  if (!installer_) {
    ReportInstallationEnded(false, E_POINTER, downloadOutcomes_);
    return;
  }
  ComPtr<IInstallationJob> installation;
  const HRESULT hr = installer_->BeginInstall(
      installProgressCallback_.Get(), installCompletedCallback_.Get(), JobState(), &installation);
  if (FAILED(hr)) {
    ReportInstallationEnded(false, hr, downloadOutcomes_);
    return;
  }
  installationJob_ = installation;
}

void UpdateAgentClient::CompleteInstallation() {
  if (!installationJob_) return;
  bool succeeded = false;
  std::vector<TUpdateOutcome> outcomes;
  if (installer_) {
    ComPtr<IInstallationResult> result;
    if (SUCCEEDED(installer_->EndInstall(installationJob_.Get(), &result)) && result) {
      OperationResultCode code = orcNotStarted;
      succeeded = SUCCEEDED(result->get_ResultCode(&code)) && code == orcSucceeded;
      outcomes = ReadOutcomes<IUpdateInstallationResult>(result.Get(), toInstall_.Get());
    }
  }
  if (!finalReportDelivered_) LogOutcomes(L"install", outcomes);
  installationJob_->CleanUp();
  installationJob_.Reset();
  ReportInstallationEnded(succeeded, S_OK, std::move(outcomes));
}

void UpdateAgentClient::RequestAbort() {
  aborting_ = true;
  if (downloadJob_) downloadJob_->RequestAbort();
  if (installationJob_) installationJob_->RequestAbort();
}

void UpdateAgentClient::CleanUpJobs() {
  const bool wasRunning = JobRunning();
  if (downloadJob_) downloadJob_->CleanUp();
  if (installationJob_) installationJob_->CleanUp();
  downloadJob_.Reset();
  installationJob_.Reset();
  if (wasRunning) ReportInstallationEnded(false, E_ABORT);
}

// At most once per installation, and never after the final progress report
// has already decided the outcome.
void UpdateAgentClient::ReportInstallationEnded(bool succeeded, HRESULT result,
                                                std::vector<TUpdateOutcome> outcomes) {
  if (endReported_ || finalReportDelivered_) return;
  endReported_ = true;
  Report(TInstallationEnded{succeeded, result, std::move(outcomes)});
}

void UpdateAgentClient::Report(TAgentReport report) {
  if (sink_) sink_(std::move(report));
}

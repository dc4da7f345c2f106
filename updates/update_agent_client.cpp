#include "updates/update_agent_client.h"

#include <wuerror.h>

#include <cstdint>
#include <utility>

#include "agent_seam/update_agent_factory.h"
#include "platform/com_values.h"
#include "updates/update_reads.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kSearchCriteria[] = L"IsInstalled=0 and Type='SoftWare'";

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

void ReadReleaseDate(IUpdate* update, SYSTEMTIME& released) {
  DATE date = 0;
  if (FAILED(update->get_LastDeploymentChangeTime(&date))) return;
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
  ReadReleaseDate(update, entry.released);
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
      installProgressCallback_(new CMyInstallCallback()),
      installCompletedCallback_(new CMyInstallCompleteCallBack(this)),
      downloadProgressCallback_(new CMyDownProgressCallback()),
      downloadCompletedCallback_(new CMyDownloadCompleteCallBack(this)) {}

UpdateAgentClient::~UpdateAgentClient() {
  // The agent may still hold the callbacks and call them while the jobs are
  // released below; from here on they must not reach this object or the
  // window.
  installProgressCallback_->SetHandler(nullptr);
  downloadProgressCallback_->SetHandler(nullptr);
  installCompletedCallback_->Detach();
  downloadCompletedCallback_->Detach();
  installationJob_.Reset();
  downloadJob_.Reset();
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

  results_.Reset();
  hr = result->get_Updates(&results_);
  if (FAILED(hr)) return hr;
  if (!results_) return E_POINTER;
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
  installProgressCallback_->SetHandler(handlers_.installProgress);
  downloadProgressCallback_->SetHandler(handlers_.downloadProgress);
  installProgressCallback_->ForgetFinalReport();
  installationFinishReported_ = false;
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
  downloadJob_.Reset();
  installer_.Reset();
  const HRESULT hr = session_->CreateUpdateInstaller(&installer_);
  if (FAILED(hr)) return hr;
  if (!installer_) return E_POINTER;
  return installer_->put_Updates(toInstall_.Get());
}

bool UpdateAgentClient::FinalReportDelivered() const {
  return installProgressCallback_->FinalReportDelivered();
}

VARIANT UpdateAgentClient::JobState() const {
  VARIANT state;
  VariantInit(&state);
  state.vt = VT_I8;
  state.llVal = static_cast<LONGLONG>(reinterpret_cast<intptr_t>(this));
  return state;
}

bool UpdateAgentClient::IsOwnJobState(const VARIANT& state) const {
  return state.vt == VT_I8 && state.llVal == JobState().llVal;
}

// The installation begins even when some or all downloads failed; its own
// reports then tell the outcome.
void UpdateAgentClient::CompleteDownload(IDownloadJob* job) {
  if (downloader_) {
    ComPtr<IDownloadResult> result;
    downloader_->EndDownload(job, &result);
  }
  installationJob_.Reset();
  if (!installer_) {
    ReportInstallationFinished(false);
    return;
  }
  ComPtr<IInstallationJob> installation;
  const HRESULT hr = installer_->BeginInstall(
      installProgressCallback_.Get(), installCompletedCallback_.Get(), JobState(), &installation);
  if (FAILED(hr)) {
    ReportInstallationFinished(false);
    return;
  }
  installationJob_ = installation;
}

void UpdateAgentClient::CompleteInstallation(IInstallationJob* job) {
  bool succeeded = false;
  if (installer_) {
    ComPtr<IInstallationResult> result;
    if (SUCCEEDED(installer_->EndInstall(job, &result)) && result) {
      OperationResultCode code = orcNotStarted;
      succeeded = SUCCEEDED(result->get_ResultCode(&code)) && code == orcSucceeded;
    }
  }
  ReportInstallationFinished(succeeded);
}

// At most once per installation, and never after the final progress report
// has already decided the outcome.
void UpdateAgentClient::ReportInstallationFinished(bool succeeded) {
  if (installationFinishReported_ || FinalReportDelivered()) return;
  installationFinishReported_ = true;
  if (handlers_.installationFinished) handlers_.installationFinished(succeeded);
}

#pragma once
// A small scriptable update agent for forcing the failures the simulated
// agent cannot produce. Everything runs synchronously on the calling thread;
// tests invoke the captured callbacks themselves.

#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "agent_seam/update_agent_factory.h"
#include "tests/updates/agent_stubs.h"

using Microsoft::WRL::ComPtr;

// How a property read misbehaves: E_FAIL, or success with nothing in it.
enum class ReadFault { kNone, kFails, kNull };

struct FakeUpdateData {
  std::wstring title;
  std::wstring id;
  std::wstring description;
  std::vector<std::wstring> articles;
  bool autoSelect = false;
  DECIMAL size{};
  DATE deployed = 0;
  // Property name ("Title", "Identity", "UpdateID", "Description", "KBArticleIDs",
  // "KBCount", "KBItem", "AutoSelect", "MaxDownloadSize", "LastDeployment")
  // mapped to the way its read misbehaves.
  std::vector<std::pair<std::string, ReadFault>> faults;
};

class FakeUpdate : public StubUpdate {
 public:
  explicit FakeUpdate(FakeUpdateData data) : data_(std::move(data)) {}
  HRESULT STDMETHODCALLTYPE get_Title(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_Description(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_Identity(IUpdateIdentity** out) override;
  HRESULT STDMETHODCALLTYPE get_KBArticleIDs(IStringCollection** out) override;
  HRESULT STDMETHODCALLTYPE get_AutoSelectOnWebSites(VARIANT_BOOL* out) override;
  HRESULT STDMETHODCALLTYPE get_MaxDownloadSize(DECIMAL* out) override;
  HRESULT STDMETHODCALLTYPE get_LastDeploymentChangeTime(DATE* out) override;
  HRESULT STDMETHODCALLTYPE AcceptEula() override;

  ReadFault FaultOf(const char* property) const;
  const std::wstring& Id() const { return data_.id; }
  int eulaAccepted = 0;

 private:
  FakeUpdateData data_;
};

class FakeCollection : public StubUpdateCollection {
 public:
  HRESULT STDMETHODCALLTYPE get_Item(LONG index, IUpdate** out) override;
  HRESULT STDMETHODCALLTYPE get_Count(LONG* out) override;
  HRESULT STDMETHODCALLTYPE Add(IUpdate* update, LONG* index) override;

  std::vector<ComPtr<IUpdate>> items;
  std::set<LONG> failingItems;
  std::set<LONG> nullItems;
  bool countFails = false;
};

struct FakeResult {
  OperationResultCode code = orcSucceeded;
  HRESULT hr = S_OK;
};

class FakeDownloadJob : public StubDownloadJob {
 public:
  ~FakeDownloadJob() override;
  // Runs the hook while the last reference is being dropped, as an agent
  // that reports from its teardown would.
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE get_AsyncState(VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_Updates(IUpdateCollection** out) override;

  VARIANT state{};
  ComPtr<IUpdateCollection> updates;
  ReadFault stateFault = ReadFault::kNone;
  ReadFault updatesFault = ReadFault::kNone;
  std::function<void(FakeDownloadJob*)> onFinalRelease;
};

class FakeInstallationJob : public StubInstallationJob {
 public:
  ~FakeInstallationJob() override;
  // Runs the hook while the last reference is being dropped, as an agent
  // that reports from its teardown would.
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE get_AsyncState(VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_Updates(IUpdateCollection** out) override;

  VARIANT state{};
  ComPtr<IUpdateCollection> updates;
  ReadFault stateFault = ReadFault::kNone;
  ReadFault updatesFault = ReadFault::kNone;
  std::function<void(FakeInstallationJob*)> onFinalRelease;
};

class FakeDownloader : public StubUpdateDownloader {
 public:
  HRESULT STDMETHODCALLTYPE put_Updates(IUpdateCollection* value) override;
  HRESULT STDMETHODCALLTYPE BeginDownload(IUnknown* onProgress, IUnknown* onCompleted,
                                          VARIANT state, IDownloadJob** job) override;
  HRESULT STDMETHODCALLTYPE EndDownload(IDownloadJob* job, IDownloadResult** out) override;

  HRESULT beginResult = S_OK;
  ComPtr<IUpdateCollection> updates;
  ComPtr<IDownloadProgressChangedCallback> progressCallback;
  ComPtr<IDownloadCompletedCallback> completedCallback;
  VARIANT beganWithState{};
  ComPtr<FakeDownloadJob> job;
  std::vector<IDownloadJob*> endedJobs;
};

class FakeInstaller : public StubUpdateInstaller {
 public:
  HRESULT STDMETHODCALLTYPE put_Updates(IUpdateCollection* value) override;
  HRESULT STDMETHODCALLTYPE BeginInstall(IUnknown* onProgress, IUnknown* onCompleted, VARIANT state,
                                         IInstallationJob** job) override;
  HRESULT STDMETHODCALLTYPE EndInstall(IInstallationJob* job, IInstallationResult** out) override;

  HRESULT beginResult = S_OK;
  HRESULT endResult = S_OK;
  OperationResultCode endCode = orcSucceeded;
  ComPtr<IUpdateCollection> updates;
  ComPtr<IInstallationProgressChangedCallback> progressCallback;
  ComPtr<IInstallationCompletedCallback> completedCallback;
  VARIANT beganWithState{};
  ComPtr<FakeInstallationJob> job;
  int beginCount = 0;
  std::vector<IInstallationJob*> endedJobs;
};

class FakeSession : public StubUpdateSession {
 public:
  HRESULT STDMETHODCALLTYPE CreateUpdateSearcher(IUpdateSearcher** out) override;
  HRESULT STDMETHODCALLTYPE CreateUpdateDownloader(IUpdateDownloader** out) override;
  HRESULT STDMETHODCALLTYPE CreateUpdateInstaller(IUpdateInstaller** out) override;

  // What the next Search answers.
  HRESULT searchResult = S_OK;
  ComPtr<FakeCollection> found;
  std::wstring lastCriteria;
  APTTYPE searchApartment = APTTYPE_CURRENT;
  int searches = 0;

  HRESULT createDownloaderResult = S_OK;
  HRESULT beginDownloadResult = S_OK;
  HRESULT createInstallerResult = S_OK;
  ComPtr<FakeDownloader> downloader;
  ComPtr<FakeInstaller> installer;
};

// Installs itself as the agent factory for its lifetime.
class FakeAgentFactory final : public IUpdateAgentFactory {
 public:
  FakeAgentFactory();
  ~FakeAgentFactory();
  HRESULT CreateUpdateSession(IUpdateSession** session) override;
  HRESULT CreateUpdateCollection(IUpdateCollection** collection) override;
  HRESULT CreateAgentInfo(IWindowsUpdateAgentInfo** info) override;

  ComPtr<FakeSession> session;
  HRESULT createSessionResult = S_OK;
  HRESULT createCollectionResult = S_OK;
  int sessionsCreated = 0;
  ComPtr<FakeCollection> lastCollection;
};

// Progress objects and their arguments, with every value settable.
class FakeDownloadProgress : public StubDownloadProgress {
 public:
  HRESULT STDMETHODCALLTYPE get_CurrentUpdateBytesDownloaded(DECIMAL* out) override;
  HRESULT STDMETHODCALLTYPE get_CurrentUpdateBytesToDownload(DECIMAL* out) override;
  HRESULT STDMETHODCALLTYPE get_CurrentUpdateIndex(LONG* out) override;
  HRESULT STDMETHODCALLTYPE get_PercentComplete(LONG* out) override;
  HRESULT STDMETHODCALLTYPE get_CurrentUpdatePercentComplete(LONG* out) override;
  HRESULT STDMETHODCALLTYPE GetUpdateResult(LONG index, IUpdateDownloadResult** out) override;

  uint64_t bytesDownloaded = 0;
  uint64_t bytesToDownload = 0;
  LONG index = 0;
  LONG percent = 0;
  LONG currentPercent = 0;
  std::vector<FakeResult> results;
  std::string failing;  // name of the one read that fails
};

class FakeInstallationProgress : public StubInstallationProgress {
 public:
  HRESULT STDMETHODCALLTYPE get_CurrentUpdateIndex(LONG* out) override;
  HRESULT STDMETHODCALLTYPE get_CurrentUpdatePercentComplete(LONG* out) override;
  HRESULT STDMETHODCALLTYPE get_PercentComplete(LONG* out) override;
  HRESULT STDMETHODCALLTYPE GetUpdateResult(LONG index, IUpdateInstallationResult** out) override;

  LONG index = 0;
  LONG percent = 0;
  LONG currentPercent = 0;
  std::vector<FakeResult> results;
  std::string failing;
};

class FakeDownloadProgressArgs : public StubDownloadProgressArgs {
 public:
  HRESULT STDMETHODCALLTYPE get_Progress(IDownloadProgress** out) override;
  ComPtr<FakeDownloadProgress> progress;
  ReadFault fault = ReadFault::kNone;
};

class FakeInstallationProgressArgs : public StubInstallationProgressArgs {
 public:
  HRESULT STDMETHODCALLTYPE get_Progress(IInstallationProgress** out) override;
  ComPtr<FakeInstallationProgress> progress;
  ReadFault fault = ReadFault::kNone;
};

// Shorthands for building an agent's content.
ComPtr<FakeUpdate> MakeUpdate(FakeUpdateData data);
ComPtr<FakeCollection> MakeCollection(const std::vector<ComPtr<FakeUpdate>>& updates);
DECIMAL MakeDecimal(uint64_t low, ULONG high = 0);

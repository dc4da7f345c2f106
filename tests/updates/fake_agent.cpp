#include "tests/updates/fake_agent.h"

#include <algorithm>

namespace {

HRESULT FaultResult(ReadFault fault) {
  return fault == ReadFault::kFails ? E_FAIL : S_OK;
}

HRESULT ReadText(ReadFault fault, const std::wstring& text, BSTR* out) {
  *out = nullptr;
  if (fault != ReadFault::kNone) return FaultResult(fault);
  *out = SysAllocString(text.c_str());
  return S_OK;
}

template <class T, class Object>
HRESULT HandOut(ReadFault fault, Object* object, T** out) {
  *out = nullptr;
  if (fault != ReadFault::kNone) return FaultResult(fault);
  if (!object) return S_OK;
  object->AddRef();
  *out = object;
  return S_OK;
}

class FakeIdentity : public StubUpdateIdentity {
 public:
  FakeIdentity(std::wstring id, ReadFault fault) : id_(std::move(id)), fault_(fault) {}
  HRESULT STDMETHODCALLTYPE get_UpdateID(BSTR* out) override { return ReadText(fault_, id_, out); }

 private:
  std::wstring id_;
  ReadFault fault_;
};

class FakeStrings : public StubStringCollection {
 public:
  FakeStrings(std::vector<std::wstring> strings, ReadFault countFault, ReadFault itemFault)
      : strings_(std::move(strings)), countFault_(countFault), itemFault_(itemFault) {}
  HRESULT STDMETHODCALLTYPE get_Count(LONG* out) override {
    *out = countFault_ == ReadFault::kNone ? static_cast<LONG>(strings_.size()) : 0;
    return FaultResult(countFault_);
  }
  HRESULT STDMETHODCALLTYPE get_Item(LONG index, BSTR* out) override {
    if (index < 0 || index >= static_cast<LONG>(strings_.size())) return E_INVALIDARG;
    return ReadText(itemFault_, strings_[index], out);
  }

 private:
  std::vector<std::wstring> strings_;
  ReadFault countFault_;
  ReadFault itemFault_;
};

class FakeSearchResult : public StubSearchResult {
 public:
  explicit FakeSearchResult(ComPtr<FakeCollection> updates) : updates_(std::move(updates)) {}
  HRESULT STDMETHODCALLTYPE get_Updates(IUpdateCollection** out) override {
    return HandOut(ReadFault::kNone, updates_.Get(), out);
  }

 private:
  ComPtr<FakeCollection> updates_;
};

class FakeSearcher : public StubUpdateSearcher {
 public:
  explicit FakeSearcher(FakeSession* session) : session_(session) {}
  HRESULT STDMETHODCALLTYPE Search(BSTR criteria, ISearchResult** out) override {
    *out = nullptr;
    ++session_->searches;
    session_->lastCriteria = criteria ? criteria : L"";
    APTTYPEQUALIFIER qualifier{};
    CoGetApartmentType(&session_->searchApartment, &qualifier);
    if (FAILED(session_->searchResult)) return session_->searchResult;
    ComPtr<ISearchResult> result = new FakeSearchResult(session_->found);
    *out = result.Detach();
    return S_OK;
  }

 private:
  ComPtr<FakeSession> session_;
};

class FakeUpdateResult : public StubUpdateDownloadResult {
 public:
  explicit FakeUpdateResult(FakeResult result) : result_(result) {}
  HRESULT STDMETHODCALLTYPE get_HResult(LONG* out) override {
    *out = result_.hr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ResultCode(OperationResultCode* out) override {
    *out = result_.code;
    return S_OK;
  }

 private:
  FakeResult result_;
};

class FakeUpdateInstallResult : public StubUpdateInstallationResult {
 public:
  explicit FakeUpdateInstallResult(FakeResult result) : result_(result) {}
  HRESULT STDMETHODCALLTYPE get_HResult(LONG* out) override {
    *out = result_.hr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ResultCode(OperationResultCode* out) override {
    *out = result_.code;
    return S_OK;
  }

 private:
  FakeResult result_;
};

class FakeInstallationResult : public StubInstallationResult {
 public:
  explicit FakeInstallationResult(OperationResultCode code) : code_(code) {}
  HRESULT STDMETHODCALLTYPE get_ResultCode(OperationResultCode* out) override {
    *out = code_;
    return S_OK;
  }

 private:
  OperationResultCode code_;
};

HRESULT ReadState(ReadFault fault, const VARIANT& state, VARIANT* out) {
  VariantInit(out);
  if (fault != ReadFault::kNone) return FaultResult(fault);
  return VariantCopy(out, const_cast<VARIANT*>(&state));
}

template <class Result, class Interface>
HRESULT HandOutResult(const std::vector<FakeResult>& results, LONG index, Interface** out) {
  *out = nullptr;
  if (index < 0 || index >= static_cast<LONG>(results.size())) return E_INVALIDARG;
  ComPtr<Interface> result = new Result(results[index]);
  *out = result.Detach();
  return S_OK;
}

}  // namespace

// --- updates and collections ---

ReadFault FakeUpdate::FaultOf(const char* property) const {
  for (const auto& [name, fault] : data_.faults) {
    if (name == property) return fault;
  }
  return ReadFault::kNone;
}

HRESULT FakeUpdate::get_Title(BSTR* out) {
  return ReadText(FaultOf("Title"), data_.title, out);
}

HRESULT FakeUpdate::get_Description(BSTR* out) {
  return ReadText(FaultOf("Description"), data_.description, out);
}

HRESULT FakeUpdate::get_Identity(IUpdateIdentity** out) {
  ComPtr<IUpdateIdentity> identity = new FakeIdentity(data_.id, FaultOf("UpdateID"));
  return HandOut(FaultOf("Identity"), identity.Get(), out);
}

HRESULT FakeUpdate::get_KBArticleIDs(IStringCollection** out) {
  ComPtr<IStringCollection> articles =
      new FakeStrings(data_.articles, FaultOf("KBCount"), FaultOf("KBItem"));
  return HandOut(FaultOf("KBArticleIDs"), articles.Get(), out);
}

HRESULT FakeUpdate::get_AutoSelectOnWebSites(VARIANT_BOOL* out) {
  *out = VARIANT_FALSE;
  if (FaultOf("AutoSelect") != ReadFault::kNone) return E_FAIL;
  *out = data_.autoSelect ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT FakeUpdate::get_MaxDownloadSize(DECIMAL* out) {
  if (FaultOf("MaxDownloadSize") != ReadFault::kNone) return E_FAIL;
  *out = data_.size;
  return S_OK;
}

HRESULT FakeUpdate::get_LastDeploymentChangeTime(DATE* out) {
  if (FaultOf("LastDeployment") != ReadFault::kNone) return E_FAIL;
  *out = data_.deployed;
  return S_OK;
}

HRESULT FakeUpdate::AcceptEula() {
  ++eulaAccepted;
  return S_OK;
}

HRESULT FakeCollection::get_Item(LONG index, IUpdate** out) {
  *out = nullptr;
  if (failingItems.count(index)) return E_FAIL;
  if (nullItems.count(index)) return S_OK;
  if (index < 0 || index >= static_cast<LONG>(items.size())) return E_INVALIDARG;
  return HandOut(ReadFault::kNone, items[index].Get(), out);
}

HRESULT FakeCollection::get_Count(LONG* out) {
  *out = 0;
  if (countFails) return E_FAIL;
  *out = static_cast<LONG>(items.size());
  return S_OK;
}

HRESULT FakeCollection::Add(IUpdate* update, LONG* index) {
  *index = static_cast<LONG>(items.size());
  items.emplace_back(update);
  return S_OK;
}

// --- jobs ---

FakeDownloadJob::~FakeDownloadJob() {
  VariantClear(&state);
}

ULONG FakeDownloadJob::Release() {
  if (RefCount() == 1 && onFinalRelease) {
    auto hook = std::move(onFinalRelease);
    hook(this);
  }
  return StubDownloadJob::Release();
}

HRESULT FakeDownloadJob::get_AsyncState(VARIANT* out) {
  return ReadState(stateFault, state, out);
}

HRESULT FakeDownloadJob::get_Updates(IUpdateCollection** out) {
  return HandOut(updatesFault, updates.Get(), out);
}

FakeInstallationJob::~FakeInstallationJob() {
  VariantClear(&state);
}

ULONG FakeInstallationJob::Release() {
  if (RefCount() == 1 && onFinalRelease) {
    auto hook = std::move(onFinalRelease);
    hook(this);
  }
  return StubInstallationJob::Release();
}

HRESULT FakeInstallationJob::get_AsyncState(VARIANT* out) {
  return ReadState(stateFault, state, out);
}

HRESULT FakeInstallationJob::get_Updates(IUpdateCollection** out) {
  return HandOut(updatesFault, updates.Get(), out);
}

// --- downloader and installer ---

HRESULT FakeDownloader::put_Updates(IUpdateCollection* value) {
  updates = value;
  return S_OK;
}

HRESULT FakeDownloader::BeginDownload(IUnknown* onProgress, IUnknown* onCompleted, VARIANT state,
                                      IDownloadJob** out) {
  *out = nullptr;
  if (FAILED(beginResult)) return beginResult;
  onProgress->QueryInterface(IID_IDownloadProgressChangedCallback,
                             reinterpret_cast<void**>(progressCallback.ReleaseAndGetAddressOf()));
  onCompleted->QueryInterface(IID_IDownloadCompletedCallback,
                              reinterpret_cast<void**>(completedCallback.ReleaseAndGetAddressOf()));
  VariantCopy(&beganWithState, &state);
  job = new FakeDownloadJob();
  VariantCopy(&job->state, &state);
  job->updates = updates;
  return HandOut(ReadFault::kNone, job.Get(), out);
}

HRESULT FakeDownloader::EndDownload(IDownloadJob* ended, IDownloadResult** out) {
  *out = nullptr;
  endedJobs.push_back(ended);
  return S_OK;
}

HRESULT FakeInstaller::put_Updates(IUpdateCollection* value) {
  updates = value;
  return S_OK;
}

HRESULT FakeInstaller::BeginInstall(IUnknown* onProgress, IUnknown* onCompleted, VARIANT state,
                                    IInstallationJob** out) {
  *out = nullptr;
  ++beginCount;
  if (FAILED(beginResult)) return beginResult;
  onProgress->QueryInterface(IID_IInstallationProgressChangedCallback,
                             reinterpret_cast<void**>(progressCallback.ReleaseAndGetAddressOf()));
  onCompleted->QueryInterface(IID_IInstallationCompletedCallback,
                              reinterpret_cast<void**>(completedCallback.ReleaseAndGetAddressOf()));
  VariantCopy(&beganWithState, &state);
  job = new FakeInstallationJob();
  VariantCopy(&job->state, &state);
  job->updates = updates;
  return HandOut(ReadFault::kNone, job.Get(), out);
}

HRESULT FakeInstaller::EndInstall(IInstallationJob* ended, IInstallationResult** out) {
  *out = nullptr;
  endedJobs.push_back(ended);
  if (FAILED(endResult)) return endResult;
  ComPtr<IInstallationResult> result = new FakeInstallationResult(endCode);
  *out = result.Detach();
  return S_OK;
}

// --- session and factory ---

HRESULT FakeSession::CreateUpdateSearcher(IUpdateSearcher** out) {
  ComPtr<IUpdateSearcher> searcher = new FakeSearcher(this);
  return HandOut(ReadFault::kNone, searcher.Get(), out);
}

HRESULT FakeSession::CreateUpdateDownloader(IUpdateDownloader** out) {
  *out = nullptr;
  if (FAILED(createDownloaderResult)) return createDownloaderResult;
  downloader = new FakeDownloader();
  downloader->beginResult = beginDownloadResult;
  return HandOut(ReadFault::kNone, downloader.Get(), out);
}

HRESULT FakeSession::CreateUpdateInstaller(IUpdateInstaller** out) {
  *out = nullptr;
  if (FAILED(createInstallerResult)) return createInstallerResult;
  installer = new FakeInstaller();
  return HandOut(ReadFault::kNone, installer.Get(), out);
}

FakeAgentFactory::FakeAgentFactory() : session(new FakeSession()) {
  SetUpdateAgentFactory(this);
}

FakeAgentFactory::~FakeAgentFactory() {
  SetUpdateAgentFactory(nullptr);
}

HRESULT FakeAgentFactory::CreateUpdateSession(IUpdateSession** out) {
  *out = nullptr;
  if (FAILED(createSessionResult)) return createSessionResult;
  ++sessionsCreated;
  return HandOut(ReadFault::kNone, session.Get(), out);
}

HRESULT FakeAgentFactory::CreateUpdateCollection(IUpdateCollection** out) {
  *out = nullptr;
  if (FAILED(createCollectionResult)) return createCollectionResult;
  lastCollection = new FakeCollection();
  return HandOut(ReadFault::kNone, lastCollection.Get(), out);
}

HRESULT FakeAgentFactory::CreateAgentInfo(IWindowsUpdateAgentInfo** out) {
  *out = nullptr;
  return REGDB_E_CLASSNOTREG;
}

// --- progress ---

#define FAKE_READ(name, out, value)   \
  if (failing == name) return E_FAIL; \
  *(out) = (value);                   \
  return S_OK

HRESULT FakeDownloadProgress::get_CurrentUpdateBytesDownloaded(DECIMAL* out) {
  FAKE_READ("BytesDownloaded", out, MakeDecimal(bytesDownloaded, 7));
}
HRESULT FakeDownloadProgress::get_CurrentUpdateBytesToDownload(DECIMAL* out) {
  FAKE_READ("BytesToDownload", out, MakeDecimal(bytesToDownload, 7));
}
HRESULT FakeDownloadProgress::get_CurrentUpdateIndex(LONG* out) {
  FAKE_READ("CurrentUpdateIndex", out, index);
}
HRESULT FakeDownloadProgress::get_PercentComplete(LONG* out) {
  FAKE_READ("PercentComplete", out, percent);
}
HRESULT FakeDownloadProgress::get_CurrentUpdatePercentComplete(LONG* out) {
  FAKE_READ("CurrentUpdatePercentComplete", out, currentPercent);
}
HRESULT FakeDownloadProgress::GetUpdateResult(LONG at, IUpdateDownloadResult** out) {
  if (failing == "GetUpdateResult") return E_FAIL;
  return HandOutResult<FakeUpdateResult>(results, at, out);
}

HRESULT FakeInstallationProgress::get_CurrentUpdateIndex(LONG* out) {
  FAKE_READ("CurrentUpdateIndex", out, index);
}
HRESULT FakeInstallationProgress::get_CurrentUpdatePercentComplete(LONG* out) {
  FAKE_READ("CurrentUpdatePercentComplete", out, currentPercent);
}
HRESULT FakeInstallationProgress::get_PercentComplete(LONG* out) {
  FAKE_READ("PercentComplete", out, percent);
}
HRESULT FakeInstallationProgress::GetUpdateResult(LONG at, IUpdateInstallationResult** out) {
  if (failing == "GetUpdateResult") return E_FAIL;
  return HandOutResult<FakeUpdateInstallResult>(results, at, out);
}

#undef FAKE_READ

HRESULT FakeDownloadProgressArgs::get_Progress(IDownloadProgress** out) {
  return HandOut(fault, progress.Get(), out);
}

HRESULT FakeInstallationProgressArgs::get_Progress(IInstallationProgress** out) {
  return HandOut(fault, progress.Get(), out);
}

// --- shorthands ---

ComPtr<FakeUpdate> MakeUpdate(FakeUpdateData data) {
  return new FakeUpdate(std::move(data));
}

ComPtr<FakeCollection> MakeCollection(const std::vector<ComPtr<FakeUpdate>>& updates) {
  ComPtr<FakeCollection> collection = new FakeCollection();
  for (const auto& update : updates) collection->items.emplace_back(update.Get());
  return collection;
}

DECIMAL MakeDecimal(uint64_t low, ULONG high) {
  DECIMAL value{};
  value.Lo64 = low;
  value.Hi32 = high;
  return value;
}

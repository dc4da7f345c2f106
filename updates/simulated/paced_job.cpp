#include "updates/simulated/paced_job.h"

#include <algorithm>

namespace simulated_agent {

namespace {

bool EndedWell(const TUpdateResult& result) {
  return result.resultCode == orcSucceeded || result.resultCode == orcSucceededWithErrors;
}

TUpdateResult FromOutcome(const TSimulatedOutcome& outcome, bool rebootRequired) {
  TUpdateResult result;
  result.resultCode = outcome.resultCode;
  result.hresult = outcome.hresult;
  result.rebootRequired = rebootRequired;
  return result;
}

}  // namespace

HRESULT ReadOwnUpdates(IUpdateCollection* collection, OwnUpdateList& updates) {
  updates.clear();
  if (!collection) return WU_E_NO_UPDATE;
  UpdateList list;
  const HRESULT hr = ReadUpdateList(collection, list);
  if (FAILED(hr)) return hr;
  if (list.empty()) return WU_E_NO_UPDATE;
  for (const auto& update : list) {
    auto own = OwnObject<CSimulatedUpdate>(update.Get(), kSimulatedUpdateId);
    if (!own) return E_INVALIDARG;
    updates.push_back(own);
  }
  return S_OK;
}

TUpdateResult TDownloadKind::Outcome(const CSimulatedUpdate& update) {
  return FromOutcome(update.Record().download, false);
}

void TDownloadKind::Finished(CAgentState& agent, const CSimulatedUpdate& update,
                             const TUpdateResult& result) {
  if (EndedWell(result)) agent.MarkDownloaded(update.Record().updateId);
}

TUpdateResult TInstallationKind::Outcome(const CSimulatedUpdate& update) {
  const TSimulatedUpdate& record = update.Record();
  if (record.eulaRequired && !update.IsEulaAccepted()) {
    return FromOutcome({orcFailed, WU_E_EULAS_DECLINED}, false);
  }
  return FromOutcome(record.install, record.rebootRequired);
}

void TInstallationKind::Finished(CAgentState& agent, const CSimulatedUpdate& update,
                                 const TUpdateResult& result) {
  if (EndedWell(result)) agent.MarkInstalled(update.Record().updateId);
}

CStepPlan::CStepPlan(size_t updates, UINT stepsPerUpdate)
    : steps_(std::max<UINT>(stepsPerUpdate, 1)), total_(updates * steps_) {}

bool CStepPlan::Advance() {
  if (AllTaken()) return false;
  ++taken_;
  return true;
}

LONG CStepPlan::CurrentIndex() const {
  return taken_ == 0 ? 0 : static_cast<LONG>((taken_ - 1) / steps_);
}

LONG CStepPlan::CurrentPercent() const {
  if (taken_ == 0) return 0;
  return static_cast<LONG>(((taken_ - 1) % steps_ + 1) * 100 / steps_);
}

LONG CStepPlan::Percent() const {
  return total_ == 0 ? 0 : static_cast<LONG>(taken_ * 100 / total_);
}

template <typename Kind>
CPacedJob<Kind>::CPacedJob(AgentState agent, LONG ownerSerial, OwnUpdateList updates,
                           ComPtr<ProgressCallback> onProgress,
                           ComPtr<CompletedCallback> onCompleted, const VARIANT& state)
    : agent_(std::move(agent)),
      ownerSerial_(ownerSerial),
      ownerThread_(GetCurrentThreadId()),
      updates_(std::move(updates)),
      plan_(updates_.size(), agent_->Catalogue().stepsPerUpdate),
      results_(updates_.size()),
      onProgress_(std::move(onProgress)),
      onCompleted_(std::move(onCompleted)) {
  // The platform header declares the source non-const; VariantCopy only reads it.
  stateCopied_ = VariantCopy(state_.Out(), const_cast<VARIANT*>(&state));
  UpdateList list;
  for (const auto& update : updates_) {
    list.emplace_back(update.Get());
    sizes_.push_back(update->Record().sizeBytes);
  }
  updateCollection_ = MakeObject<CUpdateCollection>(CUpdateCollection::Kind::kReadOnly, list);
}

template <typename Kind>
HRESULT CPacedJob<Kind>::Start(UINT paceMs) {
  if (FAILED(stateCopied_)) return stateCopied_;
  if (!updateCollection_) return E_OUTOFMEMORY;
  return CJobPump::Schedule(static_cast<typename Kind::Job*>(this), this, paceMs);
}

template <typename Kind>
HRESULT CPacedJob<Kind>::Results(std::vector<TUpdateResult>& results, bool& aborted) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!completed_) return WU_E_INVALID_OPERATION;
  results = results_;
  aborted = aborted_;
  return S_OK;
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::get_AsyncState(VARIANT* retval) {
  if (!retval) return E_POINTER;
  VariantInit(retval);
  return VariantCopy(retval, const_cast<VARIANT*>(&state_.Get()));
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::get_IsCompleted(VARIANT_BOOL* retval) {
  if (!retval) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = completed_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::get_Updates(IUpdateCollection** retval) {
  return HandOut(updateCollection_, retval);
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::CleanUp() {
  Stop();
  DropCallbacksOnOwnThread();
  return S_OK;
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::RequestAbort() {
  Stop();
  DropCallbacksOnOwnThread();
  return S_OK;
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::GetProgress(typename Kind::Progress** retval) {
  if (!retval) return E_POINTER;
  *retval = nullptr;
  return Guarded(
      [&] { return HandOut(MakeObject<typename Kind::ProgressObject>(Snapshot()), retval); });
}

template <typename Kind>
TJobSnapshot CPacedJob<Kind>::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  TJobSnapshot snapshot;
  snapshot.currentIndex = plan_.CurrentIndex();
  snapshot.currentPercent = plan_.CurrentPercent();
  snapshot.percent = plan_.Percent();
  snapshot.results = results_;
  snapshot.sizes = sizes_;
  return snapshot;
}

template <typename Kind>
bool CPacedJob<Kind>::Step() {
  try {
    // A callback running a nested message loop must not see the next report
    // before it has returned.
    if (insideCallback_) return true;
    if (stopped_) {
      DropCallbacksOnOwnThread();
      return false;
    }
    if (plan_.AllTaken()) {
      ReportCompletion();
      return false;
    }
    if (!AdvanceOneStep()) {
      DropCallbacksOnOwnThread();
      return false;
    }
    ReportProgress();
    return true;
  } catch (...) {
    insideCallback_ = false;
    Stop();
    DropCallbacksOnOwnThread();
    return false;
  }
}

template <typename Kind>
bool CPacedJob<Kind>::AdvanceOneStep() {
  size_t finished = updates_.size();
  TUpdateResult result;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Stopped from another thread since this step began.
    if (completed_) return false;
    plan_.Advance();
    const size_t index = static_cast<size_t>(plan_.CurrentIndex());
    if (plan_.FinishesUpdate()) {
      results_[index] = Kind::Outcome(*updates_[index].Get());
      result = results_[index];
      finished = index;
    } else {
      results_[index].resultCode = orcInProgress;
    }
  }
  if (finished < updates_.size()) Kind::Finished(*agent_, *updates_[finished].Get(), result);
  return true;
}

template <typename Kind>
void CPacedJob<Kind>::ReportProgress() {
  ComPtr<ProgressCallback> callback = onProgress_;
  if (!callback) return;
  auto progress = MakeObject<typename Kind::ProgressObject>(Snapshot());
  if (!progress) return;
  auto args = MakeObject<typename Kind::ProgressArgs>(progress);
  if (!args) return;
  insideCallback_ = true;
  callback->Invoke(this, args.Get());
  insideCallback_ = false;
}

template <typename Kind>
void CPacedJob<Kind>::ReportCompletion() {
  bool abortedMeanwhile = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    abortedMeanwhile = completed_;
    completed_ = true;
  }
  stopped_ = true;
  ComPtr<CompletedCallback> callback;
  callback.Swap(onCompleted_);
  onProgress_.Reset();
  if (!callback || abortedMeanwhile) return;
  auto args = MakeObject<typename Kind::CompletedArgs>();
  if (!args) return;
  insideCallback_ = true;
  callback->Invoke(this, args.Get());
  insideCallback_ = false;
}

template <typename Kind>
void CPacedJob<Kind>::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!completed_) {
      for (auto& result : results_) {
        if (result.resultCode == orcNotStarted || result.resultCode == orcInProgress) {
          result = TUpdateResult{orcAborted, E_ABORT, false};
        }
      }
      completed_ = true;
      aborted_ = true;
    }
  }
  stopped_ = true;
}

// The callbacks belong to the beginning thread's apartment; another thread only
// marks the job stopped and the next step lets them go.
template <typename Kind>
void CPacedJob<Kind>::DropCallbacksOnOwnThread() {
  if (GetCurrentThreadId() != ownerThread_) return;
  onProgress_.Reset();
  onCompleted_.Reset();
}

template class CPacedJob<TDownloadKind>;
template class CPacedJob<TInstallationKind>;

namespace {

LONG g_lastOwnerSerial = 0;

template <typename Callback>
HRESULT QueryCallback(IUnknown* candidate, ComPtr<Callback>& callback) {
  callback.Reset();
  if (!candidate) return S_OK;
  return candidate->QueryInterface(__uuidof(Callback),
                                   reinterpret_cast<void**>(callback.ReleaseAndGetAddressOf()));
}

}  // namespace

LONG NextOwnerSerial() {
  return InterlockedIncrement(&g_lastOwnerSerial);
}

template <typename Kind>
HRESULT BeginJob(const AgentState& agent, LONG ownerSerial, IUpdateCollection* updates,
                 IUnknown* onProgressChanged, IUnknown* onCompleted, const VARIANT& state,
                 typename Kind::Job** retval) {
  if (!retval) return E_POINTER;
  *retval = nullptr;
  return Guarded([&]() -> HRESULT {
    OwnUpdateList own;
    HRESULT hr = ReadOwnUpdates(updates, own);
    if (FAILED(hr)) return hr;
    ComPtr<typename Kind::ProgressCallback> progress;
    ComPtr<typename Kind::CompletedCallback> completed;
    hr = QueryCallback(onProgressChanged, progress);
    if (FAILED(hr)) return hr;
    hr = QueryCallback(onCompleted, completed);
    if (FAILED(hr)) return hr;
    auto job =
        MakeObject<CPacedJob<Kind>>(agent, ownerSerial, std::move(own), progress, completed, state);
    if (!job) return E_OUTOFMEMORY;
    hr = job->Start(agent->Catalogue().paceMs);
    if (FAILED(hr)) return hr;
    return HandOut(job, retval);
  });
}

template <typename Kind>
HRESULT EndJob(LONG ownerSerial, typename Kind::Job* job, std::vector<TUpdateResult>& results,
               bool& aborted) {
  auto own = OwnObject<CPacedJob<Kind>>(job, Kind::PrivateId());
  if (!own || !own->BelongsTo(ownerSerial)) return E_INVALIDARG;
  return own->Results(results, aborted);
}

template HRESULT BeginJob<TDownloadKind>(const AgentState&, LONG, IUpdateCollection*, IUnknown*,
                                         IUnknown*, const VARIANT&, IDownloadJob**);
template HRESULT BeginJob<TInstallationKind>(const AgentState&, LONG, IUpdateCollection*, IUnknown*,
                                             IUnknown*, const VARIANT&, IInstallationJob**);
template HRESULT EndJob<TDownloadKind>(LONG, IDownloadJob*, std::vector<TUpdateResult>&, bool&);
template HRESULT EndJob<TInstallationKind>(LONG, IInstallationJob*, std::vector<TUpdateResult>&,
                                           bool&);

}  // namespace simulated_agent

#include "simulated_agent/paced_job.h"

#include <algorithm>

#include "simulated_agent/job_thread.h"

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

const wchar_t kInsideOwnCallback[] = L"inside its own callback";

// The caller of CleanUp waits for the agent's thread as a cross-apartment
// call would: sent messages still reach it, so a callback that sends to it
// cannot deadlock.
void WaitPumpingSentMessages(HANDLE event) {
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + 1) return;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// A job's state as its read gives it: as begun, unless the test made the
// read misbehave.
HRESULT CopyJobState(const TSimulatedReadFaults& faults, const VARIANT& state, VARIANT* out) {
  if (!out) return E_POINTER;
  VariantInit(out);
  if (faults.jobState == SimulatedFault::kFails) return E_FAIL;
  if (faults.jobState == SimulatedFault::kEmpty) return S_OK;
  // The platform header declares the source non-const; VariantCopy only reads it.
  const HRESULT hr = VariantCopy(out, const_cast<VARIANT*>(&state));
  if (SUCCEEDED(hr) && out->vt == VT_I8) out->llVal += faults.jobStateShift;
  return hr;
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
    ComPtr<CSimulatedUpdate> own;
    const HRESULT found = FindOwnObject(update.Get(), kSimulatedUpdateId, own);
    if (FAILED(found)) return found;
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
                           const void* givenUpdates, ComPtr<ProgressCallback> onProgress,
                           ComPtr<CompletedCallback> onCompleted, const VARIANT& state)
    : agent_(std::move(agent)),
      ownerSerial_(ownerSerial),
      callbackThread_(agent_->Catalogue().callbackThread),
      abortNeverCompletes_(agent_->Catalogue().abortNeverCompletes),
      stepped_(agent_->Catalogue().stepByStep),
      ignoresCleanUp_(stepped_ && agent_->Catalogue().ignoresCleanUp),
      reportsWhenReleased_(stepped_ && agent_->Catalogue().reportsWhenReleased),
      paceMs_(agent_->Catalogue().paceMs),
      updates_(std::move(updates)),
      givenUpdates_(givenUpdates),
      plan_(updates_.size(), agent_->Catalogue().stepsPerUpdate),
      results_(updates_.size()),
      onProgress_(std::move(onProgress)),
      onCompleted_(std::move(onCompleted)) {
  // The platform header declares the source non-const; VariantCopy only reads it.
  stateCopied_ = VariantCopy(state_.Out(), const_cast<VARIANT*>(&state));
  UpdateList list;
  reachable_.push_back(this);
  for (const auto& update : updates_) {
    list.emplace_back(update.Get());
    sizes_.push_back(update->Record().sizeBytes);
    reachable_.push_back(update.Get());
  }
  updateCollection_ = MakeObject<CUpdateCollection>(CUpdateCollection::Kind::kReadOnly, list);
  reachable_.push_back(updateCollection_.Get());
}

template <typename Kind>
CPacedJob<Kind>::~CPacedJob() {
  if (stepped_) agent_->RemoveSteppedJob(this);
}

template <typename Kind>
HRESULT CPacedJob<Kind>::Start() {
  if (FAILED(stateCopied_)) return stateCopied_;
  if (!updateCollection_) return E_OUTOFMEMORY;
  IUnknown* identity = static_cast<typename Kind::Job*>(this);
  if (stepped_) {
    deliveryThread_ = GetCurrentThreadId();
    agent_->AddSteppedJob(this);
    return S_OK;
  }
  if (callbackThread_ == SimulatedCallbackThread::kStarting) {
    deliveryThread_ = GetCurrentThreadId();
    return CJobPump::Schedule(identity, this, paceMs_);
  }
  wake_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  released_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!wake_ || !released_) return HRESULT_FROM_WIN32(GetLastError());
  return CJobThread::Launch(identity, this, paceMs_, wake_.get(), deliveryThread_);
}

template <typename Kind>
HRESULT CPacedJob<Kind>::Results(TJobResults& results) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!completed_) return WU_E_INVALID_OPERATION;
  results.updates = results_;
  results.summary = summary_ ? *summary_ : SummariseJob(results_, aborted_);
  return S_OK;
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::get_AsyncState(VARIANT* retval) {
  if (const HRESULT refused = this->ApartmentRefusal()) return refused;
  return CopyJobState(agent_->ReadFaults(), state_.Get(), retval);
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::get_IsCompleted(VARIANT_BOOL* retval) {
  if (const HRESULT refused = this->ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *retval = completed_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::get_Updates(IUpdateCollection** retval) {
  if (const HRESULT refused = this->ApartmentRefusal()) return refused;
  const SimulatedFault fault = agent_->ReadFaults().jobUpdates;
  if (fault == SimulatedFault::kFails) return E_FAIL;
  if (fault == SimulatedFault::kEmpty) return HandOutNothing(retval);
  return HandOut(updateCollection_, retval);
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::CleanUp() {
  if (const HRESULT refused = this->ApartmentRefusal()) return Refuse(L"CleanUp", refused);
  const DWORD caller = GetCurrentThreadId();
  if (insideCallbackOn_ == caller) {
    Record(L"CleanUp", kInsideOwnCallback);
    return WU_E_INVALID_OPERATION;
  }
  Record(L"CleanUp", nullptr);
  if (ignoresCleanUp_) return S_OK;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    AbortUnfinishedLocked();
    stopped_ = true;
  }
  if (deliveryThread_ == caller) {
    ReleaseCallbacks();
    return S_OK;
  }
  if (callbackThread_ == SimulatedCallbackThread::kAgent) {
    SetEvent(wake_.get());
    WaitPumpingSentMessages(released_.get());
  }
  return S_OK;
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::RequestAbort() {
  if (const HRESULT refused = this->ApartmentRefusal()) return Refuse(L"RequestAbort", refused);
  Record(L"RequestAbort", nullptr);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!completed_ && !stopped_) abortRequested_ = true;
  return S_OK;
}

template <typename Kind>
STDMETHODIMP CPacedJob<Kind>::GetProgress(typename Kind::Progress** retval) {
  if (const HRESULT refused = this->ApartmentRefusal()) return refused;
  if (!retval) return E_POINTER;
  *retval = nullptr;
  return Guarded([&] {
    TJobSnapshot snapshot;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      snapshot = SnapshotLocked();
    }
    return HandOut(MakeObject<typename Kind::ProgressObject>(std::move(snapshot)), retval);
  });
}

template <typename Kind>
TJobSnapshot CPacedJob<Kind>::SnapshotLocked() const {
  TJobSnapshot snapshot;
  snapshot.currentIndex = plan_.CurrentIndex();
  snapshot.currentPercent = plan_.CurrentPercent();
  snapshot.percent = plan_.Percent();
  snapshot.results = results_;
  snapshot.sizes = sizes_;
  snapshot.sizeHighBits = agent_->ReadFaults().sizeHighBits;
  return snapshot;
}

template <typename Kind>
bool CPacedJob<Kind>::IsStopped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopped_;
}

template <typename Kind>
bool CPacedJob<Kind>::Step() {
  try {
    // A callback running a nested message loop must not see the next report
    // before it has returned.
    if (insideCallbackOn_ == GetCurrentThreadId()) return true;
    TJobSnapshot snapshot;
    const Next next = NextStep(snapshot);
    if (next == Next::kWait) return true;
    if (next == Next::kProgress) ReportProgress(std::move(snapshot));
    if (next == Next::kCompletion) ReportCompletion();
    // CleanUp may have come while the callback ran.
    if (next == Next::kProgress && !IsStopped()) return true;
    ReleaseCallbacks();
    return false;
  } catch (...) {
    insideCallbackOn_ = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      AbortUnfinishedLocked();
      stopped_ = true;
    }
    ReleaseCallbacks();
    return false;
  }
}

template <typename Kind>
typename CPacedJob<Kind>::Next CPacedJob<Kind>::NextStep(TJobSnapshot& snapshot) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopped_) return Next::kFinished;
  if (abortRequested_) {
    if (abortNeverCompletes_) return Next::kWait;
    AbortUnfinishedLocked();
    stopped_ = true;
    return Next::kCompletion;
  }
  if (plan_.AllTaken()) {
    completed_ = true;
    stopped_ = true;
    return Next::kCompletion;
  }
  AdvanceLocked();
  snapshot = SnapshotLocked();
  return Next::kProgress;
}

template <typename Kind>
void CPacedJob<Kind>::AdvanceLocked() {
  plan_.Advance();
  const size_t index = static_cast<size_t>(plan_.CurrentIndex());
  if (!plan_.FinishesUpdate()) {
    results_[index].resultCode = orcInProgress;
    return;
  }
  results_[index] = Kind::Outcome(*updates_[index].Get());
  Kind::Finished(*agent_, *updates_[index].Get(), results_[index]);
}

template <typename Kind>
void CPacedJob<Kind>::AbortUnfinishedLocked() {
  if (completed_) return;
  for (auto& result : results_) {
    if (result.resultCode == orcNotStarted || result.resultCode == orcInProgress) {
      result = TUpdateResult{orcAborted, WU_E_CALL_CANCELLED, false};
    }
  }
  completed_ = true;
  aborted_ = true;
}

template <typename Kind>
void CPacedJob<Kind>::ReportProgress(TJobSnapshot snapshot) {
  if (!onProgress_) return;
  auto progress = MakeObject<typename Kind::ProgressObject>(std::move(snapshot));
  if (!progress) return;
  auto args = MakeObject<typename Kind::ProgressArgs>(progress);
  if (!args) return;
  Deliver(onProgress_.Get(), args.Get());
}

template <typename Kind>
void CPacedJob<Kind>::ReportCompletion() {
  if (!onCompleted_) return;
  auto args = MakeObject<typename Kind::CompletedArgs>();
  if (!args) return;
  Deliver(onCompleted_.Get(), args.Get());
}

template <typename Kind>
template <typename Callback, typename Args>
HRESULT CPacedJob<Kind>::Deliver(Callback* callback, Args* args, bool withoutJob) {
  CCallbackGrant grant(reachable_);
  insideCallbackOn_ = GetCurrentThreadId();
  const HRESULT answer = callback->Invoke(withoutJob ? nullptr : this, args);
  insideCallbackOn_ = 0;
  return answer;
}

// Only on the delivering thread, which is where the callbacks are let go.
template <typename Kind>
void CPacedJob<Kind>::ReleaseCallbacks() {
  onProgress_.Reset();
  onCompleted_.Reset();
  if (released_) SetEvent(released_.get());
}

template <typename Kind>
void CPacedJob<Kind>::Record(const wchar_t* call, const wchar_t* refusal) const {
  try {
    std::wstring line = std::wstring(call) + L" " + Kind::Name();
    if (refusal) line += std::wstring(L" refused (") + refusal + L")";
    agent_->Journal().Record(line);
  } catch (...) {
  }
}

template <typename Kind>
HRESULT CPacedJob<Kind>::Refuse(const wchar_t* call, HRESULT refusal) const {
  wchar_t code[16];
  wsprintfW(code, L"0x%08X", static_cast<unsigned>(refusal));
  Record(call, code);
  return refusal;
}

template <typename Kind>
TJobSnapshot CPacedJob<Kind>::SnapshotOf(const TSimulatedReport& report) const {
  TJobSnapshot snapshot;
  snapshot.currentIndex = report.index;
  snapshot.currentPercent = report.currentPercent;
  snapshot.percent = report.percent;
  for (const TSimulatedOutcome& outcome : report.results) {
    snapshot.results.push_back(TUpdateResult{outcome.resultCode, outcome.hresult, false});
  }
  snapshot.sizes = sizes_;
  snapshot.bytesGiven = true;
  snapshot.bytesDone = report.bytesDone;
  snapshot.bytesToDo = report.bytesToDo;
  snapshot.failingReads = report.failingReads;
  snapshot.sizeHighBits = agent_->ReadFaults().sizeHighBits;
  return snapshot;
}

template <typename Kind>
HRESULT CPacedJob<Kind>::ReportStep(const TSimulatedReport& report) {
  if (IsStopped() || !onProgress_) return WU_E_INVALID_OPERATION;
  return Guarded([&]() -> HRESULT {
    TJobSnapshot snapshot = SnapshotOf(report);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      results_ = snapshot.results;
    }
    auto progress = MakeObject<typename Kind::ProgressObject>(std::move(snapshot));
    if (!progress) return E_OUTOFMEMORY;
    auto args = MakeObject<typename Kind::ProgressArgs>(progress, report.progress);
    if (!args) return E_OUTOFMEMORY;
    return Deliver(onProgress_.Get(), report.withoutArgs ? nullptr : args.Get(), report.withoutJob);
  });
}

template <typename Kind>
HRESULT CPacedJob<Kind>::CompleteStep(const TSimulatedCompletion& completion) {
  if (IsStopped() || !onCompleted_) return WU_E_INVALID_OPERATION;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    completed_ = true;
    if (completion.result) {
      summary_ = TUpdateResult{completion.result->resultCode, completion.result->hresult, false};
    }
  }
  auto args = MakeObject<typename Kind::CompletedArgs>();
  if (!args) return E_OUTOFMEMORY;
  return Deliver(onCompleted_.Get(), args.Get(), completion.withoutJob);
}

template <typename Kind>
void CPacedJob<Kind>::View(TSimulatedJobView& view) {
  view.kind = Kind::Name();
  view.updateIds.clear();
  for (const auto& update : updates_) view.updateIds.push_back(update->Record().updateId);
  view.givenUpdates = givenUpdates_;
  view.state = state_.Get().vt == VT_I8 ? state_.Get().llVal : 0;
  view.job = Identity();
  view.onProgress = onProgress_;
  view.onCompleted = onCompleted_;
}

// The callbacks may take and let go of the job again: the report runs once.
template <typename Kind>
STDMETHODIMP_(ULONG)
CPacedJob<Kind>::Release() {
  if (reportsWhenReleased_ && !reportingFromTeardown_ && this->References() == 1) {
    reportingFromTeardown_ = true;
    ReportFromTeardown();
  }
  return CDispatchObject<typename Kind::Job>::Release();
}

template <typename Kind>
void CPacedJob<Kind>::ReportFromTeardown() {
  try {
    bool completed = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      completed = completed_;
    }
    if (completed || updates_.empty()) return;
    TSimulatedReport last;
    last.index = static_cast<LONG>(updates_.size() - 1);
    last.currentPercent = 100;
    last.percent = 100;
    for (const auto& update : updates_) {
      const TUpdateResult outcome = Kind::Outcome(*update.Get());
      last.results.push_back(TSimulatedOutcome{outcome.resultCode, outcome.hresult});
    }
    ReportStep(last);
    CompleteStep(TSimulatedCompletion{});
    agent_->Journal().Record(std::wstring(L"Release ") + Kind::Name() + L": reported its end");
  } catch (...) {
  }
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
    // Moved, not copied: every reference the agent lets go of is let go on
    // the delivering thread.
    auto job = MakeObject<CPacedJob<Kind>>(agent, ownerSerial, std::move(own), updates,
                                           std::move(progress), std::move(completed), state);
    if (!job) return E_OUTOFMEMORY;
    hr = job->Start();
    if (FAILED(hr)) return hr;
    return HandOut(job, retval);
  });
}

template <typename Kind>
HRESULT EndJob(LONG ownerSerial, typename Kind::Job* job, TJobResults& results) {
  ComPtr<CPacedJob<Kind>> own;
  const HRESULT found = FindOwnObject(job, Kind::PrivateId(), own);
  if (FAILED(found)) return found;
  if (!own || !own->BelongsTo(ownerSerial)) return E_INVALIDARG;
  return own->Results(results);
}

template HRESULT BeginJob<TDownloadKind>(const AgentState&, LONG, IUpdateCollection*, IUnknown*,
                                         IUnknown*, const VARIANT&, IDownloadJob**);
template HRESULT BeginJob<TInstallationKind>(const AgentState&, LONG, IUpdateCollection*, IUnknown*,
                                             IUnknown*, const VARIANT&, IInstallationJob**);
template HRESULT EndJob<TDownloadKind>(LONG, IDownloadJob*, TJobResults&);
template HRESULT EndJob<TInstallationKind>(LONG, IInstallationJob*, TJobResults&);

}  // namespace simulated_agent

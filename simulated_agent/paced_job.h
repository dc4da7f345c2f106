#pragma once
// A running download or installation. Each step moves the current update a
// few percent further and reports progress; when every update has reached 100
// percent the next step reports completion, last, and the job lets go of its
// callbacks on the thread that delivered them. The steps run on a thread of
// the agent's own or on the beginning thread's message loop, as the catalogue
// says; never inside the call that began the job.
//
// RequestAbort ends the job at its next step: the completed callback comes,
// with every unfinished update aborted (unless the catalogue makes aborted
// jobs hang; then only CleanUp ends them). CleanUp stops the callbacks at
// once: when it returns, none is running on another thread and none will
// come; the callbacks are let go then, or, when the beginning thread delivers
// them and CleanUp came from elsewhere, at that thread's next step. CleanUp
// from inside one of the job's own callbacks is refused. The agent's journal
// records both calls.
//
// Step by step (the catalogue's stepByStep) the job does nothing by itself:
// the test delivers each report and the completion, on its own thread, and
// only CleanUp ends the job (unless the catalogue makes the job ignore it).

#include "agent_seam/agent_interfaces.h"
#include "platform/com_values.h"
#include "platform/unique_handle.h"
#include "simulated_agent/agent_state.h"
#include "simulated_agent/job_pump.h"
#include "simulated_agent/private_ids.h"
#include "simulated_agent/progress.h"
#include "simulated_agent/simulated_update.h"
#include "simulated_agent/update_collection.h"

#include <atomic>
#include <mutex>
#include <optional>

namespace simulated_agent {

using OwnUpdateList = std::vector<ComPtr<CSimulatedUpdate>>;

// The updates a downloader or installer was given: WU_E_NO_UPDATE when there
// are none, E_INVALIDARG when one did not come from this agent.
HRESULT ReadOwnUpdates(IUpdateCollection* collection, OwnUpdateList& updates);

// Where the two kinds of job differ.
struct TDownloadKind {
  static const wchar_t* Name() { return L"download"; }
  using Job = IDownloadJob;
  using Progress = IDownloadProgress;
  using ProgressObject = CDownloadProgress;
  using ProgressArgs = CDownloadProgressChangedArgs;
  using CompletedArgs = CDownloadCompletedArgs;
  using ProgressCallback = IDownloadProgressChangedCallback;
  using CompletedCallback = IDownloadCompletedCallback;
  static const GUID& PrivateId() { return kSimulatedDownloadJobId; }
  static TUpdateResult Outcome(const CSimulatedUpdate& update);
  static void Finished(CAgentState& agent, const CSimulatedUpdate& update,
                       const TUpdateResult& result);
};

struct TInstallationKind {
  static const wchar_t* Name() { return L"installation"; }
  using Job = IInstallationJob;
  using Progress = IInstallationProgress;
  using ProgressObject = CInstallationProgress;
  using ProgressArgs = CInstallationProgressChangedArgs;
  using CompletedArgs = CInstallationCompletedArgs;
  using ProgressCallback = IInstallationProgressChangedCallback;
  using CompletedCallback = IInstallationCompletedCallback;
  static const GUID& PrivateId() { return kSimulatedInstallationJobId; }
  static TUpdateResult Outcome(const CSimulatedUpdate& update);
  static void Finished(CAgentState& agent, const CSimulatedUpdate& update,
                       const TUpdateResult& result);
};

// Which update a step is at and how far it has come.
class CStepPlan {
 public:
  CStepPlan(size_t updates, UINT stepsPerUpdate);

  bool Advance();  // false when every step has been taken
  bool AllTaken() const { return taken_ == total_; }
  bool FinishesUpdate() const { return taken_ > 0 && taken_ % steps_ == 0; }
  LONG CurrentIndex() const;
  LONG CurrentPercent() const;
  LONG Percent() const;

 private:
  const size_t steps_;
  const size_t total_;
  size_t taken_ = 0;
};

template <typename Kind>
class CPacedJob final : public CDispatchObject<typename Kind::Job>,
                        public IPacedJob,
                        public ISteppedJob {
 public:
  using ProgressCallback = typename Kind::ProgressCallback;
  using CompletedCallback = typename Kind::CompletedCallback;

  CPacedJob(AgentState agent, LONG ownerSerial, OwnUpdateList updates, const void* givenUpdates,
            ComPtr<ProgressCallback> onProgress, ComPtr<CompletedCallback> onCompleted,
            const VARIANT& state);
  ~CPacedJob() override;

  // Begins stepping, on the thread the catalogue names for callbacks.
  HRESULT Start();
  bool BelongsTo(LONG ownerSerial) const { return ownerSerial_ == ownerSerial; }
  // Final results, once the job has completed.
  HRESULT Results(TJobResults& results) const;

  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP get_AsyncState(VARIANT* retval) override;
  STDMETHODIMP get_IsCompleted(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_Updates(IUpdateCollection** retval) override;
  STDMETHODIMP CleanUp() override;
  STDMETHODIMP GetProgress(typename Kind::Progress** retval) override;
  STDMETHODIMP RequestAbort() override;

  bool Step() override;

  HRESULT ReportStep(const TSimulatedReport& report) override;
  HRESULT CompleteStep(const TSimulatedCompletion& completion) override;
  void View(TSimulatedJobView& view) override;
  IUnknown* Identity() override { return static_cast<typename Kind::Job*>(this); }

 protected:
  bool IsPrivateId(REFIID iid) const override { return iid == Kind::PrivateId(); }

 private:
  enum class Next { kWait, kProgress, kCompletion, kFinished };

  Next NextStep(TJobSnapshot& snapshot);
  void AdvanceLocked();
  void AbortUnfinishedLocked();
  TJobSnapshot SnapshotLocked() const;
  bool IsStopped() const;
  void ReportProgress(TJobSnapshot snapshot);
  void ReportCompletion();
  template <typename Callback, typename Args>
  HRESULT Deliver(Callback* callback, Args* args, bool withoutJob = false);
  TJobSnapshot SnapshotOf(const TSimulatedReport& report) const;
  void ReportFromTeardown();
  void ReleaseCallbacks();
  void Record(const wchar_t* call, const wchar_t* refusal) const;
  HRESULT Refuse(const wchar_t* call, HRESULT refusal) const;

  AgentState agent_;
  const LONG ownerSerial_;
  const SimulatedCallbackThread callbackThread_;
  const bool abortNeverCompletes_;
  const bool stepped_;
  const bool ignoresCleanUp_;
  const bool reportsWhenReleased_;
  const UINT paceMs_;
  OwnUpdateList updates_;
  const void* const givenUpdates_;
  ComPtr<CUpdateCollection> updateCollection_;
  // The job, its update list and its updates: what a callback may reach from
  // the job it is given.
  std::vector<const CApartmentBound*> reachable_;
  UniqueVariant state_;
  HRESULT stateCopied_;

  mutable std::mutex mutex_;
  CStepPlan plan_;
  std::vector<TUpdateResult> results_;
  std::vector<ULONGLONG> sizes_;
  // Step by step: what the test said the job reports as a whole.
  std::optional<TUpdateResult> summary_;
  bool reportingFromTeardown_ = false;
  bool completed_ = false;
  bool aborted_ = false;
  bool abortRequested_ = false;
  // No callback may start any more.
  bool stopped_ = false;

  std::atomic<DWORD> deliveryThread_{0};
  std::atomic<DWORD> insideCallbackOn_{0};
  // On the agent's own thread: CleanUp wakes it, and waits until it has let
  // go of the callbacks.
  UniqueHandle wake_;
  UniqueHandle released_;

  // Touched only on the delivering thread.
  ComPtr<ProgressCallback> onProgress_;
  ComPtr<CompletedCallback> onCompleted_;
};

// Serial number telling the downloaders and installers apart.
LONG NextOwnerSerial();

// Begins a job over `updates`; the callbacks (either may be null) are asked
// for their interfaces here, on the beginning thread.
template <typename Kind>
HRESULT BeginJob(const AgentState& agent, LONG ownerSerial, IUpdateCollection* updates,
                 IUnknown* onProgressChanged, IUnknown* onCompleted, const VARIANT& state,
                 typename Kind::Job** retval);

// The final results of a completed job begun by the owner `ownerSerial`.
template <typename Kind>
HRESULT EndJob(LONG ownerSerial, typename Kind::Job* job, TJobResults& results);

using CDownloadJob = CPacedJob<TDownloadKind>;
using CInstallationJob = CPacedJob<TInstallationKind>;

extern template class CPacedJob<TDownloadKind>;
extern template class CPacedJob<TInstallationKind>;

}  // namespace simulated_agent

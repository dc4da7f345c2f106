#pragma once
// State every object of one simulated agent shares: the catalogue, which
// updates have been downloaded or installed so far (a later search no longer
// reports an installed update), the journal of the calls that end jobs, the
// log of the program's calls, and, step by step, the jobs that live.

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "simulated_agent/catalogue.h"
#include "simulated_agent/job_steps.h"

namespace simulated_agent {

// Lines recorded from any thread, in the order the calls came; the sink (if
// any) receives each line as it is recorded, one at a time, under the lock.
class CLineLog {
 public:
  void Record(const std::wstring& line) noexcept;
  std::vector<std::wstring> Lines() const;
  // Also lets go of the memory, so that a long run holds no more of it.
  void Forget();
  void SetSink(std::function<void(const std::wstring&)> sink);

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> lines_;
  std::function<void(const std::wstring&)> sink_;
};

// A job that waits for the test (the catalogue's stepByStep).
class ISteppedJob {
 public:
  // The callback's answer, or WU_E_INVALID_OPERATION when the job has stopped.
  virtual HRESULT ReportStep(const TSimulatedReport& report) = 0;
  virtual HRESULT CompleteStep(const TSimulatedCompletion& completion) = 0;
  virtual void View(TSimulatedJobView& view) = 0;
  virtual IUnknown* Identity() = 0;

 protected:
  ~ISteppedJob() = default;
};

class CAgentState {
 public:
  explicit CAgentState(TSimulatedCatalogue catalogue) : catalogue_(std::move(catalogue)) {}

  // Change the catalogue only while no operation of the agent is running.
  TSimulatedCatalogue& Catalogue() { return catalogue_; }
  const TSimulatedFailures& Failures() const { return catalogue_.failures; }
  const TSimulatedReadFaults& ReadFaults() const { return catalogue_.readFaults; }

  bool IsDownloaded(const std::wstring& updateId) const;
  bool IsInstalled(const std::wstring& updateId) const;
  void MarkDownloaded(const std::wstring& updateId);
  void MarkInstalled(const std::wstring& updateId);
  void ForgetProgress();

  // RequestAbort and CleanUp of jobs.
  CLineLog& Journal() { return journal_; }
  // The program's calls that create, search, accept a licence, begin or end
  // a job, or read the agent's version, as they end.
  CLineLog& Calls() { return calls_; }
  // Records the call as it ends with hr: the call alone when it succeeded,
  // followed by the HRESULT ("Search 0x80004001") when it failed. Returns hr.
  HRESULT Answer(const std::wstring& call, HRESULT hr) noexcept;

  // Step by step: jobs come and go on the test's thread.
  void AddSteppedJob(ISteppedJob* job);
  void RemoveSteppedJob(ISteppedJob* job);
  // The job begun last that still lives, held by keepAlive; null when none.
  ISteppedJob* LatestSteppedJob(Microsoft::WRL::ComPtr<IUnknown>& keepAlive);

 private:
  TSimulatedCatalogue catalogue_;
  mutable std::mutex mutex_;
  std::set<std::wstring> downloaded_;
  std::set<std::wstring> installed_;
  std::vector<ISteppedJob*> steppedJobs_;
  CLineLog journal_;
  CLineLog calls_;
};

using AgentState = std::shared_ptr<CAgentState>;

}  // namespace simulated_agent

#pragma once
// An in-process update agent driven by a catalogue, for tests and for the
// simulated build. Install it through the seam:
//
//   CSimulatedAgentFactory agent;              // or (myCatalogue)
//   SetUpdateAgentFactory(&agent);
//   ... scan, install ...
//   SetUpdateAgentFactory(nullptr);
//
// It is as strict as an apartment-threaded server: each object belongs to
// the apartment of the thread that made it, and calls from a thread in no
// apartment, from another apartment or into a closed one fail (apartment.h).
// Download and installation callbacks arrive on a thread of the agent's own
// by default, or on the thread that began the job, from its message loop
// (the catalogue's callbackThread); either way never inside
// BeginDownload/BeginInstall. During a callback on the agent's thread, the
// job it is given and what is reached from the job and the callback's
// arguments may be used from that thread.

#include "agent_seam/update_agent_factory.h"
#include "simulated_agent/catalogue.h"
#include "simulated_agent/job_steps.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace simulated_agent {
class CAgentState;
}

class CSimulatedAgentFactory final : public IUpdateAgentFactory {
 public:
  explicit CSimulatedAgentFactory(TSimulatedCatalogue catalogue = DefaultSimulatedCatalogue());
  ~CSimulatedAgentFactory();
  CSimulatedAgentFactory(const CSimulatedAgentFactory&) = delete;
  CSimulatedAgentFactory& operator=(const CSimulatedAgentFactory&) = delete;

  // As CoCreateInstance: CO_E_NOTINITIALIZED on a thread in no apartment.
  HRESULT CreateUpdateSession(IUpdateSession** session) override;
  HRESULT CreateUpdateCollection(IUpdateCollection** collection) override;
  HRESULT CreateAgentInfo(IWindowsUpdateAgentInfo** info) override;

  // Objects already made see changes too. Change it only while none of the
  // agent's operations is running.
  TSimulatedCatalogue& Catalogue();
  TSimulatedFailures& Failures() { return Catalogue().failures; }

  // Successfully installed updates are left out of later searches, as on a
  // real machine; this brings them back.
  void ForgetInstalledUpdates();

  // Every RequestAbort and CleanUp call on this agent's jobs, in order, one
  // line each:
  //   "RequestAbort download", "CleanUp installation"      accepted
  //   "CleanUp download refused (inside its own callback)"  a misuse
  //   "RequestAbort installation refused (0x8001010E)"      the apartment rules
  std::vector<std::wstring> Journal() const;
  // Empties the journal, so that a long run of jobs holds no more memory.
  void ForgetJournal();
  // Also hands each line, as it is recorded, to `sink` (from whichever thread
  // made the call, one line at a time, in the journal's order, under the
  // journal's lock: the sink must not call the agent); null stops.
  void SetJournalSink(std::function<void(const std::wstring&)> sink);

  // The program's calls, in order, one line each as the call ends: the call
  // alone when it succeeded, else followed by its HRESULT ("Search
  // 0x80004001"). The calls: "CreateUpdateSession", "CreateUpdateCollection",
  // "CreateAgentInfo", "GetInfo", "Search", "CreateUpdateDownloader",
  // "CreateUpdateInstaller", "AcceptEula <update id>", "BeginDownload",
  // "EndDownload", "BeginInstall", "EndInstall".
  std::vector<std::wstring> Calls() const;
  int CallCount(const std::wstring& call) const;
  void ForgetCalls();
  // As the journal's sink, for the calls.
  void SetCallSink(std::function<void(const std::wstring&)> sink);

  // Step by step (the catalogue's stepByStep), for the job begun last that
  // still lives, on the calling thread: a progress report holding what
  // `report` says, or the completion. The callback's answer, or
  // WU_E_INVALID_OPERATION when there is no such job or it was cleaned up.
  HRESULT ReportProgress(const TSimulatedReport& report);
  HRESULT CompleteJob(const TSimulatedCompletion& completion = {});
  // What the test may see of that job; false when there is none. The view
  // holds references to the job and its callbacks.
  bool ViewJob(TSimulatedJobView& view) const;

 private:
  std::shared_ptr<simulated_agent::CAgentState> agent_;
};

// Objects of any simulated agent still alive (COM objects, job pumps and the
// agent's job threads); zero once every reference has been released and every
// job thread has ended.
LONG SimulatedAgentLiveObjects();

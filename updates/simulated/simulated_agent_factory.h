#pragma once
// An in-process update agent driven by a catalogue, for tests and for the
// simulated build. Install it through the seam:
//
//   CSimulatedAgentFactory agent;              // or (myCatalogue)
//   SetUpdateAgentFactory(&agent);
//   ... scan, install ...
//   SetUpdateAgentFactory(nullptr);
//
// Its objects may be used from any thread. Download and installation
// callbacks arrive on the thread that called BeginDownload/BeginInstall, from
// that thread's message loop, so that thread must keep pumping messages.

#include "agent_seam/update_agent_factory.h"
#include "updates/simulated/catalogue.h"

#include <memory>

namespace simulated_agent {
class CAgentState;
}

class CSimulatedAgentFactory final : public IUpdateAgentFactory {
 public:
  explicit CSimulatedAgentFactory(TSimulatedCatalogue catalogue = DefaultSimulatedCatalogue());
  ~CSimulatedAgentFactory();
  CSimulatedAgentFactory(const CSimulatedAgentFactory&) = delete;
  CSimulatedAgentFactory& operator=(const CSimulatedAgentFactory&) = delete;

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

 private:
  std::shared_ptr<simulated_agent::CAgentState> agent_;
};

// Objects of any simulated agent still alive (COM objects and job pumps); zero
// once every reference has been released and every job has ended.
LONG SimulatedAgentLiveObjects();

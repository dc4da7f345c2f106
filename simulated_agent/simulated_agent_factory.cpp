#include "simulated_agent/simulated_agent_factory.h"

#include "simulated_agent/agent_state.h"
#include "simulated_agent/update_collection.h"
#include "simulated_agent/update_session.h"
#include "simulated_agent/windows_update_agent_info.h"

using namespace simulated_agent;

namespace {

// The operation's failure switch, else a new object handed out.
template <typename Object, typename Interface, typename... Args>
HRESULT Create(HRESULT failure, Interface** out, Args&&... args) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const HRESULT uninitialised = CallerInitialised();
  if (FAILED(uninitialised)) return uninitialised;
  if (FAILED(failure)) return failure;
  return Guarded([&] { return HandOut(MakeObject<Object>(std::forward<Args>(args)...), out); });
}

}  // namespace

CSimulatedAgentFactory::CSimulatedAgentFactory(TSimulatedCatalogue catalogue)
    : agent_(std::make_shared<CAgentState>(std::move(catalogue))) {}

CSimulatedAgentFactory::~CSimulatedAgentFactory() = default;

HRESULT CSimulatedAgentFactory::CreateUpdateSession(IUpdateSession** session) {
  return Create<CUpdateSession>(agent_->Failures().createSession, session, agent_);
}

HRESULT CSimulatedAgentFactory::CreateUpdateCollection(IUpdateCollection** collection) {
  return Create<CUpdateCollection>(agent_->Failures().createCollection, collection);
}

HRESULT CSimulatedAgentFactory::CreateAgentInfo(IWindowsUpdateAgentInfo** info) {
  return Create<CWindowsUpdateAgentInfo>(agent_->Failures().createAgentInfo, info, agent_);
}

TSimulatedCatalogue& CSimulatedAgentFactory::Catalogue() {
  return agent_->Catalogue();
}

void CSimulatedAgentFactory::ForgetInstalledUpdates() {
  agent_->ForgetProgress();
}

void CSimulatedAgentFactory::ForgetJournal() {
  agent_->ForgetJournal();
}

std::vector<std::wstring> CSimulatedAgentFactory::Journal() const {
  return agent_->Journal();
}

void CSimulatedAgentFactory::SetJournalSink(std::function<void(const std::wstring&)> sink) {
  agent_->SetJournalSink(std::move(sink));
}

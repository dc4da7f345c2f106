#include "updates/simulated/simulated_agent_factory.h"

#include "updates/simulated/windows_update_agent_info.h"
#include "updates/simulated/agent_state.h"
#include "updates/simulated/update_session.h"
#include "updates/simulated/update_collection.h"

using namespace simulated_agent;

CSimulatedAgentFactory::CSimulatedAgentFactory(TSimulatedCatalogue catalogue)
    : agent_(std::make_shared<CAgentState>(std::move(catalogue))) {}

CSimulatedAgentFactory::~CSimulatedAgentFactory() = default;

HRESULT CSimulatedAgentFactory::CreateUpdateSession(IUpdateSession** session) {
  if (!session) return E_POINTER;
  *session = nullptr;
  const HRESULT failure = agent_->Failures().createSession;
  if (FAILED(failure)) return failure;
  return Guarded([&] { return HandOut(MakeObject<CUpdateSession>(agent_), session); });
}

HRESULT CSimulatedAgentFactory::CreateUpdateCollection(IUpdateCollection** collection) {
  if (!collection) return E_POINTER;
  *collection = nullptr;
  const HRESULT failure = agent_->Failures().createCollection;
  if (FAILED(failure)) return failure;
  return Guarded([&] { return HandOut(MakeObject<CUpdateCollection>(), collection); });
}

HRESULT CSimulatedAgentFactory::CreateAgentInfo(IWindowsUpdateAgentInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  const HRESULT failure = agent_->Failures().createAgentInfo;
  if (FAILED(failure)) return failure;
  return Guarded([&] { return HandOut(MakeObject<CWindowsUpdateAgentInfo>(agent_), info); });
}

TSimulatedCatalogue& CSimulatedAgentFactory::Catalogue() {
  return agent_->Catalogue();
}

void CSimulatedAgentFactory::ForgetInstalledUpdates() {
  agent_->ForgetProgress();
}

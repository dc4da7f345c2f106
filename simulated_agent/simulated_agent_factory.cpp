#include "simulated_agent/simulated_agent_factory.h"

#include "simulated_agent/agent_state.h"
#include "simulated_agent/update_collection.h"
#include "simulated_agent/update_session.h"
#include "simulated_agent/windows_update_agent_info.h"

using namespace simulated_agent;

namespace {

// The operation's failure switch, else a new object handed out; the call is
// recorded with its answer.
template <typename Object, typename Interface, typename... Args>
HRESULT Create(CAgentState& agent, const wchar_t* call, HRESULT failure, Interface** out,
               Args&&... args) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const HRESULT uninitialised = CallerInitialised();
  if (FAILED(uninitialised)) return uninitialised;
  if (FAILED(failure)) return agent.Answer(call, failure);
  return agent.Answer(
      call, Guarded([&] { return HandOut(MakeObject<Object>(std::forward<Args>(args)...), out); }));
}

}  // namespace

CSimulatedAgentFactory::CSimulatedAgentFactory(TSimulatedCatalogue catalogue)
    : agent_(std::make_shared<CAgentState>(std::move(catalogue))) {}

CSimulatedAgentFactory::~CSimulatedAgentFactory() = default;

HRESULT CSimulatedAgentFactory::CreateUpdateSession(IUpdateSession** session) {
  return Create<CUpdateSession>(*agent_, L"CreateUpdateSession", agent_->Failures().createSession,
                                session, agent_);
}

HRESULT CSimulatedAgentFactory::CreateUpdateCollection(IUpdateCollection** collection) {
  return Create<CUpdateCollection>(*agent_, L"CreateUpdateCollection",
                                   agent_->Failures().createCollection, collection);
}

HRESULT CSimulatedAgentFactory::CreateAgentInfo(IWindowsUpdateAgentInfo** info) {
  if (agent_->ReadFaults().agentInfoMissing) {
    const HRESULT uninitialised = CallerInitialised();
    if (FAILED(uninitialised)) return uninitialised;
    return agent_->Answer(L"CreateAgentInfo", HandOutNothing(info));
  }
  return Create<CWindowsUpdateAgentInfo>(*agent_, L"CreateAgentInfo",
                                         agent_->Failures().createAgentInfo, info, agent_);
}

TSimulatedCatalogue& CSimulatedAgentFactory::Catalogue() {
  return agent_->Catalogue();
}

void CSimulatedAgentFactory::ForgetInstalledUpdates() {
  agent_->ForgetProgress();
}

void CSimulatedAgentFactory::ForgetJournal() {
  agent_->Journal().Forget();
}

std::vector<std::wstring> CSimulatedAgentFactory::Journal() const {
  return agent_->Journal().Lines();
}

void CSimulatedAgentFactory::SetJournalSink(std::function<void(const std::wstring&)> sink) {
  agent_->Journal().SetSink(std::move(sink));
}

std::vector<std::wstring> CSimulatedAgentFactory::Calls() const {
  return agent_->Calls().Lines();
}

int CSimulatedAgentFactory::CallCount(const std::wstring& call) const {
  int count = 0;
  for (const std::wstring& line : agent_->Calls().Lines()) count += line == call ? 1 : 0;
  return count;
}

void CSimulatedAgentFactory::ForgetCalls() {
  agent_->Calls().Forget();
}

void CSimulatedAgentFactory::SetCallSink(std::function<void(const std::wstring&)> sink) {
  agent_->Calls().SetSink(std::move(sink));
}

HRESULT CSimulatedAgentFactory::ReportProgress(const TSimulatedReport& report) {
  ComPtr<IUnknown> keepAlive;
  ISteppedJob* job = agent_->LatestSteppedJob(keepAlive);
  return job != nullptr ? job->ReportStep(report) : WU_E_INVALID_OPERATION;
}

HRESULT CSimulatedAgentFactory::CompleteJob(const TSimulatedCompletion& completion) {
  ComPtr<IUnknown> keepAlive;
  ISteppedJob* job = agent_->LatestSteppedJob(keepAlive);
  return job != nullptr ? job->CompleteStep(completion) : WU_E_INVALID_OPERATION;
}

bool CSimulatedAgentFactory::ViewJob(TSimulatedJobView& view) const {
  ComPtr<IUnknown> keepAlive;
  ISteppedJob* job = agent_->LatestSteppedJob(keepAlive);
  if (job == nullptr) return false;
  job->View(view);
  return true;
}

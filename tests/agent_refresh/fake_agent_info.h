#pragma once
// A stand-in for the update agent's information object, installed through
// the agent factory seam: reports a configurable version, or fails in the
// ways a broken or missing agent does.

#include <functional>
#include <string>

#include "agent_seam/update_agent_factory.h"

enum class AgentInfoBehaviour {
  ReportsVersion,
  CreationFails,
  CreationGivesNothing,
  GetInfoFails,
  GetInfoGivesNumber,
};

class FakeAgentFactory final : public IUpdateAgentFactory {
 public:
  FakeAgentFactory();
  ~FakeAgentFactory();
  FakeAgentFactory(const FakeAgentFactory&) = delete;
  FakeAgentFactory& operator=(const FakeAgentFactory&) = delete;

  void SetVersion(const std::wstring& version) { version_ = version; }
  void SetBehaviour(AgentInfoBehaviour behaviour) { behaviour_ = behaviour; }
  int GetInfoCalls() const { return getInfoCalls_; }
  int LiveObjects() const { return liveObjects_; }
  // Runs as the refresh asks for the agent's version: the moment the
  // extracted catalogue is being read.
  std::function<void()> onCreateAgentInfo;

  HRESULT CreateUpdateSession(IUpdateSession** session) override;
  HRESULT CreateUpdateCollection(IUpdateCollection** collection) override;
  HRESULT CreateAgentInfo(IWindowsUpdateAgentInfo** info) override;

 private:
  friend class FakeAgentInfo;

  std::wstring version_ = L"7.6.7600.256";
  AgentInfoBehaviour behaviour_ = AgentInfoBehaviour::ReportsVersion;
  int getInfoCalls_ = 0;
  int liveObjects_ = 0;
};

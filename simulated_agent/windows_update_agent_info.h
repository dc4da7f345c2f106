#pragma once
// Answers questions about the agent itself; the program asks for its version.

#include "agent_seam/agent_interfaces.h"
#include "simulated_agent/agent_state.h"
#include "simulated_agent/dispatch_object.h"

namespace simulated_agent {

class CWindowsUpdateAgentInfo final : public CDispatchObject<IWindowsUpdateAgentInfo> {
 public:
  explicit CWindowsUpdateAgentInfo(AgentState agent) : agent_(std::move(agent)) {}

  STDMETHODIMP GetInfo(VARIANT varInfoIdentifier, VARIANT* retval) override;

 private:
  // The version as a string, or as the test made it misbehave.
  HRESULT ProductVersion(VARIANT* retval) const;

  AgentState agent_;
};

}  // namespace simulated_agent

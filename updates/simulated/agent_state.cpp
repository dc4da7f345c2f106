#include "updates/simulated/agent_state.h"

namespace simulated_agent {

bool CAgentState::IsDownloaded(const std::wstring& updateId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return downloaded_.count(updateId) != 0;
}

bool CAgentState::IsInstalled(const std::wstring& updateId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return installed_.count(updateId) != 0;
}

void CAgentState::MarkDownloaded(const std::wstring& updateId) {
  std::lock_guard<std::mutex> lock(mutex_);
  downloaded_.insert(updateId);
}

void CAgentState::MarkInstalled(const std::wstring& updateId) {
  std::lock_guard<std::mutex> lock(mutex_);
  installed_.insert(updateId);
}

void CAgentState::ForgetProgress() {
  std::lock_guard<std::mutex> lock(mutex_);
  downloaded_.clear();
  installed_.clear();
}

}  // namespace simulated_agent

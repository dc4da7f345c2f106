#include "simulated_agent/agent_state.h"

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

// The sink is called under the lock so that a file sees the journal's order.
void CAgentState::Record(const std::wstring& line) {
  std::lock_guard<std::mutex> lock(journalMutex_);
  journal_.push_back(line);
  if (sink_) sink_(line);
}

void CAgentState::ForgetJournal() {
  std::lock_guard<std::mutex> lock(journalMutex_);
  journal_.clear();
  journal_.shrink_to_fit();
}

std::vector<std::wstring> CAgentState::Journal() const {
  std::lock_guard<std::mutex> lock(journalMutex_);
  return journal_;
}

void CAgentState::SetJournalSink(std::function<void(const std::wstring&)> sink) {
  std::lock_guard<std::mutex> lock(journalMutex_);
  sink_ = std::move(sink);
}

}  // namespace simulated_agent

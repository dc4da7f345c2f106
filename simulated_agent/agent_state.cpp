#include "simulated_agent/agent_state.h"

#include <algorithm>

namespace simulated_agent {

// The sink is called under the lock so that a file sees the log's order. A
// line that cannot be kept is lost: recording must not fail the call.
void CLineLog::Record(const std::wstring& line) noexcept {
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
    if (sink_) sink_(line);
  } catch (...) {
  }
}

std::vector<std::wstring> CLineLog::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

void CLineLog::Forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.clear();
  lines_.shrink_to_fit();
}

void CLineLog::SetSink(std::function<void(const std::wstring&)> sink) {
  std::lock_guard<std::mutex> lock(mutex_);
  sink_ = std::move(sink);
}

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

HRESULT CAgentState::Answer(const std::wstring& call, HRESULT hr) noexcept {
  try {
    if (SUCCEEDED(hr)) {
      calls_.Record(call);
    } else {
      wchar_t code[16];
      wsprintfW(code, L" 0x%08X", static_cast<unsigned>(hr));
      calls_.Record(call + code);
    }
  } catch (...) {
  }
  return hr;
}

void CAgentState::AddSteppedJob(ISteppedJob* job) {
  std::lock_guard<std::mutex> lock(mutex_);
  steppedJobs_.push_back(job);
}

void CAgentState::RemoveSteppedJob(ISteppedJob* job) {
  std::lock_guard<std::mutex> lock(mutex_);
  steppedJobs_.erase(std::remove(steppedJobs_.begin(), steppedJobs_.end(), job),
                     steppedJobs_.end());
}

ISteppedJob* CAgentState::LatestSteppedJob(Microsoft::WRL::ComPtr<IUnknown>& keepAlive) {
  std::lock_guard<std::mutex> lock(mutex_);
  keepAlive.Reset();
  if (steppedJobs_.empty()) return nullptr;
  keepAlive = steppedJobs_.back()->Identity();
  return steppedJobs_.back();
}

}  // namespace simulated_agent

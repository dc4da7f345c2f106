#pragma once
// State every object of one simulated agent shares: the catalogue, and which
// updates have been downloaded or installed so far (a later search no longer
// reports an installed update).

#include "updates/simulated/catalogue.h"

#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace simulated_agent {

class CAgentState {
 public:
  explicit CAgentState(TSimulatedCatalogue catalogue) : catalogue_(std::move(catalogue)) {}

  // Change the catalogue only while no operation of the agent is running.
  TSimulatedCatalogue& Catalogue() { return catalogue_; }
  const TSimulatedFailures& Failures() const { return catalogue_.failures; }

  bool IsDownloaded(const std::wstring& updateId) const;
  bool IsInstalled(const std::wstring& updateId) const;
  void MarkDownloaded(const std::wstring& updateId);
  void MarkInstalled(const std::wstring& updateId);
  void ForgetProgress();

 private:
  TSimulatedCatalogue catalogue_;
  mutable std::mutex mutex_;
  std::set<std::wstring> downloaded_;
  std::set<std::wstring> installed_;
};

using AgentState = std::shared_ptr<CAgentState>;

}  // namespace simulated_agent

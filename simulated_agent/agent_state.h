#pragma once
// State every object of one simulated agent shares: the catalogue, which
// updates have been downloaded or installed so far (a later search no longer
// reports an installed update), and the journal of the calls that end jobs.

#include "simulated_agent/catalogue.h"

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

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

  // Lines in the order the calls came, from any thread; the sink (if any)
  // receives each line as it is recorded, one at a time.
  void Record(const std::wstring& line);
  std::vector<std::wstring> Journal() const;
  void ForgetJournal();
  void SetJournalSink(std::function<void(const std::wstring&)> sink);

 private:
  TSimulatedCatalogue catalogue_;
  mutable std::mutex mutex_;
  std::set<std::wstring> downloaded_;
  std::set<std::wstring> installed_;

  mutable std::mutex journalMutex_;
  std::vector<std::wstring> journal_;
  std::function<void(const std::wstring&)> sink_;
};

using AgentState = std::shared_ptr<CAgentState>;

}  // namespace simulated_agent

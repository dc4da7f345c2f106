// What the program keeps after whole runs of its workflow with the
// simulated agent: each cycle opens the main window, scans, fixes the
// updates found, waits for the success screen and closes the window. What
// the process holds after the first cycle against after the last.

#include "bench/measure_registry.h"
#include "bench/process_counters.h"
#include "tests/support/main_window_host.h"

namespace SkinUIBench {

using SkinUITest::CMainWindowHost;
using SkinUITest::CTimedMainWindow;

namespace {

constexpr int kCycles = 20;
constexpr DWORD kStepTimeoutMs = 20000;

constexpr wchar_t kCatalogue[] =
    L"search_ms = 50\n"
    L"pace_ms = 5\n"
    L"steps_per_update = 4\n"
    L"[update]\n"
    L"title = Security Update for Windows (KB5010001)\n"
    L"kb = 5010001\n"
    L"auto_select = true\n"
    L"size = 34865152\n"
    L"date = 2024-05-14\n"
    L"[update]\n"
    L"title = Cumulative Update (KB5010002)\n"
    L"kb = 5010002\n"
    L"auto_select = true\n"
    L"size = 1048576\n"
    L"date = 2024-06-11\n"
    L"[update]\n"
    L"title = Servicing Stack Update (KB5010003)\n"
    L"kb = 5010003\n"
    L"auto_select = true\n"
    L"size = 524288\n"
    L"date = 2024-07-09\n";

class CScanInstallCyclesMeasure : public CFootprintMeasure {
 public:
  const char* Name() const override { return "memory-20-cycles"; }

  bool Run(std::vector<TFootprintCounter>& counters, std::string& error) override {
    CMainWindowHost host(kCatalogue);
    if (!host.Ready(error)) return false;
    TProcessCounters first;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
      if (!OneCycle(host, error)) {
        error += " (cycle " + std::to_string(cycle) + ")";
        return false;
      }
      if (cycle == 1) first = ReadProcessCounters();
    }
    const TProcessCounters last = ReadProcessCounters();
    counters.push_back({"gdi-objects", first.gdiObjects, last.gdiObjects, 0});
    counters.push_back({"windows", first.windows, last.windows, 0});
    counters.push_back({"handles", first.handles, last.handles, 0});
    counters.push_back({"threads", first.threads, last.threads, 0});
    counters.push_back({"heap-bytes", first.heapBytes, last.heapBytes, 0});
    counters.push_back({"private-bytes", first.privateBytes, last.privateBytes, 0});
    return true;
  }

 private:
  static bool OneCycle(CMainWindowHost& host, std::string& error) {
    const double threadsBefore = ProcessThreadCount();
    if (host.Open() == nullptr) return Fail(error, "the main window was refused");
    if (!host.Click(L"Btn_Scan")) return Fail(error, "no scan button");
    const bool listed = host.PumpUntil(
        [&] { return host.Visible(L"Btn_Scan") && host.TextOf(L"Btn_Scan") == L"Fix"; },
        kStepTimeoutMs);
    if (!listed) return Fail(error, "the scan did not end on the list");
    host.Click(L"Btn_Scan");
    const bool finished =
        host.PumpUntil([&] { return host.TextOf(L"Btn_Close") == L"Finish"; }, kStepTimeoutMs);
    if (!finished) return Fail(error, "the installation did not end on the success screen");
    host.Close();
    // The agent's jobs end after their last report; then it finds the same
    // updates missing again, as on a machine that was never fixed.
    host.PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }, kStepTimeoutMs);
    host.Agent().ForgetInstalledUpdates();
    // What the doubles recorded is the measure's, not the program's.
    host.Agent().ForgetJournal();
    host.Agent().ForgetCalls();
    host.Actions().shutdownBlocks.clear();
    // As between two runs of the program, the next cycle starts once every
    // thread this one started has ended.
    if (!host.PumpUntil([&] { return ProcessThreadCount() <= threadsBefore; }, kStepTimeoutMs)) {
      return Fail(error, "threads of the cycle did not end");
    }
    return true;
  }

  static bool Fail(std::string& error, const char* reason) {
    error = reason;
    return false;
  }
};

}  // namespace

std::unique_ptr<CFootprintMeasure> MakeScanInstallCyclesMeasure() {
  return std::make_unique<CScanInstallCyclesMeasure>();
}

}  // namespace SkinUIBench

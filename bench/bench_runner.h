#pragma once
// Runs measures one after another and prints one line each: the figure, the
// reference, their ratio, the target and whether it is met.

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_measure.h"

namespace SkinUIBench {

struct TBenchOptions {
  // At least this many samples of each side, and more until minSeconds have
  // passed, so that a burst of other work on the machine does not spoil every
  // sample of a short measure.
  int repetitions = 15;
  double minSeconds = 1.0;
  // Repetitions stop early once a measure has used this much time (but never
  // before three samples of each side).
  double budgetSeconds = 20.0;
  std::string only;         // NAME[,NAME...]: run measures whose name contains one of these
  std::wstring dumpFolder;  // empty: no pictures
};

struct TBenchResult {
  std::string name;
  bool ran = false;
  std::string error;
  double figureMs = 0;
  double referenceMs = 0;
  int samples = 0;
  TBenchTarget target;
  double ratio = 0;
  bool met = false;
};

class CBenchRunner {
 public:
  explicit CBenchRunner(const TBenchOptions& options) : options_(options) {}

  void Run(std::vector<std::unique_ptr<CBenchMeasure>>& measures);
  // One line per counter; a measure is met when none of its counters grew.
  void RunFootprints(std::vector<std::unique_ptr<CFootprintMeasure>>& measures);
  int Ran() const { return ran_; }
  int Met() const { return met_; }
  int Failed() const { return failed_; }

  static std::string FormatLine(const TBenchResult& result);
  static std::string FormatCounter(const std::string& measure, const TFootprintCounter& counter);

 private:
  bool Selected(const std::string& name) const;
  TBenchResult RunOne(CBenchMeasure& measure);

  TBenchOptions options_;
  int ran_ = 0;
  int met_ = 0;
  int failed_ = 0;
};

}  // namespace SkinUIBench

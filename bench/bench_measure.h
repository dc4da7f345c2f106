#pragma once
// One measure of the benchmark: an operation of ours timed against a
// reference that does comparable work with the platform or the standard
// library, both in the same run, so that the ratio is what counts and not the
// speed of the machine.

#include <windows.h>

#include <string>
#include <vector>

namespace SkinUIBench {

enum class TargetKind {
  SpeedAtLeast,    // reference time / figure time must reach the value
  SlowdownAtMost,  // figure time / reference time must stay at or below the value
  TimeUnder,       // the figure itself, in milliseconds, must stay below the value
};

struct TBenchTarget {
  TargetKind kind = TargetKind::SlowdownAtMost;
  double value = 1.0;
};

class CBenchMeasure {
 public:
  virtual ~CBenchMeasure() = default;

  virtual const char* Name() const = 0;
  virtual TBenchTarget Target() const = 0;
  // Timed calls per sample, for operations too short to time one by one.
  virtual int Batch() const { return 1; }

  // Once, untimed: builds the input. False with a reason stops the measure.
  virtual bool Prepare(std::string& error) = 0;
  // Untimed, before every sample of the figure or the reference.
  virtual void BeforeFigure() {}
  virtual void BeforeReference() {}
  virtual void Figure() = 0;
  virtual void Reference() = 0;
  // After the samples: both sides must have produced the same result.
  virtual bool Verify(std::string& error) = 0;
  // Writes what the figure drew (PNG files) into folder, for comparing runs.
  virtual void Dump(const std::wstring& /*folder*/) {}
};

// A measure of what stays allocated, not of time: each counter read after a
// first round of work (the reference) and after the last round (the figure).
struct TFootprintCounter {
  std::string name;
  double first = 0;
  double last = 0;
  // Growth up to this much still counts as none (the heap's own rounding).
  double allowance = 0;
};

class CFootprintMeasure {
 public:
  virtual ~CFootprintMeasure() = default;

  virtual const char* Name() const = 0;
  // False with a reason when the rounds could not be run.
  virtual bool Run(std::vector<TFootprintCounter>& counters, std::string& error) = 0;
};

}  // namespace SkinUIBench

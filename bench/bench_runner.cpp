#include "bench/bench_runner.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace SkinUIBench {

namespace {

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency;
}

// Milliseconds per call, averaged over one batch.
template <typename Call>
double TimeBatch(int batch, Call call) {
  const double start = Now();
  for (int i = 0; i < batch; ++i) call();
  return (Now() - start) * 1000.0 / batch;
}

double RatioFor(const TBenchTarget& target, double figureMs, double referenceMs) {
  switch (target.kind) {
    case TargetKind::SpeedAtLeast:
      return figureMs > 0 ? referenceMs / figureMs : 0;
    case TargetKind::SlowdownAtMost:
    case TargetKind::TimeUnder:
      return referenceMs > 0 ? figureMs / referenceMs : 0;
  }
  return 0;
}

bool IsMet(const TBenchTarget& target, double ratio, double figureMs) {
  switch (target.kind) {
    case TargetKind::SpeedAtLeast:
      return ratio >= target.value;
    case TargetKind::SlowdownAtMost:
      return ratio <= target.value;
    case TargetKind::TimeUnder:
      return figureMs < target.value;
  }
  return false;
}

}  // namespace

std::string CBenchRunner::FormatLine(const TBenchResult& result) {
  char line[256];
  if (!result.ran) {
    std::snprintf(line, sizeof(line), "%-22s ERROR %s", result.name.c_str(), result.error.c_str());
    return line;
  }
  const bool speed = result.target.kind == TargetKind::SpeedAtLeast;
  char target[48];
  switch (result.target.kind) {
    case TargetKind::SpeedAtLeast:
      std::snprintf(target, sizeof(target), "speed >= %.2f", result.target.value);
      break;
    case TargetKind::SlowdownAtMost:
      std::snprintf(target, sizeof(target), "time <= %.2fx", result.target.value);
      break;
    case TargetKind::TimeUnder:
      std::snprintf(target, sizeof(target), "figure < %.2f ms", result.target.value);
      break;
  }
  std::snprintf(line, sizeof(line),
                "%-22s figure %10.4f ms  reference %10.4f ms  %s %7.2f%s  target %-16s %s  "
                "(best of %d)",
                result.name.c_str(), result.figureMs, result.referenceMs, speed ? "speed" : "time ",
                result.ratio, speed ? " " : "x", target, result.met ? "met    " : "NOT MET",
                result.samples);
  return line;
}

std::string CBenchRunner::FormatCounter(const std::string& measure,
                                        const TFootprintCounter& counter) {
  const double growth = counter.last - counter.first;
  char line[256];
  std::snprintf(line, sizeof(line),
                "%-22s %-14s figure %12.0f  reference %12.0f  growth %+9.0f  target growth <= "
                "%-6.0f %s",
                measure.c_str(), counter.name.c_str(), counter.last, counter.first, growth,
                counter.allowance, growth <= counter.allowance ? "met" : "NOT MET");
  return line;
}

// Every measure, or those whose name contains one of the comma-separated
// parts of the --only option.
bool CBenchRunner::Selected(const std::string& name) const {
  if (options_.only.empty()) return true;
  size_t start = 0;
  while (start <= options_.only.size()) {
    size_t comma = options_.only.find(',', start);
    if (comma == std::string::npos) comma = options_.only.size();
    const std::string part = options_.only.substr(start, comma - start);
    if (!part.empty() && name.find(part) != std::string::npos) return true;
    start = comma + 1;
  }
  return false;
}

void CBenchRunner::Run(std::vector<std::unique_ptr<CBenchMeasure>>& measures) {
  for (auto& measure : measures) {
    if (!Selected(measure->Name())) continue;
    const TBenchResult result = RunOne(*measure);
    std::printf("%s\n", FormatLine(result).c_str());
    std::fflush(stdout);
    if (!result.ran) {
      ++failed_;
      continue;
    }
    ++ran_;
    if (result.met) ++met_;
    if (!options_.dumpFolder.empty()) measure->Dump(options_.dumpFolder);
  }
}

void CBenchRunner::RunFootprints(std::vector<std::unique_ptr<CFootprintMeasure>>& measures) {
  for (auto& measure : measures) {
    if (!Selected(measure->Name())) continue;
    std::vector<TFootprintCounter> counters;
    std::string error;
    if (!measure->Run(counters, error)) {
      std::printf("%-22s ERROR %s\n", measure->Name(), error.c_str());
      ++failed_;
      continue;
    }
    bool met = true;
    for (const TFootprintCounter& counter : counters) {
      std::printf("%s\n", FormatCounter(measure->Name(), counter).c_str());
      met = met && counter.last - counter.first <= counter.allowance;
    }
    std::fflush(stdout);
    ++ran_;
    if (met) ++met_;
  }
}

TBenchResult CBenchRunner::RunOne(CBenchMeasure& measure) {
  TBenchResult result;
  result.name = measure.Name();
  result.target = measure.Target();
  if (!measure.Prepare(result.error)) return result;

  const int batch = std::max(1, measure.Batch());
  double figure = std::numeric_limits<double>::max();
  double reference = std::numeric_limits<double>::max();
  const double started = Now();
  // The sides alternate so that both see the same state of the machine.
  constexpr int kMaxSamples = 1000;
  for (int sample = 0; sample < kMaxSamples; ++sample) {
    measure.BeforeReference();
    reference = std::min(reference, TimeBatch(batch, [&] { measure.Reference(); }));
    measure.BeforeFigure();
    figure = std::min(figure, TimeBatch(batch, [&] { measure.Figure(); }));
    result.samples = sample + 1;
    const double elapsed = Now() - started;
    if (sample >= 2 && elapsed > options_.budgetSeconds) break;
    if (result.samples >= options_.repetitions && elapsed >= options_.minSeconds) break;
  }
  if (!measure.Verify(result.error)) return result;

  result.ran = true;
  result.figureMs = figure;
  result.referenceMs = reference;
  result.ratio = RatioFor(result.target, figure, reference);
  result.met = IsMet(result.target, result.ratio, figure);
  return result;
}

}  // namespace SkinUIBench

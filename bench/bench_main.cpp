// The benchmark program: every measure against its reference in one run.
//   skinui_bench.exe [--only NAME[,NAME...]] [--repetitions N] [--min-seconds S]
//                    [--budget SECONDS] [--dump FOLDER]
// --dump writes what the drawing measures drew, to compare two builds pixel
// for pixel.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_runner.h"
#include "bench/measure_registry.h"

namespace {

std::wstring Widen(const char* text) {
  wchar_t wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH);
  return wide;
}

bool ParseOptions(int argc, char** argv, SkinUIBench::TBenchOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const char* name = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (value == nullptr) return false;
    if (std::strcmp(name, "--only") == 0) {
      options.only = value;
    } else if (std::strcmp(name, "--repetitions") == 0) {
      options.repetitions = std::atoi(value);
    } else if (std::strcmp(name, "--min-seconds") == 0) {
      options.minSeconds = std::atof(value);
    } else if (std::strcmp(name, "--budget") == 0) {
      options.budgetSeconds = std::atof(value);
    } else if (std::strcmp(name, "--dump") == 0) {
      options.dumpFolder = Widen(value);
    } else {
      return false;
    }
    ++i;
  }
  return options.repetitions > 0;
}

}  // namespace

int main(int argc, char** argv) {
  SkinUIBench::TBenchOptions options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: skinui_bench [--only NAME[,NAME...]] [--repetitions N] [--min-seconds S] "
                 "[--budget SECONDS] [--dump FOLDER]\n");
    return 2;
  }
  if (!options.dumpFolder.empty()) CreateDirectoryW(options.dumpFolder.c_str(), nullptr);
  std::printf(
      "SkinUI benchmark: each measure against a reference in the same run, best of at least "
      "%d samples taken over %.1f s or more\n",
      options.repetitions, options.minSeconds);
  auto measures = SkinUIBench::AllMeasures();
  SkinUIBench::CBenchRunner runner(options);
  runner.Run(measures);
  // What the process holds is read with none of the timed measures' windows
  // left.
  measures.clear();
  auto footprints = SkinUIBench::AllFootprints();
  runner.RunFootprints(footprints);
  std::printf("targets met: %d of %d%s\n", runner.Met(), runner.Ran(),
              runner.Failed() > 0 ? " (some measures failed)" : "");
  return runner.Failed() > 0 ? 1 : 0;
}

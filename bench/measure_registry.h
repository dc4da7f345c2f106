#pragma once
// Every measure of the benchmark, in the order they are printed. A new
// measure is one file with its factory, declared here and listed in
// AllMeasures().

#include <memory>
#include <vector>

#include "bench/bench_measure.h"

namespace SkinUIBench {

std::unique_ptr<CBenchMeasure> MakeXmlLoadMeasure();
std::unique_ptr<CBenchMeasure> MakeXmlLoadFreshReferenceMeasure();
std::unique_ptr<CBenchMeasure> MakeMarkupWrapMeasure();
std::unique_ptr<CBenchMeasure> MakeArchiveImageMeasure();
std::unique_ptr<CBenchMeasure> MakeImageDecodeMeasure();
std::unique_ptr<CBenchMeasure> MakeTextRunMeasure();
std::unique_ptr<CBenchMeasure> MakeStringAppendMeasure();
std::unique_ptr<CBenchMeasure> MakeStringReplaceMeasure();
std::unique_ptr<CBenchMeasure> MakeRepaintProxyMeasure();
std::unique_ptr<CBenchMeasure> MakeListFillMeasure();
std::unique_ptr<CBenchMeasure> MakeListScrollFrameMeasure();
std::unique_ptr<CBenchMeasure> MakeWindowRepaintMeasure();
std::unique_ptr<CBenchMeasure> MakeNamedInstallMeasure();
std::unique_ptr<CBenchMeasure> MakeNamedMouseMoveMeasure();
std::unique_ptr<CBenchMeasure> MakeProgramStartMeasure();
std::unique_ptr<CBenchMeasure> MakeScaledStartMeasure();
std::unique_ptr<CFootprintMeasure> MakeScanInstallCyclesMeasure();

std::vector<std::unique_ptr<CBenchMeasure>> AllMeasures();
std::vector<std::unique_ptr<CFootprintMeasure>> AllFootprints();

}  // namespace SkinUIBench

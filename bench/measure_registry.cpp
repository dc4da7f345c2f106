#include "bench/measure_registry.h"

namespace SkinUIBench {

std::vector<std::unique_ptr<CBenchMeasure>> AllMeasures() {
  std::vector<std::unique_ptr<CBenchMeasure>> measures;
  measures.push_back(MakeXmlLoadFreshReferenceMeasure());
  measures.push_back(MakeXmlLoadMeasure());
  measures.push_back(MakeMarkupWrapMeasure());
  measures.push_back(MakeArchiveImageMeasure());
  measures.push_back(MakeImageDecodeMeasure());
  measures.push_back(MakeStringAppendMeasure());
  measures.push_back(MakeStringReplaceMeasure());
  measures.push_back(MakeTextRunMeasure());
  measures.push_back(MakeRepaintProxyMeasure());
  measures.push_back(MakeWindowRepaintMeasure());
  measures.push_back(MakeListFillMeasure());
  measures.push_back(MakeListScrollFrameMeasure());
  measures.push_back(MakeNamedInstallMeasure());
  measures.push_back(MakeNamedMouseMoveMeasure());
  // The program's own window last: it registers the program's skin archive.
  measures.push_back(MakeProgramStartMeasure());
  measures.push_back(MakeScaledStartMeasure());
  return measures;
}

std::vector<std::unique_ptr<CFootprintMeasure>> AllFootprints() {
  std::vector<std::unique_ptr<CFootprintMeasure>> measures;
  measures.push_back(MakeScanInstallCyclesMeasure());
  return measures;
}

}  // namespace SkinUIBench

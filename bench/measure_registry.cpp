#include "bench/measure_registry.h"

namespace SkinUIBench {

std::vector<std::unique_ptr<CBenchMeasure>> AllMeasures() {
  std::vector<std::unique_ptr<CBenchMeasure>> measures;
  measures.push_back(MakeXmlLoadMeasure());
  measures.push_back(MakeXmlLoadFreshReferenceMeasure());
  measures.push_back(MakeMarkupWrapMeasure());
  measures.push_back(MakeArchiveImageMeasure());
  measures.push_back(MakeStringAppendMeasure());
  measures.push_back(MakeStringReplaceMeasure());
  measures.push_back(MakeRepaintProxyMeasure());
  measures.push_back(MakeListFillMeasure());
  measures.push_back(MakeListScrollFrameMeasure());
  return measures;
}

}  // namespace SkinUIBench

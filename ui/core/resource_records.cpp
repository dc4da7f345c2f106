#include "ui/core/resource_records.h"

namespace SkinUI {

void FontRecord::ReadMetrics(HDC dc) {
  if (dc == nullptr || !font) return;
  SelectObjectGuard select(dc, font.get());
  GetTextMetricsW(dc, &metrics);
}

}  // namespace SkinUI

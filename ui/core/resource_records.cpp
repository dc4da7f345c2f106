#include "ui/core/resource_records.h"

#include <atomic>

namespace SkinUI {

namespace {

std::atomic<unsigned long> retiredRecords{0};

}  // namespace

unsigned long RetiredRecordCount() {
  return retiredRecords.load(std::memory_order_acquire);
}

// A record given a moved one's handles lets its own go.
CRecordLife& CRecordLife::operator=(CRecordLife&&) noexcept {
  retiredRecords.fetch_add(1, std::memory_order_release);
  return *this;
}

CRecordLife::~CRecordLife() {
  retiredRecords.fetch_add(1, std::memory_order_release);
}

void FontRecord::ReadMetrics(HDC dc) {
  if (dc == nullptr || !font) return;
  SelectObjectGuard select(dc, font.get());
  GetTextMetricsW(dc, &metrics);
}

}  // namespace SkinUI

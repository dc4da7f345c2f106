#pragma once
// What the process holds: GDI objects, windows, kernel handles, threads,
// private (committed) bytes and the live blocks of its heaps. Where the platform's own counts are
// missing (Wine reports zero), the objects are counted directly.

namespace SkinUIBench {

struct TProcessCounters {
  double gdiObjects = 0;
  double windows = 0;
  double handles = 0;
  double threads = 0;
  double privateBytes = 0;
  double heapBytes = 0;
};

TProcessCounters ReadProcessCounters();
// The threads alone, cheap enough to wait on.
double ProcessThreadCount();

}  // namespace SkinUIBench

#pragma once
// The test programs that link poisoned_heap.cpp replace the global operator
// delete: every block freed through it is filled with a pattern and held back
// from the heap for a while. A read through a dangling pointer meets the
// pattern (a virtual call through it faults at once), and a write into a
// freed block is found when the block finally goes back to the heap, or by
// FreedBlocksStillPoisoned. Faults are counted as they happen, since the
// platform swallows some of them (those inside WM_PAINT, for one).

namespace SkinUITest {

// Checks every block still held back; false (with the first one written to
// reported on stderr) when one was written after it was freed.
bool FreedBlocksStillPoisoned();
// Access violations raised in the program so far, handled or not.
long AccessFaultsSeen();

}  // namespace SkinUITest

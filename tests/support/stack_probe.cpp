#include "tests/support/stack_probe.h"

#include <windows.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace SkinUITest {

namespace {

constexpr unsigned char kUntouched = 0xA5;
// Left alone at the bottom of the stack: the guard page and what the system
// needs there to report an overflow.
constexpr size_t kStackFloor = 64 * 1024;

thread_local size_t threadStackBytes = 0;

struct TProbeRun {
  const std::function<void()>* work = nullptr;
  size_t stackBytes = 0;
};

DWORD WINAPI ProbeThread(LPVOID data) {
  auto* run = static_cast<TProbeRun*>(data);
  threadStackBytes = run->stackBytes;
  try {
    (*run->work)();
  } catch (...) {
    std::fprintf(stderr, "an exception left the measured work\n");
  }
  return 0;
}

// Commits and fills the free stack below the caller's frame. alloca probes
// page by page, so the stack grows as the system expects it to.
__attribute__((noinline)) void PaintStack(unsigned char*& painted, size_t& paintedBytes) {
  unsigned char here = 0;
  MEMORY_BASIC_INFORMATION region = {};
  VirtualQuery(&here, &region, sizeof(region));
  auto* base = static_cast<unsigned char*>(region.AllocationBase);
  size_t below = static_cast<size_t>(&here - base);
  if (threadStackBytes != 0) below = std::min(below, threadStackBytes);
  const size_t size = below > kStackFloor * 2 ? below - kStackFloor * 2 : 0;
  auto* block = static_cast<unsigned char*>(alloca(size));
  std::memset(block, kUntouched, size);
  // The block is never read here: without this the fill would be optimised away.
  asm volatile("" : : "r"(block) : "memory");
  painted = block;
  paintedBytes = size;
}

}  // namespace

void RunWithStack(const std::function<void()>& work, size_t stackBytes) {
  TProbeRun run{&work, stackBytes};
  HANDLE thread = CreateThread(nullptr, stackBytes, ProbeThread, &run,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

CStackGauge::CStackGauge() {
  Reset();
}

__attribute__((noinline)) void CStackGauge::Reset() {
  unsigned char here = 0;
  top_ = &here;
  PaintStack(painted_, paintedBytes_);
}

size_t CStackGauge::Peak() const {
  size_t untouched = 0;
  while (untouched < paintedBytes_ && painted_[untouched] == kUntouched) ++untouched;
  return static_cast<size_t>(top_ - (painted_ + untouched));
}

}  // namespace SkinUITest

#include "tests/support/poisoned_heap.h"

#include <windows.h>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr unsigned char kPoison = 0xDD;
// Blocks held back, and the most bytes they may take.
constexpr size_t kHeldBlocks = 8192;
constexpr size_t kHeldBytes = 32 * 1024 * 1024;

struct THeldBlock {
  unsigned char* data;
  size_t size;
};

// Plain data only: operator delete runs before and after every constructor
// and destructor of the program.
SRWLOCK lock = SRWLOCK_INIT;
THeldBlock held[kHeldBlocks];
size_t first = 0;
size_t count = 0;
size_t heldBytes = 0;

bool StillPoisoned(const THeldBlock& block) {
  for (size_t i = 0; i < block.size; ++i) {
    if (block.data[i] != kPoison) return false;
  }
  return true;
}

void Report(const THeldBlock& block) {
  std::fprintf(stderr, "a block of %u bytes at %p was written after it was freed\n",
               static_cast<unsigned>(block.size), static_cast<void*>(block.data));
}

// Caller holds the lock.
void ReleaseOldest() {
  const THeldBlock block = held[first];
  first = (first + 1) % kHeldBlocks;
  --count;
  heldBytes -= block.size;
  if (!StillPoisoned(block)) {
    Report(block);
    std::abort();
  }
  std::free(block.data);
}

void HoldBack(void* pointer) {
  const size_t size = _msize(pointer);
  std::memset(pointer, kPoison, size);
  AcquireSRWLockExclusive(&lock);
  while (count > 0 && (count == kHeldBlocks || heldBytes + size > kHeldBytes)) ReleaseOldest();
  held[(first + count) % kHeldBlocks] = {static_cast<unsigned char*>(pointer), size};
  ++count;
  heldBytes += size;
  ReleaseSRWLockExclusive(&lock);
}

volatile LONG accessFaults = 0;

LONG CALLBACK CountAccessFault(PEXCEPTION_POINTERS info) {
  if (info->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
    InterlockedIncrement(&accessFaults);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// Seen first, before any handler of the platform's that would swallow it.
const PVOID faultCounter = AddVectoredExceptionHandler(1, CountAccessFault);

}  // namespace

namespace SkinUITest {

long AccessFaultsSeen() {
  return accessFaults;
}

bool FreedBlocksStillPoisoned() {
  AcquireSRWLockExclusive(&lock);
  bool intact = true;
  for (size_t i = 0; i < count && intact; ++i) {
    const THeldBlock& block = held[(first + i) % kHeldBlocks];
    if (!StillPoisoned(block)) {
      Report(block);
      intact = false;
    }
  }
  ReleaseSRWLockExclusive(&lock);
  return intact;
}

}  // namespace SkinUITest

void operator delete(void* pointer) noexcept {
  if (pointer != nullptr) HoldBack(pointer);
}

void operator delete[](void* pointer) noexcept {
  if (pointer != nullptr) HoldBack(pointer);
}

void operator delete(void* pointer, std::size_t) noexcept {
  if (pointer != nullptr) HoldBack(pointer);
}

void operator delete[](void* pointer, std::size_t) noexcept {
  if (pointer != nullptr) HoldBack(pointer);
}

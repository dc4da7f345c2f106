#include "bench/process_counters.h"

#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>

namespace SkinUIBench {

namespace {

// Handle values are multiples of four handed out from the bottom; this
// process never holds more than a few hundred.
constexpr uintptr_t kHighestProbedHandle = 0x10000;
constexpr int kGdiTableEntries = 65536;

// An entry of the GDI handle table the process environment block points
// to, as Wine lays it out; a free entry has type 0.
struct TGdiTableEntry {
  uint64_t object;
  uint32_t owner;
  uint16_t unique;
  uint8_t type;
  uint8_t flags;
  uint64_t userPointer;
};

double CountGdiTableEntries() {
  PROCESS_BASIC_INFORMATION basic = {};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic),
                                nullptr) != 0) {
    return 0;
  }
  const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
  constexpr size_t kTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;
  const auto* table = *reinterpret_cast<const TGdiTableEntry* const*>(peb + kTableOffset);
  if (table == nullptr) return 0;
  return static_cast<double>(std::count_if(table, table + kGdiTableEntries,
                                           [](const TGdiTableEntry& e) { return e.type != 0; }));
}

double GdiObjects() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  return reported != 0 ? reported : CountGdiTableEntries();
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<double*>(count);
  EnumChildWindows(hwnd, CountWindow, count);
  return TRUE;
}

double Windows() {
  double count = 0;
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

double Handles() {
  DWORD reported = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported != 0) return reported;
  double count = 0;
  DWORD flags = 0;
  for (uintptr_t value = 4; value < kHighestProbedHandle; value += 4) {
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

// The thread environment block of this thread, as the platform reports it.
const void* ThreadBlock() {
  struct {
    LONG exitStatus;
    PVOID tebBaseAddress;
    CLIENT_ID clientId;
    ULONG_PTR affinityMask;
    LONG priority;
    LONG basePriority;
  } basic = {};
  if (NtQueryInformationThread(GetCurrentThread(), ThreadBasicInformation, &basic, sizeof(basic),
                               nullptr) != 0) {
    return nullptr;
  }
  return basic.tebBaseAddress;
}

// Committed private memory, without the allocation that holds the thread
// environment blocks: Wine keeps all of them in one area and commits it in
// 64 KB steps as threads come and go, and keeps the step after they end.
double PrivateBytes() {
  MEMORY_BASIC_INFORMATION region = {};
  const void* threadBlocks = nullptr;
  if (VirtualQuery(ThreadBlock(), &region, sizeof(region)) != 0) {
    threadBlocks = region.AllocationBase;
  }
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  double total = 0;
  for (auto* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
       at < system.lpMaximumApplicationAddress && VirtualQuery(at, &region, sizeof(region)) != 0;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE &&
        region.AllocationBase != threadBlocks) {
      total += static_cast<double>(region.RegionSize);
    }
  }
  return total;
}

// Whether the walk has come back to one of the entries it showed last. Under
// Wine a heap grown to a large region can be walked round in a circle of a
// few entries for ever; nothing may be allocated while the heap is walked,
// so the last entries are kept in place.
class CWalkCircle {
 public:
  bool Closes(const void* data) {
    for (const void* seen : last_) {
      if (seen == data) return true;
    }
    last_[next_++ % kKept] = data;
    return false;
  }

 private:
  static constexpr size_t kKept = 16;
  const void* last_[kKept] = {};
  size_t next_ = 0;
};

// Bytes of live blocks in every heap of the process: what was allocated and
// not freed, without the room the heaps keep for later.
double HeapBytesInUse() {
  HANDLE heaps[64];
  const DWORD count = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
  double total = 0;
  for (DWORD i = 0; i < count; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry = {};
    CWalkCircle circle;
    while (HeapWalk(heaps[i], &entry) && !circle.Closes(entry.lpData)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    }
    HeapUnlock(heaps[i]);
  }
  return total;
}

}  // namespace

double ProcessThreadCount() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  double count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

TProcessCounters ReadProcessCounters() {
  TProcessCounters counters;
  counters.gdiObjects = GdiObjects();
  counters.windows = Windows();
  counters.handles = Handles();
  counters.threads = ProcessThreadCount();
  counters.privateBytes = PrivateBytes();
  counters.heapBytes = HeapBytesInUse();
  return counters;
}

}  // namespace SkinUIBench

#include "ui/render/paint_memo.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "ui/core/resource_records.h"
#include "ui/render/dib_section.h"

namespace SkinUI {

namespace {

thread_local CPaintMemoUI* currentMemo = nullptr;

size_t PixelsIn(const RECT& rc) {
  return static_cast<size_t>(rc.right - rc.left) * static_cast<size_t>(rc.bottom - rc.top);
}

size_t BytesOf(const CPaintMemoUI::TEntry& entry) {
  return (entry.before.size() + entry.after.size()) * sizeof(DWORD);
}

// Four pixels at a time where the processor can; some C libraries compare
// memory a byte at a time, which costs more than the draw it saves.
[[gnu::target("sse2")]] bool SameRowWide(const DWORD* a, const DWORD* b, int count) {
  __m128i difference = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    difference = _mm_or_si128(difference, _mm_xor_si128(left, right));
  }
  DWORD rest = 0;
  for (; i < count; ++i) rest |= a[i] ^ b[i];
  return rest == 0 && _mm_movemask_epi8(_mm_cmpeq_epi8(difference, _mm_setzero_si128())) == 0xFFFF;
}

bool SameRowNarrow(const DWORD* a, const DWORD* b, int count) {
  DWORD difference = 0;
  for (int i = 0; i < count; ++i) difference |= a[i] ^ b[i];
  return difference == 0;
}

bool SameRow(const DWORD* a, const DWORD* b, int count) {
  return CanProcessFourPixelsAtOnce() ? SameRowWide(a, b, count) : SameRowNarrow(a, b, count);
}

// Device pixels are logical ones: no mapping, no mirroring, no origin moved.
bool HasIdentityMapping(HDC dc) {
  POINT viewport = {};
  POINT window = {};
  return GetMapMode(dc) == MM_TEXT && GetGraphicsMode(dc) == GM_COMPATIBLE && GetLayout(dc) == 0 &&
         GetViewportOrgEx(dc, &viewport) && GetWindowOrgEx(dc, &window) && viewport.x == 0 &&
         viewport.y == 0 && window.x == 0 && window.y == 0;
}

}  // namespace

void CPaintMemoUI::Attach(const TPaintSurface& newSurface) {
  Clear();
  surface = newSurface;
}

void CPaintMemoUI::Clear() {
  slots.clear();
  order.clear();
  keptBytes = 0;
  resourceGeneration = RetiredRecordCount();
}

const CPaintMemoUI::TEntry* CPaintMemoUI::Find(const std::wstring& key, const RECT& area) {
  if (resourceGeneration != RetiredRecordCount()) Clear();
  const auto slot = slots.find(key);
  if (slot == slots.end() || !EqualRect(&slot->second.entry.area, &area)) return nullptr;
  if (!ShowsNow(slot->second.entry)) return nullptr;
  order.splice(order.begin(), order, slot->second.used);
  return &slot->second.entry;
}

bool CPaintMemoUI::ShowsNow(const TEntry& entry) const {
  const int width = entry.area.right - entry.area.left;
  const DWORD* kept = entry.before.data();
  for (LONG y = entry.area.top; y < entry.area.bottom; ++y, kept += width) {
    const DWORD* row = surface.pixels + static_cast<size_t>(y) * surface.width + entry.area.left;
    if (!SameRow(row, kept, width)) return false;
  }
  return true;
}

void CPaintMemoUI::Keep(const std::wstring& key, TEntry entry) {
  const auto existing = slots.find(key);
  if (existing != slots.end()) Forget(existing);
  const size_t bytes = BytesOf(entry);
  if (bytes > Budget()) return;
  while (keptBytes + bytes > Budget() && !order.empty()) Forget(slots.find(order.back()));
  order.push_front(key);
  keptBytes += bytes;
  slots.emplace(key, TSlot{std::move(entry), order.begin()});
}

void CPaintMemoUI::Forget(std::unordered_map<std::wstring, TSlot>::iterator slot) {
  keptBytes -= BytesOf(slot->second.entry);
  order.erase(slot->second.used);
  slots.erase(slot);
}

// Room for the whole surface drawn once, before and after.
size_t CPaintMemoUI::Budget() const {
  return 2 * static_cast<size_t>(surface.width) * static_cast<size_t>(surface.height) *
         sizeof(DWORD);
}

CPaintMemoScope::CPaintMemoScope(CPaintMemoUI* memo) : previous(currentMemo) {
  currentMemo = memo;
}

CPaintMemoScope::~CPaintMemoScope() {
  currentMemo = previous;
}

bool CMemoizedDraw::ReplayKeyed(std::wstring drawKey) {
  key = std::move(drawKey);
  // Drawing calls the platform has not carried out yet would be missed.
  GdiFlush();
  if (const CPaintMemoUI::TEntry* entry = memo->Find(key, visible)) {
    Write(entry->after);
    memo = nullptr;  // nothing to record
    return true;
  }
  Read(before);
  return false;
}

// Only where the draw's effect is known: inside one clip rectangle, on the
// surface, in device pixels that are the logical ones.
bool CMemoizedDraw::Applies() {
  CPaintMemoUI* current = currentMemo;
  if (current == nullptr || dc == nullptr || dc != current->Surface().dc) return false;
  const TPaintSurface& surface = current->Surface();
  if (surface.pixels == nullptr || !HasIdentityMapping(dc)) return false;
  RECT clip = {};
  if (GetClipBox(dc, &clip) != SIMPLEREGION) return false;
  const RECT bounds = {0, 0, surface.width, surface.height};
  if (!IntersectRect(&visible, &area, &clip) || !IntersectRect(&visible, &visible, &bounds)) {
    return false;
  }
  memo = current;
  return true;
}

void CMemoizedDraw::Record() {
  if (memo == nullptr) return;
  GdiFlush();
  CPaintMemoUI::TEntry entry;
  entry.area = visible;
  entry.before = std::move(before);
  Read(entry.after);
  memo->Keep(key, std::move(entry));
}

void CMemoizedDraw::Read(std::vector<DWORD>& pixels) const {
  const TPaintSurface& surface = memo->Surface();
  const int width = visible.right - visible.left;
  pixels.resize(PixelsIn(visible));
  DWORD* out = pixels.data();
  for (LONG y = visible.top; y < visible.bottom; ++y, out += width) {
    std::memcpy(out, surface.pixels + static_cast<size_t>(y) * surface.width + visible.left,
                width * sizeof(DWORD));
  }
}

void CMemoizedDraw::Write(const std::vector<DWORD>& pixels) const {
  const TPaintSurface& surface = memo->Surface();
  const int width = visible.right - visible.left;
  const DWORD* in = pixels.data();
  for (LONG y = visible.top; y < visible.bottom; ++y, in += width) {
    std::memcpy(surface.pixels + static_cast<size_t>(y) * surface.width + visible.left, in,
                width * sizeof(DWORD));
  }
}

CMemoKey& CMemoKey::Add(long long value) {
  for (int shift = 0; shift < 64; shift += 16) {
    text.push_back(static_cast<wchar_t>((value >> shift) & 0xFFFF));
  }
  return *this;
}

CMemoKey& CMemoKey::Add(const RECT& rc) {
  return Add(rc.left).Add(rc.top).Add(rc.right).Add(rc.bottom);
}

// The length goes first, so texts followed by numbers cannot run together.
CMemoKey& CMemoKey::Add(const wchar_t* value, size_t length) {
  Add(static_cast<long long>(length));
  text.append(value, length);
  return *this;
}

}  // namespace SkinUI

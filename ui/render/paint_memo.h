#pragma once
// Draws that give the same pixels again. A text run or a blended image drawn
// with the same key over the same pixels leaves the same pixels, so a window
// repainting what it painted before (uncovered, hovered, invalidated whole)
// puts back what the draw left instead of asking the platform again; under
// some platforms a short text run costs as much as copying a whole button.
//
// The memo belongs to the window's paint surface: a top-down 32-bit DIB
// section the window paints into. Draws made into any other device context,
// through a clip that is not a rectangle, or with a mapping other than the
// identity are drawn as ever.

#include <windows.h>

#include <list>
#include <string>
#include <unordered_map>
#include <vector>

namespace SkinUI {

struct TPaintSurface {
  HDC dc = nullptr;
  DWORD* pixels = nullptr;
  int width = 0;
  int height = 0;
};

class CPaintMemoUI {
 public:
  // Keys name a draw completely: what is drawn, how, and where.
  struct TEntry {
    RECT area = {};  // what the draw may change, inside the surface
    std::vector<DWORD> before;
    std::vector<DWORD> after;
  };

  // Forgets every draw; the pixels of another surface are not these.
  void Attach(const TPaintSurface& surface);
  void Clear();
  const TPaintSurface& Surface() const { return surface; }

  // The entry for key whose area and pixels are those on the surface now.
  const TEntry* Find(const std::wstring& key, const RECT& area);
  void Keep(const std::wstring& key, TEntry entry);
  size_t KeptBytes() const { return keptBytes; }

 private:
  using TOrder = std::list<std::wstring>;
  struct TSlot {
    TEntry entry;
    TOrder::iterator used;
  };

  bool ShowsNow(const TEntry& entry) const;
  void Forget(std::unordered_map<std::wstring, TSlot>::iterator slot);
  size_t Budget() const;

  TPaintSurface surface;
  std::unordered_map<std::wstring, TSlot> slots;
  TOrder order;  // most recently used first
  size_t keptBytes = 0;
  unsigned long resourceGeneration = 0;
};

// The memo a window's paint uses while it lasts, on the painting thread.
class CPaintMemoScope {
 public:
  explicit CPaintMemoScope(CPaintMemoUI* memo);
  ~CPaintMemoScope();
  CPaintMemoScope(const CPaintMemoScope&) = delete;
  CPaintMemoScope& operator=(const CPaintMemoScope&) = delete;

 private:
  CPaintMemoUI* previous;
};

// One draw into dc, changing nothing outside area:
//   CMemoizedDraw memo(dc, area);
//   if (memo.Replay([&] { return Key(...); })) return;
//   ...draw...
//   memo.Record();
// The key is made only for a draw the memo can take; a draw never offered
// to Replay is not recorded.
class CMemoizedDraw {
 public:
  CMemoizedDraw(HDC dc, const RECT& area) : dc(dc), area(area) {}
  CMemoizedDraw(const CMemoizedDraw&) = delete;
  CMemoizedDraw& operator=(const CMemoizedDraw&) = delete;

  // True when what the draw left last time was put back.
  template <typename MakeKey>
  bool Replay(MakeKey makeKey) {
    return Applies() && ReplayKeyed(makeKey());
  }
  // Keeps what the draw left for the next time.
  void Record();

 private:
  bool Applies();
  bool ReplayKeyed(std::wstring drawKey);
  void Read(std::vector<DWORD>& pixels) const;
  void Write(const std::vector<DWORD>& pixels) const;

  HDC dc;
  RECT area;
  CPaintMemoUI* memo = nullptr;
  std::wstring key;
  RECT visible = {};
  std::vector<DWORD> before;
};

// Keys are built from the draw's numbers and texts.
class CMemoKey {
 public:
  explicit CMemoKey(wchar_t kind) {
    text.reserve(128);
    text.push_back(kind);
  }
  CMemoKey& Add(long long value);
  CMemoKey& Add(const RECT& rc);
  CMemoKey& Add(const wchar_t* value, size_t length);
  std::wstring Take() { return std::move(text); }

 private:
  std::wstring text;
};

}  // namespace SkinUI

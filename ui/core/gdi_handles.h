#pragma once
// Owners for GDI handles: every pen, brush, region, bitmap, font and memory
// device context the framework creates is held by one of these.

#include <windows.h>

#include <utility>

namespace SkinUI {

// Deletes a GDI object (pen, brush, region, bitmap, font) with DeleteObject.
template <typename T>
class UniqueGdiObject {
 public:
  UniqueGdiObject() = default;
  explicit UniqueGdiObject(T handle) : owned(handle) {}
  UniqueGdiObject(UniqueGdiObject&& other) noexcept : owned(other.release()) {}
  UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueGdiObject(const UniqueGdiObject&) = delete;
  UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
  ~UniqueGdiObject() { reset(); }

  T get() const { return owned; }
  explicit operator bool() const { return owned != nullptr; }
  T release() { return std::exchange(owned, nullptr); }
  void reset(T handle = nullptr) {
    if (owned != nullptr && owned != handle) DeleteObject(owned);
    owned = handle;
  }

 private:
  T owned = nullptr;
};

using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueRegion = UniqueGdiObject<HRGN>;
using UniquePen = UniqueGdiObject<HPEN>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
class UniqueMemoryDC {
 public:
  UniqueMemoryDC() = default;
  explicit UniqueMemoryDC(HDC compatibleWith) : owned(CreateCompatibleDC(compatibleWith)) {}
  UniqueMemoryDC(UniqueMemoryDC&& other) noexcept : owned(std::exchange(other.owned, nullptr)) {}
  UniqueMemoryDC& operator=(UniqueMemoryDC&& other) noexcept {
    reset(std::exchange(other.owned, nullptr));
    return *this;
  }
  UniqueMemoryDC(const UniqueMemoryDC&) = delete;
  UniqueMemoryDC& operator=(const UniqueMemoryDC&) = delete;
  ~UniqueMemoryDC() { reset(); }

  HDC get() const { return owned; }
  explicit operator bool() const { return owned != nullptr; }
  void reset(HDC dc = nullptr) {
    if (owned != nullptr && owned != dc) DeleteDC(owned);
    owned = dc;
  }

 private:
  HDC owned = nullptr;
};

// Selects an object into a device context and selects the previous one back
// when it goes out of scope.
class SelectObjectGuard {
 public:
  SelectObjectGuard(HDC dc, HGDIOBJ object)
      : target(dc), previous(object != nullptr ? SelectObject(dc, object) : nullptr) {}
  SelectObjectGuard(const SelectObjectGuard&) = delete;
  SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
  ~SelectObjectGuard() {
    if (previous != nullptr && previous != HGDI_ERROR) SelectObject(target, previous);
  }

 private:
  HDC target;
  HGDIOBJ previous;
};

// A device context from GetDC, released with ReleaseDC.
class WindowDCGuard {
 public:
  explicit WindowDCGuard(HWND hwnd) : window(hwnd), windowDC(GetDC(hwnd)) {}
  WindowDCGuard(const WindowDCGuard&) = delete;
  WindowDCGuard& operator=(const WindowDCGuard&) = delete;
  ~WindowDCGuard() {
    if (windowDC != nullptr) ReleaseDC(window, windowDC);
  }
  HDC get() const { return windowDC; }

 private:
  HWND window;
  HDC windowDC;
};

}  // namespace SkinUI

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
  explicit UniqueGdiObject(T handle) : handle_(handle) {}
  UniqueGdiObject(UniqueGdiObject&& other) noexcept : handle_(other.release()) {}
  UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueGdiObject(const UniqueGdiObject&) = delete;
  UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
  ~UniqueGdiObject() { reset(); }

  T get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  T release() { return std::exchange(handle_, nullptr); }
  void reset(T handle = nullptr) {
    if (handle_ != nullptr && handle_ != handle) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  T handle_ = nullptr;
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
  explicit UniqueMemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  UniqueMemoryDC(UniqueMemoryDC&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
  UniqueMemoryDC& operator=(UniqueMemoryDC&& other) noexcept {
    reset(std::exchange(other.dc_, nullptr));
    return *this;
  }
  UniqueMemoryDC(const UniqueMemoryDC&) = delete;
  UniqueMemoryDC& operator=(const UniqueMemoryDC&) = delete;
  ~UniqueMemoryDC() { reset(); }

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset(HDC dc = nullptr) {
    if (dc_ != nullptr && dc_ != dc) DeleteDC(dc_);
    dc_ = dc;
  }

 private:
  HDC dc_ = nullptr;
};

// Selects an object into a device context and selects the previous one back
// when it goes out of scope.
class SelectObjectGuard {
 public:
  SelectObjectGuard(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
  SelectObjectGuard(const SelectObjectGuard&) = delete;
  SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
  ~SelectObjectGuard() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A device context from GetDC, released with ReleaseDC.
class WindowDCGuard {
 public:
  explicit WindowDCGuard(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDCGuard(const WindowDCGuard&) = delete;
  WindowDCGuard& operator=(const WindowDCGuard&) = delete;
  ~WindowDCGuard() {
    if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

}  // namespace SkinUI

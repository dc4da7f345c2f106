#pragma once
// Owners for the two automation values the agent hands out: BSTR and VARIANT.
// Both start empty, so a read that fails leaves nothing to misinterpret.

#include <windows.h>
#include <oleauto.h>

#include <cwchar>

class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(const wchar_t* text) : value_(SysAllocString(text)) {}
  ~UniqueBstr() { Reset(); }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;

  // Frees the current string and hands out the slot for a callee to fill.
  BSTR* Out() {
    Reset();
    return &value_;
  }
  void Reset() {
    SysFreeString(value_);
    value_ = nullptr;
  }

  BSTR Get() const { return value_; }
  bool IsNull() const { return value_ == nullptr; }
  // A null BSTR means the empty string to automation.
  const wchar_t* Text() const { return value_ ? value_ : L""; }
  UINT Length() const { return SysStringLen(value_); }
  bool Equals(const wchar_t* text, UINT length) const {
    return Length() == length && (length == 0 || std::wmemcmp(value_, text, length) == 0);
  }

 private:
  BSTR value_ = nullptr;
};

class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&value_); }
  ~UniqueVariant() { VariantClear(&value_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;

  VARIANT* Out() {
    VariantClear(&value_);
    return &value_;
  }
  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

// A 64-bit integer as automation carries it (VT_I8), as a job's state is.
inline VARIANT Int64Variant(LONGLONG number) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I8;
  value.llVal = number;
  return value;
}

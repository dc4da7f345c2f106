// Wide string: growing by one character 80,000 times, and replacing 80,000
// occurrences, each against std::wstring doing the same.

#include <string>

#include "bench/measure_registry.h"
#include "ui/core/wide_string.h"

namespace SkinUIBench {

namespace {

constexpr int kCount = 80000;
constexpr wchar_t kFrom[] = L"<";
constexpr wchar_t kTo[] = L"{<}";

class CStringAppendMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "wstring-append-80k"; }
  TBenchTarget Target() const override { return {TargetKind::SlowdownAtMost, 2.0}; }

  bool Prepare(std::string&) override { return true; }

  // Both sides start from empty strings with no heap buffer on either side,
  // so that neither finds memory the other has just given back: under Wine
  // the cost of growing is mostly the first touch of memory the heap has to
  // commit again, and it falls on whichever side's buffers do not fit.
  void BeforeFigure() override { ReleaseBoth(); }
  void BeforeReference() override { ReleaseBoth(); }

  void Figure() override {
    for (int i = 0; i < kCount; ++i) figure_ += Letter(i);
  }

  void Reference() override {
    for (int i = 0; i < kCount; ++i) reference_ += Letter(i);
    referenceLength_ = reference_.size();
  }

  bool Verify(std::string& error) override {
    std::wstring expected;
    for (int i = 0; i < kCount; ++i) expected += Letter(i);
    if (referenceLength_ != expected.size() || expected != figure_.GetData()) {
      error = "the texts differ";
    }
    return error.empty();
  }

 private:
  static wchar_t Letter(int i) { return static_cast<wchar_t>(L'a' + i % 26); }

  void ReleaseBoth() {
    figure_.Empty();
    std::wstring().swap(reference_);
  }

  SkinUI::CWideStringUI figure_;
  std::wstring reference_;
  size_t referenceLength_ = 0;
};

// The reference builds the result in one pass, as careful code would.
int ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
  std::wstring result;
  int count = 0;
  size_t position = 0;
  for (size_t found = text.find(from); found != std::wstring::npos;
       found = text.find(from, position)) {
    result.append(text, position, found - position);
    result += to;
    position = found + from.size();
    ++count;
  }
  result.append(text, position, std::wstring::npos);
  text.swap(result);
  return count;
}

class CStringReplaceMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "wstring-replace-80k"; }
  TBenchTarget Target() const override { return {TargetKind::SlowdownAtMost, 2.0}; }

  bool Prepare(std::string&) override {
    for (int i = 0; i < kCount; ++i) source_ += (i % 3 == 0) ? L"ab<" : L"x<";
    return true;
  }

  void BeforeFigure() override { figure_ = source_.c_str(); }
  void BeforeReference() override { reference_ = source_; }

  void Figure() override { figureCount_ = figure_.Replace(kFrom, kTo); }
  void Reference() override { referenceCount_ = ReplaceAll(reference_, kFrom, kTo); }

  bool Verify(std::string& error) override {
    if (figureCount_ != kCount || referenceCount_ != kCount) error = "wrong count";
    if (reference_ != figure_.GetData()) error = "the texts differ";
    return error.empty();
  }

 private:
  std::wstring source_;
  SkinUI::CWideStringUI figure_;
  std::wstring reference_;
  int figureCount_ = 0;
  int referenceCount_ = 0;
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeStringAppendMeasure() {
  return std::make_unique<CStringAppendMeasure>();
}

std::unique_ptr<CBenchMeasure> MakeStringReplaceMeasure() {
  return std::make_unique<CStringReplaceMeasure>();
}

}  // namespace SkinUIBench

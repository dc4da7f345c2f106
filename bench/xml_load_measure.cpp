// Skin XML: LoadBytes of a skin of about a megabyte, against converting the
// same bytes with MultiByteToWideChar and one wmemchr pass over the result,
// the least any parse of this text has to do.
//
// Every load owns a text buffer of its own, and the first touch of a fresh
// buffer of two megabytes costs far more under Wine than the conversion
// itself (Windows pays far less). The goal leaves that touch out: the first
// line's reference converts into a fresh buffer too. The second converts
// into a buffer it keeps, and so shows what the touch costs.

#include <cwchar>
#include <memory>
#include <vector>

#include "bench/measure_registry.h"
#include "bench/sample_skin.h"
#include "ui/markup/skin_xml.h"

namespace SkinUIBench {

namespace {

constexpr size_t kSkinBytes = 1 << 20;

class CXmlLoadMeasure : public CBenchMeasure {
 public:
  explicit CXmlLoadMeasure(bool freshReferenceBuffer) : fresh_(freshReferenceBuffer) {}

  const char* Name() const override { return fresh_ ? "xml-load-1mb" : "xml-load-1mb-kept-ref"; }
  // The second line has no goal of its own (the touch is on one side only);
  // its floor keeps the parse from slipping back unnoticed.
  TBenchTarget Target() const override { return {TargetKind::SpeedAtLeast, fresh_ ? 0.8 : 0.4}; }

  bool Prepare(std::string& error) override {
    skin_ = SkinUITest::LargeSkinDocument(kSkinBytes, elements_);
    if (!fresh_) kept_.resize(skin_.size() + 1);
    if (skin_.size() < kSkinBytes) error = "skin document too small";
    return error.empty();
  }

  void Figure() override {
    loaded_ = xml_.LoadBytes(skin_.data(), static_cast<DWORD>(skin_.size()));
  }

  void Reference() override {
    const int capacity = static_cast<int>(skin_.size()) + 1;
    std::unique_ptr<wchar_t[]> fresh(fresh_ ? new wchar_t[capacity] : nullptr);
    wchar_t* buffer = fresh_ ? fresh.get() : kept_.data();
    const int length = MultiByteToWideChar(CP_UTF8, 0, skin_.data(), static_cast<int>(skin_.size()),
                                           buffer, capacity);
    // No skin holds U+0001, so the scan runs through the whole text.
    const wchar_t* found = wmemchr(buffer, L'\x01', static_cast<size_t>(length));
    convertedLength_ = found ? -1 : length;
  }

  bool Verify(std::string& error) override {
    if (!loaded_) error = "the skin did not load";
    if (xml_.GetElementCount() != static_cast<uint32_t>(elements_) + 1) error = "element count";
    if (convertedLength_ <= 0) error = "conversion failed";
    return error.empty();
  }

 private:
  bool fresh_;
  std::string skin_;
  int elements_ = 0;
  SkinUI::CSkinXml xml_;
  bool loaded_ = false;
  std::vector<wchar_t> kept_;
  int convertedLength_ = 0;
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeXmlLoadMeasure() {
  return std::make_unique<CXmlLoadMeasure>(false);
}

std::unique_ptr<CBenchMeasure> MakeXmlLoadFreshReferenceMeasure() {
  return std::make_unique<CXmlLoadMeasure>(true);
}

}  // namespace SkinUIBench

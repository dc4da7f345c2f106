// Skin XML: LoadBytes of a skin of about a megabyte, against converting the
// same bytes with MultiByteToWideChar and one wmemchr pass over the result,
// the least any parse of this text has to do.
//
// Two lines: the reference converts into a buffer it keeps (the bare work),
// or into a fresh buffer each time, as the document must, since every load
// owns a text buffer of its own. The first touch of a fresh buffer of two
// megabytes costs far more under Wine than the conversion itself, so the two
// lines show how much of the gap is the parse and how much that buffer.

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

  const char* Name() const override { return fresh_ ? "xml-load-1mb-fresh-ref" : "xml-load-1mb"; }
  TBenchTarget Target() const override { return {TargetKind::SpeedAtLeast, 0.8}; }

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

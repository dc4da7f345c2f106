// A stand-in for the window's repaint until the window manager exists: the
// 650 x 400 background with its translucent rim and 20 nine-piece buttons,
// drawn into a memory bitmap the way controls draw them, against one
// 650 x 400 BitBlt into the same bitmap.

#include "bench/bench_dump.h"
#include "bench/measure_registry.h"
#include "bench/sample_skin.h"
#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/render/draw_kit.h"
#include "ui/render/image_decoder.h"

namespace SkinUIBench {

namespace {

constexpr int kWidth = 650;
constexpr int kHeight = 400;
constexpr int kColumns = 5;
constexpr int kRows = 4;
constexpr wchar_t kBackground[] = L"bg.png";
constexpr wchar_t kButton[] = L"file='pach_button.png' source='0,0,90,29' corner='4,4,4,4'";
constexpr DWORD kUnderlay = 0xFF336699;

class CRepaintProxyMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "repaint-proxy-650x400"; }
  // The whole repaint (with its 30 text runs) must stay under 2 ms.
  TBenchTarget Target() const override { return {TargetKind::TimeUnder, 2.0}; }
  int Batch() const override { return 20; }

  bool Prepare(std::string& error) override {
    if (!AddImage(kBackground, BackgroundPng()) ||
        !AddImage(L"pach_button.png", SkinUITest::EncodePng(90, 87, ButtonArtwork().argb))) {
      error = "the artwork did not decode";
      return false;
    }
    Paint(source_);
    return true;
  }

  void Figure() override { Paint(canvas_); }

  void Reference() override {
    BitBlt(canvas_.dc(), 0, 0, kWidth, kHeight, source_.dc(), 0, 0, SRCCOPY);
  }

  bool Verify(std::string& error) override {
    SkinUITest::Canvas fresh(kWidth, kHeight, kUnderlay);
    Paint(fresh);
    // The middle of the background is opaque, its corner pixel transparent.
    if (fresh.Pixel(kWidth / 2, 30) >> 24 != 0xFF) error = "the background was not drawn";
    if (fresh.Pixel(0, 0) != kUnderlay) error = "the rounded corner was drawn over";
    return error.empty();
  }

  void Dump(const std::wstring& folder) override {
    SkinUITest::Canvas fresh(kWidth, kHeight, kUnderlay);
    Paint(fresh);
    DumpCanvas(fresh, folder, L"repaint_proxy");
  }

 private:
  bool AddImage(const wchar_t* name, const SkinUITest::Bytes& png) {
    auto image = SkinUI::DecodeBitmapImage(png.data(), png.size(), 0);
    if (!image) return false;
    manager_.AddImage(name, std::move(image));
    return true;
  }

  void Paint(SkinUITest::Canvas& canvas) {
    const RECT all = {0, 0, kWidth, kHeight};
    SkinUI::CDrawKit::DrawImageSpec(canvas.dc(), &manager_, all, all, kBackground);
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < kColumns; ++column) {
        const int x = 20 + column * 125;
        const int y = 60 + row * 80;
        SkinUI::CDrawKit::DrawImageSpec(canvas.dc(), &manager_, RECT{x, y, x + 89, y + 30}, all,
                                        kButton);
      }
    }
  }

  SkinUITest::CTestManager manager_;
  SkinUITest::Canvas canvas_{kWidth, kHeight, kUnderlay};
  SkinUITest::Canvas source_{kWidth, kHeight, kUnderlay};
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeRepaintProxyMeasure() {
  return std::make_unique<CRepaintProxyMeasure>();
}

}  // namespace SkinUIBench

// One plain text run as a label draws it (single line, centred vertically in
// its box, with the font the window's paint has selected), against
// measuring the same run and drawing it with ExtTextOutW at the same place.

#include "bench/bench_dump.h"
#include "bench/measure_registry.h"
#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/render/draw_kit.h"

namespace SkinUIBench {

namespace {

constexpr wchar_t kRun[] = L"Update 17 of the list, 31.5 MB";
constexpr int kRunLength = static_cast<int>(sizeof(kRun) / sizeof(kRun[0])) - 1;
constexpr RECT kBox = {4, 3, 204, 19};
constexpr DWORD kColour = 0xFF102040;

class CTextRunMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "text-run-plain"; }
  TBenchTarget Target() const override { return {TargetKind::SlowdownAtMost, 3.0}; }
  int Batch() const override { return 50; }

  bool Prepare(std::string& error) override {
    for (SkinUITest::Canvas* canvas : {&figure_, &reference_}) {
      SelectObject(canvas->dc(), manager_.FontAt(-1));
    }
    Reference();
    Figure();
    if (!figure_.SameRgbAs(reference_)) error = "the two sides drew different pictures";
    return error.empty();
  }

  void Figure() override {
    RECT box = kBox;
    SkinUI::CDrawKit::DrawPlainText(figure_.dc(), &manager_, box, kRun, kColour, -1,
                                    DT_VCENTER | DT_SINGLELINE);
  }

  void Reference() override {
    HDC dc = reference_.dc();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0x10, 0x20, 0x40));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, kRun, kRunLength, &extent);
    const int y = kBox.top + (kBox.bottom - kBox.top) / 2 - extent.cy / 2;
    ExtTextOutW(dc, kBox.left, y, ETO_CLIPPED, &kBox, kRun, kRunLength, nullptr);
  }

  bool Verify(std::string& error) override {
    if (figure_.CountRgb(kColour & 0x00FFFFFF) == 0) error = "the run was not drawn";
    return error.empty();
  }

  void Dump(const std::wstring& folder) override {
    SkinUITest::Canvas fresh(kBox.right + 4, kBox.bottom + 3);
    SelectObject(fresh.dc(), manager_.FontAt(-1));
    RECT box = kBox;
    SkinUI::CDrawKit::DrawPlainText(fresh.dc(), &manager_, box, kRun, kColour, -1,
                                    DT_VCENTER | DT_SINGLELINE);
    DumpCanvas(fresh, folder, L"text_run");
  }

 private:
  SkinUITest::CTestManager manager_;
  SkinUITest::Canvas figure_{kBox.right + 4, kBox.bottom + 3};
  SkinUITest::Canvas reference_{kBox.right + 4, kBox.bottom + 3};
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeTextRunMeasure() {
  return std::make_unique<CTextRunMeasure>();
}

}  // namespace SkinUIBench

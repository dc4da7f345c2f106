// From the program's entry to the end of the main window's first WM_PAINT on
// a display at 200 %, against the same at 100 %: fonts made larger, the 2x
// drawings decoded, four times the pixels painted.

#include "bench/measure_registry.h"
#include "tests/support/main_window_host.h"
#include "ui/window/window_dpi.h"

namespace SkinUIBench {

using SkinUITest::CMainWindowHost;
using SkinUITest::CTimedMainWindow;

namespace {

constexpr int kDoubleDpi = 192;
constexpr int kBaseDpi = 96;

class CScaledStartMeasure : public CBenchMeasure {
 public:
  ~CScaledStartMeasure() override { SkinUI::OverrideWindowDpi(0); }

  const char* Name() const override { return "start-to-first-paint-at-200-percent"; }
  TBenchTarget Target() const override { return {TargetKind::SlowdownAtMost, 2.0}; }

  bool Prepare(std::string& error) override {
    host_ = std::make_unique<CMainWindowHost>(L"");
    return host_->Ready(error);
  }

  void BeforeFigure() override { CloseAt(kDoubleDpi); }
  void BeforeReference() override { CloseAt(kBaseDpi); }
  void Figure() override { scaled_ = Open(); }
  void Reference() override { plain_ = Open(); }

  bool Verify(std::string& error) override {
    CloseAt(kDoubleDpi);
    scaled_ = Open();
    const SIZE scaledSize = ClientSize(scaled_);
    CloseAt(kBaseDpi);
    plain_ = Open();
    const SIZE plainSize = ClientSize(plain_);
    CloseAt(0);
    if (scaledSize.cx != 2 * plainSize.cx || scaledSize.cy != 2 * plainSize.cy) {
      error = "the window at 200 % is not twice the size of the one at 100 %";
    }
    if (plainSize.cx != 650) error = "the window at 100 % is not 650 pixels wide";
    return error.empty();
  }

 private:
  void CloseAt(int dpi) {
    host_->Close();
    SkinUI::OverrideWindowDpi(dpi);
  }
  CTimedMainWindow* Open() { return host_->Open(); }
  static SIZE ClientSize(CTimedMainWindow* window) {
    RECT client = {};
    if (window != nullptr) GetClientRect(window->GetHWND(), &client);
    return SIZE{client.right, client.bottom};
  }

  std::unique_ptr<CMainWindowHost> host_;
  CTimedMainWindow* scaled_ = nullptr;
  CTimedMainWindow* plain_ = nullptr;
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeScaledStartMeasure() {
  return std::make_unique<CScaledStartMeasure>();
}

}  // namespace SkinUIBench

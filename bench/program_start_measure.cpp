// From the program's entry to the end of the main window's first WM_PAINT
// (the skin registered, parsed and built, the window created, laid out and
// painted on the welcome screen), against decoding every 1x drawing of the
// skin once.

#include "bench/measure_registry.h"
#include "tests/support/main_window_host.h"

namespace SkinUIBench {

using SkinUITest::CMainWindowHost;
using SkinUITest::CTimedMainWindow;

namespace {

class CProgramStartMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "start-to-first-paint"; }
  TBenchTarget Target() const override { return {TargetKind::SlowdownAtMost, 1.0}; }

  bool Prepare(std::string& error) override {
    host_ = std::make_unique<CMainWindowHost>(L"");
    return host_->Ready(error);
  }

  void BeforeFigure() override { host_->Close(); }
  void Figure() override { window_ = host_->Open(); }
  void Reference() override { decoded_ = host_->DecodeEverySkinImage(); }

  bool Verify(std::string& error) override {
    if (decoded_ == 0) error = "no image of the skin was decoded";
    if (window_ == nullptr) {
      error = "the main window was refused";
      return false;
    }
    RECT pending = {};
    if (window_->Paints() != 1) error = "the window needed more than one paint";
    if (GetUpdateRect(window_->GetHWND(), &pending, FALSE)) error = "a paint was still due";
    if (!host_->Visible(L"Btn_Scan") || host_->TextOf(L"Btn_Scan") != L"Scan") {
      error = "the welcome screen was not shown";
    }
    host_->Close();
    return error.empty();
  }

 private:
  std::unique_ptr<CMainWindowHost> host_;
  CTimedMainWindow* window_ = nullptr;
  int decoded_ = 0;
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeProgramStartMeasure() {
  return std::make_unique<CProgramStartMeasure>();
}

}  // namespace SkinUIBench

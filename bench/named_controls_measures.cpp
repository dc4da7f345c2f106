// Windows of 100,000 named buttons. Installing a tree whose container stacks
// them all over its whole area (names registered, laid out, painted once),
// against constructing the same buttons; and a mouse move that takes the
// hover from one button to the next in a grid of them, where the hit test
// searches from the topmost (last) child to the first, against the same
// search over a plain array of rectangles.

#include <memory>
#include <string>
#include <vector>

#include "bench/measure_registry.h"
#include "tests/support/window_harness.h"
#include "ui/controls/button.h"
#include "ui/controls/container.h"

namespace SkinUIBench {

namespace {

constexpr int kControls = 100000;
constexpr int kWidth = 320;
constexpr int kHeight = 240;
// The grid of the mouse measure: 10-pixel cells, 400 to a row, so that the
// first buttons lie under the window's top-left corner.
constexpr int kCell = 10;
constexpr int kGridColumns = 400;

std::wstring NameOf(int i) {
  return L"Button_" + std::to_wstring(i);
}

SkinUI::CButtonUI* NamedButton(int i) {
  auto* button = new SkinUI::CButtonUI;
  button->SetName(NameOf(i).c_str());
  return button;
}

SkinUI::CContainerUI* StackedButtons() {
  auto* root = new SkinUI::CContainerUI;
  root->SetBkColor(0xFFFFFFFF);
  for (int i = 0; i < kControls; ++i) root->Add(NamedButton(i));
  return root;
}

RECT CellOf(int i) {
  const int x = i % kGridColumns * kCell;
  const int y = i / kGridColumns * kCell;
  return {x, y, x + kCell, y + kCell};
}

SkinUI::CContainerUI* GridOfButtons() {
  auto* root = new SkinUI::CContainerUI;
  root->SetBkColor(0xFFFFFFFF);
  for (int i = 0; i < kControls; ++i) {
    SkinUI::CButtonUI* button = NamedButton(i);
    const RECT cell = CellOf(i);
    button->SetFloat(true);
    button->SetFixedOffset(SkinUI::CSizeUI(cell.left, cell.top));
    button->SetFixedWidth(kCell);
    button->SetFixedHeight(kCell);
    root->Add(button);
  }
  return root;
}

class CNamedInstallMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "named-install-100000"; }
  TBenchTarget Target() const override { return {TargetKind::TimeUnder, 500.0}; }

  bool Prepare(std::string&) override {
    window_ = std::make_unique<SkinUITest::CHarnessWindow>(kWidth, kHeight);
    return true;
  }
  // The tree installed before goes first, outside the figure.
  void BeforeFigure() override {
    window_->Install(nullptr);
    root_ = StackedButtons();
  }
  void Figure() override { window_->Install(root_); }
  void BeforeReference() override { window_->Install(nullptr); }
  void Reference() override { delete StackedButtons(); }
  bool Verify(std::string& error) override {
    SkinUI::CWindowManagerUI& manager = window_->Manager();
    for (int i : {0, kControls / 2, kControls - 1}) {
      SkinUI::CControlUI* found = manager.ControlByName(NameOf(i).c_str());
      if (found == nullptr || found != root_->ChildAt(i)) error = "a name does not find its button";
    }
    if (root_->ChildAt(0)->GetWidth() != kWidth) error = "the buttons were not laid out";
    return error.empty();
  }

 private:
  std::unique_ptr<SkinUITest::CHarnessWindow> window_;
  SkinUI::CContainerUI* root_ = nullptr;
};

class CNamedMouseMoveMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "named-mouse-move-100000"; }
  TBenchTarget Target() const override { return {TargetKind::TimeUnder, 1.0}; }
  int Batch() const override { return 20; }

  bool Prepare(std::string&) override {
    window_ = std::make_unique<SkinUITest::CHarnessWindow>(kWidth, kHeight);
    root_ = GridOfButtons();
    window_->Install(root_);
    for (int i = 0; i < kControls; ++i) cells_.push_back(CellOf(i));
    return true;
  }
  // Between the first and the second button: the hover changes every time.
  void Figure() override {
    second_ = !second_;
    window_->Mouse(WM_MOUSEMOVE, second_ ? kCell + 5 : 5, 5);
  }
  void Reference() override {
    const POINT point = {5, 5};
    for (int i = kControls - 1; i >= 0; --i) {
      if (PtInRect(&cells_[i], point)) {
        probe_ = i;
        return;
      }
    }
  }
  bool Verify(std::string& error) override {
    window_->Mouse(WM_MOUSEMOVE, kCell + 5, 5);
    SkinUI::CControlUI* second = root_->ChildAt(1);
    if (window_->Manager().ControlAt({kCell + 5, 5}) != second) {
      error = "the hit test found the wrong button";
    }
    if (probe_ != 0) error = "the reference found the wrong cell";
    return error.empty();
  }

 private:
  std::unique_ptr<SkinUITest::CHarnessWindow> window_;
  SkinUI::CContainerUI* root_ = nullptr;
  std::vector<RECT> cells_;
  int probe_ = -1;
  bool second_ = false;
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeNamedInstallMeasure() {
  return std::make_unique<CNamedInstallMeasure>();
}

std::unique_ptr<CBenchMeasure> MakeNamedMouseMoveMeasure() {
  return std::make_unique<CNamedMouseMoveMeasure>();
}

}  // namespace SkinUIBench

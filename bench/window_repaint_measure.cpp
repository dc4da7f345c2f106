// The whole window repainted through the manager's WM_PAINT: a real
// 650 x 400 window whose tree is the translucent-rimmed background, 20
// nine-piece buttons and 30 text runs, against the same picture drawn
// directly with the platform: the background's opaque middle copied and its
// rim blended, each button's middle stretched, each text (the buttons' too)
// measured and drawn with ExtTextOutW, and the frame copied to the window.

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_dump.h"
#include "bench/measure_registry.h"
#include "bench/sample_skin.h"
#include "tests/support/canvas.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/window_harness.h"
#include "ui/controls/button.h"
#include "ui/controls/container.h"
#include "ui/controls/label.h"
#include "ui/core/gdi_handles.h"
#include "ui/markup/skin_resources.h"
#include "ui/render/image_decoder.h"
#include "ui/render/imaging_library.h"

namespace SkinUIBench {

namespace {

constexpr int kWidth = 650;
constexpr int kHeight = 400;
constexpr int kButtonColumns = 5;
constexpr int kButtonRows = 4;
constexpr int kTextRows = 10;
constexpr int kTextColumns = 3;
constexpr DWORD kTextColour = 0xFF102040;

std::wstring Float(int x, int y, int width, int height) {
  return L"float=\"true\" pos=\"" + std::to_wstring(x) + L"," + std::to_wstring(y) + L"," +
         std::to_wstring(x + width) + L"," + std::to_wstring(y + height) + L"\"";
}

int ButtonLeft(int column) {
  return 20 + column * 125;
}
int ButtonTop(int row) {
  return 60 + row * 80;
}

// The artwork as files the window reads its images from.
class CRepaintArtwork {
 public:
  CRepaintArtwork() {
    const TArtwork background = BackgroundArtwork();
    const TArtwork button = ButtonArtwork();
    SkinUITest::WritePng(folder_.File(L"bg.png"), background.width, background.height,
                         background.argb);
    SkinUITest::WritePng(folder_.File(L"pach_button.png"), button.width, button.height,
                         button.argb);
    SkinUI::SetResourceArchive(L"");
    SkinUI::SetResourceFolder((folder_.path() + L"\\").c_str());
  }
  ~CRepaintArtwork() { SkinUI::SetResourceFolder(L""); }

 private:
  SkinUITest::ScratchFolder folder_;
};

SkinUI::CControlUI* RepaintTree() {
  auto* root = new SkinUI::CContainerUI;
  root->ApplyAttributeText(L"bkimage=\"bg.png\"");
  for (int row = 0; row < kButtonRows; ++row) {
    for (int column = 0; column < kButtonColumns; ++column) {
      auto* button = new SkinUI::CButtonUI;
      const std::wstring text = L"Button " + std::to_wstring(row * kButtonColumns + column + 1);
      button->ApplyAttributeText(
          (Float(ButtonLeft(column), ButtonTop(row), 89, 30) + L" text=\"" + text +
           L"\" normalimage=\"file='pach_button.png' source='0,0,90,29' corner='4,4,4,4'\"")
              .c_str());
      root->Add(button);
    }
  }
  // In the rows between the buttons and above them.
  const int textTops[kTextRows] = {12, 32, 94, 114, 174, 194, 254, 274, 336, 356};
  for (int row = 0; row < kTextRows; ++row) {
    for (int column = 0; column < kTextColumns; ++column) {
      auto* label = new SkinUI::CLabelUI;
      label->ApplyAttributeText((Float(20 + column * 210, textTops[row], 200, 16) +
                                 L" textcolor=\"#FF102040\" text=\"Update " +
                                 std::to_wstring(row * kTextColumns + column + 1) +
                                 L" of the list, 31.5 MB\"")
                                    .c_str());
      root->Add(label);
    }
  }
  return root;
}

// What the window's tree draws, drawn directly: no controls, no image
// specifications, no nine pieces, no formatted text.
class CDirectPicture {
 public:
  CDirectPicture()
      : background_(SkinUI::DecodeBitmapImage(BackgroundPng().data(), BackgroundPng().size(), 0)),
        button_(DecodeButton()) {
    original_ = SelectObject(source_.get(), background_->bitmap.get());
    SelectObject(frame_.dc(), GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < kTextRows * kTextColumns; ++i) {
      texts_.push_back(L"Update " + std::to_wstring(i + 1) + L" of the list, 31.5 MB");
    }
    for (int i = 0; i < kButtonRows * kButtonColumns; ++i) {
      buttonTexts_.push_back(L"Button " + std::to_wstring(i + 1));
    }
  }
  ~CDirectPicture() { SelectObject(source_.get(), original_); }

  bool Ready() const { return background_ && button_; }

  void Draw(HWND window) {
    HDC dc = frame_.dc();
    SelectObject(source_.get(), background_->bitmap.get());
    const RECT& middle = background_->opaqueInterior;
    BitBlt(dc, middle.left, middle.top, middle.right - middle.left, middle.bottom - middle.top,
           source_.get(), middle.left, middle.top, SRCCOPY);
    Blend(0, 0, kWidth, middle.top);
    Blend(0, middle.bottom, kWidth, kHeight - middle.bottom);
    Blend(0, middle.top, middle.left, middle.bottom - middle.top);
    Blend(middle.right, middle.top, kWidth - middle.right, middle.bottom - middle.top);
    SelectObject(source_.get(), button_->bitmap.get());
    SetStretchBltMode(dc, COLORONCOLOR);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0);
    for (int i = 0; i < kButtonRows * kButtonColumns; ++i) {
      const int left = ButtonLeft(i % kButtonColumns);
      const int top = ButtonTop(i / kButtonColumns);
      StretchBlt(dc, left + 4, top + 4, 81, 22, source_.get(), 4, 4, 82, 21, SRCCOPY);
      const std::wstring& text = buttonTexts_[i];
      SIZE extent = {};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      const RECT box = {left, top, left + 89, top + 30};
      ExtTextOutW(dc, (box.left + box.right - extent.cx) / 2, box.top + 15 - extent.cy / 2,
                  ETO_CLIPPED, &box, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    }
    SetTextColor(dc, RGB(0x10, 0x20, 0x40));
    const int textTops[kTextRows] = {12, 32, 94, 114, 174, 194, 254, 274, 336, 356};
    for (int i = 0; i < kTextRows * kTextColumns; ++i) {
      const std::wstring& text = texts_[i];
      SIZE extent = {};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      const RECT box = {20 + (i % kTextColumns) * 210, textTops[i / kTextColumns],
                        220 + (i % kTextColumns) * 210, textTops[i / kTextColumns] + 16};
      ExtTextOutW(dc, box.left, box.top + 8 - extent.cy / 2, ETO_CLIPPED, &box, text.c_str(),
                  static_cast<UINT>(text.size()), nullptr);
    }
    SkinUI::WindowDCGuard windowDC(window);
    BitBlt(windowDC.get(), 0, 0, kWidth, kHeight, dc, 0, 0, SRCCOPY);
  }

 private:
  static std::unique_ptr<SkinUI::ImageRecord> DecodeButton() {
    const TArtwork art = ButtonArtwork();
    const SkinUITest::Bytes png = SkinUITest::EncodePng(art.width, art.height, art.argb);
    return SkinUI::DecodeBitmapImage(png.data(), png.size(), 0);
  }

  void Blend(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return;
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    SkinUI::PlatformAlphaBlend()(frame_.dc(), x, y, width, height, source_.get(), x, y, width,
                                 height, blend);
  }

  std::unique_ptr<SkinUI::ImageRecord> background_;
  std::unique_ptr<SkinUI::ImageRecord> button_;
  SkinUI::UniqueMemoryDC source_{CreateCompatibleDC(nullptr)};
  HGDIOBJ original_ = nullptr;
  SkinUITest::Canvas frame_{kWidth, kHeight};
  std::vector<std::wstring> texts_;
  std::vector<std::wstring> buttonTexts_;
};

bool HasTextColour(const SkinUITest::Canvas& screen, const RECT& area) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (screen.Rgb(x, y) == (kTextColour & 0x00FFFFFF)) return true;
    }
  }
  return false;
}

class CWindowRepaintMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "window-repaint-650x400"; }
  TBenchTarget Target() const override { return {TargetKind::TimeUnder, 0.8}; }
  int Batch() const override { return 10; }

  bool Prepare(std::string& error) override {
    artwork_ = std::make_unique<CRepaintArtwork>();
    window_ = std::make_unique<SkinUITest::CHarnessWindow>(kWidth, kHeight);
    window_->Install(RepaintTree());
    if (!direct_.Ready() || SkinUI::PlatformAlphaBlend() == nullptr) error = "no direct picture";
    return error.empty();
  }

  void Figure() override {
    window_->InvalidateAll();
    window_->Paint();
    GdiFlush();
  }

  void Reference() override {
    direct_.Draw(window_->GetHWND());
    GdiFlush();
  }

  bool Verify(std::string& error) override {
    Figure();
    const auto screen = window_->ReadScreen();
    // Inside the first button's face, off its text, the dark border.
    const DWORD background = screen->Rgb(kWidth / 2, 50);
    if (screen->Rgb(20, 75) == background) error = "the buttons were not drawn";
    if (!HasTextColour(*screen, RECT{20, 94, 220, 110})) error = "the text runs were not drawn";
    if (background == 0) error = "the background was not drawn";
    return error.empty();
  }

  void Dump(const std::wstring& folder) override {
    Figure();
    DumpCanvas(*window_->ReadScreen(), folder, L"window_repaint");
  }

 private:
  std::unique_ptr<CRepaintArtwork> artwork_;
  std::unique_ptr<SkinUITest::CHarnessWindow> window_;
  CDirectPicture direct_;
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeWindowRepaintMeasure() {
  return std::make_unique<CWindowRepaintMeasure>();
}

}  // namespace SkinUIBench

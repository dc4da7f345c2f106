// Markup text: about 2,000 characters with style tags and ten links, drawn
// word-wrapped into 300 pixels, against DrawTextW word-wrapping the same text
// without its tags in the same font.

#include <cstdio>
#include <set>
#include <string>

#include "bench/bench_dump.h"
#include "bench/measure_registry.h"
#include "bench/sample_skin.h"
#include "tests/support/canvas.h"
#include "tests/support/test_manager.h"
#include "ui/render/draw_kit.h"

namespace SkinUIBench {

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 800;
constexpr int kVariantsWidth = 57 + 120 + 150 + 200 + 40;
constexpr size_t kCharacters = 2000;
constexpr int kLinks = 10;
constexpr int kLinkSlots = 16;
constexpr DWORD kTextColor = 0xFF202020;

class CMarkupWrapMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "markup-wrap-300px"; }
  TBenchTarget Target() const override { return {TargetKind::SlowdownAtMost, 1.5}; }
  int Batch() const override { return 4; }

  bool Prepare(std::string& error) override {
    markup_ = MarkupParagraph(kCharacters, kLinks);
    plain_ = WithoutTags(markup_);
    if (markup_.size() < kCharacters) error = "markup too short";
    return error.empty();
  }

  void Figure() override { DrawMarkup(canvas_); }

  void Reference() override {
    RECT rc = {0, 0, kWidth, kHeight};
    HDC dc = canvas_.dc();
    HGDIOBJ previous = SelectObject(dc, manager_.FontAt(-1));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0x20, 0x20, 0x20));
    referenceHeight_ = DrawTextW(dc, plain_.c_str(), static_cast<int>(plain_.size()), &rc,
                                 DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
  }

  bool Verify(std::string& error) override {
    // A link broken across two lines has a rectangle on each.
    std::set<std::wstring> named;
    for (int i = 0; i < links_ && i < kLinkSlots; ++i) named.insert(names_[i].GetData());
    if (named.size() != kLinks) error = "links found: " + std::to_string(named.size());
    if (referenceHeight_ <= 0) error = "DrawTextW drew nothing";
    return error.empty();
  }

  void Dump(const std::wstring& folder) override {
    SkinUITest::Canvas fresh(kWidth, kHeight, 0xFFFFFFFF);
    DrawMarkup(fresh);
    DumpCanvas(fresh, folder, L"markup_wrap");
    // The link rectangles are part of the result too.
    std::string lines;
    for (int i = 0; i < links_; ++i) {
      char line[128];
      std::snprintf(line, sizeof(line), "%ls %ld,%ld,%ld,%ld\r\n", names_[i].GetData(),
                    rects_[i].left, rects_[i].top, rects_[i].right, rects_[i].bottom);
      lines += line;
    }
    DumpText(lines, folder + L"\\markup_wrap_links.txt");
    // Drawn after the links were written: the variants reuse the link slots.
    DumpVariants(folder);
  }

 private:
  // The same text narrower, cut into single lines with an ellipsis, and
  // centred, so that a comparison of two builds sees more of the walk.
  void DumpVariants(const std::wstring& folder) {
    SkinUITest::Canvas canvas(kVariantsWidth, kHeight, 0xFFFFFFFF);
    const UINT formats[] = {DT_WORDBREAK, DT_WORDBREAK | DT_END_ELLIPSIS, DT_WORDBREAK | DT_CENTER,
                            DT_SINGLELINE | DT_END_ELLIPSIS};
    const LONG widths[] = {57, 120, 150, 200};
    LONG x = 0;
    for (size_t i = 0; i < sizeof(formats) / sizeof(formats[0]); ++i) {
      RECT rc = {x, 0, x + widths[i], kHeight};
      int links = kLinkSlots;
      SkinUI::CDrawKit::DrawMarkupText(canvas.dc(), &manager_, rc, markup_.c_str(), kTextColor,
                                       rects_, names_, links, formats[i]);
      x += widths[i] + 10;
    }
    DumpCanvas(canvas, folder, L"markup_variants");
  }

  void DrawMarkup(SkinUITest::Canvas& canvas) {
    RECT rc = {0, 0, kWidth, kHeight};
    int links = kLinkSlots;
    SkinUI::CDrawKit::DrawMarkupText(canvas.dc(), &manager_, rc, markup_.c_str(), kTextColor,
                                     rects_, names_, links, DT_WORDBREAK);
    links_ = links;
  }

  SkinUITest::CTestManager manager_;
  SkinUITest::Canvas canvas_{kWidth, kHeight, 0xFFFFFFFF};
  std::wstring markup_;
  std::wstring plain_;
  RECT rects_[kLinkSlots] = {};
  SkinUI::CWideStringUI names_[kLinkSlots];
  int links_ = 0;
  int referenceHeight_ = 0;
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeMarkupWrapMeasure() {
  return std::make_unique<CMarkupWrapMeasure>();
}

}  // namespace SkinUIBench

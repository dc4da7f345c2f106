// The update list under load in a real window: 10,000 text rows filled
// through the application's cell callback, against 10,000 constructions of
// the row titles as std::wstring; and a frame that scrolls the rows by a
// line and repaints, against one BitBlt of the whole window.

#include <array>
#include <string>
#include <vector>

#include "bench/bench_dump.h"
#include "bench/measure_registry.h"
#include "tests/support/canvas.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/window_harness.h"
#include "ui/controls/list/list.h"
#include "ui/controls/list/list_header.h"
#include "ui/controls/list/list_rows.h"
#include "ui/core/gdi_handles.h"
#include "ui/markup/skin_resources.h"

namespace SkinUIBench {

namespace {

constexpr int kRows = 10000;
constexpr int kWidth = 650;
constexpr int kHeight = 400;

// The application's side, as the program answers: check mark, title, date
// and size of every row; questions about rows that do not exist are counted.
class CUpdateTable : public SkinUI::IListCallbackUI {
 public:
  CUpdateTable() {
    wchar_t title[96];
    for (int i = 0; i < kRows; ++i) {
      wsprintfW(title, L"Security Update for Windows (KB%d)", 5010000 + i);
      rows.push_back({i % 3 == 1 ? L"<i uncheck.png />" : L"<i checked.png />", title,
                      L"2024-05-14", std::to_wstring(1 + i % 900) + L" MB"});
    }
  }
  const wchar_t* CellText(SkinUI::CControlUI*, int index, int column) override {
    ++asked;
    if (index < 0 || index >= kRows || column < 0 || column > 3) {
      ++strayQuestions;
      return nullptr;
    }
    return rows[index][column].c_str();
  }

  std::vector<std::array<std::wstring, 4>> rows;
  int asked = 0;
  int strayQuestions = 0;
};

// Check boxes like the program's, 18 x 15 with transparent corners so that
// they are blended as its images are, in a folder the window reads images
// from.
class CCheckArtwork {
 public:
  CCheckArtwork() {
    Write(L"checked.png", 0xFF2F6FC8);
    Write(L"uncheck.png", 0xFFFFFFFF);
    SkinUI::SetResourceFolder((folder_.path() + L"\\").c_str());
  }
  ~CCheckArtwork() { SkinUI::SetResourceFolder(L""); }

 private:
  void Write(const wchar_t* name, DWORD face) {
    constexpr int kW = 18;
    constexpr int kH = 15;
    std::vector<DWORD> argb(kW * kH, 0);
    for (int y = 1; y < kH - 1; ++y) {
      for (int x = 2; x < kW - 2; ++x) {
        const bool corner = (x == 2 || x == kW - 3) && (y == 1 || y == kH - 2);
        const bool edge = x == 2 || x == kW - 3 || y == 1 || y == kH - 2;
        argb[y * kW + x] = corner ? 0x80406080 : edge ? 0xFF406080 : face;
      }
    }
    SkinUITest::WritePng(folder_.File(name), kW, kH, argb);
  }

  SkinUITest::ScratchFolder folder_;
};

// The program's list, empty: a header of four columns, markup cells, bars.
SkinUI::CListUI* InstallEmptyList(SkinUITest::CHarnessWindow& window, CUpdateTable& table) {
  auto* list = new SkinUI::CListUI;
  list->BindManager(&window.Manager(), nullptr, false);
  list->ApplyAttributeText(
      L"bkcolor=\"#FFFFFFFF\" vscrollbar=\"true\" hscrollbar=\"true\" itemshowhtml=\"true\" "
      L"itemtextpadding=\"5,0,0,0\" itemselectedbkcolor=\"#FFC1E3FF\" "
      L"itemhotbkcolor=\"#FFE9F5FF\"");
  list->Header()->SetFixedHeight(32);
  const wchar_t* columns[] = {L"width=\"26\" minwidth=\"26\" sepwidth=\"1\"",
                              L"text=\"Title\" width=\"355\" sepwidth=\"1\"",
                              L"text=\"Date\" width=\"172\" sepwidth=\"1\"",
                              L"text=\"Size\" width=\"62\" sepwidth=\"1\""};
  for (const wchar_t* attributes : columns) {
    auto* item = new SkinUI::CListHeaderItemUI;
    item->ApplyAttributeText(attributes);
    list->Add(item);
  }
  list->SetCellTextSource(&table);
  // The tree installed before is deleted by the window's next messages.
  window.Install(list);
  return list;
}

// Adding the rows, and the paint that first shows them.
void Fill(SkinUITest::CHarnessWindow& window, SkinUI::CListUI& list) {
  for (int i = 0; i < kRows; ++i) list.Add(new SkinUI::CListTextElementUI);
  window.Paint();
}

class CListFillMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "list-fill-10000"; }
  TBenchTarget Target() const override { return {TargetKind::TimeUnder, 100.0}; }

  bool Prepare(std::string&) override {
    artwork_ = std::make_unique<CCheckArtwork>();
    window_ = std::make_unique<SkinUITest::CHarnessWindow>(kWidth, kHeight);
    return true;
  }
  void BeforeFigure() override { list_ = InstallEmptyList(*window_, table_); }
  void Figure() override { Fill(*window_, *list_); }
  void Reference() override {
    size_t total = 0;
    for (int i = 0; i < kRows; ++i) {
      const std::wstring title(table_.rows[i][1].c_str());
      total += title.size();
    }
    referenceLength_ = total;
  }
  bool Verify(std::string& error) override {
    if (list_->GetCount() != kRows) error = "the rows were not all added";
    if (table_.asked == 0) error = "no cell was drawn";
    if (table_.strayQuestions != 0) error = "cells of rows that do not exist were asked for";
    if (referenceLength_ == 0) error = "the reference built nothing";
    return error.empty();
  }

 private:
  std::unique_ptr<CCheckArtwork> artwork_;
  std::unique_ptr<SkinUITest::CHarnessWindow> window_;
  CUpdateTable table_;
  SkinUI::CListUI* list_ = nullptr;
  size_t referenceLength_ = 0;
};

class CListScrollFrameMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "list-scroll-frame"; }
  TBenchTarget Target() const override { return {TargetKind::TimeUnder, 16.0}; }

  bool Prepare(std::string& error) override {
    artwork_ = std::make_unique<CCheckArtwork>();
    window_ = std::make_unique<SkinUITest::CHarnessWindow>(kWidth, kHeight);
    list_ = InstallEmptyList(*window_, table_);
    Fill(*window_, *list_);
    if (list_->GetScrollRange().cy <= 0) error = "the rows do not overflow the list";
    return error.empty();
  }

  // Frames start again from the top before the rows run out.
  void BeforeFigure() override {
    if (list_->GetScrollPos().cy < list_->GetScrollRange().cy) return;
    list_->ScrollToTop();
    window_->Paint();
  }
  void Figure() override {
    list_->ScrollLineDown();
    window_->Paint();
  }
  void Reference() override {
    SkinUI::WindowDCGuard windowDC(window_->GetHWND());
    BitBlt(windowDC.get(), 0, 0, kWidth, kHeight, frame_.dc(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  bool Verify(std::string& error) override {
    if (list_->GetScrollPos().cy <= 0) error = "the rows did not scroll";
    if (table_.strayQuestions != 0) error = "cells of rows that do not exist were asked for";
    return error.empty();
  }
  // From the top, so that the picture does not depend on how many frames ran.
  void Dump(const std::wstring& folder) override {
    list_->ScrollToTop();
    window_->InvalidateAll();
    window_->Paint();
    DumpCanvas(*window_->ReadScreen(), folder, L"list_scroll_frame");
  }

 private:
  std::unique_ptr<CCheckArtwork> artwork_;
  std::unique_ptr<SkinUITest::CHarnessWindow> window_;
  CUpdateTable table_;
  SkinUI::CListUI* list_ = nullptr;
  // What the reference copies to the window.
  SkinUITest::Canvas frame_{kWidth, kHeight};
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeListFillMeasure() {
  return std::make_unique<CListFillMeasure>();
}

std::unique_ptr<CBenchMeasure> MakeListScrollFrameMeasure() {
  return std::make_unique<CListScrollFrameMeasure>();
}

}  // namespace SkinUIBench

// CZizuVerUI: the scanning, list, progress and result screens, and the
// installation's progress handlers.

#include "app/main_window.h"
#include "app/text_fit.h"
#include "platform/run_log.h"
#include "ui/core/module_instance.h"

namespace {

constexpr LONG kComplete = 100;
// The first percents of a job are shown as nothing done yet.
constexpr LONG kFirstShownPercent = 3;

LONG ShownPercent(LONG percent) {
  return percent < kFirstShownPercent ? 0 : percent;
}

SkinUI::CWideStringUI Formatted(const wchar_t* format, ...) {
  SkinUI::CWideStringUI text;
  va_list args;
  va_start(args, format);
  text.FormatList(format, args);
  va_end(args);
  return text;
}

void ShowPercent(SkinUI::CProgressUI* progress, LONG percent) {
  progress->SetValue(percent);
  progress->SetText(Formatted(L"%d%%", percent));
}

}  // namespace

// "Scan" from the welcome screen, "Retry" from the failure screen.
void CZizuVerUI::StartScan(bool retry) {
  if (retry) {
    LogLine(L"retry");
    controls_.scan->SetText(L"Scan");
    controls_.icon->SetVisible(false);
    controls_.result1->SetVisible(false);
    controls_.result2->SetVisible(false);
    controls_.state->SetVisible(true);
    controls_.state->SetText(L"");
    // Nothing of the last run may show through the scan's animation.
    controls_.progress->SetValue(0);
    controls_.message->SetText(L"");
    controls_.message->SetToolTip(L"");
  }
  for (SkinUI::CControlUI* control : controls_.welcome) control->SetVisible(false);
  controls_.progress->SetVisible(true);
  controls_.scan->SetVisible(false);
  if (retry) controls_.message->SetVisible(true);
  StartMarquee();
  // Without the agent thread there is nothing to scan with: an empty list.
  if (!agent_.StartScan()) Post(WM_SCAN_FINISHED);
}

void CZizuVerUI::ShowListScreen() {
  controls_.state->SetText(L"Scaning...this may take a few minutes. Please wait...");
  controls_.progress->ApplyAttribute(L"showhtml", L"false");
  KillTimer(hwnd, kMarqueeTimer);
  controls_.scan->SetVisible(true);
  controls_.scan->SetText(L"Fix");
  controls_.list->SetVisible(true);
  controls_.progress->SetVisible(false);
  controls_.progress->ApplyAttribute(L"align", L"center");
  RECT padding = controls_.progress->GetTextPadding();
  padding.left = 0;
  controls_.progress->SetTextPadding(padding);
  controls_.checkAll->SetVisible(true);
  controls_.state->SetVisible(false);
  FillUpdateList();
}

void CZizuVerUI::ShowWelcomeText() {
  constexpr int kStringChars = 1024;
  wchar_t welcome[kStringChars] = {};
  LoadStringW(SkinUI::ModuleInstance(), kWelcomeTextId, welcome, kStringChars);
  controls_.message->SetText(welcome);
  controls_.message->SetToolTip(L"");
}

void CZizuVerUI::StartFix() {
  std::vector<std::wstring> chosen;
  const int count = controls_.list->GetCount();
  for (int i = 0; i < count && HasRow(i); ++i) {
    if (rows_[i].checked) chosen.push_back(rows_[i].updateId);
  }
  if (chosen.empty()) {
    actions_->ShowMessage(hwnd, L"Please select at least one item!", nullptr, MB_OK);
    return;
  }
  ShowWelcomeText();
  controls_.list->SetVisible(false);
  controls_.checkAll->SetVisible(false);
  controls_.state->SetVisible(true);
  controls_.state->SetText(L"Downloading:");
  controls_.progress->SetVisible(true);
  ShowPercent(controls_.progress, 0);
  controls_.scan->SetVisible(false);
  LogLine(L"install: %d updates chosen", static_cast<int>(chosen.size()));
  BlockShutdown(true);
  // Nothing that started is reported as the installation's end, so the
  // screen never stays on "Downloading" for ever.
  if (!agent_.StartInstallation(std::move(chosen))) ShowResultScreen(false);
}

void CZizuVerUI::ShowDownloadProgress(const wchar_t* title, ULONGLONG bytesDownloaded,
                                      ULONGLONG bytesToDownload, LONG currentPercent,
                                      LONG overallPercent) {
  ShowPercent(controls_.progress, ShownPercent(currentPercent));
  controls_.state->SetText(Formatted(L"Download %s", title));
  if (overallPercent == kComplete) {
    controls_.message->SetText(L"Download Complete.\nInstalling Will Begin");
    return;
  }
  const std::wstring done = ByteSizeText(bytesDownloaded);
  const std::wstring all = ByteSizeText(bytesToDownload);
  controls_.message->SetText(
      Formatted(L"Status: Downloading\r\rProgess: %d%%\r\rDownloading: %s/%s\r\rTitle: %s",
                overallPercent, done.c_str(), all.c_str(), title));
}

void CZizuVerUI::ShowInstallProgress(const wchar_t* title, LONG position, LONG count,
                                     LONG currentPercent, LONG overallPercent, LONG resultCode,
                                     HRESULT result) {
  if (overallPercent == kComplete) {
    ShowResultScreen(IsSuccessfulInstallResult(resultCode, result));
    return;
  }
  ShowPercent(controls_.progress, ShownPercent(currentPercent));
  controls_.state->SetText(Formatted(L"Installing: %d/%d updates", position, count));
  controls_.message->SetText(Formatted(L"Status: Installing\r\rCurrent Installing: %s", title));
}

void CZizuVerUI::ShowResultScreen(bool success) {
  BlockShutdown(false);
  if (success) {
    controls_.close->SetText(L"Finish");
    controls_.restartLater->SetVisible(true);
    controls_.restartNow->SetVisible(true);
    controls_.scan->SetVisible(false);
    controls_.icon->ApplyAttribute(L"bkimage", L"file='PatchOK.png'");
    controls_.result1->SetText(L"Successfully Repaired and Updated!");
    controls_.result2->SetText(
        L"You need to reboot your computer now to ensure important updates installed "
        L"correctly. Or you can choose to restart your computer later.");
    controls_.result1->ApplyAttribute(L"textcolor", L"0x0014b4fa");
  } else {
    controls_.icon->ApplyAttribute(L"bkimage", L"file='unsucessed.png'");
    controls_.result1->SetText(L"Windows Update Failed!");
    controls_.result1->ApplyAttribute(L"textcolor", L"0x00c8a500");
    controls_.result2->SetText(L"Please try to download and install the update again.");
    controls_.scan->SetVisible(true);
    controls_.scan->SetText(L"Retry");
  }
  LogLine(success ? L"result: success" : L"result: failure");
  // The failure screen keeps the message area: it says what failed and why.
  controls_.message->SetVisible(!success);
  controls_.bottom->SetVisible(!success);
  if (!success) ShowFailureDetails();
  controls_.state->SetVisible(false);
  controls_.progress->SetVisible(false);
  controls_.icon->SetVisible(true);
  controls_.result1->SetVisible(true);
  controls_.result2->SetVisible(true);
}

// One line of the message area: its width, in its font.
CTextFit CZizuVerUI::MessageFit() {
  const RECT padding = controls_.message->Scale().ToDevice(controls_.message->GetTextPadding());
  SkinUI::FontRecord* font = manager_.Resources().FontInfoAt(controls_.message->GetFont());
  if (font == nullptr) font = manager_.Resources().DefaultFontInfo();
  return CTextFit(font != nullptr ? font->font.get() : nullptr,
                  controls_.message->GetWidth() - padding.left - padding.right);
}

void CZizuVerUI::ShowFailureDetails() {
  const CTextFit fit = MessageFit();
  const RECT padding = controls_.message->Scale().ToDevice(controls_.message->GetTextPadding());
  const int lines =
      (controls_.message->GetHeight() - padding.top - padding.bottom) / fit.LineHeight();
  controls_.message->SetText(
      FailureDetailsText(failure_, RunLogPath(), lines, std::cref(fit)).c_str());
  controls_.message->SetToolTip(L"");
}

void OnDownloadProgress(const wchar_t* title, const wchar_t* /*updateId*/, DECIMAL bytesDownloaded,
                        DECIMAL bytesToDownload, LONG currentPercent, LONG overallPercent,
                        LONG /*resultCode*/, HRESULT /*result*/) {
  if (g_mainWindow == nullptr) return;
  g_mainWindow->ShowDownloadProgress(title, bytesDownloaded.Lo64, bytesToDownload.Lo64,
                                     currentPercent, overallPercent);
}

void OnInstallProgress(const wchar_t* title, const wchar_t* /*updateId*/, LONG position, LONG count,
                       LONG currentPercent, LONG overallPercent, LONG resultCode, HRESULT result) {
  if (g_mainWindow == nullptr) return;
  g_mainWindow->ShowInstallProgress(title, position, count, currentPercent, overallPercent,
                                    resultCode, result);
}

void OnInstallationFinished(bool succeeded) {
  if (g_mainWindow == nullptr) return;
  g_mainWindow->ShowResultScreen(succeeded);
}

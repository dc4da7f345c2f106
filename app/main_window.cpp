// CZizuVerUI: window messages, set-up from the skin, the caption and round
// corners, notifications, the close rule and the restart.

#include "app/main_window.h"

#include "platform/run_log.h"
#include "ui/core/module_instance.h"
#include "ui/window/skin_builder.h"

CZizuVerUI* g_mainWindow = nullptr;

namespace {

constexpr wchar_t kSkinFile[] = L"MainSkin.xml";
constexpr UINT kIconId = 102;
constexpr BYTE kWindowAlpha = 240;
constexpr LONG kStyleWithoutCaption = 0xFF3FFFFF;
constexpr LONG kMinimiseAndSystemMenu = 0x000A0000;
constexpr UINT kRestartFlags = EWX_REBOOT | EWX_FORCEIFHUNG;
constexpr DWORD kRestartReason = 0x80020003;
constexpr wchar_t kCloseQuestion[] = L"Fix tool is running, are you sure to close?";
constexpr wchar_t kCloseCaption[] = L"Tip";
constexpr wchar_t kFinishText[] = L"Finish";
constexpr wchar_t kShutdownReason[] = L"Patchwell is installing updates.";
constexpr LONG kCompletePercent = 100;

bool IsNamed(SkinUI::CControlUI* control, const wchar_t* name) {
  return control != nullptr && control->GetName() == name;
}

}  // namespace

CZizuVerUI::CZizuVerUI(const TMainWindowSetup& setup)
    : agent_(setup.catalogueUrl),
      homePage_(setup.homePage),
      actions_(setup.actions),
      closeBoundMs_(setup.closeBoundMs),
      endSessionBoundMs_(setup.endSessionBoundMs) {
  handlers_.downloadProgress = OnDownloadProgress;
  handlers_.installProgress = OnInstallProgress;
  handlers_.installationFinished = OnInstallationFinished;
}

CZizuVerUI::~CZizuVerUI() = default;

LRESULT CZizuVerUI::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_DESTROY:
      BlockShutdown(false);
      PostQuitMessage(0);
      break;
    case WM_SIZE:
      OnRoundCorners();
      break;
    case WM_CLOSE:
      OnCloseMessage();
      return 0;
    case WM_QUERYENDSESSION:
      return OnQueryEndSession();
    case WM_ENDSESSION:
      OnEndSession(wParam != FALSE);
      return 0;
    case WM_NCHITTEST:
      return OnHitTest(lParam);
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTCAPTION) return 1;  // no maximise from the caption
      break;
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
    case WM_NCACTIVATE:
      return 1;
    case WM_SYSCOMMAND:
      if (wParam == SC_CLOSE) {
        Send(WM_CLOSE);
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == kMarqueeTimer) {
        StepMarquee();
        return 1;
      }
      break;
    case WM_SCAN_FINISHED:
      ShowListScreen();
      return 1;
    case WM_AGENT_REPORT:
      DeliverAgentReports();
      return 1;
    default:
      break;
  }
  return DefaultPath(message, wParam, lParam);
}

LRESULT CZizuVerUI::DefaultPath(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (manager_.HandleWindowMessage(message, wParam, lParam, result)) return result;
  return CWindowWnd::OnMessage(message, wParam, lParam);
}

// -1 refuses the window when the skin, or any control it must hold, is
// missing: nothing could be shown or driven without them.
LRESULT CZizuVerUI::OnCreate() {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  SetWindowLongW(hwnd, GWL_STYLE, (style & kStyleWithoutCaption) | kMinimiseAndSystemMenu);
  SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(hwnd, 0, kWindowAlpha, LWA_ALPHA);

  // The small one first: set alone, the large one would have the system
  // make a reduced copy of it for the small one, thrown away at once.
  HICON icon = LoadIconW(SkinUI::ModuleInstance(), MAKEINTRESOURCEW(kIconId));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

  manager_.AttachWindow(hwnd);
  agent_.SetNotifyWindow(hwnd);
  SkinUI::CSkinBuilder builder;
  SkinUI::CControlUI* root = builder.Create(kSkinFile, nullptr, nullptr, &manager_);
  if (root == nullptr) return -1;
  manager_.SetRootControl(root);
  manager_.AddListener(this);
  if (!controls_.Find(manager_)) return -1;

  ShowWelcomeText();
  controls_.list->SetCellTextSource(this);
  controls_.list->ApplyAttribute(L"itemshowhtml", L"true");
  controls_.list->ApplyAttribute(L"itemtextpadding", L"5,0,0,0");
  // A title wider than its cell ends in "..." instead of running under the
  // next column.
  controls_.list->ApplyAttribute(L"itemendellipsis", L"true");
  controls_.list->SetVisible(false);
  controls_.checkAll->SetVisible(false);
  controls_.progress->SetVisible(false);
  return 0;
}

void CZizuVerUI::OnRoundCorners() {
  const SIZE round = manager_.DeviceCornerRounding();
  if (IsIconic(hwnd) || (round.cx == 0 && round.cy == 0)) return;
  RECT client = {};
  GetClientRect(hwnd, &client);
  // The window owns the region once it is set.
  HRGN region = CreateRoundRectRgn(0, 0, client.right, client.bottom, round.cx, round.cy);
  SetWindowRgn(hwnd, region, TRUE);
}

LRESULT CZizuVerUI::OnHitTest(LPARAM lParam) const {
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ScreenToClient(hwnd, &point);
  const RECT caption = manager_.DeviceCaptionArea();
  const bool inCaption = point.x >= caption.left && point.x <= caption.right &&
                         point.y >= caption.top && point.y <= caption.bottom;
  return inCaption ? HTCAPTION : HTCLIENT;
}

void CZizuVerUI::Receive(SkinUI::TNotifyMsg& msg) {
  if (msg.type == SkinUI::NotifyType::kClick) {
    OnClick(msg.sender);
  } else if (msg.type == SkinUI::NotifyType::kItemClick) {
    ToggleRowOnClick(msg);
  } else if (msg.type == SkinUI::NotifyType::kItemSelect) {
    ShowDescription();
  } else if (msg.type == SkinUI::NotifyType::kItemCheck) {
    ToggleRowFromCheck(msg);
  }
}

void CZizuVerUI::OnClick(SkinUI::CControlUI* sender) {
  if (IsNamed(sender, L"BtnClose") || IsNamed(sender, L"Btn_Close")) {
    ApplyCloseRule(sender);
  } else if (IsNamed(sender, L"BtnMiniSize")) {
    Send(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (IsNamed(sender, L"Check_All")) {
    ToggleAllRows();
  } else if (IsNamed(sender, L"Btn_Website")) {
    actions_->OpenAddress(hwnd, homePage_.c_str());
  } else if (IsNamed(sender, L"Btn_Scan")) {
    const SkinUI::CWideStringUI action = sender->GetText();
    if (action == L"Scan") {
      StartScan(false);
    } else if (action == L"Retry") {
      StartScan(true);
    } else if (action == L"Fix") {
      StartFix();
    }
  }
}

// "Finish" restarts when "Restart PC Now" is chosen; whether closing asks
// first is the same for every route (OnCloseMessage).
void CZizuVerUI::ApplyCloseRule(SkinUI::CControlUI* sender) {
  if (sender->GetText() == kFinishText) {
    const bool now = controls_.restartNow->IsSelected();
    LogLine(now ? L"restart: now" : L"restart: later");
    if (now) RestartComputer();
  }
  Close();
}

void CZizuVerUI::Close() {
  Send(WM_SYSCOMMAND, SC_CLOSE, 0);
}

// The welcome, list, failure and success screens close at once; scanning and
// progress ask first, whether the close button, Alt+F4, the system menu or
// the taskbar asked. A running download or installation is aborted, and the
// window stays painted while it ends; one that already reported its end is
// let complete.
void CZizuVerUI::OnCloseMessage() {
  if (closing_ || askingClose_) return;
  const bool stopWork = WorkOnScreen();
  if (stopWork && !ConfirmClose()) return;
  if (stopWork) LogLine(L"closed by the user while working");
  closing_ = true;
  if (stopWork) {
    agent_.AbortAndWait(closeBoundMs_);
  } else {
    agent_.WaitForJobs(closeBoundMs_);
  }
  BlockShutdown(false);
  DestroyWindow(hwnd);
}

bool CZizuVerUI::WorkOnScreen() const {
  return !controls_.scan->IsVisible() && controls_.close->GetText() != kFinishText;
}

bool CZizuVerUI::ConfirmClose() {
  askingClose_ = true;
  const int answer =
      actions_->ShowMessage(hwnd, kCloseQuestion, kCloseCaption, MB_YESNO | MB_ICONQUESTION);
  askingClose_ = false;
  return answer == IDYES;
}

// An installation cut short by a shutdown can leave the system half updated.
LRESULT CZizuVerUI::OnQueryEndSession() {
  return agent_.JobRunning() ? FALSE : TRUE;
}

// The session ends whatever the answer was: stop the job within the time the
// system gives before it ends the process.
void CZizuVerUI::OnEndSession(bool ending) {
  if (!ending || closing_) return;
  closing_ = true;
  agent_.AbortAndWait(endSessionBoundMs_);
  BlockShutdown(false);
}

// Reports that arrive while the window closes are dropped. The outcomes a
// final report carries are kept for the failure screen it may lead to.
void CZizuVerUI::DeliverAgentReports() {
  for (const TAgentReport& report : agent_.TakeReports()) {
    if (closing_) continue;
    const auto* install = std::get_if<TInstallReport>(&report);
    if ((install && install->overallPercent == kCompletePercent) ||
        std::holds_alternative<TInstallationEnded>(report)) {
      failure_ = FailureFactsOf(report);
    }
    DeliverReport(report, handlers_);
  }
}

void CZizuVerUI::BlockShutdown(bool block) {
  if (block == shutdownBlocked_) return;
  shutdownBlocked_ = block;
  actions_->BlockShutdown(hwnd, block ? kShutdownReason : nullptr);
}

// Other programs may save or refuse; only hung ones are ended.
bool CZizuVerUI::RestartComputer() {
  return actions_->Restart(kRestartFlags, kRestartReason);
}

void CZizuVerUI::StartMarquee() {
  MarqueeForward = true;
  controls_.progress->ApplyAttribute(L"align", L"left");
  controls_.progress->ApplyAttribute(L"showhtml", L"true");
  RECT padding = controls_.progress->GetTextPadding();
  padding.left = 0;
  controls_.progress->SetTextPadding(padding);
  MarqueeOffset = 0;
  controls_.state->SetText(L"Scaning...this may take a few minutes. Please wait...");
  SetTimer(hwnd, kMarqueeTimer, 1, nullptr);
}

void CZizuVerUI::StepMarquee() {
  constexpr int kPictureWidth = 84;
  constexpr int kTurnBack = 94;
  constexpr int kStep = 2;
  // The offset is a text padding, logical like every skin number.
  const int width = controls_.progress->Scale().ToLogical(controls_.progress->GetWidth());
  if (MarqueeForward) {
    MarqueeOffset += kStep;
    if (MarqueeOffset > width - kPictureWidth) {
      MarqueeOffset = width - kTurnBack;
      MarqueeForward = false;
    }
  } else {
    MarqueeOffset -= kStep;
    if (MarqueeOffset < 0) {
      MarqueeOffset += kStep;
      MarqueeForward = true;
    }
  }
  RECT padding = controls_.progress->GetTextPadding();
  padding.left = MarqueeOffset;
  controls_.progress->SetTextPadding(padding);
  controls_.progress->SetText(L"<i Runing_Procress.png />");
}

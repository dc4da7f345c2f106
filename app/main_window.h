#pragma once
// The program's only window: a borderless, skinned window that runs the
// workflow as a small state machine over the skin's controls:
// welcome -> scanning -> list of missing updates -> download and
// installation progress -> success or failure, with a restart choice.

#include <windows.h>

#include <string>
#include <vector>

#include "app/failure_details.h"
#include "app/main_controls.h"
#include "app/text_fit.h"
#include "app/system_actions.h"
#include "app/update_row.h"
#include "ui/controls/list/list.h"
#include "ui/core/window_wnd.h"
#include "ui/window/window_manager.h"
#include "updates/progress_handlers.h"
#include "updates/update_agent_thread.h"

// What differs between the product and the simulated build.
struct TMainWindowSetup {
  std::string catalogueUrl;  // the agent catalogue the scan refreshes from
  std::wstring homePage;     // opened by "Btn_Website"
  ISystemActions* actions = nullptr;
  // How long closing waits for an aborted download or installation to end.
  DWORD closeBoundMs = 10000;
  // The same when the session ends, within the time the system allows.
  DWORD endSessionBoundMs = 4000;
};

class CZizuVerUI : public SkinUI::CWindowWnd,
                   public SkinUI::INotifyUI,
                   public SkinUI::IListCallbackUI {
 public:
  explicit CZizuVerUI(const TMainWindowSetup& setup);
  ~CZizuVerUI() override;

  // --- SkinUI::INotifyUI, SkinUI::IListCallbackUI ----------------------------------
  void Receive(SkinUI::TNotifyMsg& msg) override;
  // Column 0: the check image, 1: title, 2: date, 3: size; anything else
  // (and a row that does not exist) is empty.
  const wchar_t* CellText(SkinUI::CControlUI* row, int rowIndex, int column) override;

  // Asks for the restart with the shutdown privilege; false when it failed.
  bool RestartComputer();

  // The progress handlers' work on the screen (the free functions below
  // reach the window through g_mainWindow).
  void ShowDownloadProgress(const wchar_t* title, ULONGLONG bytesDownloaded,
                            ULONGLONG bytesToDownload, LONG currentPercent, LONG overallPercent);
  void ShowInstallProgress(const wchar_t* title, LONG position, LONG count, LONG currentPercent,
                           LONG overallPercent, LONG resultCode, HRESULT result);
  void ShowResultScreen(bool success);
  // Cuts text to one line of the message area.
  CTextFit MessageFit();

  SkinUI::CWindowManagerUI& Manager() { return manager_; }

 protected:
  const wchar_t* WindowClassName() const override { return L"CorvexaZizuVer"; }
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The marquee's one timer; the welcome text is a string resource.
  static constexpr UINT_PTR kMarqueeTimer = 1;
  static constexpr UINT kWelcomeTextId = 102;

  LRESULT DefaultPath(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCreate();
  void OnRoundCorners();
  LRESULT OnHitTest(LPARAM lParam) const;

  void OnClick(SkinUI::CControlUI* sender);
  void ApplyCloseRule(SkinUI::CControlUI* sender);
  void Close();
  // Closing by any route: the question while work runs, then the running
  // job aborted and cleaned up before the window goes.
  void OnCloseMessage();
  bool WorkOnScreen() const;
  bool ConfirmClose();
  LRESULT OnQueryEndSession();
  void OnEndSession(bool ending);
  void DeliverAgentReports();
  void ShowFailureDetails();
  void BlockShutdown(bool block);

  // Screens.
  void StartScan(bool retry);
  void StartMarquee();
  void ShowWelcomeText();
  void StepMarquee();
  void ShowListScreen();
  void StartFix();

  // Rows.
  void FillUpdateList();
  void AddRow(UpdateRow row);
  void ToggleAllRows();
  void ToggleRowOnClick(const SkinUI::TNotifyMsg& msg);
  void ToggleRowFromCheck(const SkinUI::TNotifyMsg& msg);
  // The row's check in the row list, its cell and its list element.
  void SetRowCheck(int index, bool checked);
  void FollowRowChecks();
  void ShowDescription();
  bool HasRow(int index) const { return index >= 0 && index < static_cast<int>(rows_.size()); }

  SkinUI::CWindowManagerUI manager_;
  TMainControls controls_;
  std::vector<UpdateRow> rows_;
  CUpdateAgentThread agent_;
  // What the last installation's end told, for the failure screen.
  TFailureFacts failure_;
  InstallHandlers handlers_;
  std::wstring homePage_;
  ISystemActions* actions_;
  DWORD closeBoundMs_;
  DWORD endSessionBoundMs_;
  bool closeConfirmed_ = false;
  bool askingClose_ = false;
  bool closing_ = false;
  bool shutdownBlocked_ = false;
  int MarqueeOffset = 0;
  bool MarqueeForward = true;
};

// The one main window; null before it exists and once teardown has begun.
extern CZizuVerUI* g_mainWindow;

// The handlers the installation reports to (on the UI thread).
void OnDownloadProgress(const wchar_t* title, const wchar_t* updateId, DECIMAL bytesDownloaded,
                        DECIMAL bytesToDownload, LONG currentPercent, LONG overallPercent,
                        LONG resultCode, HRESULT result);
void OnInstallProgress(const wchar_t* title, const wchar_t* updateId, LONG position, LONG count,
                       LONG currentPercent, LONG overallPercent, LONG resultCode, HRESULT result);
void OnInstallationFinished(bool succeeded);

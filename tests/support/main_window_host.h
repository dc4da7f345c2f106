#pragma once
// The program's own main window inside a test or benchmark program: the
// packed skin of that executable's resources, the simulated update agent,
// recorded system actions, and real mouse clicks on the skin's buttons.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "simulated_agent/simulated_agent_factory.h"
#include "tests/support/recording_actions.h"

namespace SkinUITest {

// The main window, with the moment its first WM_PAINT ended.
class CTimedMainWindow : public CZizuVerUI {
 public:
  using CZizuVerUI::CZizuVerUI;
  int Paints() const { return paints_; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  int paints_ = 0;
};

class CMainWindowHost {
 public:
  // catalogueText: the simulated agent's catalogue, in the catalogue file's
  // format.
  explicit CMainWindowHost(const std::wstring& catalogueText);
  ~CMainWindowHost();
  CMainWindowHost(const CMainWindowHost&) = delete;
  CMainWindowHost& operator=(const CMainWindowHost&) = delete;

  bool Ready(std::string& error) const;

  // What the program does from its entry to the window on screen; null when
  // the window was refused.
  CTimedMainWindow* Open();
  // Destroys the window and drops the quit message its end posts.
  void Close();
  CTimedMainWindow* Window() const { return window_.get(); }
  CSimulatedAgentFactory& Agent() { return agent_; }
  CRecordingActions& Actions() { return actions_; }
  // Shortens the time closing waits for an aborted job.
  void SetCloseBound(DWORD closeBoundMs) { closeBoundMs_ = closeBoundMs; }

  // A press and release in the middle of the named control.
  bool Click(const wchar_t* controlName);
  SkinUI::CWideStringUI TextOf(const wchar_t* controlName);
  bool Visible(const wchar_t* controlName);
  // Dispatches the queue through the manager's routing until done or timeout.
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

  // Every 1x drawing of the skin archive, decoded once (what a start at
  // 100 % could need at most); the number decoded.
  int DecodeEverySkinImage() const;

 private:
  SkinUI::CControlUI* Named(const wchar_t* controlName);

  const void* skinBytes_ = nullptr;
  DWORD skinLength_ = 0;
  bool comReady_ = false;
  std::wstring catalogueError_;
  CSimulatedAgentFactory agent_;
  CRecordingActions actions_;
  DWORD closeBoundMs_ = 10000;
  std::unique_ptr<CTimedMainWindow> window_;
};

}  // namespace SkinUITest

#pragma once
// A harness window with a test panel as root and probe controls in it; every
// probe writes into one event log.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/probe_control.h"
#include "tests/support/test_panel.h"
#include "tests/support/window_harness.h"

namespace SkinUITest {

// "name:kind", as CEventLog::Entries writes it.
inline std::string Ev(const char* control, int kind) {
  return std::string(control) + ":" + std::to_string(kind);
}

class WindowScene : public ::testing::Test {
 protected:
  ~WindowScene() override {
    if (!installed_) delete panel;
  }

  CProbeControlUI* AddProbe(const wchar_t* name, int x, int y, int width, int height,
                            UINT flags = 0) {
    auto* probe = new CProbeControlUI(name, &log, x, y, width, height);
    probe->flags = flags;
    panel->Add(probe);
    return probe;
  }
  // Installs the panel as root and lets the first paint lay it out.
  void Show() {
    installed_ = true;
    window.Install(panel);
    log.Clear();
  }
  // Installs the panel without painting.
  void InstallOnly() {
    installed_ = true;
    manager().SetRootControl(panel);
  }
  SkinUI::CWindowManagerUI& manager() { return window.Manager(); }
  CNotifyRecorder& notes() { return window.Notifications(); }

  CEventLog log;
  CHarnessWindow window;
  CTestPanelUI* panel = new CTestPanelUI;

 private:
  bool installed_ = false;
};

}  // namespace SkinUITest

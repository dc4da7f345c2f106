#pragma once
// The entry routine shared by both executables: single instance, the skin
// from the resources, COM, the new-version check, the main window and its
// message loop, and the teardown.

#include <windows.h>

#include <memory>
#include <string>

#include "app/system_actions.h"

struct TProgramSetup {
  std::string catalogueUrl;     // the agent catalogue
  std::wstring serviceAddress;  // the maker's web service, for the version check
  std::wstring homePage;        // the maker's home page
  std::wstring logFolder;       // where the run's log is kept
  // Shared with the version check, which may still run after the program
  // returns.
  std::shared_ptr<ISystemActions> actions;
};

// 0 when another copy is already running, 1 after a run.
int RunProgram(HINSTANCE instance, const TProgramSetup& setup);

#pragma once
// Time limits and size caps of the agent refresh. The product keeps the
// defaults; tests shorten them so a stalled peer or a hung installer does not
// hold a test run for minutes.

#include <windows.h>

struct RefreshLimits {
  DWORD connectTimeoutMs = 30 * 1000;
  // A transfer slower than lowSpeedBytesPerSecond for lowSpeedTimeMs is abandoned.
  DWORD lowSpeedTimeMs = 60 * 1000;
  DWORD lowSpeedBytesPerSecond = 1;
  ULONGLONG catalogueMaxBytes = 16ull * 1024 * 1024;
  ULONGLONG installerMaxBytes = 256ull * 1024 * 1024;
  // The installer is waited for this long; it is not killed afterwards.
  DWORD installerWaitMs = 30 * 60 * 1000;
};

const RefreshLimits& CurrentRefreshLimits();
void SetRefreshLimits(const RefreshLimits& limits);
void ResetRefreshLimits();

#pragma once
// What the failure screen's message area says: each update that did not
// succeed, how it ended and why, and where the log is.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "updates/agent_reports.h"

// What the agent told about an installation that failed.
struct TFailureFacts {
  std::vector<TUpdateOutcome> outcomes;
  // What kept the installation from running at all, when something did.
  HRESULT operationResult = S_OK;
};

// The installation's last report, or its end without one, as failure facts;
// a final report without outcomes stands for its own update.
TFailureFacts FailureFactsOf(const TAgentReport& report);

// True unless the update succeeded (or was still reported running) without
// an error.
bool OutcomeFailed(const TUpdateOutcome& outcome);

// Lines joined by CR LF, at most maxLines of them; fit cuts a line to the
// area's width. Two lines per update ("title" and "Failed, 0x80240022: why"),
// as many updates as fit with the log's line, then how many more are left.
std::wstring FailureDetailsText(const TFailureFacts& facts, const std::wstring& logPath,
                                int maxLines,
                                const std::function<std::wstring(const std::wstring&)>& fit);

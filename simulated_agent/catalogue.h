#pragma once
// What the simulated update agent knows: the updates it reports as missing,
// how each one's download and install ends, the agent's version, the pace of
// its progress reports, the thread its callbacks arrive on, and the switches
// that make whole operations fail or a job hang.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

// Outcome of one update's download or install, as the agent reports it.
struct TSimulatedOutcome {
  LONG resultCode = 2;  // 2 succeeded, 3 succeeded with errors, 4 failed, 5 aborted
  HRESULT hresult = S_OK;
};

// Property reads of one update that fail with E_FAIL (bit flags). `kFailItem`
// makes the search result's get_Item fail for the update, so the client sees
// an unreadable result item.
enum SimulatedRead : unsigned {
  kFailNothing = 0,
  kFailItem = 1u << 0,
  kFailTitle = 1u << 1,
  kFailDescription = 1u << 2,
  kFailIdentity = 1u << 3,
  kFailKBArticleIDs = 1u << 4,
  kFailAutoSelect = 1u << 5,
  kFailMaxDownloadSize = 1u << 6,
  kFailDeploymentDate = 1u << 7,
  kFailAcceptEula = 1u << 8,
};

struct TSimulatedUpdate {
  std::wstring title;
  std::vector<std::wstring> kbArticleIds;
  bool autoSelect = false;
  std::wstring description;
  std::wstring updateId;
  ULONGLONG sizeBytes = 0;
  DATE deployed = 0;  // automation date, UTC
  // An update that needs its licence accepted fails to install until
  // AcceptEula has been called on it.
  bool eulaRequired = false;
  bool rebootRequired = false;
  TSimulatedOutcome download;
  TSimulatedOutcome install;
  unsigned failingReads = kFailNothing;
};

// An HRESULT other than S_OK makes that whole operation return it.
struct TSimulatedFailures {
  HRESULT createSession = S_OK;
  HRESULT createCollection = S_OK;
  HRESULT createAgentInfo = S_OK;
  HRESULT getInfo = S_OK;
  HRESULT createSearcher = S_OK;
  HRESULT search = S_OK;
  HRESULT createDownloader = S_OK;
  HRESULT createInstaller = S_OK;
  HRESULT beginDownload = S_OK;
  HRESULT beginInstall = S_OK;
  HRESULT endDownload = S_OK;
  HRESULT endInstall = S_OK;
};

// The platform promises no thread for job callbacks; the program must be
// right with either.
enum class SimulatedCallbackThread {
  // A thread of the agent's own per running job, in the multithreaded
  // apartment.
  kAgent,
  // The thread that began the job, from its message loop.
  kStarting,
};

struct TSimulatedCatalogue {
  std::vector<TSimulatedUpdate> updates;
  std::wstring agentVersion = L"7.6.7601.24436";
  // Milliseconds a search takes (it blocks the calling thread, as the real
  // one does), milliseconds between two progress reports of a running job, and
  // how many reports each update gets on its way to 100 percent.
  UINT searchMs = 1500;
  UINT paceMs = 400;
  UINT stepsPerUpdate = 4;
  SimulatedCallbackThread callbackThread = SimulatedCallbackThread::kAgent;
  // A job asked to abort never completes: no completed callback comes, and
  // only CleanUp ends it.
  bool abortNeverCompletes = false;
  TSimulatedFailures failures;
};

// Eight updates of the kinds a machine typically misses: security, cumulative,
// .NET, Defender definitions, one selected by default, one carrying KB 2483139.
// Every download and install succeeds.
TSimulatedCatalogue DefaultSimulatedCatalogue();

// Automation date (UTC) of a calendar day at noon; 0 for an invalid day.
DATE SimulatedDate(WORD year, WORD month, WORD day);

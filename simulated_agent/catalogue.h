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

// How one read misbehaves: it fails (E_FAIL), or it succeeds with nothing in
// it (a null string or object, a zero count, an empty value).
enum class SimulatedFault { kNone, kFails, kEmpty };

// Reads of one update (bit flags), for TSimulatedUpdate's failingReads and
// emptyReads. kReadItem is the search result's get_Item for the update, so
// the client sees an unreadable result item; kReadUpdateId is its identity's
// UpdateID, kReadKBCount and kReadKBItem the reads of its KB list. Reads of
// plain values (auto-select, size, date, the licence) only fail.
enum SimulatedRead : unsigned {
  kReadNothing = 0,
  kReadItem = 1u << 0,
  kReadTitle = 1u << 1,
  kReadDescription = 1u << 2,
  kReadIdentity = 1u << 3,
  kReadKBArticleIDs = 1u << 4,
  kReadAutoSelect = 1u << 5,
  kReadMaxDownloadSize = 1u << 6,
  kReadDeploymentDate = 1u << 7,
  kReadAcceptEula = 1u << 8,
  kReadUpdateId = 1u << 9,
  kReadKBCount = 1u << 10,
  kReadKBItem = 1u << 11,
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
  unsigned failingReads = kReadNothing;
  unsigned emptyReads = kReadNothing;
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
  // Reading the search result's count.
  HRESULT countResult = S_OK;
};

// Reads of jobs and of the agent itself that misbehave, every time they are
// made from the moment they are set.
struct TSimulatedReadFaults {
  SimulatedFault jobState = SimulatedFault::kNone;
  // Added to the VT_I8 state a job reports: the state then names someone else.
  LONGLONG jobStateShift = 0;
  SimulatedFault jobUpdates = SimulatedFault::kNone;
  // CreateAgentInfo succeeds without an object; the version comes as a number.
  bool agentInfoMissing = false;
  bool versionIsNumber = false;
  // The upper 32 of the 96 bits of every size and byte count the agent
  // reports; the program reads the lower 64 only.
  ULONG sizeHighBits = 0;
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
  // Jobs do not pace themselves: each report and the completion come when the
  // test asks for them, with what the test says they hold, on the asking
  // thread (CSimulatedAgentFactory::ReportProgress, CompleteJob). A stepped
  // job changes nothing on the machine and ends only with CleanUp.
  bool stepByStep = false;
  // Step by step only: CleanUp is recorded and does nothing else, so the job
  // keeps its callbacks and goes on reporting when asked.
  bool ignoresCleanUp = false;
  // Step by step only: a job that has not completed when its last reference
  // goes reports 100 percent and its completion from there.
  bool reportsWhenReleased = false;
  TSimulatedFailures failures;
  TSimulatedReadFaults readFaults;
};

// Eight updates of the kinds a machine typically misses: security, cumulative,
// .NET, Defender definitions, one selected by default, one carrying KB 2483139.
// Every download and install succeeds.
TSimulatedCatalogue DefaultSimulatedCatalogue();

// Automation date (UTC) of a calendar day at noon; 0 for an invalid day.
DATE SimulatedDate(WORD year, WORD month, WORD day);

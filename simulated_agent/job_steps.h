#pragma once
// What a test says the next step of a stepped job holds (the catalogue's
// stepByStep), and what it can see of the job begun last.

#include <windows.h>
#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

#include "simulated_agent/catalogue.h"

// Reads of one progress report (bit flags) that fail with E_FAIL.
enum SimulatedProgressRead : unsigned {
  kProgressReadNothing = 0,
  kProgressReadBytesDone = 1u << 0,
  kProgressReadBytesToDo = 1u << 1,
  kProgressReadIndex = 1u << 2,
  kProgressReadPercent = 1u << 3,
  kProgressReadCurrentPercent = 1u << 4,
  kProgressReadUpdateResult = 1u << 5,
};

struct TSimulatedReport {
  LONG index = 0;
  LONG currentPercent = 0;
  LONG percent = 0;
  // The current update's bytes, for a download.
  ULONGLONG bytesDone = 0;
  ULONGLONG bytesToDo = 0;
  // What GetUpdateResult answers for each update; from now on also the
  // job's final results.
  std::vector<TSimulatedOutcome> results;
  // Misbehaviour of this report alone.
  unsigned failingReads = kProgressReadNothing;
  SimulatedFault progress = SimulatedFault::kNone;
  bool withoutJob = false;
  bool withoutArgs = false;
};

struct TSimulatedCompletion {
  // What EndDownload or EndInstall reports for the whole job; by default the
  // summary of the last report's results.
  std::optional<TSimulatedOutcome> result;
  bool withoutJob = false;
};

struct TSimulatedJobView {
  // L"download" or L"installation".
  std::wstring kind;
  std::vector<std::wstring> updateIds;
  // Tells apart the lists the downloader or installer were given; never read.
  const void* givenUpdates = nullptr;
  // The VT_I8 state the job was begun with, else 0.
  LONGLONG state = 0;
  Microsoft::WRL::ComPtr<IUnknown> job;
  Microsoft::WRL::ComPtr<IUnknown> onProgress;
  Microsoft::WRL::ComPtr<IUnknown> onCompleted;
};

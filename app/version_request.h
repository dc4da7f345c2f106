#pragma once
// The version check's HTTP exchange with the maker's service. It cannot
// hang: every step has a time-out, redirects are followed by hand at most
// kMaxVersionRedirects times and only to web addresses, and the caller stops
// waiting when the whole check's time is up.

#include <windows.h>

#include <string>

#include "app/web_address.h"

constexpr int kMaxVersionRedirects = 3;
// A download-page address is short; a larger announced body is refused
// before anything is allocated.
constexpr long long kMaxVersionAnswerBytes = 4096;

// The product keeps the defaults; tests shorten them.
struct TVersionCheckLimits {
  DWORD connectTimeoutMs = 10 * 1000;
  DWORD sendTimeoutMs = 10 * 1000;
  DWORD receiveTimeoutMs = 10 * 1000;
  // Name resolution, redirects, headers and body together.
  DWORD wholeCheckMs = 30 * 1000;
};

// The request flags for an address: the program's plain flags, secure for https.
DWORD VersionRequestFlags(const TWebAddress& target);

// GET of address. True with the bytes that arrived when the final answer
// (its status is not looked at) announced a Content-Length of at most
// kMaxVersionAnswerBytes; false on any failure. Returns within
// limits.wholeCheckMs: the request runs on a thread of its own, which the
// caller leaves behind when the time is up and which then ends on its own
// time-outs.
bool FetchVersionAnswer(const std::wstring& address, const TVersionCheckLimits& limits,
                        std::string& body);

#pragma once
// Once per start, on a thread of its own: asks the maker's web service
// whether a newer version exists and offers to open its download page.

#include <windows.h>

#include <string>

#include "app/system_actions.h"

constexpr int kPageAddressChars = 260;

// The maker's service, e.g. "http://host" (the path and query are added),
// and where the prompt and the shell go.
struct TVersionCheck {
  std::wstring serviceAddress;
  ISystemActions* actions = nullptr;
};

// Asks the service. True when an answer came back (offered tells whether it
// named a download page, copied into pageAddress); false on any failure.
bool QueryNewVersion(const wchar_t* serviceAddress, char (&pageAddress)[kPageAddressChars],
                     bool& offered);

// Only a plain web address is ever handed to the shell of this elevated
// process: http or https, shorter than the buffer, printable ASCII without
// blanks or quotes.
bool IsOfferablePageAddress(const char* text);

// Thread procedure; the argument is a TVersionCheck that outlives the thread.
// Returns 0.
DWORD WINAPI CheckNewVersion(LPVOID check);

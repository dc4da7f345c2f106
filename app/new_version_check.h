#pragma once
// Once per start, on a thread of its own: asks the maker's web service
// whether a newer version exists and offers to open its download page.

#include <windows.h>

#include <memory>
#include <string>

#include "app/system_actions.h"
#include "app/version_request.h"
#include "platform/unique_handle.h"

constexpr int kPageAddressChars = 260;

// The maker's service, e.g. "https://host" (the path and query are added),
// and where the prompt and the opening go. The check holds the actions for
// as long as it runs, so they outlive it whoever else lets them go.
struct TVersionCheck {
  std::wstring serviceAddress;
  std::shared_ptr<ISystemActions> actions;
  TVersionCheckLimits limits;
};

// Asks the service. True when an answer came back (offered tells whether it
// named a download page, copied into pageAddress); false on any failure,
// and when the answer did not come within limits.wholeCheckMs.
bool QueryNewVersion(const wchar_t* serviceAddress, char (&pageAddress)[kPageAddressChars],
                     bool& offered, const TVersionCheckLimits& limits = TVersionCheckLimits());

// Only a plain web address (ParseWebAddress) shorter than the buffer is
// ever offered.
bool IsOfferablePageAddress(const char* text);

// The whole check: the question, the prompt, and on Yes the opening.
void RunVersionCheck(const TVersionCheck& check);

// Starts RunVersionCheck on a thread of its own, which owns its copy of the
// check. The thread's handle, or none when it could not be started.
UniqueHandle StartVersionCheck(TVersionCheck check);

#pragma once

#include <string>
// The version decision of the refresh.

// The installed update agent's version ("7.6.7601.24436"); false when it
// cannot be read.
bool ReadInstalledAgentVersion(std::wstring& version);

// True when the installed update agent is older than `catalogueVersion`, or
// when its version cannot be read at all (so the agent gets refreshed).
bool IsAgentOlder(const char* catalogueVersion);

// Compares dotted versions of up to four decimal parts in order; the first
// part that differs decides. Missing or non-numeric parts count as 0.
bool IsVersionOlder(const wchar_t* installed, const char* catalogue);

#pragma once
// Plain-language reasons for the error codes the update agent reports most
// often, for the failure screen and the log.

#include <windows.h>

#include <string>

// A short reason, or null for a code the table does not know.
const wchar_t* UpdateErrorReason(HRESULT result);

// "failed", "aborted", "succeeded with errors", ... for an operation result code.
const wchar_t* UpdateResultName(LONG resultCode);

// "0x80240022" (always eight hex digits).
std::wstring HresultText(HRESULT result);

// "0x80240022 (Every update of the operation failed.)", or the hex alone.
std::wstring DescribeHresult(HRESULT result);

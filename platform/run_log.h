#pragma once
// The run's log: plain UTF-8 lines, each with the local time, appended to
// patchwell.log in one folder, so that a user can learn afterwards what the
// run did and why an update failed. One per process; any thread may write.
//
// The program runs elevated and the folder lies where other users' programs
// may create folders, so it is made for the elevated process alone (only
// SYSTEM and Administrators may write; inheritance blocked) and held for the
// run; a link in its place, or a folder someone else made, is not used.
// Logging never fails the run: when the folder cannot be made safe, or a
// write fails, the line is dropped.

#include <windows.h>

#include <string>

constexpr wchar_t kRunLogName[] = L"patchwell.log";
// The one older file kept when the log reaches its limit.
constexpr wchar_t kRunLogOlderName[] = L"patchwell.log.1";
constexpr ULONGLONG kRunLogLimitBytes = 1024 * 1024;

// Starts logging into folder (created when missing); false when it cannot.
bool OpenRunLog(const std::wstring& folder, ULONGLONG limitBytes = kRunLogLimitBytes);
void CloseRunLog();
// The log file's path, or empty while nothing is logged.
std::wstring RunLogPath();

// One line, formatted as wsprintfW does (%s wide, %S narrow; at most 1023
// characters).
void LogLine(const wchar_t* format, ...);

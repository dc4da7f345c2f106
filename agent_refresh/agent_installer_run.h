#pragma once
// One run of the agent installer named by a catalogue entry.

// Downloads the installer, holds it open against change, verifies it and
// starts it as "<path>" /q in its own folder, waiting (bounded) for the
// process to end; the file and its folder are removed afterwards. Returns
// false when the refresh must stop: the installer could not be downloaded
// or is not trusted. A start that fails returns true.
bool RunAgentInstaller(const char* downloadUrl);

#pragma once
// Reading of the catalogue document and the install decision.

// "x64", "ia64" or "x86", from the native processor architecture.
const char* NativeArchitectureName();

// Walks the "architecture" entries of "WURedist.StandaloneRedist" in document
// order; for each one named exactly as this machine's architecture whose
// client version is newer than the installed agent, runs its installer.
// Any unreadable document, entry or attribute ends the walk silently, and so
// does an installer that cannot be downloaded or is not trusted.
void InstallAgentIfOlder(const char* xmlPath);

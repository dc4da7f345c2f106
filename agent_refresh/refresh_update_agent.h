#pragma once
// Brings the update agent up to the version the platform vendor publishes,
// before each search for updates.

// The vendor's agent catalogue: a cabinet holding wuredist.xml.
extern const char kVendorCatalogueUrl[];

// Downloads the catalogue at `catalogueUrl`, unpacks it, and runs the agent
// installer of this machine's architecture when the installed agent is older.
// Every failure ends the refresh silently; temporary files and folders are
// removed. Runs on the scan worker, which waits for it.
void RefreshUpdateAgent(const char* catalogueUrl);

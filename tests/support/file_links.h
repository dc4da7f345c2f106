#pragma once
// Links a non-elevated process could plant where an elevated one writes, and
// the file listing that sees them. Under Wine, which makes no links of its
// own, they are Unix symbolic links made by starting ln through the Z:
// drive; a link to a folder then shows as a folder and a reparse point, as a
// junction does, and paths through it lead into its target.

#include <string>
#include <vector>

std::vector<std::string> EntriesIn(const std::string& folder);  // names, no "." or ".."

bool PlantLink(const std::string& link, const std::string& target);
// Removes the link itself. Under Wine only a Unix program can: every
// Windows call that deletes a link deletes what it leads to.
bool RemoveLink(const std::string& link);
// Renames the way a process outside the system's file sharing rules could.
bool MoveOutsideSharing(const std::string& from, const std::string& to);
// Whether the platform opens a link itself when asked to (Windows does,
// Wine follows it even then).
bool OpensLinksThemselves(const std::string& link);

#pragma once
// A check made before the catalogue document is parsed: the XML reader
// descends recursively, so a downloaded document nested deeply enough would
// exhaust the scan worker's stack.

#include <string>

// True when elements in `text` nest deeper than `limit`. Comments, CDATA,
// declarations, processing instructions and quoted attribute values are
// skipped the way an XML reader skips them; unterminated markup ends the scan.
bool IsNestedDeeperThan(const std::string& text, int limit);

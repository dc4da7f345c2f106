#pragma once
// A check made before the catalogue document is parsed. The XML reader
// descends recursively, so a downloaded document nested deeply enough would
// exhaust the scan worker's stack; and the reader skips a document type
// declaration by its own rules, which a count of ours could not follow.

#include <string>

// True when `text` may be handed to the XML reader: it holds no document
// type, entity or other markup declaration, all its comments, processing
// instructions, CDATA sections and tags are terminated, no closing tag comes
// without an open element, and elements nest no deeper than `maxDepth`.
// Comments, processing instructions, CDATA and quoted attribute values are
// skipped as the reader skips them, so markup inside them counts for nothing.
bool IsAcceptableMarkup(const std::string& text, int maxDepth);

#include "agent_refresh/xml_nesting.h"

#include <cstring>

namespace {

// Position just past `terminator` from `from`, or npos.
size_t PastTerminator(const std::string& text, size_t from, const char* terminator) {
  size_t at = text.find(terminator, from);
  return at == std::string::npos ? at : at + std::strlen(terminator);
}

// Position just past the '>' that ends the tag opened at `from`, honouring
// quoted attribute values; sets `selfClosing` for "<x/>".
size_t PastTag(const std::string& text, size_t from, bool* selfClosing) {
  char quote = 0;
  for (size_t at = from + 1; at < text.size(); ++at) {
    char c = text[at];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      *selfClosing = text[at - 1] == '/';
      return at + 1;
    }
  }
  return std::string::npos;
}

bool StartsWith(const std::string& text, size_t at, const char* prefix) {
  return text.compare(at, std::strlen(prefix), prefix) == 0;
}

}  // namespace

bool IsAcceptableMarkup(const std::string& text, int maxDepth) {
  int depth = 0;
  for (size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at)) {
    if (StartsWith(text, at, "<!--")) {
      at = PastTerminator(text, at + 4, "-->");
    } else if (StartsWith(text, at, "<![CDATA[")) {
      at = PastTerminator(text, at + 9, "]]>");
    } else if (StartsWith(text, at, "<?")) {
      at = PastTerminator(text, at + 2, "?>");
    } else if (StartsWith(text, at, "<!")) {
      // DOCTYPE, ENTITY and the like: a catalogue has none.
      return false;
    } else if (StartsWith(text, at, "</")) {
      if (--depth < 0) return false;
      at = PastTerminator(text, at + 2, ">");
    } else {
      bool selfClosing = false;
      at = PastTag(text, at, &selfClosing);
      if (at != std::string::npos && !selfClosing && ++depth > maxDepth) return false;
    }
    if (at == std::string::npos) return false;
  }
  return true;
}

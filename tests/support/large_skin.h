#pragma once
// A skin document of a megabyte or so, for the parse-cost test and the
// benchmark: containers of 50 floating buttons with five attributes each.

#include <string>

namespace SkinUITest {

// At least targetBytes of UTF-8 (some texts are German or Chinese; names stay
// ASCII). elements receives the number of elements written, buttons (when
// given) the number of buttons.
std::string LargeSkinDocument(size_t targetBytes, int& elements, int* buttons = nullptr);

}  // namespace SkinUITest

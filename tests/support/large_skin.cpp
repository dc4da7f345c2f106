#include "tests/support/large_skin.h"

#include <cstdio>

namespace SkinUITest {

std::string LargeSkinDocument(size_t targetBytes, int& elements, int* buttons) {
  std::string skin = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"650,400\">\n";
  elements = 1;
  char line[512];
  for (int i = 0; skin.size() < targetBytes; ++i) {
    if (i % 50 == 0) {
      skin += i ? "  </Container>\n  <Container bkimage=\"bg.png\">\n"
                : "  <Container bkimage=\"bg.png\">\n";
      ++elements;
    }
    // Every tenth text is German, every fiftieth Chinese: names stay ASCII.
    const char* text = i % 50 == 0   ? "\xE6\x9B\xB4\xE6\x96\xB0 &amp; \xE4\xBF\xAE\xE5\xA4\x8D"
                       : i % 10 == 0 ? "\xC3\x9C"
                                       "berpr\xC3\xBC"
                                       "fen &amp; Aktualisieren"
                                     : "Item &amp; update";
    std::snprintf(line, sizeof(line),
                  "    <Button name=\"Btn_%d\" float=\"true\" pos=\"%d,%d,%d,%d\" text=\"%s %d\" "
                  "normalimage=\"file='pach_button.png' source='0,0,90,29'\" />\n",
                  i, i % 600, i % 380, i % 600 + 89, i % 380 + 30, text, i);
    skin += line;
    ++elements;
    if (buttons != nullptr) *buttons = i + 1;
  }
  skin += "  </Container>\n</Window>\n";
  return skin;
}

}  // namespace SkinUITest

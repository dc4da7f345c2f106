#pragma once
// Random damage to markup for the mutation tests: a small reproducible
// random source and a mutator that overwrites, cuts and inserts tokens.

#include <cstdint>
#include <cstddef>
#include <string>
#include <vector>

namespace SkinUITest {

class CRandom {
 public:
  explicit CRandom(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  size_t Below(size_t limit) { return limit ? Next() % limit : 0; }

 private:
  uint32_t state_;
};

// One to four edits: a character overwritten (with a token's first character
// or any byte), the text cut short, or a whole token inserted.
inline std::string MutateText(const std::string& original, CRandom& random,
                              const std::vector<const char*>& tokens) {
  std::string text = original;
  const size_t edits = 1 + random.Below(4);
  for (size_t i = 0; i < edits && !text.empty(); ++i) {
    switch (random.Below(3)) {
      case 0: {
        const char* token = tokens[random.Below(tokens.size())];
        text[random.Below(text.size())] =
            random.Below(2) ? token[0] : static_cast<char>(random.Next());
        break;
      }
      case 1:
        text.resize(random.Below(text.size() + 1));
        break;
      default: {
        const char* token = tokens[random.Below(tokens.size())];
        text.insert(random.Below(text.size() + 1), token);
        break;
      }
    }
  }
  return text;
}

}  // namespace SkinUITest

#pragma once
// Reads the kind of PNG the skin is made of (8 bits of red, green, blue and
// alpha, not interlaced) a row at a time: the rows are unfiltered in place in
// the inflated data and handed out top-down, so that the caller stores each
// one where it belongs without a second copy of the whole image.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace SkinUI {

struct TPngRowReader {
  // Told the size once the data is inflated; false stops the reading.
  std::function<bool(int width, int height)> begin;
  // Each row's width * 4 bytes of red, green, blue and alpha, top-down.
  std::function<void(int y, const unsigned char* rgba)> row;
};

// The width and height in a PNG's header (the first 24 bytes); false when
// the bytes do not start so.
bool ReadPngSize(const unsigned char* bytes, size_t size, uint32_t& width, uint32_t& height);

// False for any other kind of PNG, for damaged data and when `begin` refused;
// then not every row was handed out.
bool ReadRgbaPngRows(const unsigned char* bytes, size_t size, const TPngRowReader& reader);

}  // namespace SkinUI

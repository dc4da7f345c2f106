#include "ui/render/png_rows.h"

#include <emmintrin.h>

#include <climits>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "stb/stb_image.h"
#include "ui/render/dib_section.h"

namespace SkinUI {

namespace {

constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kSignatureBytes = sizeof(kSignature);
constexpr size_t kChunkFrame = 12;  // length, type and check sum
constexpr uint32_t kHeaderBytes = 13;
constexpr uint32_t kMaxSide = 1u << 24;  // as the general decoder
constexpr size_t kPixelBytes = 4;

enum Filter : unsigned char { kNone, kSub, kUp, kAverage, kPaeth };

uint32_t BigEndian(const unsigned char* at) {
  return (uint32_t{at[0]} << 24) | (uint32_t{at[1]} << 16) | (uint32_t{at[2]} << 8) | at[3];
}

bool IsType(const unsigned char* type, const char* name) {
  return std::memcmp(type, name, 4) == 0;
}

struct TPngImage {
  uint32_t width = 0;
  uint32_t height = 0;
  const unsigned char* data = nullptr;  // the compressed image data
  size_t length = 0;
  std::vector<unsigned char> joined;  // when it comes in several chunks
};

// 8 bits per channel, red, green, blue and alpha, the one compression and
// filter method, no interlacing.
bool ReadHeader(const unsigned char* header, TPngImage& png) {
  png.width = BigEndian(header);
  png.height = BigEndian(header + 4);
  constexpr unsigned char kKind[] = {8, 6, 0, 0, 0};
  return png.width > 0 && png.height > 0 && png.width <= kMaxSide && png.height <= kMaxSide &&
         std::memcmp(header + 8, kKind, sizeof(kKind)) == 0;
}

void AddImageData(const unsigned char* data, size_t length, TPngImage& png) {
  if (png.data == nullptr) {
    png.data = data;
    png.length = length;
    return;
  }
  if (png.joined.empty()) png.joined.assign(png.data, png.data + png.length);
  png.joined.insert(png.joined.end(), data, data + length);
  png.data = png.joined.data();
  png.length = png.joined.size();
}

// The header first, then the image data up to the end chunk. A critical
// chunk this reader does not know leaves the image to the general decoder.
bool ReadChunks(const unsigned char* bytes, size_t size, TPngImage& png) {
  if (size < kSignatureBytes || std::memcmp(bytes, kSignature, kSignatureBytes) != 0) return false;
  bool header = false;
  for (size_t at = kSignatureBytes; at + kChunkFrame <= size;) {
    const uint32_t length = BigEndian(bytes + at);
    const unsigned char* type = bytes + at + 4;
    const unsigned char* data = bytes + at + 8;
    if (length > size - at - kChunkFrame) return false;
    if (!header) {
      if (!IsType(type, "IHDR") || length != kHeaderBytes || !ReadHeader(data, png)) return false;
      header = true;
    } else if (IsType(type, "IDAT")) {
      AddImageData(data, length, png);
    } else if (IsType(type, "IEND")) {
      break;
    } else if ((type[0] & 0x20) == 0 && !IsType(type, "PLTE")) {
      return false;
    }
    at += kChunkFrame + length;
  }
  return header && png.length > 0 && png.length <= INT_MAX;
}

int Paeth(int left, int above, int aboveLeft) {
  const int estimate = left + above - aboveLeft;
  const int toLeft = std::abs(estimate - left);
  const int toAbove = std::abs(estimate - above);
  const int toAboveLeft = std::abs(estimate - aboveLeft);
  if (toLeft <= toAbove && toLeft <= toAboveLeft) return left;
  return toAbove <= toAboveLeft ? above : aboveLeft;
}

// The bytes it added, sixteen at a time; the rest is the caller's.
[[gnu::target("sse2")]] size_t AddAboveSixteenAtATime(unsigned char* row,
                                                      const unsigned char* above, size_t bytes) {
  size_t i = 0;
  for (; i + 16 <= bytes; i += 16) {
    const __m128i sum = _mm_add_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), sum);
  }
  return i;
}

void AddAbove(unsigned char* row, const unsigned char* above, size_t bytes) {
  size_t i = CanProcessFourPixelsAtOnce() ? AddAboveSixteenAtATime(row, above, bytes) : 0;
  for (; i < bytes; ++i) row[i] = static_cast<unsigned char>(row[i] + above[i]);
}

// Undoes a row's filter where it stands; the first row has zeros above it.
// False for a filter that does not exist.
bool Unfilter(unsigned char filter, unsigned char* row, const unsigned char* above, size_t bytes) {
  const auto up = [above](size_t i) { return above != nullptr ? int{above[i]} : 0; };
  const auto left = [row](size_t i) { return i >= kPixelBytes ? int{row[i - kPixelBytes]} : 0; };
  const auto upLeft = [&up](size_t i) { return i >= kPixelBytes ? up(i - kPixelBytes) : 0; };
  switch (filter) {
    case kNone:
      return true;
    case kSub:
      for (size_t i = kPixelBytes; i < bytes; ++i)
        row[i] = static_cast<unsigned char>(row[i] + left(i));
      return true;
    case kUp:
      if (above != nullptr) AddAbove(row, above, bytes);
      return true;
    case kAverage:
      for (size_t i = 0; i < bytes; ++i) {
        row[i] = static_cast<unsigned char>(row[i] + ((left(i) + up(i)) >> 1));
      }
      return true;
    case kPaeth:
      for (size_t i = 0; i < bytes; ++i) {
        row[i] = static_cast<unsigned char>(row[i] + Paeth(left(i), up(i), upLeft(i)));
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ReadPngSize(const unsigned char* bytes, size_t size, uint32_t& width, uint32_t& height) {
  constexpr size_t kSizeEnd = kSignatureBytes + 16;  // length, type, width, height
  if (bytes == nullptr || size < kSizeEnd || std::memcmp(bytes, kSignature, kSignatureBytes) != 0 ||
      !IsType(bytes + 12, "IHDR")) {
    return false;
  }
  width = BigEndian(bytes + 16);
  height = BigEndian(bytes + 20);
  return true;
}

bool ReadRgbaPngRows(const unsigned char* bytes, size_t size, const TPngRowReader& reader) {
  TPngImage png;
  if (bytes == nullptr || !ReadChunks(bytes, size, png)) return false;
  const size_t rowBytes = png.width * kPixelBytes;
  const size_t stride = rowBytes + 1;  // each row starts with its filter
  if (png.height > INT_MAX / stride) return false;
  const size_t total = stride * png.height;
  std::unique_ptr<unsigned char[]> raw(new (std::nothrow) unsigned char[total]);
  if (!raw) return false;
  // The whole of it and nothing more: anything else is for the general
  // decoder to judge.
  const int inflated = stbi_zlib_decode_buffer(
      reinterpret_cast<char*>(raw.get()), static_cast<int>(total),
      reinterpret_cast<const char*>(png.data), static_cast<int>(png.length));
  if (inflated != static_cast<int>(total)) return false;
  if (!reader.begin(static_cast<int>(png.width), static_cast<int>(png.height))) return false;
  const unsigned char* above = nullptr;
  for (uint32_t y = 0; y < png.height; ++y) {
    unsigned char* row = raw.get() + y * stride;
    if (!Unfilter(row[0], row + 1, above, rowBytes)) return false;
    reader.row(static_cast<int>(y), row + 1);
    above = row + 1;
  }
  return true;
}

}  // namespace SkinUI

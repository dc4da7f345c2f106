#include "ui/render/image_decoder.h"

#include <emmintrin.h>

#include <climits>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include "stb/stb_image.h"

#include "ui/render/dib_section.h"
#include "ui/render/png_rows.h"

namespace SkinUI {

namespace {

constexpr int kFourChannels = 4;

// channel * alpha / 255 rounded down, for values up to 255: the product
// times 0x8081, shifted right by 23, is that exact quotient.
constexpr DWORD kDivideBy255 = 0x8081;
constexpr int kDivideBy255Shift = 23;

DWORD Premultiply(DWORD channel, DWORD alpha) {
  return (channel * alpha * kDivideBy255) >> kDivideBy255Shift;
}

// Returns the stored pixel and notes whether it makes the image translucent.
// An opaque pixel comes through the premultiply unchanged.
DWORD StorePixel(const unsigned char* rgba, bool& translucent) {
  const DWORD alpha = rgba[3];
  if (alpha != 255) translucent = true;
  return (alpha << 24) | (Premultiply(rgba[0], alpha) << 16) | (Premultiply(rgba[1], alpha) << 8) |
         Premultiply(rgba[2], alpha);
}

void StorePixelsOneByOne(const unsigned char* rgba, size_t count, DWORD* out, bool& translucent) {
  for (size_t i = 0; i < count; ++i, rgba += kFourChannels) out[i] = StorePixel(rgba, translucent);
}

// The same four pixels at a time: red and blue swap places, each channel is
// multiplied by its pixel's alpha in 16 bits and divided as above, and the
// alpha byte is put back as it was.
[[gnu::target("sse2")]] void StorePixelsFourAtATime(const unsigned char* rgba, size_t count,
                                                    DWORD* out, bool& translucent) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000));
  const __m128i redBlue = _mm_set1_epi32(0x00FF00FF);
  const __m128i divide = _mm_set1_epi16(static_cast<short>(kDivideBy255));
  __m128i opaque = _mm_cmpeq_epi32(zero, zero);  // so far
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i read = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + i * 4));
    const __m128i rb = _mm_and_si128(read, redBlue);
    const __m128i swapped =
        _mm_or_si128(_mm_andnot_si128(redBlue, read),
                     _mm_or_si128(_mm_slli_epi32(rb, 16), _mm_srli_epi32(rb, 16)));
    __m128i low = _mm_unpacklo_epi8(swapped, zero);
    __m128i high = _mm_unpackhi_epi8(swapped, zero);
    const __m128i lowAlpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(low, 0xFF), 0xFF);
    const __m128i highAlpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(high, 0xFF), 0xFF);
    low = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(low, lowAlpha), divide),
                         kDivideBy255Shift - 16);
    high = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(high, highAlpha), divide),
                          kDivideBy255Shift - 16);
    const __m128i alpha = _mm_and_si128(swapped, alphaBytes);
    opaque = _mm_and_si128(opaque, _mm_cmpeq_epi32(alpha, alphaBytes));
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(out + i),
        _mm_or_si128(_mm_andnot_si128(alphaBytes, _mm_packus_epi16(low, high)), alpha));
  }
  if (_mm_movemask_epi8(opaque) != 0xFFFF) translucent = true;
  StorePixelsOneByOne(rgba + i * 4, count - i, out + i, translucent);
}

void StorePixels(const unsigned char* rgba, size_t count, DWORD* out, bool& translucent) {
  if (CanProcessFourPixelsAtOnce()) {
    StorePixelsFourAtATime(rgba, count, out, translucent);
  } else {
    StorePixelsOneByOne(rgba, count, out, translucent);
  }
}

// Rows of red, green, blue and alpha bytes stored into a bitmap. A
// background decode shares the processor: after each piece (64 KB of
// bitmap) it yields, so that the window's thread and the system services it
// waits on are not queued behind a large image.
class CBitmapRows {
 public:
  CBitmapRows(const DibSection& dib, DecodePace pace) : dib_(dib), pace_(pace) {}

  void Store(int y, const unsigned char* rgba) {
    const size_t width = static_cast<size_t>(dib_.width);
    StorePixels(rgba, width, dib_.pixels + y * width, translucent_);
    if (pace_ == DecodePace::Foreground) return;
    sinceYield_ += width;
    if (sinceYield_ < kPiecePixels) return;
    SwitchToThread();
    sinceYield_ = 0;
  }
  bool Translucent() const { return translucent_; }

 private:
  static constexpr size_t kPiecePixels = 16384;
  const DibSection& dib_;
  const DecodePace pace_;
  bool translucent_ = false;
  size_t sinceYield_ = 0;
};

bool IsOpaque(DWORD pixel) {
  return (pixel >> 24) == 0xFF;
}

struct TPixelView {
  const DWORD* pixels;
  int width;
  int height;
};

bool RowIsOpaque(const TPixelView& dib, int y, int left, int right) {
  for (int x = left; x < right; ++x) {
    if (!IsOpaque(dib.pixels[static_cast<size_t>(y) * dib.width + x])) return false;
  }
  return true;
}

bool ColumnIsOpaque(const TPixelView& dib, int x, int top, int bottom) {
  for (int y = top; y < bottom; ++y) {
    if (!IsOpaque(dib.pixels[static_cast<size_t>(y) * dib.width + x])) return false;
  }
  return true;
}

RECT OpaqueInteriorOf(const TPixelView& dib) {
  RECT r = {0, 0, dib.width, dib.height};
  while (r.left < r.right && r.top < r.bottom) {
    const bool top = RowIsOpaque(dib, r.top, r.left, r.right);
    const bool bottom = RowIsOpaque(dib, r.bottom - 1, r.left, r.right);
    const bool left = ColumnIsOpaque(dib, r.left, r.top, r.bottom);
    const bool right = ColumnIsOpaque(dib, r.right - 1, r.top, r.bottom);
    if (top && bottom && left && right) break;
    if (!top) ++r.top;
    if (!bottom) --r.bottom;
    if (!left) ++r.left;
    if (!right) --r.right;
  }
  if (r.left >= r.right || r.top >= r.bottom) return RECT{};
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    if (!RowIsOpaque(dib, y, r.left, r.right)) return RECT{};
  }
  return r;
}

}  // namespace

// Skin images are opaque inside a translucent rim and rounded corners: each
// edge that still holds a translucent pixel moves in by one until all four
// are opaque. A translucent pixel further inside leaves no rectangle.
RECT FindOpaqueInterior(const DibSection& dib) {
  return OpaqueInteriorOf({dib.pixels, dib.width, dib.height});
}

namespace {

std::unique_ptr<ImageRecord> RecordOf(DibSection dib, bool translucent) {
  auto image = std::make_unique<ImageRecord>();
  image->opaqueInterior = translucent ? FindOpaqueInterior(dib) : RECT{0, 0, dib.width, dib.height};
  image->width = dib.width;
  image->height = dib.height;
  image->bitmap = std::move(dib.bitmap);
  image->hasAlpha = translucent ? 1 : 0;
  return image;
}

// The skin's kind of PNG goes straight into the bitmap a row at a time,
// without a decoded copy of the whole image; null for any other image.
std::unique_ptr<ImageRecord> DecodeRgbaPng(const unsigned char* bytes, size_t size,
                                           DecodePace pace) {
  DibSection dib;
  CBitmapRows rows(dib, pace);
  TPngRowReader reader;
  reader.begin = [&dib](int width, int height) {
    dib = CreateTopDownDib(width, height);
    return static_cast<bool>(dib);
  };
  reader.row = [&rows](int y, const unsigned char* rgba) { rows.Store(y, rgba); };
  if (!ReadRgbaPngRows(bytes, size, reader)) return nullptr;
  return RecordOf(std::move(dib), rows.Translucent());
}

}  // namespace

TDecodedPixels DecodeImagePixels(const unsigned char* bytes, size_t size) {
  TDecodedPixels pixels;
  if (bytes == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX)) return pixels;
  int channelsInFile = 0;
  pixels.rgba = {stbi_load_from_memory(bytes, static_cast<int>(size), &pixels.width, &pixels.height,
                                       &channelsInFile, kFourChannels),
                 stbi_image_free};
  return pixels;
}

std::unique_ptr<ImageRecord> StoreDecodedPixels(TDecodedPixels pixels, DecodePace pace) {
  if (!pixels) return nullptr;
  const int width = pixels.width;
  const int height = pixels.height;
  DibSection dib = CreateTopDownDib(width, height);
  if (!dib) return nullptr;

  CBitmapRows rows(dib, pace);
  const size_t rowBytes = static_cast<size_t>(width) * kFourChannels;
  for (int y = 0; y < height; ++y) rows.Store(y, pixels.rgba.get() + y * rowBytes);
  pixels.rgba.reset();

  return RecordOf(std::move(dib), rows.Translucent());
}

DWORD* ImagePixels(const ImageRecord& image) {
  DIBSECTION section = {};
  if (!image.bitmap ||
      GetObjectW(image.bitmap.get(), sizeof(section), &section) != sizeof(section)) {
    return nullptr;
  }
  if (section.dsBm.bmBitsPixel != 32 || section.dsBm.bmWidth != image.width ||
      section.dsBm.bmHeight != image.height) {
    return nullptr;
  }
  return static_cast<DWORD*>(section.dsBm.bmBits);
}

// A stored pixel equal to the mask becomes fully transparent (mask 0 would
// only match pixels that already are).
void ApplyImageMask(ImageRecord& image, DWORD mask) {
  DWORD* pixels = mask != 0 ? ImagePixels(image) : nullptr;
  if (pixels == nullptr) return;
  const size_t count = static_cast<size_t>(image.width) * image.height;
  bool masked = false;
  for (size_t i = 0; i < count; ++i) {
    if (pixels[i] != mask) continue;
    pixels[i] = 0;
    masked = true;
  }
  if (!masked) return;
  image.hasAlpha = 1;
  image.opaqueInterior = OpaqueInteriorOf({pixels, image.width, image.height});
}

std::unique_ptr<ImageRecord> DecodeBitmapImage(const unsigned char* bytes, size_t size, DWORD mask,
                                               DecodePace pace) {
  std::unique_ptr<ImageRecord> image = DecodeRgbaPng(bytes, size, pace);
  if (!image) image = StoreDecodedPixels(DecodeImagePixels(bytes, size), pace);
  if (image) ApplyImageMask(*image, mask);
  return image;
}

}  // namespace SkinUI

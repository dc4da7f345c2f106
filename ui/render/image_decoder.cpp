#include "ui/render/image_decoder.h"

#include <climits>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include "stb/stb_image.h"

#include "ui/render/dib_section.h"

namespace SkinUI {

namespace {

constexpr int kFourChannels = 4;

struct StbPixelsDeleter {
  void operator()(unsigned char* pixels) const { stbi_image_free(pixels); }
};
using StbPixels = std::unique_ptr<unsigned char, StbPixelsDeleter>;

DWORD Premultiply(DWORD channel, DWORD alpha) {
  return channel * alpha / 255;
}

// Returns the stored pixel and notes whether it makes the image translucent.
DWORD StorePixel(const unsigned char* rgba, DWORD mask, bool& translucent) {
  DWORD red = rgba[0];
  DWORD green = rgba[1];
  DWORD blue = rgba[2];
  const DWORD alpha = rgba[3];
  if (alpha != 255) {
    red = Premultiply(red, alpha);
    green = Premultiply(green, alpha);
    blue = Premultiply(blue, alpha);
    translucent = true;
  }
  const DWORD stored = (alpha << 24) | (red << 16) | (green << 8) | blue;
  if (stored == mask) {
    translucent = true;
    return 0;
  }
  return stored;
}

bool IsOpaque(DWORD pixel) {
  return (pixel >> 24) == 0xFF;
}

bool RowIsOpaque(const DibSection& dib, int y, int left, int right) {
  for (int x = left; x < right; ++x) {
    if (!IsOpaque(dib.pixels[static_cast<size_t>(y) * dib.width + x])) return false;
  }
  return true;
}

bool ColumnIsOpaque(const DibSection& dib, int x, int top, int bottom) {
  for (int y = top; y < bottom; ++y) {
    if (!IsOpaque(dib.pixels[static_cast<size_t>(y) * dib.width + x])) return false;
  }
  return true;
}

// Skin images are opaque inside a translucent rim and rounded corners: each
// edge that still holds a translucent pixel moves in by one until all four
// are opaque. A translucent pixel further inside leaves no rectangle.
RECT FindOpaqueInterior(const DibSection& dib) {
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

std::unique_ptr<ImageRecord> DecodeBitmapImage(const unsigned char* bytes, size_t size,
                                               DWORD mask) {
  if (bytes == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX)) return nullptr;
  int width = 0;
  int height = 0;
  int channelsInFile = 0;
  StbPixels rgba(stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height,
                                       &channelsInFile, kFourChannels));
  if (!rgba) return nullptr;

  DibSection dib = CreateTopDownDib(width, height);
  if (!dib) return nullptr;

  bool translucent = false;
  const size_t count = static_cast<size_t>(width) * height;
  const unsigned char* source = rgba.get();
  for (size_t i = 0; i < count; ++i, source += kFourChannels) {
    dib.pixels[i] = StorePixel(source, mask, translucent);
  }

  auto image = std::make_unique<ImageRecord>();
  image->opaqueInterior = translucent ? FindOpaqueInterior(dib) : RECT{0, 0, width, height};
  image->bitmap = std::move(dib.bitmap);
  image->width = width;
  image->height = height;
  image->hasAlpha = translucent ? 1 : 0;
  return image;
}

}  // namespace SkinUI

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
  image->bitmap = std::move(dib.bitmap);
  image->width = width;
  image->height = height;
  image->hasAlpha = translucent ? 1 : 0;
  return image;
}

}  // namespace SkinUI

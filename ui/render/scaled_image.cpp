#include "ui/render/scaled_image.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/render/dib_section.h"
#include "ui/render/draw_kit.h"
#include "ui/render/image_decoder.h"

namespace SkinUI {

namespace {

// One output pixel of a row or column: the source pixels it reads and how
// much each counts (the weights add up to 1).
struct TTap {
  int first = 0;
  std::vector<float> weights;
};

// Shrinking: each output pixel covers an interval of the source and takes
// every source pixel in it by the share it covers.
TTap AreaTap(int index, double ratio, int sourceSize) {
  const double start = index * ratio;
  const double end = std::min<double>(sourceSize, (index + 1) * ratio);
  TTap tap;
  tap.first = static_cast<int>(std::floor(start));
  const int last = std::min(sourceSize - 1, static_cast<int>(std::ceil(end)) - 1);
  for (int s = tap.first; s <= last; ++s) {
    const double covered = std::min<double>(end, s + 1) - std::max<double>(start, s);
    tap.weights.push_back(static_cast<float>(covered / (end - start)));
  }
  return tap;
}

// Growing: the output pixel's centre falls between two source centres and
// takes each by its nearness; the edges repeat the outermost pixel.
TTap LinearTap(int index, double ratio, int sourceSize) {
  const double centre = std::clamp((index + 0.5) * ratio - 0.5, 0.0, sourceSize - 1.0);
  TTap tap;
  tap.first = std::min(static_cast<int>(std::floor(centre)), sourceSize - 1);
  const double fraction = centre - tap.first;
  tap.weights.push_back(static_cast<float>(1.0 - fraction));
  if (tap.first + 1 < sourceSize) tap.weights.push_back(static_cast<float>(fraction));
  return tap;
}

std::vector<TTap> Taps(int sourceSize, int targetSize) {
  const double ratio = static_cast<double>(sourceSize) / targetSize;
  std::vector<TTap> taps(targetSize);
  for (int i = 0; i < targetSize; ++i) {
    taps[i] = ratio > 1.0 ? AreaTap(i, ratio, sourceSize) : LinearTap(i, ratio, sourceSize);
  }
  return taps;
}

struct TPixel {
  float channel[4] = {0, 0, 0, 0};  // blue, green, red, alpha: premultiplied
};

void Accumulate(TPixel& sum, const TPixel& pixel, float weight) {
  for (int c = 0; c < 4; ++c) sum.channel[c] += pixel.channel[c] * weight;
}

TPixel Unpack(DWORD value) {
  TPixel pixel;
  for (int c = 0; c < 4; ++c) pixel.channel[c] = static_cast<float>((value >> (8 * c)) & 0xFF);
  return pixel;
}

// Premultiplied colour never exceeds its alpha, whatever the rounding did.
DWORD Pack(const TPixel& pixel) {
  const int alpha = std::clamp(static_cast<int>(std::lround(pixel.channel[3])), 0, 255);
  DWORD value = static_cast<DWORD>(alpha) << 24;
  for (int c = 0; c < 3; ++c) {
    const int channel = std::clamp(static_cast<int>(std::lround(pixel.channel[c])), 0, alpha);
    value |= static_cast<DWORD>(channel) << (8 * c);
  }
  return value;
}

// Rows first, then columns: two passes of one dimension each.
std::vector<TPixel> ResampleRows(const DWORD* source, int width, int height, int targetWidth) {
  const std::vector<TTap> taps = Taps(width, targetWidth);
  std::vector<TPixel> out(static_cast<size_t>(targetWidth) * height);
  for (int y = 0; y < height; ++y) {
    const DWORD* row = source + static_cast<size_t>(y) * width;
    for (int x = 0; x < targetWidth; ++x) {
      TPixel& sum = out[static_cast<size_t>(y) * targetWidth + x];
      const TTap& tap = taps[x];
      for (size_t k = 0; k < tap.weights.size(); ++k) {
        Accumulate(sum, Unpack(row[tap.first + k]), tap.weights[k]);
      }
    }
  }
  return out;
}

void ResampleColumns(const std::vector<TPixel>& rows, int width, int height, DibSection& target) {
  const std::vector<TTap> taps = Taps(height, target.height);
  for (int y = 0; y < target.height; ++y) {
    const TTap& tap = taps[y];
    for (int x = 0; x < width; ++x) {
      TPixel sum;
      for (size_t k = 0; k < tap.weights.size(); ++k) {
        Accumulate(sum, rows[(tap.first + k) * static_cast<size_t>(width) + x], tap.weights[k]);
      }
      target.At(x, y) = Pack(sum);
    }
  }
}

bool AllOpaque(const DibSection& dib, const RECT& r) {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if ((dib.pixels[static_cast<size_t>(y) * dib.width + x] >> 24) != 0xFF) return false;
    }
  }
  return true;
}

// The source's opaque interior carried over, one pixel further in on each
// side for the pixels that read across its edge, and kept only when every
// pixel in it really is opaque.
RECT ScaledOpaqueInterior(const ImageRecord& image, const DibSection& target) {
  const RECT& inner = image.opaqueInterior;
  if (inner.right <= inner.left || inner.bottom <= inner.top) return RECT{};
  const auto along = [](LONG value, int from, int to, bool up) {
    const double scaled = static_cast<double>(value) * to / from;
    return static_cast<LONG>(up ? std::ceil(scaled) : std::floor(scaled));
  };
  const bool whole = inner.left == 0 && inner.top == 0 && inner.right == image.width &&
                     inner.bottom == image.height;
  RECT r = {0, 0, target.width, target.height};
  if (!whole) {
    r = {along(inner.left, image.width, target.width, true) + 1,
         along(inner.top, image.height, target.height, true) + 1,
         along(inner.right, image.width, target.width, false) - 1,
         along(inner.bottom, image.height, target.height, false) - 1};
  }
  if (r.left >= r.right || r.top >= r.bottom || !AllOpaque(target, r)) return RECT{};
  return r;
}

std::unique_ptr<ImageRecord> LoadVariant(const wchar_t* name, const wchar_t* type, DWORD mask,
                                         const TImageVariant& variant) {
  if (type != nullptr) {
    // Resources are one drawing each.
    if (variant.dpi != CDpiScaleUI::kBaseDpi) return nullptr;
    return CDrawKit::LoadBitmapImage(name, type, mask);
  }
  return CDrawKit::LoadBitmapImage(ImageVariantName(name, variant.suffix), nullptr, mask);
}

}  // namespace

std::vector<TImageVariant> ImageVariantsFor(CDpiScaleUI scale) {
  std::vector<TImageVariant> order;
  for (const TImageVariant& variant : kImageVariants) {
    if (variant.dpi >= scale.Dpi()) order.push_back(variant);
  }
  for (auto it = std::rbegin(kImageVariants); it != std::rend(kImageVariants); ++it) {
    if (it->dpi < scale.Dpi()) order.push_back(*it);
  }
  return order;
}

CWideStringUI ImageVariantName(const wchar_t* name, const wchar_t* suffix) {
  CWideStringUI base(name);
  if (suffix == nullptr || *suffix == 0) return base;
  int dot = -1;
  for (int i = base.GetLength() - 1; i >= 0; --i) {
    const wchar_t ch = base.GetAt(i);
    if (ch == L'\\' || ch == L'/') break;
    if (ch == L'.') {
      dot = i;
      break;
    }
  }
  if (dot < 0) return base + suffix;
  return base.Left(dot) + suffix + base.Mid(dot);
}

std::unique_ptr<ImageRecord> ResampleImage(const ImageRecord& image, int width, int height) {
  const DWORD* source = ImagePixels(image);
  if (source == nullptr || width <= 0 || height <= 0) return nullptr;
  DibSection target = CreateTopDownDib(width, height);
  if (!target) return nullptr;
  ResampleColumns(ResampleRows(source, image.width, image.height, width), width, image.height,
                  target);
  auto scaled = std::make_unique<ImageRecord>();
  scaled->opaqueInterior = ScaledOpaqueInterior(image, target);
  scaled->bitmap = std::move(target.bitmap);
  scaled->width = width;
  scaled->height = height;
  scaled->logicalWidth = image.LogicalWidth();
  scaled->logicalHeight = image.LogicalHeight();
  scaled->hasAlpha = image.hasAlpha;
  scaled->resourceType = image.resourceType;
  scaled->mask = image.mask;
  return scaled;
}

std::unique_ptr<ImageRecord> LoadImageAtScale(const wchar_t* name, const wchar_t* type, DWORD mask,
                                              CDpiScaleUI scale) {
  if (name == nullptr) return nullptr;
  for (const TImageVariant& variant : ImageVariantsFor(scale)) {
    std::unique_ptr<ImageRecord> image = LoadVariant(name, type, mask, variant);
    if (!image) continue;
    // A drawing for another scale measures the skin's numbers in its 1x size.
    const CDpiScaleUI drawn(variant.dpi);
    image->logicalWidth = std::max(1, drawn.ToLogical(image->width));
    image->logicalHeight = std::max(1, drawn.ToLogical(image->height));
    const int width = std::max(1, scale.ToDevice(image->logicalWidth));
    const int height = std::max(1, scale.ToDevice(image->logicalHeight));
    if (width == image->width && height == image->height) return image;
    return ResampleImage(*image, width, height);
  }
  return nullptr;
}

}  // namespace SkinUI

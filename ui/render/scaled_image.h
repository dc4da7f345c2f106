#pragma once
// Skin images at the window's scale. The artwork comes drawn at 1x, 1.5x and
// 2x ("a.png", "a@1.5x.png", "a@2x.png"); the smallest drawing that is not
// smaller than the window needs is taken, and resampled to the exact size the
// scale asks for: averaged over the area it covers when it shrinks, and
// interpolated between its four nearest pixels when it grows, never by
// repeating pixels in blocks.

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/core/dpi_scale.h"
#include "ui/core/resource_records.h"
#include "ui/core/wide_string.h"

namespace SkinUI {

// The drawings of one image, from the smallest scale up.
struct TImageVariant {
  int dpi;
  const wchar_t* suffix;
};
constexpr TImageVariant kImageVariants[] = {{96, L""}, {144, L"@1.5x"}, {192, L"@2x"}};

// The order in which the drawings are tried for scale: those not smaller
// than needed, the smallest first; then the larger of the smaller ones.
std::vector<TImageVariant> ImageVariantsFor(CDpiScaleUI scale);

// "a.png" with suffix "@2x" is "a@2x.png"; a name without an extension gets
// the suffix at its end. A folder name's dots do not count as an extension.
CWideStringUI ImageVariantName(const wchar_t* name, const wchar_t* suffix);

// Loads name (or, with a type, the resource) for scale: variants are tried
// in the order described above, the first that loads is resampled to the
// scale. The record tells its logical size. Null when no drawing loads.
std::unique_ptr<ImageRecord> LoadImageAtScale(const wchar_t* name, const wchar_t* type, DWORD mask,
                                              CDpiScaleUI scale);

// A copy of a premultiplied image at width x height (both > 0); the logical
// size and the flags carry over. Null when the bitmap cannot be made.
std::unique_ptr<ImageRecord> ResampleImage(const ImageRecord& image, int width, int height);

}  // namespace SkinUI

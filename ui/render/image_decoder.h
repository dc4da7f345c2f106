#pragma once
// Turns encoded image bytes (the skin uses PNG) into a premultiplied 32-bit
// top-down bitmap.

#include <cstddef>
#include <memory>

#include "ui/core/resource_records.h"
#include "ui/render/dib_section.h"

namespace SkinUI {

// An image decoded into rows of red, green, blue and alpha bytes, not yet
// stored in a bitmap.
struct TDecodedPixels {
  std::unique_ptr<unsigned char, void (*)(void*)> rgba{nullptr, nullptr};
  int width = 0;
  int height = 0;
  explicit operator bool() const { return rgba != nullptr; }
};

// A decode on a background thread stores its pixels a piece at a time and
// yields the processor after each piece.
enum class DecodePace { Foreground, Background };

// Empty for undecodable data. Needs no window or device context: any thread
// may decode.
TDecodedPixels DecodeImagePixels(const unsigned char* bytes, size_t size);
// The bitmap of decoded pixels (see below, without the mask); the pixels are
// released.
std::unique_ptr<ImageRecord> StoreDecodedPixels(TDecodedPixels pixels,
                                                DecodePace pace = DecodePace::Foreground);

// The pixels of a record's bitmap (32-bit, top-down, width x height); null
// when the bitmap is not such a section.
DWORD* ImagePixels(const ImageRecord& image);

// Makes the stored pixels equal to the ARGB mask fully transparent.
void ApplyImageMask(ImageRecord& image, DWORD mask);

// Null for undecodable data or when the bitmap cannot be made. Pixels that are
// not fully opaque are premultiplied; a stored pixel equal to the ARGB mask
// becomes fully transparent. The record's type and mask are left for the
// caller to fill in.
std::unique_ptr<ImageRecord> DecodeBitmapImage(const unsigned char* bytes, size_t size, DWORD mask,
                                               DecodePace pace = DecodePace::Foreground);

// The largest rectangle found by moving each edge in past translucent pixels
// inside which every pixel is opaque; empty when there is none.
RECT FindOpaqueInterior(const DibSection& dib);

}  // namespace SkinUI

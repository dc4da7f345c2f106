#pragma once
// Turns encoded image bytes (the skin uses PNG) into a premultiplied 32-bit
// top-down bitmap.

#include <cstddef>
#include <memory>

#include "ui/core/resource_records.h"
#include "ui/render/dib_section.h"

namespace SkinUI {

// Null for undecodable data or when the bitmap cannot be made. Pixels that are
// not fully opaque are premultiplied; a stored pixel equal to the ARGB mask
// becomes fully transparent. The record's type and mask are left for the
// caller to fill in.
std::unique_ptr<ImageRecord> DecodeBitmapImage(const unsigned char* bytes, size_t size, DWORD mask);

// The largest rectangle found by moving each edge in past translucent pixels
// inside which every pixel is opaque; empty when there is none.
RECT FindOpaqueInterior(const DibSection& dib);

}  // namespace SkinUI

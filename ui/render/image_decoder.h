#pragma once
// Turns encoded image bytes (the skin uses PNG) into a premultiplied 32-bit
// top-down bitmap.

#include <cstddef>
#include <memory>

#include "ui/core/resource_records.h"

namespace SkinUI {

// Null for undecodable data or when the bitmap cannot be made. Pixels that are
// not fully opaque are premultiplied; a stored pixel equal to the ARGB mask
// becomes fully transparent. The record's type and mask are left for the
// caller to fill in.
std::unique_ptr<ImageRecord> DecodeBitmapImage(const unsigned char* bytes, size_t size, DWORD mask);

}  // namespace SkinUI

#pragma once
// Pictures the drawing measures leave with --dump: a PNG to look at (alpha
// made opaque, since drawn text leaves alpha bytes of 0) and the raw pixels,
// alpha included, to compare two builds byte for byte.

#include <string>

#include "tests/support/canvas.h"

namespace SkinUIBench {

void DumpCanvas(const SkinUITest::Canvas& canvas, const std::wstring& folder,
                const std::wstring& name);
void DumpText(const std::string& text, const std::wstring& path);

}  // namespace SkinUIBench

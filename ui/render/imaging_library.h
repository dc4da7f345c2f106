#pragma once
// The platform's alpha blend and gradient fill. Both live in msimg32, which is
// not a known system library: loading it by bare name would search the
// program's folder first, so it is loaded from the system folder by full path.
// When a function cannot be found the drawing code uses its own fallback.

#include <windows.h>

#include "ui/core/wide_string.h"

namespace SkinUI {

using AlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                     BLENDFUNCTION);
using GradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// "<system folder>\<fileName>", or empty when the system folder is unknown.
CWideStringUI SystemLibraryPath(const wchar_t* fileName);

// Loads msimg32 once per process and keeps it for the rest of the run.
HMODULE LoadImagingLibrary();

// Resolved on first use and kept; null when missing.
AlphaBlendProc PlatformAlphaBlend();
GradientFillProc PlatformGradientFill();

// Replaces both functions (null forces the fallbacks); for tests.
void OverridePlatformBlendFunctions(AlphaBlendProc alphaBlend, GradientFillProc gradientFill);
// Goes back to the functions found in msimg32.
void RestorePlatformBlendFunctions();

}  // namespace SkinUI

#include "ui/render/imaging_library.h"

namespace SkinUI {

namespace {

constexpr wchar_t kImagingLibrary[] = L"msimg32.dll";

// GetProcAddress hands out a generic pointer; going through void(*)() keeps
// the cast to the real signature free of warnings.
template <typename Proc>
Proc ProcAddress(HMODULE library, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

struct BlendFunctions {
  bool resolved = false;
  AlphaBlendProc alphaBlend = nullptr;
  GradientFillProc gradientFill = nullptr;
};

BlendFunctions& Functions() {
  static BlendFunctions functions;
  return functions;
}

void ResolveFromLibrary(BlendFunctions& functions) {
  HMODULE library = LoadImagingLibrary();
  functions.alphaBlend = nullptr;
  functions.gradientFill = nullptr;
  if (library != nullptr) {
    functions.alphaBlend = ProcAddress<AlphaBlendProc>(library, "AlphaBlend");
    functions.gradientFill = ProcAddress<GradientFillProc>(library, "GradientFill");
  }
  functions.resolved = true;
}

BlendFunctions& ResolvedFunctions() {
  BlendFunctions& functions = Functions();
  if (!functions.resolved) ResolveFromLibrary(functions);
  return functions;
}

}  // namespace

CWideStringUI SystemLibraryPath(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return CWideStringUI();
  CWideStringUI path(folder);
  if (path.GetAt(path.GetLength() - 1) != L'\\') path += L'\\';
  path += fileName;
  return path;
}

HMODULE LoadImagingLibrary() {
  static HMODULE library = [] {
    const CWideStringUI path = SystemLibraryPath(kImagingLibrary);
    return path.IsEmpty() ? nullptr : LoadLibraryW(path);
  }();
  return library;
}

AlphaBlendProc PlatformAlphaBlend() {
  return ResolvedFunctions().alphaBlend;
}

GradientFillProc PlatformGradientFill() {
  return ResolvedFunctions().gradientFill;
}

void OverridePlatformBlendFunctions(AlphaBlendProc alphaBlend, GradientFillProc gradientFill) {
  BlendFunctions& functions = Functions();
  functions.alphaBlend = alphaBlend;
  functions.gradientFill = gradientFill;
  functions.resolved = true;
}

void RestorePlatformBlendFunctions() {
  ResolveFromLibrary(Functions());
}

}  // namespace SkinUI

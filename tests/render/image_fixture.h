#pragma once
// Shared set-up for drawing tests: a stand-in manager, a scratch folder that
// is the skin's resource folder, and small images written into it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_manager.h"
#include "ui/render/imaging_library.h"

namespace SkinUITest {

constexpr DWORD kRed = 0xFFFF0000;
constexpr DWORD kGreen = 0xFF00FF00;
constexpr DWORD kBlue = 0xFF0000FF;
constexpr DWORD kYellow = 0xFFFFFF00;
constexpr DWORD kBlack = 0xFF000000;
constexpr DWORD kWhite = 0xFFFFFFFF;
constexpr DWORD kMagenta = 0xFFFF00FF;
constexpr DWORD kClear = 0x00000000;

inline DWORD Rgb(DWORD argb) {
  return argb & 0x00FFFFFF;
}
inline int RedOf(DWORD c) {
  return static_cast<int>((c >> 16) & 0xFF);
}
inline int GreenOf(DWORD c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
inline int BlueOf(DWORD c) {
  return static_cast<int>(c & 0xFF);
}

class DrawingTest : public ::testing::Test {
 public:
  // Writes a PNG of rows of ARGB pixels into the resource folder.
  void AddPng(const wchar_t* name, int width, int height, const std::vector<DWORD>& argb);
  // 4x4: red, green / blue, yellow quarters.
  void AddQuad(const wchar_t* name = L"quad.png");

 protected:
  void SetUp() override;
  void TearDown() override;
  bool DrawSpec(Canvas& canvas, const wchar_t* spec, const wchar_t* modifier = nullptr);
  bool DrawSpec(Canvas& canvas, const RECT& item, const wchar_t* spec,
                const wchar_t* modifier = nullptr);

  ScratchFolder scratch_;
  CTestManager manager_;
};

// Replaces the platform blend functions for one test.
class BlendOverride {
 public:
  BlendOverride(SkinUI::AlphaBlendProc alphaBlend, SkinUI::GradientFillProc gradientFill) {
    SkinUI::OverridePlatformBlendFunctions(alphaBlend, gradientFill);
  }
  ~BlendOverride() { SkinUI::RestorePlatformBlendFunctions(); }
};

}  // namespace SkinUITest

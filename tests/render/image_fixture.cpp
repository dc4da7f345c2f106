#include "tests/render/image_fixture.h"

#include "ui/markup/skin_resources.h"
#include "ui/render/draw_kit.h"

namespace SkinUITest {

void DrawingTest::SetUp() {
  SkinUI::SetResourceFolder((scratch_.path() + L"\\").c_str());
}

void DrawingTest::TearDown() {
  SkinUI::SetResourceFolder(L"");
}

void DrawingTest::AddPng(const wchar_t* name, int width, int height,
                         const std::vector<DWORD>& argb) {
  ASSERT_EQ(static_cast<size_t>(width * height), argb.size());
  ASSERT_TRUE(WritePng(scratch_.File(name), width, height, argb));
}

void DrawingTest::AddQuad(const wchar_t* name) {
  const DWORD R = kRed, G = kGreen, B = kBlue, Y = kYellow;
  AddPng(name, 4, 4, {R, R, G, G, R, R, G, G, B, B, Y, Y, B, B, Y, Y});
}

bool DrawingTest::DrawSpec(Canvas& canvas, const wchar_t* spec, const wchar_t* modifier) {
  return DrawSpec(canvas, canvas.Bounds(), spec, modifier);
}

bool DrawingTest::DrawSpec(Canvas& canvas, const RECT& item, const wchar_t* spec,
                           const wchar_t* modifier) {
  return SkinUI::CDrawKit::DrawImageSpec(canvas.dc(), &manager_, item, canvas.Bounds(), spec,
                                         modifier);
}

}  // namespace SkinUITest

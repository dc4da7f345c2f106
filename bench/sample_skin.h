#pragma once
// The inputs the measures work on, made in memory: skin artwork like the
// program's (a background with a translucent rim and rounded corners, a
// button strip), a markup paragraph with tags and links, and a skin archive
// holding the artwork. The large skin document is the tests' own.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/large_skin.h"
#include "tests/support/test_zip.h"

namespace SkinUIBench {

// Unpremultiplied ARGB, rows top-down.
struct TArtwork {
  int width = 0;
  int height = 0;
  std::vector<DWORD> argb;
};

// 650 x 400: a lightly textured gradient, a two-pixel translucent rim and
// transparent rounded corners, as a window background is drawn.
TArtwork BackgroundArtwork();
// 90 x 87: three button faces of 29 rows (normal, pushed, disabled) with a
// dark border and translucent rounded corners.
TArtwork ButtonArtwork();

// About length characters of markup with bold, italic, colour and underline
// tags and the given number of links.
std::wstring MarkupParagraph(size_t length, int links);
// The same text with every tag taken out.
std::wstring WithoutTags(const std::wstring& markup);

// A skin archive with the program's entry names; "bg.png" holds the
// background artwork, deflated like the other entries.
SkinUITest::Bytes SkinArchive(SkinUITest::TestZipLayout* layout = nullptr);
// The PNG bytes of the background artwork, as stored in the archive.
const SkinUITest::Bytes& BackgroundPng();

}  // namespace SkinUIBench

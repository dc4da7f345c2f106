#include "bench/sample_skin.h"

#include <algorithm>
#include <cstdio>

#include "tests/support/canvas.h"

namespace SkinUIBench {

namespace {

constexpr int kBackgroundWidth = 650;
constexpr int kBackgroundHeight = 400;
constexpr int kButtonWidth = 90;
constexpr int kButtonFaceHeight = 29;
constexpr int kButtonFaces = 3;

// A fixed sequence, so that every run draws and parses the same input.
class CNoise {
 public:
  int Next(int range) {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) % static_cast<unsigned>(range));
  }

 private:
  unsigned state_ = 20240611u;
};

DWORD Argb(int a, int r, int g, int b) {
  auto clamp = [](int v) { return static_cast<DWORD>(std::clamp(v, 0, 255)); };
  return (clamp(a) << 24) | (clamp(r) << 16) | (clamp(g) << 8) | clamp(b);
}

// True for a pixel at (x, y) of a w x h image that lies outside the rounded
// corner of radius r.
bool OutsideRoundedCorner(int x, int y, int w, int h, int r) {
  const int dx = std::min(x, w - 1 - x);
  const int dy = std::min(y, h - 1 - y);
  if (dx >= r || dy >= r) return false;
  const int cx = r - dx;
  const int cy = r - dy;
  return cx * cx + cy * cy > r * r;
}

std::string Narrow(const SkinUITest::Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

SkinUITest::Bytes EncodeArtwork(const TArtwork& art) {
  return SkinUITest::EncodePng(art.width, art.height, art.argb);
}

TArtwork FlatArtwork(int width, int height, DWORD argb) {
  TArtwork art;
  art.width = width;
  art.height = height;
  art.argb.assign(static_cast<size_t>(width) * height, argb);
  return art;
}

}  // namespace

TArtwork BackgroundArtwork() {
  TArtwork art;
  art.width = kBackgroundWidth;
  art.height = kBackgroundHeight;
  art.argb.resize(static_cast<size_t>(art.width) * art.height);
  CNoise noise;
  for (int y = 0; y < art.height; ++y) {
    for (int x = 0; x < art.width; ++x) {
      const int shade = 236 - y * 40 / art.height + noise.Next(5) - 2;
      const int edge = std::min(std::min(x, art.width - 1 - x), std::min(y, art.height - 1 - y));
      int alpha = 255;
      if (edge == 0) alpha = 0x60;
      if (edge == 1) alpha = 0xC0;
      if (OutsideRoundedCorner(x, y, art.width, art.height, 6)) alpha = 0;
      art.argb[static_cast<size_t>(y) * art.width + x] =
          Argb(alpha, shade - 20, shade - 8, shade + 6);
    }
  }
  return art;
}

TArtwork ButtonArtwork() {
  TArtwork art;
  art.width = kButtonWidth;
  art.height = kButtonFaceHeight * kButtonFaces;
  art.argb.resize(static_cast<size_t>(art.width) * art.height);
  for (int face = 0; face < kButtonFaces; ++face) {
    for (int row = 0; row < kButtonFaceHeight; ++row) {
      const int y = face * kButtonFaceHeight + row;
      for (int x = 0; x < art.width; ++x) {
        const int dx = std::min(x, art.width - 1 - x);
        const int dy = std::min(row, kButtonFaceHeight - 1 - row);
        const int light = 246 - row * 2 - face * 24;
        DWORD pixel = Argb(255, light - 10, light - 4, light);
        if (dx == 0 || dy == 0) pixel = Argb(255, 40, 82, 140);
        if (dx + dy < 3) pixel = Argb(dx + dy == 2 ? 0x90 : 0, 40, 82, 140);
        art.argb[static_cast<size_t>(y) * art.width + x] = pixel;
      }
    }
  }
  return art;
}

std::wstring MarkupParagraph(size_t length, int links) {
  static const wchar_t* const kWords[] = {
      L"update",   L"security", L"the",        L"install", L"restart", L"download", L"of",
      L"windows",  L"agent",    L"and",        L"version", L"catalog", L"is",       L"package",
      L"computer", L"required", L"cumulative", L"for",     L"service", L"a",        L"stack"};
  constexpr int kWordCount = sizeof(kWords) / sizeof(kWords[0]);
  CNoise noise;
  std::wstring text;
  int linksWritten = 0;
  for (int word = 0; text.size() < length; ++word) {
    std::wstring piece = kWords[noise.Next(kWordCount)];
    const int style = word % 23;
    if (linksWritten < links && word % 17 == 9) {
      piece = L"<a link" + std::to_wstring(linksWritten++) + L">" + piece + L" details</a>";
    } else if (style == 3) {
      piece = L"<b>" + piece + L"</b>";
    } else if (style == 8) {
      piece = L"<i>" + piece + L"</i>";
    } else if (style == 13) {
      piece = L"<c #C83232>" + piece + L"</c>";
    } else if (style == 19) {
      piece = L"<u>" + piece + L"</u>";
    }
    text += piece;
    text += (word % 29 == 28) ? L". " : L" ";
  }
  return text;
}

std::wstring WithoutTags(const std::wstring& markup) {
  std::wstring plain;
  for (size_t i = 0; i < markup.size(); ++i) {
    if (markup[i] == L'<') {
      i = markup.find(L'>', i);
      if (i == std::wstring::npos) break;
      continue;
    }
    plain += markup[i];
  }
  return plain;
}

const SkinUITest::Bytes& BackgroundPng() {
  static const SkinUITest::Bytes png = EncodeArtwork(BackgroundArtwork());
  return png;
}

SkinUITest::Bytes SkinArchive(SkinUITest::TestZipLayout* layout) {
  std::vector<SkinUITest::TestZipEntry> entries;
  auto add = [&entries](const char* name, const std::string& data) {
    SkinUITest::TestZipEntry entry;
    entry.name = name;
    entry.data = data;
    entry.deflate = true;
    entries.push_back(entry);
  };
  int elements = 0;
  add("MainSkin.xml", SkinUITest::LargeSkinDocument(8000, elements));
  add("bg_bottom.png", Narrow(EncodeArtwork(FlatArtwork(650, 130, 0xFFE0E8F0))));
  add("btn_min.png", Narrow(EncodeArtwork(FlatArtwork(38, 40, 0xFF3060A0))));
  add("btn_close.png", Narrow(EncodeArtwork(FlatArtwork(38, 40, 0xFFC03030))));
  add("pach_button.png", Narrow(EncodeArtwork(ButtonArtwork())));
  add("Progress_2.png", Narrow(EncodeArtwork(FlatArtwork(573, 26, 0xFFD0D0D0))));
  add("Progress_1.png", Narrow(EncodeArtwork(FlatArtwork(573, 26, 0xFF40A040))));
  add("Runing_Procress.png", Narrow(EncodeArtwork(FlatArtwork(84, 22, 0xFF40A0E0))));
  add("head_bk.png", Narrow(EncodeArtwork(FlatArtwork(633, 24, 0xFFF0F0F0))));
  add("head_fg.png", Narrow(EncodeArtwork(FlatArtwork(1, 23, 0xFFA0A0A0))));
  add("Check_Box.png", Narrow(EncodeArtwork(FlatArtwork(18, 45, 0xFFFFFFFF))));
  add("checked.png", Narrow(EncodeArtwork(FlatArtwork(18, 15, 0xFF20A040))));
  add("uncheck.png", Narrow(EncodeArtwork(FlatArtwork(18, 15, 0xFFFFFFFF))));
  add("RadioButton.png", Narrow(EncodeArtwork(FlatArtwork(18, 45, 0xFFFFFFFF))));
  add("bg.png", Narrow(BackgroundPng()));
  add("vscroll.png", Narrow(EncodeArtwork(FlatArtwork(16, 52, 0xFFC0C0C0))));
  add("vscroll-2.png", Narrow(EncodeArtwork(FlatArtwork(600, 16, 0xFFC0C0C0))));
  add("PatchOK.png", Narrow(EncodeArtwork(FlatArtwork(106, 106, 0xFF20A040))));
  add("unsucessed.png", Narrow(EncodeArtwork(FlatArtwork(106, 106, 0xFFC03030))));
  add("logo.png", Narrow(EncodeArtwork(FlatArtwork(152, 30, 0xFF2060C0))));
  add("pic1.png", Narrow(EncodeArtwork(FlatArtwork(30, 32, 0xFF808080))));
  add("pic2.png", Narrow(EncodeArtwork(FlatArtwork(30, 32, 0xFF808080))));
  add("pic3.png", Narrow(EncodeArtwork(FlatArtwork(30, 32, 0xFF808080))));
  add("ico.png", Narrow(EncodeArtwork(FlatArtwork(61, 72, 0xFF808080))));
  add("scrollbar.png", Narrow(EncodeArtwork(FlatArtwork(16, 52, 0xFFC0C0C0))));
  return SkinUITest::BuildTestZip(entries, "", "", layout);
}

}  // namespace SkinUIBench

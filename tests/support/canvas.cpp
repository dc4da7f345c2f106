#include "tests/support/canvas.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include "stb/stb_image_write.h"

#include <algorithm>
#include <cstdint>

namespace SkinUITest {

Canvas::Canvas(int width, int height, DWORD fill)
    : dib_(SkinUI::CreateTopDownDib(width, height)), dc_(nullptr) {
  previous_ = SelectObject(dc_.get(), dib_.bitmap.get());
  Fill(fill);
}

void Canvas::Fill(DWORD argb) {
  GdiFlush();
  for (int i = 0; i < dib_.width * dib_.height; ++i) dib_.pixels[i] = argb;
}

DWORD Canvas::Pixel(int x, int y) const {
  GdiFlush();
  return dib_.pixels[y * dib_.width + x];
}

std::vector<DWORD> Canvas::Pixels() const {
  GdiFlush();
  return std::vector<DWORD>(dib_.pixels, dib_.pixels + dib_.width * dib_.height);
}

bool Canvas::SameRgbAs(const Canvas& other) const {
  const auto mine = Pixels();
  const auto theirs = other.Pixels();
  if (mine.size() != theirs.size()) return false;
  for (size_t i = 0; i < mine.size(); ++i) {
    if ((mine[i] & 0xFFFFFF) != (theirs[i] & 0xFFFFFF)) return false;
  }
  return true;
}

int Canvas::CountRgb(DWORD rgb) const {
  int count = 0;
  for (DWORD pixel : Pixels()) count += (pixel & 0xFFFFFF) == rgb ? 1 : 0;
  return count;
}

namespace {

void AddBigEndian(std::vector<unsigned char>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<unsigned char>(value >> shift));
}

void AddChunk(std::vector<unsigned char>& png, const char* type, const unsigned char* data,
              size_t length) {
  AddBigEndian(png, static_cast<uint32_t>(length));
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data, data + length);
  png.insert(png.end(), 4, 0);
}

}  // namespace

std::vector<unsigned char> PackPng(const TRawPng& raw) {
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  AddBigEndian(header, static_cast<uint32_t>(raw.width));
  AddBigEndian(header, static_cast<uint32_t>(raw.height));
  header.insert(header.end(), {raw.depth, raw.colorType, 0, 0, raw.interlace});
  AddChunk(png, "IHDR", header.data(), header.size());
  std::vector<unsigned char> lines = raw.scanLines;
  int compressedLength = 0;
  unsigned char* compressed =
      stbi_zlib_compress(lines.data(), static_cast<int>(lines.size()), &compressedLength, 8);
  const size_t piece = (static_cast<size_t>(compressedLength) + raw.pieces - 1) / raw.pieces;
  for (size_t at = 0; at < static_cast<size_t>(compressedLength); at += piece) {
    if (at > 0) AddChunk(png, "tEXt", reinterpret_cast<const unsigned char*>("Note\0between"), 12);
    AddChunk(png, "IDAT", compressed + at,
             std::min(piece, static_cast<size_t>(compressedLength) - at));
  }
  STBIW_FREE(compressed);
  AddChunk(png, "IEND", nullptr, 0);
  return png;
}

std::vector<unsigned char> EncodePng(int width, int height, const std::vector<DWORD>& argb) {
  std::vector<unsigned char> rgba(argb.size() * 4);
  for (size_t i = 0; i < argb.size(); ++i) {
    rgba[i * 4 + 0] = static_cast<unsigned char>(argb[i] >> 16);
    rgba[i * 4 + 1] = static_cast<unsigned char>(argb[i] >> 8);
    rgba[i * 4 + 2] = static_cast<unsigned char>(argb[i]);
    rgba[i * 4 + 3] = static_cast<unsigned char>(argb[i] >> 24);
  }
  std::vector<unsigned char> png;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<unsigned char>*>(context);
        auto* bytes = static_cast<unsigned char*>(data);
        out->insert(out->end(), bytes, bytes + size);
      },
      &png, width, height, 4, rgba.data(), width * 4);
  return png;
}

bool WritePng(const std::wstring& path, int width, int height, const std::vector<DWORD>& argb) {
  const std::vector<unsigned char> png = EncodePng(width, height, argb);
  if (png.empty()) return false;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == png.size();
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

}  // namespace SkinUITest

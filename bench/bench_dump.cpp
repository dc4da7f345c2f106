#include "bench/bench_dump.h"

#include <windows.h>

#include <vector>

namespace SkinUIBench {

void DumpText(const std::string& text, const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void DumpCanvas(const SkinUITest::Canvas& canvas, const std::wstring& folder,
                const std::wstring& name) {
  std::vector<DWORD> pixels = canvas.Pixels();
  DumpText(std::string(reinterpret_cast<const char*>(pixels.data()), pixels.size() * sizeof(DWORD)),
           folder + L"\\" + name + L".argb");
  for (DWORD& pixel : pixels) pixel |= 0xFF000000;
  SkinUITest::WritePng(folder + L"\\" + name + L".png", canvas.width(), canvas.height(), pixels);
}

}  // namespace SkinUIBench

#pragma once
// A fresh folder under the temporary path for one test, removed with
// everything in it at the end.

#include <windows.h>

#include <string>
#include <vector>

namespace SkinUITest {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Without a trailing backslash.
  const std::wstring& path() const { return path_; }
  std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
  // Writes the file (and the one folder its name may start with); its path.
  // Throws when the file cannot be written.
  std::wstring Write(const std::wstring& name, const std::vector<unsigned char>& bytes) const;
  std::wstring Write(const std::wstring& name, const std::string& text) const;

 private:
  std::wstring path_;
};

}  // namespace SkinUITest

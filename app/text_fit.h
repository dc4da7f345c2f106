#pragma once
// Cuts one line of text to a width in a font, ending it with "..." where it
// is cut, as a one-line cell of the skin would.

#include <windows.h>

#include <string>

#include "ui/core/gdi_handles.h"

class CTextFit {
 public:
  // font stays the caller's; width in pixels.
  CTextFit(HFONT font, int width);
  ~CTextFit();
  CTextFit(const CTextFit&) = delete;
  CTextFit& operator=(const CTextFit&) = delete;

  std::wstring operator()(const std::wstring& text) const;
  // The height of one line of plain text in the font.
  int LineHeight() const;

 private:
  bool Fits(const std::wstring& text) const;

  SkinUI::UniqueMemoryDC dc_;
  HGDIOBJ previous_ = nullptr;
  int width_;
};

#include "app/text_fit.h"

namespace {

constexpr wchar_t kEllipsis[] = L"...";

}  // namespace

CTextFit::CTextFit(HFONT font, int width) : dc_(nullptr), width_(width) {
  if (dc_.get() != nullptr && font != nullptr) previous_ = SelectObject(dc_.get(), font);
}

CTextFit::~CTextFit() {
  if (previous_ != nullptr) SelectObject(dc_.get(), previous_);
}

bool CTextFit::Fits(const std::wstring& text) const {
  SIZE size = {};
  GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx <= width_;
}

// The longest start of the text that fits with the ellipsis after it; a
// surrogate pair is never split.
std::wstring CTextFit::operator()(const std::wstring& text) const {
  if (dc_.get() == nullptr || Fits(text)) return text;
  size_t low = 0;
  size_t high = text.size();
  while (low < high) {
    const size_t middle = (low + high + 1) / 2;
    if (Fits(text.substr(0, middle) + kEllipsis)) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  if (low > 0 && IS_HIGH_SURROGATE(text[low - 1])) --low;
  return text.substr(0, low) + kEllipsis;
}

int CTextFit::LineHeight() const {
  TEXTMETRICW metrics = {};
  if (dc_.get() == nullptr || !GetTextMetricsW(dc_.get(), &metrics)) return 1;
  return metrics.tmHeight > 0 ? metrics.tmHeight : 1;
}

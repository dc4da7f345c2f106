#include "tests/support/test_manager.h"

#include <algorithm>

#include "ui/controls/control.h"
#include "ui/render/dib_section.h"
#include "ui/render/draw_kit.h"

namespace SkinUITest {

using SkinUI::FontRecord;
using SkinUI::ImageRecord;

CTestManager::CTestManager() : paintDC_(CreateCompatibleDC(nullptr)) {
  LOGFONTW stock = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
  defaultFont_ = MakeFont(stock.lfFaceName, -stock.lfHeight, stock.lfWeight >= FW_BOLD,
                          stock.lfUnderline != 0, stock.lfItalic != 0);
}

void CTestManager::ClearRecords() {
  invalidated.clear();
  layoutRequests = 0;
  notifications.clear();
  forgotten.clear();
}

CTestManager::~CTestManager() {
  RunDeferredDeletes();
  fonts_.clear();
  defaultFont_.reset();
  DeleteDC(paintDC_);
}

std::unique_ptr<FontRecord> CTestManager::MakeFont(const wchar_t* face, int size, bool bold,
                                                   bool underline, bool italic) {
  LOGFONTW lf = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfHeight = -size;
  if (bold) lf.lfWeight += FW_BOLD;
  lf.lfUnderline = underline ? 1 : 0;
  lf.lfItalic = italic ? 1 : 0;
  HFONT font = CreateFontIndirectW(&lf);
  if (font == nullptr) return nullptr;
  auto record = std::make_unique<FontRecord>();
  record->font.reset(font);
  record->face = face;
  record->size = size;
  record->bold = bold;
  record->underline = underline;
  record->italic = italic;
  return record;
}

FontRecord* CTestManager::Filled(FontRecord* record) {
  if (record != nullptr && !record->HasMetrics()) record->ReadMetrics(paintDC_);
  return record;
}

HFONT CTestManager::FontAt(int index) {
  if (index < 0 || index >= FontCount()) return defaultFont_->font.get();
  return fonts_[index]->font.get();
}

FontRecord* CTestManager::FontInfoAt(int index) {
  if (index < 0 || index >= FontCount()) return DefaultFontInfo();
  return Filled(fonts_[index].get());
}

FontRecord* CTestManager::FontInfoOf(HFONT font) {
  for (auto& record : fonts_) {
    if (record->font.get() == font) return Filled(record.get());
  }
  return DefaultFontInfo();
}

FontRecord* CTestManager::DefaultFontInfo() {
  return Filled(defaultFont_.get());
}

HFONT CTestManager::RegisterFont(const wchar_t* face, int size, bool bold, bool underline,
                                 bool italic) {
  auto record = MakeFont(face, size, bold, underline, italic);
  if (!record) return nullptr;
  Filled(record.get());
  fonts_.push_back(std::move(record));
  return fonts_.back()->font.get();
}

HFONT CTestManager::FindMatchingFont(const wchar_t* face, int size, bool bold, bool underline,
                                     bool italic) {
  for (auto& record : fonts_) {
    if (record->face == face && record->size == size && (record->bold != 0) == bold &&
        (record->underline != 0) == underline && (record->italic != 0) == italic) {
      return record->font.get();
    }
  }
  return nullptr;
}

void CTestManager::AddImage(const wchar_t* name, std::unique_ptr<ImageRecord> image) {
  images_[name] = std::move(image);
}

ImageRecord* CTestManager::ObtainImage(const wchar_t* name, const wchar_t* resourceType,
                                       DWORD mask) {
  imageRequests_.push_back(name);
  auto found = images_.find(name);
  if (found != images_.end()) return found->second.get();
  auto image = SkinUI::CDrawKit::LoadBitmapImage(name, resourceType, mask);
  if (!image) return nullptr;
  image->mask = mask;
  ImageRecord* kept = image.get();
  images_[name] = std::move(image);
  return kept;
}

// Calls go through the control's virtual operations only, so this library
// needs no link to the controls.
bool CTestManager::BindControlTree(SkinUI::CControlUI* control, SkinUI::CControlUI* parent) {
  if (control == nullptr) return false;
  control->BindManager(this, parent != nullptr ? parent : control->GetParent(), true);
  return true;
}

void CTestManager::DeleteLater(SkinUI::CControlUI* control) {
  control->BindManager(this, nullptr, false);
  deferred.push_back(control);
}

void CTestManager::RunDeferredDeletes() {
  std::vector<SkinUI::CControlUI*> doomed;
  doomed.swap(deferred);
  for (SkinUI::CControlUI* control : doomed) delete control;
}

bool CTestManager::AddOverlayPainter(SkinUI::CControlUI* control) {
  auto& list = overlayPainters;
  if (std::find(list.begin(), list.end(), control) != list.end()) return false;
  list.push_back(control);
  return true;
}

bool CTestManager::RemoveOverlayPainter(SkinUI::CControlUI* control) {
  auto& list = overlayPainters;
  auto found = std::find(list.begin(), list.end(), control);
  if (found == list.end()) return false;
  list.erase(found);
  return true;
}

void CTestManager::AddImage(const wchar_t* name, int width, int height,
                            const std::vector<DWORD>& argb) {
  AddImage(name, ImageFromPixels(width, height, argb));
}

bool CTestManager::JoinOptionGroup(const wchar_t* group, SkinUI::CControlUI* control) {
  auto& members = optionGroups_[group];
  if (!members) members = std::make_unique<SkinUI::CPointerArrayUI>();
  if (members->Find(control) >= 0) return false;
  return members->Add(control);
}

void CTestManager::LeaveOptionGroup(const wchar_t* group, SkinUI::CControlUI* control) {
  auto found = optionGroups_.find(group);
  if (found == optionGroups_.end()) return;
  const int index = found->second->Find(control);
  if (index >= 0) found->second->RemoveAt(index);
  if (found->second->IsEmpty()) optionGroups_.erase(found);
}

SkinUI::CPointerArrayUI* CTestManager::OptionGroup(const wchar_t* group) {
  auto found = optionGroups_.find(group);
  return found != optionGroups_.end() ? found->second.get() : nullptr;
}

std::unique_ptr<ImageRecord> ImageFromPixels(int width, int height,
                                             const std::vector<DWORD>& argb) {
  SkinUI::DibSection dib = SkinUI::CreateTopDownDib(width, height);
  if (!dib || argb.size() != static_cast<size_t>(width) * height) return nullptr;
  auto image = std::make_unique<ImageRecord>();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const DWORD pixel = argb[static_cast<size_t>(y) * width + x];
      const DWORD alpha = pixel >> 24;
      if (alpha != 0xFF) image->hasAlpha = 1;
      auto channel = [&](int shift) { return ((pixel >> shift) & 0xFF) * alpha / 255 << shift; };
      dib.At(x, y) = (alpha << 24) | channel(16) | channel(8) | channel(0);
    }
  }
  image->bitmap = std::move(dib.bitmap);
  image->width = width;
  image->height = height;
  return image;
}

}  // namespace SkinUITest

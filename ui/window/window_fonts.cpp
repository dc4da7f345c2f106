// The font table of CWindowResourcesUI: the default font, registered fonts
// addressed by index, and lookups through the resource parent chain.

#include "ui/window/window_resources.h"

#include "ui/window/window_dpi.h"

namespace SkinUI {

namespace {

LOGFONTW StockFontDescription() {
  LOGFONTW description = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
  return description;
}

std::unique_ptr<FontRecord> MakeFontRecord(const LOGFONTW& description, const wchar_t* face,
                                           int size, bool bold, bool underline, bool italic) {
  HFONT font = CreateFontIndirectW(&description);
  if (font == nullptr) return nullptr;
  auto record = std::make_unique<FontRecord>();
  record->font.reset(font);
  record->face = face;
  record->size = size;
  record->bold = bold ? 1 : 0;
  record->underline = underline ? 1 : 0;
  record->italic = italic ? 1 : 0;
  return record;
}

bool Matches(const FontRecord& record, const wchar_t* face, int size, bool bold, bool underline,
             bool italic) {
  return record.face == face && record.size == size && (record.bold != 0) == bold &&
         (record.underline != 0) == underline && (record.italic != 0) == italic;
}

int LineHeightOf(const LOGFONTW& description, HDC dc) {
  UniqueFont font(CreateFontIndirectW(&description));
  if (!font) return 0;
  SelectObjectGuard select(dc, font.get());
  TEXTMETRICW metrics = {};
  return GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 0;
}

// A font's line height does not grow exactly with its size: the platform
// rounds each metric up, and text laid out to fill an area at 96 DPI would
// then run over its bottom. Made a pixel smaller at a time while its lines
// are taller than the 96-DPI lines scaled and rounded down (lines stack, so
// a part of a pixel each adds up to a last line cut off), the font keeps
// the skin's layout.
LONG FittingHeight(LOGFONTW description, int size, CDpiScaleUI scale, HDC given) {
  description.lfHeight = -scale.ToDevice(size);
  if (scale.IsIdentity() || size <= 0) return description.lfHeight;
  HDC dc = given != nullptr ? given : GetDC(nullptr);
  if (dc == nullptr) return description.lfHeight;
  LOGFONTW plain = description;
  plain.lfHeight = -size;
  const int wanted = LineHeightOf(plain, dc) * scale.Dpi() / CDpiScaleUI::kBaseDpi;
  const LONG smallest = -scale.ToDevice(size - 1);
  while (description.lfHeight < smallest && LineHeightOf(description, dc) > wanted) {
    ++description.lfHeight;
  }
  if (given == nullptr) ReleaseDC(nullptr, dc);
  return description.lfHeight;
}

// The stock font is made for the screen's DPI when the program started; its
// size is kept as the logical size that gives at 96 DPI.
int StockLogicalSize(const LOGFONTW& description) {
  const int height = description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
  return CDpiScaleUI(SystemDpi()).ToLogical(height);
}

}  // namespace

CWindowResourcesUI::CWindowResourcesUI() : defaultFont(CreateStockDefaultFont()) {}

// Starts from the stock GUI font; bold adds 700 to its weight (a stock weight
// of 400 gives 1100, which the platform accepts and shows as bold). The size
// is logical; the font is made at the window's scale.
std::unique_ptr<FontRecord> CWindowResourcesUI::CreateSkinFont(const wchar_t* face, int size,
                                                               bool bold, bool underline,
                                                               bool italic) const {
  if (face == nullptr) return nullptr;
  LOGFONTW description = StockFontDescription();
  lstrcpynW(description.lfFaceName, face, LF_FACESIZE);
  description.lfCharSet = DEFAULT_CHARSET;
  if (bold) description.lfWeight += FW_BOLD;
  description.lfUnderline = underline ? 1 : 0;
  description.lfItalic = italic ? 1 : 0;
  description.lfHeight = FittingHeight(description, size, scale, metricsDC);
  return MakeFontRecord(description, face, size, bold, underline, italic);
}

std::unique_ptr<FontRecord> CWindowResourcesUI::CreateStockDefaultFont() const {
  LOGFONTW description = StockFontDescription();
  description.lfCharSet = DEFAULT_CHARSET;
  const int size = StockLogicalSize(description);
  description.lfHeight = -scale.ToDevice(size);
  return MakeFontRecord(description, description.lfFaceName, size, description.lfWeight >= FW_BOLD,
                        description.lfUnderline != 0, description.lfItalic != 0);
}

void CWindowResourcesUI::SetScale(CDpiScaleUI newScale) {
  if (newScale == scale) return;
  scale = newScale;
  RemakeFonts();
  ClearImages();
}

// Each font is made again from its own record, so a replaced default font
// keeps its face and an index keeps naming the same font.
void CWindowResourcesUI::RemakeFonts() {
  const auto remake = [this](std::unique_ptr<FontRecord>& record) {
    if (!record) return;
    std::unique_ptr<FontRecord> made = CreateSkinFont(record->face, record->size, record->bold != 0,
                                                      record->underline != 0, record->italic != 0);
    if (!made) return;
    record = std::move(made);
    WithMetrics(record.get(), metricsDC);
  };
  remake(defaultFont);
  for (auto& record : fonts) remake(record);
}

FontRecord* CWindowResourcesUI::WithMetrics(FontRecord* record, HDC dc) const {
  if (record != nullptr && !record->HasMetrics()) record->ReadMetrics(dc);
  return record;
}

HFONT CWindowResourcesUI::RegisterFont(const wchar_t* face, int size, bool bold, bool underline,
                                       bool italic) {
  std::unique_ptr<FontRecord> record = CreateSkinFont(face, size, bold, underline, italic);
  if (!record) return nullptr;
  WithMetrics(record.get(), metricsDC);
  fonts.push_back(std::move(record));
  return fonts.back()->font.get();
}

HFONT CWindowResourcesUI::FontAt(int index) {
  if (index < 0 || index >= FontCount()) {
    const FontRecord* fallback = RootResources().defaultFont.get();
    return fallback != nullptr ? fallback->font.get() : nullptr;
  }
  return fonts[index]->font.get();
}

FontRecord* CWindowResourcesUI::FontInfoAt(int index) {
  if (index < 0 || index >= FontCount()) return DefaultFontInfo();
  return WithMetrics(fonts[index].get(), metricsDC);
}

FontRecord* CWindowResourcesUI::FindFontRecord(HFONT font) {
  for (CWindowResourcesUI* owner = this; owner != nullptr; owner = owner->parentResources) {
    for (auto& record : owner->fonts) {
      if (record->font.get() == font) return owner->WithMetrics(record.get(), owner->metricsDC);
    }
  }
  return nullptr;
}

FontRecord* CWindowResourcesUI::FontInfoOf(HFONT font) {
  if (font != nullptr) {
    if (FontRecord* record = FindFontRecord(font)) return record;
  }
  return DefaultFontInfo();
}

HFONT CWindowResourcesUI::FindMatchingFont(const wchar_t* face, int size, bool bold, bool underline,
                                           bool italic) {
  if (face == nullptr) return nullptr;
  for (CWindowResourcesUI* owner = this; owner != nullptr; owner = owner->parentResources) {
    for (auto& record : owner->fonts) {
      if (Matches(*record, face, size, bold, underline, italic)) return record->font.get();
    }
  }
  return nullptr;
}

bool CWindowResourcesUI::ReplaceDefaultFont(const wchar_t* face, int size, bool bold,
                                            bool underline, bool italic) {
  std::unique_ptr<FontRecord> record = CreateSkinFont(face, size, bold, underline, italic);
  if (!record) return false;
  defaultFont = std::move(record);
  WithMetrics(defaultFont.get(), metricsDC);
  return true;
}

FontRecord* CWindowResourcesUI::DefaultFontInfo() {
  CWindowResourcesUI& root = RootResources();
  // A parent that has no window of its own yet measures with this one's.
  HDC dc = root.metricsDC != nullptr ? root.metricsDC : metricsDC;
  return WithMetrics(root.defaultFont.get(), dc);
}

void CWindowResourcesUI::ClearFonts() {
  fonts.clear();
}

}  // namespace SkinUI

// CWindowResourcesUI: the resource parent chain, images and class defaults.

#include "ui/window/window_resources.h"

#include "ui/render/draw_kit.h"
#include "ui/render/scaled_image.h"
#include "ui/window/process_settings.h"

namespace SkinUI {

namespace {

// Resource numbers name integer resources, which only go up to 0xFFFF.
constexpr unsigned long kLargestResourceNumber = 0xFFFF;

bool HasResourceType(const wchar_t* type) {
  return type != nullptr && (IS_INTRESOURCE(type) || *type != L'\0');
}

// A decimal number up to the first non-digit; 0 when name does not start with
// a digit or the number cannot be a resource id.
WORD ResourceNumber(const wchar_t* name) {
  if (name[0] < L'0' || name[0] > L'9') return 0;
  unsigned long number = 0;
  for (const wchar_t* p = name; *p >= L'0' && *p <= L'9'; ++p) {
    number = number * 10 + static_cast<unsigned long>(*p - L'0');
    if (number > kLargestResourceNumber) return 0;
  }
  return static_cast<WORD>(number);
}

template <typename T>
void DeleteValues(CStringMapUI& map) {
  for (int i = 0; i < map.GetCount(); ++i) delete static_cast<T*>(map.Find(map.KeyAt(i)));
  map.Clear();
}

}  // namespace

CWindowResourcesUI::~CWindowResourcesUI() {
  FreeResources();
}

void CWindowResourcesUI::FreeResources() {
  ClearFonts();
  ClearImages();
  ClearClassDefaults();
}

TColorShift CWindowResourcesUI::GlobalColorShift() const {
  return ProcessColorShift();
}

const CWindowResourcesUI& CWindowResourcesUI::RootResources() const {
  const CWindowResourcesUI* root = this;
  while (root->parentResources != nullptr) root = root->parentResources;
  return *root;
}

CWindowResourcesUI& CWindowResourcesUI::RootResources() {
  CWindowResourcesUI* root = this;
  while (root->parentResources != nullptr) root = root->parentResources;
  return *root;
}

bool CWindowResourcesUI::ChainContains(const CWindowResourcesUI* candidate) const {
  for (const CWindowResourcesUI* link = this; link != nullptr; link = link->parentResources) {
    if (link == candidate) return true;
  }
  return false;
}

bool CWindowResourcesUI::SetParentResources(CWindowResourcesUI* parent) {
  // A chain that led back here would make every lookup run for ever.
  if (parent != nullptr && parent->ChainContains(this)) return false;
  parentResources = parent;
  return true;
}

ImageRecord* CWindowResourcesUI::ObtainImage(const wchar_t* name, const wchar_t* resourceType,
                                             DWORD mask) {
  if (name == nullptr || *name == L'\0') return nullptr;
  if (auto* kept = static_cast<ImageRecord*>(images.Find(name))) return kept;
  if (!LoadAndKeepImage(name, resourceType, mask)) return nullptr;
  return static_cast<ImageRecord*>(images.Find(name));
}

bool CWindowResourcesUI::LoadAndKeepImage(const wchar_t* name, const wchar_t* resourceType,
                                          DWORD mask) {
  if (name == nullptr || *name == L'\0') return false;
  std::unique_ptr<ImageRecord> image;
  if (HasResourceType(resourceType)) {
    const WORD number = ResourceNumber(name);
    if (number == 0) return false;
    image = LoadImageAtScale(MAKEINTRESOURCEW(number), resourceType, mask, scale);
    if (image && !IS_INTRESOURCE(resourceType)) image->resourceType = resourceType;
  } else {
    image = LoadImageAtScale(name, nullptr, mask, scale);
  }
  if (!image) return false;
  image->mask = mask;
  if (images.Insert(name, image.get())) image.release();
  return true;
}

void CWindowResourcesUI::ClearImages() {
  DeleteValues<ImageRecord>(images);
}

void CWindowResourcesUI::AddClassDefaults(const wchar_t* className, const wchar_t* attributeList) {
  if (className == nullptr || attributeList == nullptr) return;
  if (classDefaults.Contains(className)) return;
  classDefaults.Insert(className, new CWideStringUI(attributeList));
}

const wchar_t* CWindowResourcesUI::ClassDefaults(const wchar_t* className) {
  if (className == nullptr) return nullptr;
  for (CWindowResourcesUI* owner = this; owner != nullptr; owner = owner->parentResources) {
    if (auto* list = static_cast<CWideStringUI*>(owner->classDefaults.Find(className))) {
      return list->GetData();
    }
  }
  return nullptr;
}

void CWindowResourcesUI::ClearClassDefaults() {
  DeleteValues<CWideStringUI>(classDefaults);
}

}  // namespace SkinUI

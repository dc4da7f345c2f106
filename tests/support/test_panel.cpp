#include "tests/support/test_panel.h"

#include <algorithm>

namespace SkinUITest {

using SkinUI::CControlUI;

CTestPanelUI::~CTestPanelUI() {
  for (CControlUI* child : children_) delete child;
}

void CTestPanelUI::Add(CControlUI* child) {
  children_.push_back(child);
  if (GetManager() != nullptr) GetManager()->BindControlTree(child, this);
}

bool CTestPanelUI::Detach(CControlUI* child) {
  auto found = std::find(children_.begin(), children_.end(), child);
  if (found == children_.end()) return false;
  children_.erase(found);
  return true;
}

void CTestPanelUI::BindManager(SkinUI::IControlHostUI* newManager, CControlUI* newParent,
                               bool init) {
  for (CControlUI* child : children_) child->BindManager(newManager, this, init);
  CControlUI::BindManager(newManager, newParent, init);
}

void CTestPanelUI::SetBounds(const RECT& rect) {
  CControlUI::SetBounds(rect);
  for (CControlUI* child : children_) {
    if (!child->IsVisible()) continue;
    const SIZE offset = child->FixedOffset();
    RECT place = ItemRect();
    place.left += offset.cx;
    place.top += offset.cy;
    if (child->GetFixedWidth() > 0) place.right = place.left + child->GetFixedWidth();
    if (child->GetFixedHeight() > 0) place.bottom = place.top + child->GetFixedHeight();
    child->SetBounds(place);
  }
}

CControlUI* CTestPanelUI::FindInTree(SkinUI::FindControlProc test, LPVOID data, UINT flags) {
  if ((flags & SkinUI::FindVisible) != 0 && !IsVisible()) return nullptr;
  if ((flags & SkinUI::FindEnabled) != 0 && !IsEnabled()) return nullptr;
  if ((flags & SkinUI::FindHitTest) != 0 &&
      !ItemRect().Contains(*static_cast<const POINT*>(data))) {
    return nullptr;
  }
  if ((flags & SkinUI::FindMeFirst) != 0) {
    if (CControlUI* found = CControlUI::FindInTree(test, data, flags)) return found;
  }
  const bool topFirst = (flags & SkinUI::FindTopFirst) != 0;
  const int count = ChildCount();
  for (int i = 0; i < count; ++i) {
    CControlUI* child = children_[topFirst ? count - 1 - i : i];
    if (CControlUI* found = child->FindInTree(test, data, flags)) return found;
  }
  if ((flags & SkinUI::FindMeFirst) != 0) return nullptr;
  return CControlUI::FindInTree(test, data, flags);
}

void CTestPanelUI::Paint(HDC dc, const RECT& dirty) {
  CControlUI::Paint(dc, dirty);
  for (CControlUI* child : children_) {
    RECT common;
    if (child->IsVisible() && IntersectRect(&common, &dirty, &child->Bounds())) {
      child->Paint(dc, dirty);
    }
  }
}

}  // namespace SkinUITest

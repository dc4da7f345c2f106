// The tree as readers see it.

#include "ui/access/accessible_tree.h"

#include "ui/controls/container.h"
#include "ui/controls/scroll_bar.h"

namespace SkinUI {

namespace AccessibleTree {

namespace {

void Collect(const CControlUI* control, std::vector<CControlUI*>& children, int depth) {
  if (depth > kMaxTreeDepth) return;
  const int count = control->AccessibleChildCount();
  for (int i = 0; i < count; ++i) {
    CControlUI* child = control->AccessibleChildAt(i);
    if (child == nullptr) continue;
    if (child->IsAccessibleLevel()) {
      children.push_back(child);
    } else {
      Collect(child, children, depth + 1);
    }
  }
}

// Scroll bars hang under no parent: the container that owns them stands in.
CControlUI* ParentOrOwner(const CControlUI* control) {
  if (CControlUI* parent = control->GetParent()) return parent;
  auto* bar =
      static_cast<CScrollBarUI*>(const_cast<CControlUI*>(control)->InterfaceFor(L"ScrollBar"));
  if (bar == nullptr) return nullptr;
  return bar->Owner();
}

}  // namespace

std::vector<CControlUI*> Children(const CControlUI* control) {
  std::vector<CControlUI*> children;
  if (control != nullptr) Collect(control, children, 0);
  return children;
}

CControlUI* Parent(const CControlUI* control) {
  CControlUI* above = control != nullptr ? ParentOrOwner(control) : nullptr;
  for (int steps = 0; above != nullptr && steps <= kMaxTreeDepth; ++steps) {
    if (above->IsAccessibleLevel()) return above;
    above = ParentOrOwner(above);
  }
  return nullptr;
}

bool Contains(const CControlUI* ancestor, const CControlUI* control) {
  for (int steps = 0; control != nullptr && steps <= kMaxTreeDepth; ++steps) {
    if (control == ancestor) return true;
    control = ParentOrOwner(control);
  }
  return false;
}

}  // namespace AccessibleTree

}  // namespace SkinUI

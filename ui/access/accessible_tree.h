#pragma once
// The tree as readers see it: the levels that hide themselves (a list's
// header and row area) are left out, their children counted as their
// parent's, and scroll bars hang under the container that owns them.

#include <vector>

#include "ui/controls/control.h"

namespace SkinUI {

namespace AccessibleTree {

// The children a reader sees, in order.
std::vector<CControlUI*> Children(const CControlUI* control);
// The nearest ancestor a reader sees, or null at the top.
CControlUI* Parent(const CControlUI* control);
// True when ancestor is control or lies above it as a reader sees the tree.
bool Contains(const CControlUI* ancestor, const CControlUI* control);

}  // namespace AccessibleTree

}  // namespace SkinUI

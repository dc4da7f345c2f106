#pragma once
// Settings shared by every window of the process: the colour shift applied
// to controls that ask for it, and the factories the skin builder asks for
// element names it does not know itself.

#include <vector>

#include "ui/core/skin_resources.h"

namespace SkinUI {

class CControlUI;

// The neutral shift (hue 180, saturation 100, lightness 100) unless changed.
TColorShift ProcessColorShift();
void SetProcessColorShift(const TColorShift& shift);

// Element name -> a new control, or null when the factory does not know it.
using ControlFactoryProc = CControlUI* (*)(const wchar_t* elementName);

// Asked in registration order; the program itself registers none.
std::vector<ControlFactoryProc>& ControlFactoryPlugins();
// The first control a registered factory makes for the name, or null.
CControlUI* CreateControlFromPlugins(const wchar_t* elementName);

}  // namespace SkinUI

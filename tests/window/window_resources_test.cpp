// Fonts, images, class defaults, colours and window settings of a window.

#include <gtest/gtest.h>

#include "tests/support/canvas.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/window_harness.h"
#include "ui/controls/control.h"
#include "ui/window/process_settings.h"
#include "ui/window/window_resources.h"

namespace SkinUITest {
namespace {

using namespace SkinUI;

LOGFONTW Description(HFONT font) {
  LOGFONTW description = {};
  GetObjectW(font, sizeof(description), &description);
  return description;
}

TEST(WindowResources, FontsAreAddressedByIndexWithTheDefaultForAnythingElse) {
  CHarnessWindow window;
  CWindowResourcesUI& fonts = window.Manager().Resources();
  const LOGFONTW stock = Description(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  FontRecord* fallback = fonts.DefaultFontInfo();
  EXPECT_STREQ(stock.lfFaceName, fallback->face);
  EXPECT_EQ(-stock.lfHeight, fallback->size);
  EXPECT_GT(fallback->metrics.tmHeight, 0);

  HFONT first = fonts.RegisterFont(L"Tahoma", 12, false, false, false);
  HFONT twin = fonts.RegisterFont(L"Tahoma", 12, false, false, false);
  HFONT bold = fonts.RegisterFont(L"Tahoma", 14, true, true, true);
  ASSERT_NE(nullptr, first);
  EXPECT_NE(first, twin);  // equal requests still get their own index
  EXPECT_EQ(3, fonts.FontCount());
  EXPECT_EQ(twin, fonts.FontAt(1));
  EXPECT_EQ(fallback->font.get(), fonts.FontAt(-1));
  EXPECT_EQ(fallback->font.get(), fonts.FontAt(3));
  EXPECT_EQ(fallback, fonts.FontInfoAt(3));
  EXPECT_GT(fonts.FontInfoAt(0)->metrics.tmHeight, 0);

  // Bold adds 700 to the stock weight; the platform takes the result.
  EXPECT_EQ(stock.lfWeight + FW_BOLD, Description(bold).lfWeight);
  EXPECT_EQ(-14, Description(bold).lfHeight);
  EXPECT_EQ(1, Description(bold).lfItalic);
  EXPECT_EQ(DEFAULT_CHARSET, Description(first).lfCharSet);
  EXPECT_EQ(bold, fonts.FontInfoOf(bold)->font.get());
  EXPECT_EQ(fallback, fonts.FontInfoOf(static_cast<HFONT>(GetStockObject(SYSTEM_FONT))));

  EXPECT_EQ(first, fonts.FindMatchingFont(L"Tahoma", 12, false, false, false));
  EXPECT_EQ(nullptr, fonts.FindMatchingFont(L"tahoma", 12, false, false, false));
  EXPECT_EQ(nullptr, fonts.FindMatchingFont(L"Tahoma", 14, true, true, false));

  EXPECT_TRUE(fonts.ReplaceDefaultFont(L"Tahoma", 20, false, false, false));
  EXPECT_EQ(20, fonts.DefaultFontInfo()->size);
  EXPECT_GT(fonts.DefaultFontInfo()->metrics.tmHeight, 0);
  EXPECT_EQ(-20, Description(fonts.FontAt(-1)).lfHeight);
  fonts.ClearFonts();
  EXPECT_EQ(0, fonts.FontCount());
  EXPECT_EQ(fonts.DefaultFontInfo()->font.get(), fonts.FontAt(0));
}

TEST(WindowResources, ParentChainSharesFontsDefaultsAndColoursButRefusesCycles) {
  CWindowResourcesUI top, middle, bottom;
  EXPECT_TRUE(middle.SetParentResources(&top));
  EXPECT_TRUE(bottom.SetParentResources(&middle));
  EXPECT_FALSE(top.SetParentResources(&bottom));
  EXPECT_FALSE(top.SetParentResources(&top));
  EXPECT_EQ(nullptr, top.ParentResources());

  HFONT shared = top.RegisterFont(L"Tahoma", 11, false, false, false);
  EXPECT_EQ(shared, bottom.FindMatchingFont(L"Tahoma", 11, false, false, false));
  EXPECT_EQ(shared, bottom.FontInfoOf(shared)->font.get());
  EXPECT_EQ(top.DefaultFontInfo(), bottom.DefaultFontInfo());
  EXPECT_EQ(top.FontAt(-1), bottom.FontAt(0));

  top.SetDefaultTextColor(0xFF112233);
  bottom.SetDefaultTextColor(0xFF445566);  // stored, but the chain's root answers
  EXPECT_EQ(0xFF112233u, bottom.DefaultTextColor());
  EXPECT_EQ(0xFFA7A6AAu, bottom.DisabledTextColor());
  EXPECT_EQ(0xFF0000FFu, bottom.LinkTextColor());
  EXPECT_EQ(0xFFD3215Fu, bottom.LinkHoverTextColor());
  EXPECT_EQ(0xFFBAE4FFu, bottom.SelectedBackColor());

  top.AddClassDefaults(L"Button", L"bkcolor=\"#FF000000\"");
  middle.AddClassDefaults(L"Label", L"text=\"first\"");
  middle.AddClassDefaults(L"Label", L"text=\"second\"");  // the first definition wins
  EXPECT_STREQ(L"text=\"first\"", bottom.ClassDefaults(L"Label"));
  EXPECT_STREQ(L"bkcolor=\"#FF000000\"", bottom.ClassDefaults(L"Button"));
  EXPECT_EQ(nullptr, top.ClassDefaults(L"Label"));

  EXPECT_TRUE(bottom.SetParentResources(nullptr));
  EXPECT_EQ(0xFF445566u, bottom.DefaultTextColor());
  EXPECT_EQ(nullptr, bottom.ClassDefaults(L"Button"));
}

TEST(WindowResources, AnImageKeepsTheMaskOfItsFirstRequest) {
  ScratchFolder folder;
  const std::wstring path = folder.File(L"dot.png");
  ASSERT_TRUE(WritePng(path, 2, 1, {0xFFFF00FF, 0xFF00FF00}));
  CWindowResourcesUI images;
  ImageRecord* first = images.ObtainImage(path.c_str(), nullptr, 0xFFFF00FF);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(2, first->width);
  EXPECT_EQ(0xFFFF00FFu, first->mask);
  EXPECT_EQ(1, first->hasAlpha);  // the magenta pixel was made transparent
  EXPECT_EQ(first, images.ObtainImage(path.c_str(), nullptr, 0));
  EXPECT_EQ(0xFFFF00FFu, first->mask);

  EXPECT_EQ(nullptr, images.ObtainImage(folder.File(L"missing.png").c_str(), nullptr, 0));
  EXPECT_EQ(1, images.ImageCount());

  // With a resource type the name is a resource number.
  EXPECT_TRUE(images.LoadAndKeepImage(L"2002", L"SKINPNG", 0));
  ImageRecord* numbered = images.ObtainImage(L"2002", L"SKINPNG", 0);
  ASSERT_NE(nullptr, numbered);
  EXPECT_EQ(3, numbered->width);
  EXPECT_EQ(2, numbered->height);
  EXPECT_STREQ(L"SKINPNG", numbered->resourceType);
  EXPECT_FALSE(images.LoadAndKeepImage(L"logo", L"SKINPNG", 0));
  EXPECT_FALSE(images.LoadAndKeepImage(L"70002", L"SKINPNG", 0));  // no such resource id
  EXPECT_FALSE(images.LoadAndKeepImage(L"2003", L"SKINPNG", 0));
  images.ClearImages();
  EXPECT_EQ(0, images.ImageCount());
}

TEST(WindowResources, WindowSettingsActOnTheNativeWindow) {
  CHarnessWindow window(200, 100);
  CWindowManagerUI& settings = window.Manager();
  settings.SetInitialSize(320, 180);
  RECT client = {};
  GetClientRect(window.GetHWND(), &client);
  EXPECT_EQ(320, client.right);
  EXPECT_EQ(180, client.bottom);

  settings.SetMinTrackSize(300, 0);
  settings.SetMaxTrackSize(0, 500);
  MINMAXINFO info = {};
  info.ptMinTrackSize = {1, 2};
  info.ptMaxTrackSize = {3, 4};
  window.Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(300, info.ptMinTrackSize.x);
  EXPECT_EQ(2, info.ptMinTrackSize.y);
  EXPECT_EQ(3, info.ptMaxTrackSize.x);
  EXPECT_EQ(500, info.ptMaxTrackSize.y);

  settings.SetWindowOpacity(230);
  EXPECT_NE(0, GetWindowLongPtrW(window.GetHWND(), GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(window.GetHWND(), nullptr, &alpha, &flags));
  EXPECT_EQ(230, alpha);
  EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
  settings.SetWindowOpacity(300);
  EXPECT_EQ(255, settings.WindowOpacity());
  EXPECT_EQ(0, GetWindowLongPtrW(window.GetHWND(), GWL_EXSTYLE) & WS_EX_LAYERED);
  settings.SetWindowOpacity(-4);
  EXPECT_EQ(0, settings.WindowOpacity());

  // Once a tree is installed the skin's size no longer moves the window.
  settings.SetRootControl(new CControlUI);
  settings.SetInitialSize(100, 50);
  GetClientRect(window.GetHWND(), &client);
  EXPECT_EQ(320, client.right);
  EXPECT_EQ(100, settings.InitialSize().cx);
}

CControlUI* MakeGauge(const wchar_t* name) {
  return lstrcmpW(name, L"Gauge") == 0 ? new CControlUI : nullptr;
}

TEST(WindowResources, ProcessWideSettingsStartNeutral) {
  const TColorShift shift = ProcessColorShift();
  EXPECT_EQ(180, shift.hue);
  EXPECT_EQ(100, shift.saturation);
  EXPECT_EQ(100, shift.lightness);
  CWindowManagerUI manager;
  EXPECT_EQ(180, manager.Resources().GlobalColorShift().hue);

  EXPECT_EQ(nullptr, CreateControlFromPlugins(L"Gauge"));
  ControlFactoryPlugins().push_back(MakeGauge);
  CControlUI* made = CreateControlFromPlugins(L"Gauge");
  EXPECT_NE(nullptr, made);
  EXPECT_EQ(nullptr, CreateControlFromPlugins(L"Dial"));
  delete made;
  ControlFactoryPlugins().clear();
}

}  // namespace
}  // namespace SkinUITest

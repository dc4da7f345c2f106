// The program's own resources, embedded in this test program through the same
// resource script as the product: the packed skin, its markup and images, the
// welcome text, the icon and the manifest.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/markup/skin_xml.h"
#include "ui/markup/zip_archive.h"
#include "ui/render/image_decoder.h"
#include "ui/render/scaled_image.h"

namespace SkinUITest {
namespace {

using SkinUI::CSkinXmlNode;
using Bytes = std::vector<unsigned char>;
const std::wstring kAbsent = L"(absent)";

Bytes ResourceBytes(const wchar_t* type, int id) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
  return data == nullptr ? Bytes() : Bytes(data, data + SizeofResource(nullptr, found));
}

std::wstring Attr(CSkinXmlNode node, const wchar_t* name) {
  for (int i = 0; i < node.GetAttributeCount(); ++i) {
    if (wcscmp(node.GetAttributeName(i), name) == 0) return node.GetAttributeValue(i);
  }
  return kAbsent;
}

// Direct children of node, or with deep, every element below it in document order.
std::vector<CSkinXmlNode> Elements(const CSkinXmlNode& node, const wchar_t* name,
                                   bool deep = false) {
  std::vector<CSkinXmlNode> found;
  for (CSkinXmlNode n = node.GetFirstChild(); n.IsValid(); n = n.GetNextSibling()) {
    if (name == nullptr || wcscmp(n.GetName(), name) == 0) found.push_back(n);
    if (!deep) continue;
    for (const CSkinXmlNode& below : Elements(n, name, true)) found.push_back(below);
  }
  return found;
}

// The names of a class default list: name="value" pairs joined by exactly
// one space, as controls parse them; anything else ends the list early.
std::vector<std::wstring> ListNames(const std::wstring& list) {
  std::vector<std::wstring> names;
  for (size_t at = 0; at < list.size();) {
    const size_t eq = list.find(L"=\"", at);
    const size_t close = eq == std::wstring::npos ? eq : list.find(L'"', eq + 2);
    if (close == std::wstring::npos) break;
    names.push_back(list.substr(at, eq - at));
    if (close + 1 < list.size() && list[close + 1] != L' ') break;
    at = close + 2;
  }
  return names;
}

DWORD AlphaAt(const SkinUI::ImageRecord& image, int x, int y) {
  DIBSECTION dib = {};
  GetObjectW(image.bitmap.get(), sizeof(dib), &dib);
  return static_cast<const DWORD*>(dib.dsBm.bmBits)[y * image.width + x] >> 24;
}

// The archive opened straight from resource 103 "SkinPackges", as the program
// opens it, and its markup parsed with the framework's parser.
class MainSkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(103), L"SkinPackges");
    ASSERT_NE(nullptr, found);
    ASSERT_TRUE(zip_.OpenArchive(LockResource(LoadResource(nullptr, found)),
                                 SizeofResource(nullptr, found), SkinUI::ZipSource::Memory));
    markup_ = Read(L"MainSkin.xml");
    ASSERT_TRUE(xml_.LoadBytes(markup_.data(), static_cast<DWORD>(markup_.size())))
        << xml_.GetLastErrorMessage();
    root_ = xml_.GetRoot();
    ASSERT_EQ(1u, Elements(root_, L"Container").size());
    container_ = Elements(root_, L"Container")[0];
  }

  // Exact spelling: entry names are lookup keys.
  Bytes Read(const wchar_t* name) {
    SkinUI::TZipEntry entry;
    if (!zip_.FindEntry(name, false, entry) || entry.uncompressedSize == 0) return {};
    Bytes bytes(entry.uncompressedSize);
    const auto result = zip_.ReadEntry(entry.index, bytes.data(), entry.uncompressedSize);
    return result == SkinUI::ZipReadResult::Failed ? Bytes() : bytes;
  }

  SkinUI::CZipArchive zip_;
  Bytes markup_;
  SkinUI::CSkinXml xml_;
  CSkinXmlNode root_, container_;
};

TEST_F(MainSkinTest, WindowFontsAndScrollBarDefaultsAreDeclaredInOrder) {
  const std::string text(markup_.begin(), markup_.end());
  EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"utf-8\""));
  EXPECT_STREQ(L"Window", root_.GetName());
  EXPECT_EQ(L"650,400", Attr(root_, L"size"));
  EXPECT_EQ(L"0,0,572,35", Attr(root_, L"caption"));
  EXPECT_EQ(L"5,6", Attr(root_, L"roundcorner"));

  const std::pair<const wchar_t*, const wchar_t*> fonts[] = {
      {L"19", L"true"}, {L"13", L"false"}, {L"16", L"true"}, {L"24", L"true"}, {L"12", L"true"}};
  const auto fontNodes = Elements(root_, L"Font");
  ASSERT_EQ(5u, fontNodes.size());
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(L"Tahoma", Attr(fontNodes[i], L"name"));
    EXPECT_EQ(fonts[i].first, Attr(fontNodes[i], L"size")) << i;
    EXPECT_EQ(fonts[i].second, Attr(fontNodes[i], L"bold")) << i;
    EXPECT_EQ(L"false", Attr(fontNodes[i], L"italic")) << i;
  }

  // Four images for each of button 1, button 2, thumb and background, then
  // the two "showbutton" flags; the tab reference stays undecoded, so the
  // first image is drawn whole.
  const auto defaults = Elements(root_, L"Default");
  ASSERT_EQ(2u, defaults.size());
  for (const wchar_t* bar : {L"VScrollBar", L"HScrollBar"}) {
    const CSkinXmlNode node = defaults[bar[0] == L'V' ? 0 : 1];
    EXPECT_EQ(bar, Attr(node, L"name"));
    const std::vector<std::wstring> names = ListNames(Attr(node, L"value"));
    ASSERT_EQ(18u, names.size()) << bar;
    EXPECT_EQ(L"button1normalimage", names[0]);
    EXPECT_EQ(L"bkdisabledimage", names[15]);
    EXPECT_EQ(L"showbutton2", names[17]);
  }
  EXPECT_EQ(0u, Attr(defaults[0], L"value")
                    .find(L"button1normalimage=\"file='vscroll.png'&#x09;source='0,0,13,13'\" "));
}

// "group" before "selected": joining first is what switches the other member off.
TEST_F(MainSkinTest, TheRestartOptionsJoinTheirGroupBeforeOneIsSelected) {
  std::map<std::wstring, CSkinXmlNode> named;
  for (CSkinXmlNode n : Elements(container_, nullptr, true)) named[Attr(n, L"name")] = n;
  CSkinXmlNode later = named[L"Option_RestartLater"];
  CSkinXmlNode now = named[L"Option_RestartNow"];
  EXPECT_EQ(L"restart", Attr(later, L"group"));
  EXPECT_EQ(kAbsent, Attr(later, L"selected"));
  EXPECT_EQ(L"restart", Attr(now, L"group"));
  EXPECT_EQ(L"true", Attr(now, L"selected"));
  std::wstring order;
  for (int i = 0; i < now.GetAttributeCount(); ++i)
    order += now.GetAttributeName(i) + std::wstring(L" ");
  EXPECT_LT(order.find(L" group "), order.find(L" selected "));
}

TEST_F(MainSkinTest, EveryImageDecodesToItsSizeWithItsPartsWhereTheSkinReadsThem) {
  const struct {
    const wchar_t* name;
    int width, height;
  } images[] = {
      {L"bg.png", 650, 400},        {L"bg_bottom.png", 650, 130},
      {L"btn_min.png", 38, 40},     {L"btn_close.png", 38, 40},
      {L"pach_button.png", 90, 87}, {L"Progress_2.png", 573, 26},
      {L"Progress_1.png", 573, 26}, {L"Runing_Procress.png", 84, 22},
      {L"head_bk.png", 633, 24},    {L"head_fg.png", 1, 23},
      {L"Check_Box.png", 18, 45},   {L"checked.png", 18, 15},
      {L"uncheck.png", 18, 15},     {L"RadioButton.png", 18, 45},
      {L"vscroll.png", 16, 52},     {L"vscroll-2.png", 600, 16},
      {L"PatchOK.png", 106, 106},   {L"unsucessed.png", 106, 106},
      {L"logo.png", 152, 30},       {L"pic1.png", 30, 32},
      {L"pic2.png", 30, 32},        {L"pic3.png", 30, 32},
      {L"ico.png", 616, 722},       {L"scrollbar.png", 16, 52},
  };
  // Each image is drawn for three scales; the markup is the one more entry.
  EXPECT_EQ(3 * static_cast<int>(std::size(images)) + 1, zip_.GetEntryCount());
  std::map<std::wstring, std::unique_ptr<SkinUI::ImageRecord>> decoded;
  for (const auto& expected : images) {
    const Bytes bytes = Read(expected.name);
    auto image = SkinUI::DecodeBitmapImage(bytes.data(), bytes.size(), 0xFFFF00FF);
    ASSERT_TRUE(image) << expected.name;
    EXPECT_EQ(expected.width, image->width) << expected.name;
    EXPECT_EQ(expected.height, image->height) << expected.name;
    decoded[expected.name] = std::move(image);
    for (const SkinUI::TImageVariant& variant : SkinUI::kImageVariants) {
      const SkinUI::CWideStringUI name = SkinUI::ImageVariantName(expected.name, variant.suffix);
      const Bytes drawn = Read(name);
      auto scaled = SkinUI::DecodeBitmapImage(drawn.data(), drawn.size(), 0xFFFF00FF);
      ASSERT_TRUE(scaled) << name.GetData();
      const SkinUI::CDpiScaleUI scale(variant.dpi);
      EXPECT_EQ(scale.ToDevice(expected.width), scaled->width) << name.GetData();
      EXPECT_EQ(scale.ToDevice(expected.height), scaled->height) << name.GetData();
    }
  }
  // Alpha after the magenta mask: 0xFF drawn, 0 see-through.
  const struct {
    const wchar_t* name;
    int x, y;
    DWORD alpha;
  } pixels[] = {
      {L"pach_button.png", 45, 14, 0xFF}, {L"pach_button.png", 45, 43, 0xFF},  // normal, pushed
      {L"pach_button.png", 45, 72, 0xFF}, {L"btn_min.png", 37, 39, 0xFF},  // disabled, opaque hover
      {L"Check_Box.png", 6, 8, 0xFF},     {L"Check_Box.png", 6, 23, 0xFF},    // clear, checked
      {L"RadioButton.png", 7, 7, 0xFF},   {L"RadioButton.png", 7, 22, 0xFF},  // selected, clear
      {L"RadioButton.png", 7, 15, 0},     {L"RadioButton.png", 15, 7, 0},     // 16 x 16 stays clean
      {L"vscroll.png", 0, 0, 0},          {L"vscroll.png", 8, 19, 0xFF},      // masked, thumb
      {L"vscroll.png", 1, 45, 0xFF},      {L"vscroll-2.png", 300, 0, 0},      // rail, masked
      {L"vscroll-2.png", 300, 8, 0xFF},   {L"vscroll-2.png", 593, 1, 0xFF},   // thumb, rail
  };
  for (const auto& p : pixels) {
    EXPECT_EQ(p.alpha, AlphaAt(*decoded[p.name], p.x, p.y)) << p.name << " " << p.x << "," << p.y;
  }
}

TEST(ProgramResourcesTest, WelcomeTextIconAndManifestAreEmbedded) {
  wchar_t text[1024] = {};
  EXPECT_GT(LoadStringW(GetModuleHandleW(nullptr), 102, text, 1024), 0);
  EXPECT_STREQ(
      L"\r\rEasily keeps your PC safer and running smoothly by updating the latest\r\r"
      L"vulnerability and performance improvements released by Microsoft.",
      text);

  EXPECT_NE(nullptr, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102)));
  const Bytes group = ResourceBytes(RT_GROUP_ICON, 102);  // 6-byte header, 14 bytes per size
  ASSERT_GE(group.size(), 6u);
  std::set<int> sizes;
  for (size_t at = 6; at + 14 <= group.size(); at += 14)
    sizes.insert(group[at] == 0 ? 256 : group[at]);
  EXPECT_EQ((std::set<int>{16, 24, 32, 48, 256}), sizes);

  const Bytes manifest = ResourceBytes(RT_MANIFEST, 1);
  const std::string manifestText(manifest.begin(), manifest.end());
  EXPECT_NE(std::string::npos, manifestText.find("level=\"requireAdministrator\""));
  EXPECT_NE(std::string::npos,
            manifestText.find("\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
  const Bytes version = ResourceBytes(RT_VERSION, 1);
  const std::wstring versionText(reinterpret_cast<const wchar_t*>(version.data()),
                                 version.size() / 2);
  EXPECT_NE(std::wstring::npos, versionText.find(L"Patchwell"));
  EXPECT_NE(std::wstring::npos, versionText.find(L"1.0.1"));
}

TEST(ProgramResourcesTest, ManifestDeclaresPerMonitorScalingAndEveryWindowsItRunsOn) {
  const Bytes manifest = ResourceBytes(RT_MANIFEST, 1);
  const std::string text(manifest.begin(), manifest.end());
  EXPECT_NE(std::string::npos, text.find(">PerMonitorV2, PerMonitor</dpiAwareness>"));
  EXPECT_NE(std::string::npos, text.find(">true/pm</dpiAware>"));
  for (const char* id : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",     // 7
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",     // 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",     // 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {  // 10 and 11
    EXPECT_NE(std::string::npos, text.find(std::string("<supportedOS Id=\"") + id + "\"")) << id;
  }
}

}  // namespace
}  // namespace SkinUITest

// The program's own resources, embedded in this test program through the same
// resource script as the product: the packed skin archive, its markup and
// images, the welcome text, the icon, the manifest and the version.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/markup/skin_xml.h"
#include "ui/markup/zip_archive.h"
#include "ui/render/image_decoder.h"

namespace SkinUITest {
namespace {

using SkinUI::CSkinXml;
using SkinUI::CSkinXmlNode;
using SkinUI::CZipArchive;
using SkinUI::TZipEntry;
using Bytes = std::vector<unsigned char>;

constexpr DWORD kMaskColor = 0xFFFF00FF;

Bytes ResourceBytes(const wchar_t* type, int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return {};
  const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
  return data == nullptr ? Bytes() : Bytes(data, data + SizeofResource(module, found));
}

// The skin archive straight from the resource block, as the program opens it.
class EmbeddedSkin {
 public:
  EmbeddedSkin() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(103), L"SkinPackges");
    if (found == nullptr) return;
    const void* data = LockResource(LoadResource(module, found));
    opened_ = zip_.OpenArchive(data, SizeofResource(module, found), SkinUI::ZipSource::Memory);
  }
  bool IsOpen() const { return opened_; }
  CZipArchive& Zip() { return zip_; }
  // Exact spelling: the names are lookup keys.
  Bytes Read(const wchar_t* name) {
    TZipEntry entry;
    if (!zip_.FindEntry(name, false, entry) || entry.uncompressedSize == 0) return {};
    Bytes bytes(entry.uncompressedSize);
    const auto result = zip_.ReadEntry(entry.index, bytes.data(), entry.uncompressedSize);
    return result == SkinUI::ZipReadResult::Failed ? Bytes() : bytes;
  }

 private:
  CZipArchive zip_;
  bool opened_ = false;
};

std::wstring Attr(CSkinXmlNode node, const wchar_t* name) {
  for (int i = 0; i < node.GetAttributeCount(); ++i) {
    if (wcscmp(node.GetAttributeName(i), name) == 0) return node.GetAttributeValue(i);
  }
  return L"\x1F(absent)";
}

std::vector<CSkinXmlNode> Children(const CSkinXmlNode& parent, const wchar_t* name = nullptr) {
  std::vector<CSkinXmlNode> nodes;
  for (CSkinXmlNode n = parent.GetFirstChild(); n.IsValid(); n = n.GetNextSibling()) {
    if (name == nullptr || wcscmp(n.GetName(), name) == 0) nodes.push_back(n);
  }
  return nodes;
}

// Every element below node, in document order.
void Descendants(const CSkinXmlNode& node, std::vector<CSkinXmlNode>& out) {
  for (const CSkinXmlNode& child : Children(node)) {
    out.push_back(child);
    Descendants(child, out);
  }
}

// An attribute list in the form class defaults use: name="value", pairs
// separated by exactly one space. Anything else ends the list early.
std::vector<std::pair<std::wstring, std::wstring>> AttributeList(const std::wstring& text) {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  size_t at = 0;
  while (at < text.size()) {
    const size_t eq = text.find(L"=\"", at);
    const size_t close = eq == std::wstring::npos ? eq : text.find(L'"', eq + 2);
    if (close == std::wstring::npos) break;
    pairs.emplace_back(text.substr(at, eq - at), text.substr(eq + 2, close - eq - 2));
    if (close + 1 < text.size() && text[close + 1] != L' ') break;
    at = close + 2;
  }
  return pairs;
}

// The fixed pixel position (from "pos", then "width" and "height", in the
// order written, as the controls apply them) and the size of a control.
struct Placement {
  int x = -1, y = -1, width = 0, height = 0;
};

Placement PlacementOf(CSkinXmlNode node) {
  Placement p;
  for (int i = 0; i < node.GetAttributeCount(); ++i) {
    const std::wstring name = node.GetAttributeName(i);
    const wchar_t* value = node.GetAttributeValue(i);
    if (name == L"pos") {
      int l = 0, t = 0, r = 0, b = 0;
      swscanf(value, L"%d,%d,%d,%d", &l, &t, &r, &b);
      p.x = l;
      p.y = t;
      if (r - l >= 0) p.width = r - l;
      if (b - t >= 0) p.height = b - t;
    } else if (name == L"width") {
      p.width = _wtoi(value);
    } else if (name == L"height") {
      p.height = _wtoi(value);
    }
  }
  return p;
}

class MainSkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(skin_.IsOpen());
    markup_ = skin_.Read(L"MainSkin.xml");
    ASSERT_FALSE(markup_.empty());
    ASSERT_TRUE(xml_.LoadBytes(markup_.data(), static_cast<DWORD>(markup_.size())))
        << xml_.GetLastErrorMessage() << " at " << xml_.GetLastErrorLocation();
    root_ = xml_.GetRoot();
    const auto containers = Children(root_, L"Container");
    ASSERT_EQ(1u, containers.size());
    container_ = containers[0];
  }

  EmbeddedSkin skin_;
  Bytes markup_;
  CSkinXml xml_;
  CSkinXmlNode root_;
  CSkinXmlNode container_;
};

TEST_F(MainSkinTest, MarkupIsUtf8WithDeclarationAndKeepsTheTabReferenceByteForByte) {
  const std::string text(markup_.begin(), markup_.end());
  EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"utf-8\""));
  EXPECT_NE(std::string::npos, text.find("file='vscroll.png'&#x09;source='0,0,13,13'"));
}

TEST_F(MainSkinTest, WindowFontsAndClassDefaultsAreDeclaredInOrder) {
  EXPECT_STREQ(L"Window", root_.GetName());
  EXPECT_EQ(L"650,400", Attr(root_, L"size"));
  EXPECT_EQ(L"0,0,572,35", Attr(root_, L"caption"));
  EXPECT_EQ(L"5,6", Attr(root_, L"roundcorner"));

  const struct {
    const wchar_t* size;
    const wchar_t* bold;
  } fonts[] = {
      {L"19", L"true"}, {L"13", L"false"}, {L"16", L"true"}, {L"24", L"true"}, {L"12", L"true"}};
  const auto fontNodes = Children(root_, L"Font");
  ASSERT_EQ(5u, fontNodes.size());
  for (size_t i = 0; i < fontNodes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(L"Tahoma", Attr(fontNodes[i], L"name"));
    EXPECT_EQ(fonts[i].size, Attr(fontNodes[i], L"size"));
    EXPECT_EQ(fonts[i].bold, Attr(fontNodes[i], L"bold"));
    EXPECT_EQ(L"false", Attr(fontNodes[i], L"italic"));
  }

  const auto defaults = Children(root_, L"Default");
  ASSERT_EQ(2u, defaults.size());
  EXPECT_EQ(L"VScrollBar", Attr(defaults[0], L"name"));
  EXPECT_EQ(L"HScrollBar", Attr(defaults[1], L"name"));
}

TEST_F(MainSkinTest, ScrollBarDefaultsNameEveryPartWithItsSourceAndMask) {
  struct Part {
    const wchar_t* prefix;
    const wchar_t* normalSource;
    const wchar_t* otherSource;
    bool corner;
  };
  const struct {
    const wchar_t* file;
    std::vector<Part> parts;
  } bars[] = {
      {L"vscroll.png",
       {{L"button1", L"0,0,13,13", L"0,0,13,13", false},
        {L"button2", L"0,13,13,26", L"0,13,13,26", false},
        {L"thumb", L"0,0,16,38", L"0,0,16,38", true},
        {L"bk", L"0,38,16,52", L"0,39,13,52", true}}},
      {L"vscroll-2.png",
       {{L"button1", L"0,0,13,13", L"0,0,13,13", false},
        {L"button2", L"0,13,13,26", L"0,13,13,26", false},
        {L"thumb", L"0,0,587,16", L"0,0,587,16", true},
        {L"bk", L"587,0,600,16", L"587,0,600,16", true}}},
  };
  const auto defaults = Children(root_, L"Default");
  ASSERT_EQ(2u, defaults.size());
  for (int bar = 0; bar < 2; ++bar) {
    const auto list = AttributeList(Attr(defaults[bar], L"value"));
    std::map<std::wstring, std::wstring> values(list.begin(), list.end());
    ASSERT_EQ(18u, list.size()) << "bar " << bar;
    EXPECT_EQ(L"false", values[L"showbutton1"]);
    EXPECT_EQ(L"false", values[L"showbutton2"]);
    const std::wstring file = std::wstring(L"file='") + bars[bar].file + L"'";
    for (const Part& part : bars[bar].parts) {
      for (const wchar_t* state : {L"normal", L"hot", L"pushed", L"disabled"}) {
        const std::wstring name = std::wstring(part.prefix) + state + L"image";
        const bool normal = wcscmp(state, L"normal") == 0;
        std::wstring expected =
            file + L" source='" + (normal ? part.normalSource : part.otherSource) + L"'";
        if (part.corner) expected += L" corner='2,2,2,2'";
        if (!(normal && name == L"button1normalimage")) expected += L" mask='#FFFF00FF'";
        if (bar == 0 && name == L"button1normalimage") {
          expected = file + L"&#x09;source='0,0,13,13'";  // drawn whole: the parse stops there
        }
        EXPECT_EQ(expected, values[name]) << name;
      }
    }
  }
}

TEST_F(MainSkinTest, ContainerHoldsTheTwentyThreeNamedControlsInDocumentOrder) {
  EXPECT_EQ(L"650", Attr(container_, L"width"));
  EXPECT_EQ(L"383", Attr(container_, L"height"));
  EXPECT_EQ(L"bg.png", Attr(container_, L"bkimage"));
  EXPECT_EQ(23u, Children(container_).size());

  const struct {
    const wchar_t* kind;
    const wchar_t* name;
    Placement at;
    bool hidden;
  } expected[] = {
      {L"Button", L"BtnMiniSize", {575, 0, 38, 20}, false},
      {L"Button", L"BtnClose", {613, 0, 37, 20}, false},
      {L"Control", L"Control_Bottom", {2, 216, 650, 130}, false},
      {L"Label", L"LabelTitle", {3, 0, 521, 38}, false},
      {L"Text", L"Text_Msg", {0, 0, 493, 100}, false},
      {L"Button", L"Btn_Scan", {439, 353, 89, 30}, false},  // reads "Scan"
      {L"Button", L"Btn_Close", {552, 353, 89, 30}, false},
      {L"Progress", L"Progress_Action", {49, 129, 573, 26}, true},
      {L"Control", L"Control_Icon", {48, 122, 106, 106}, true},
      {L"List", L"List_Holes", {12, 51, 630, 151}, false},
      {L"Option", L"Check_All", {17, 58, 18, 14}, false},
      {L"Text", L"Text_Result1", {161, 126, 445, 29}, true},
      {L"Text", L"Text_Result2", {162, 158, 439, 56}, true},
      {L"Label", L"Label_State", {47, 92, 561, 30}, false},
      {L"Button", L"Btn_Website", {16, 352, 150, 30}, false},
      {L"Control", L"Control_PIC1", {97, 77, 30, 32}, false},
      {L"Control", L"Control_PIC2", {97, 113, 30, 32}, false},
      {L"Control", L"Control_PIC3", {97, 150, 30, 32}, false},
      {L"Text", L"Text_1", {133, 81, 445, 25}, false},
      {L"Text", L"Text_3", {133, 152, 445, 25}, false},
      {L"Text", L"Text_2", {133, 119, 445, 25}, false},
      {L"Option", L"Option_RestartLater", {164, 250, 141, 16}, true},
      {L"Option", L"Option_RestartNow", {311, 250, 123, 16}, true},
  };
  std::vector<CSkinXmlNode> all;
  Descendants(container_, all);
  std::vector<CSkinXmlNode> named;
  std::copy_if(all.begin(), all.end(), std::back_inserter(named), [](CSkinXmlNode n) {
    return n.GetAttributeCount() > 0 && Attr(n, L"name")[0] != L'\x1F';
  });
  ASSERT_EQ(std::size(expected), named.size());
  for (size_t i = 0; i < named.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(expected[i].kind, named[i].GetName());
    EXPECT_EQ(expected[i].name, Attr(named[i], L"name"));
    const Placement at = PlacementOf(named[i]);
    EXPECT_EQ(expected[i].at.x, at.x);
    EXPECT_EQ(expected[i].at.y, at.y);
    EXPECT_EQ(expected[i].at.width, at.width);
    EXPECT_EQ(expected[i].at.height, at.height);
    EXPECT_EQ(L"true", Attr(named[i], L"float"));
    EXPECT_EQ(L"99999", Attr(named[i], L"maxwidth"));
    EXPECT_EQ(L"99999", Attr(named[i], L"maxheight"));
    EXPECT_EQ(expected[i].hidden ? L"false" : L"\x1F(absent)", Attr(named[i], L"visible"));
  }
  EXPECT_EQ(L"Scan", Attr(named[5], L"text"));
}

TEST_F(MainSkinTest, RestartNowStartsSelectedAndAloneInItsGroup) {
  std::vector<CSkinXmlNode> all;
  Descendants(container_, all);
  std::map<std::wstring, std::vector<std::wstring>> order;  // attribute names per option
  for (CSkinXmlNode n : all) {
    if (wcscmp(n.GetName(), L"Option") != 0) continue;
    for (int i = 0; i < n.GetAttributeCount(); ++i)
      order[Attr(n, L"name")].push_back(n.GetAttributeName(i));
    if (Attr(n, L"group") == L"restart") {
      EXPECT_EQ(Attr(n, L"name") == L"Option_RestartNow" ? L"true" : L"\x1F(absent)",
                Attr(n, L"selected"));
    }
  }
  // Joining the group first is what switches the other member off.
  const auto& now = order[L"Option_RestartNow"];
  const auto group = std::find(now.begin(), now.end(), L"group");
  ASSERT_NE(now.end(), group);
  EXPECT_LT(group, std::find(now.begin(), now.end(), L"selected"));
  EXPECT_EQ(1u, std::count(order[L"Option_RestartLater"].begin(),
                           order[L"Option_RestartLater"].end(), L"group"));
}

// Every image the markup names, in any attribute or class default, is an entry
// of the archive; only the images the program names in code (check cells, scan
// piece, failure mark) and the two unused ones are not named in the markup.
TEST_F(MainSkinTest, EveryImageTheMarkupNamesIsInTheArchive) {
  std::vector<CSkinXmlNode> all(Children(root_, L"Default"));
  all.push_back(container_);
  Descendants(container_, all);
  std::set<std::wstring> named;
  for (CSkinXmlNode n : all) {
    for (int i = 0; i < n.GetAttributeCount(); ++i) {
      const std::wstring value = n.GetAttributeValue(i);
      if (value.size() > 4 && value.find(L'=') == std::wstring::npos &&
          value.compare(value.size() - 4, 4, L".png") == 0) {
        named.insert(value);
      }
      for (size_t at = value.find(L"file='"); at != std::wstring::npos;
           at = value.find(L"file='", at + 1)) {
        named.insert(value.substr(at + 6, value.find(L'\'', at + 6) - at - 6));
      }
    }
  }
  std::set<std::wstring> entries;
  for (int i = 0; i < skin_.Zip().GetEntryCount(); ++i) {
    TZipEntry entry;
    ASSERT_TRUE(skin_.Zip().GetEntry(i, entry));
    entries.insert(entry.name);
  }
  std::set<std::wstring> unnamed;
  for (const std::wstring& name : named) EXPECT_EQ(1u, entries.count(name)) << name;
  for (const std::wstring& entry : entries) {
    if (named.count(entry) == 0) unnamed.insert(entry);
  }
  const std::set<std::wstring> expected = {L"MainSkin.xml", L"Runing_Procress.png", L"checked.png",
                                           L"uncheck.png",  L"unsucessed.png",      L"ico.png",
                                           L"scrollbar.png"};
  EXPECT_EQ(expected, unnamed);
}

DWORD PixelAt(const SkinUI::ImageRecord& image, int x, int y) {
  DIBSECTION dib = {};
  if (GetObjectW(image.bitmap.get(), sizeof(dib), &dib) != sizeof(dib)) return 0xDEADBEEF;
  return static_cast<const DWORD*>(dib.dsBm.bmBits)[y * image.width + x];
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
  EXPECT_EQ(static_cast<int>(std::size(images)) + 1, skin_.Zip().GetEntryCount());
  std::map<std::wstring, std::unique_ptr<SkinUI::ImageRecord>> decoded;
  for (const auto& expected : images) {
    const Bytes bytes = skin_.Read(expected.name);
    auto image = SkinUI::DecodeBitmapImage(bytes.data(), bytes.size(), kMaskColor);
    ASSERT_TRUE(image) << expected.name;
    EXPECT_EQ(expected.width, image->width) << expected.name;
    EXPECT_EQ(expected.height, image->height) << expected.name;
    decoded[expected.name] = std::move(image);
  }

  // Alpha of single pixels after the mask: 0xFF drawn, 0 see-through.
  const struct {
    const wchar_t* name;
    int x, y;
    DWORD alpha;
  } pixels[] = {
      {L"pach_button.png", 45, 14, 0xFF},
      {L"pach_button.png", 45, 43, 0xFF},  // normal, pushed
      {L"pach_button.png", 45, 72, 0xFF},
      {L"pach_button.png", 89, 14, 0},  // disabled, free edge
      {L"btn_min.png", 0, 0, 0xFF},
      {L"btn_min.png", 37, 39, 0xFF},  // opaque over the band
      {L"btn_close.png", 0, 0, 0xFF},
      {L"btn_close.png", 33, 39, 0xFF},  //
      {L"Check_Box.png", 6, 8, 0xFF},
      {L"Check_Box.png", 6, 23, 0xFF},  // clear, checked
      {L"RadioButton.png", 7, 7, 0xFF},
      {L"RadioButton.png", 7, 22, 0xFF},  // selected, clear
      {L"RadioButton.png", 7, 15, 0},
      {L"RadioButton.png", 15, 7, 0},  // 16 x 16 stays clean
      {L"vscroll.png", 0, 0, 0},
      {L"vscroll.png", 8, 19, 0xFF},  // masked, thumb
      {L"vscroll.png", 1, 45, 0xFF},
      {L"vscroll-2.png", 300, 0, 0},  // rail, masked
      {L"vscroll-2.png", 300, 8, 0xFF},
      {L"vscroll-2.png", 593, 1, 0xFF},  // thumb, rail
      {L"Progress_1.png", 286, 13, 0xFF},
      {L"checked.png", 6, 7, 0xFF},  //
      {L"bg.png", 0, 0, 0xFF},
      {L"bg.png", 649, 399, 0xFF},  // opaque background
  };
  for (const auto& p : pixels) {
    EXPECT_EQ(p.alpha, PixelAt(*decoded[p.name], p.x, p.y) >> 24)
        << p.name << " " << p.x << "," << p.y;
  }

  // White title text needs a dark band; the body under it stays light.
  const DWORD band = PixelAt(*decoded[L"bg.png"], 300, 18);
  const DWORD body = PixelAt(*decoded[L"bg.png"], 300, 200);
  EXPECT_LT(std::max({band >> 16 & 0xFF, band >> 8 & 0xFF, band & 0xFF}), 0xC8u);
  EXPECT_GT(std::min({body >> 16 & 0xFF, body >> 8 & 0xFF, body & 0xFF}), 0xE0u);
  // Green for success, red for failure, away from the white glyph.
  const DWORD ok = PixelAt(*decoded[L"PatchOK.png"], 53, 20);
  const DWORD failed = PixelAt(*decoded[L"unsucessed.png"], 53, 20);
  EXPECT_GT(ok >> 8 & 0xFF, ok >> 16 & 0xFF);
  EXPECT_GT(failed >> 16 & 0xFF, failed >> 8 & 0xFF);
}

TEST(ProgramResourcesTest, WelcomeTextIconManifestAndVersionAreEmbedded) {
  HMODULE module = GetModuleHandleW(nullptr);
  wchar_t text[1024] = {};
  EXPECT_GT(LoadStringW(module, 102, text, 1024), 0);
  EXPECT_STREQ(
      L"\r\rEasily keeps your PC safer and running smoothly by updating the latest\r\r"
      L"vulnerability and performance improvements released by Microsoft.",
      text);

  EXPECT_NE(nullptr, LoadIconW(module, MAKEINTRESOURCEW(102)));
  const Bytes group = ResourceBytes(RT_GROUP_ICON, 102);
  ASSERT_GE(group.size(), 6u);
  std::set<int> sizes;
  const int count = group[4] | group[5] << 8;
  ASSERT_EQ(6u + 14u * count, group.size());
  for (int i = 0; i < count; ++i) sizes.insert(group[6 + 14 * i] == 0 ? 256 : group[6 + 14 * i]);
  EXPECT_EQ((std::set<int>{16, 24, 32, 48, 256}), sizes);

  const Bytes manifest = ResourceBytes(RT_MANIFEST, 1);
  const std::string manifestText(manifest.begin(), manifest.end());
  EXPECT_NE(std::string::npos, manifestText.find("level=\"requireAdministrator\""));
  EXPECT_NE(std::string::npos,
            manifestText.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));

  const Bytes version = ResourceBytes(RT_VERSION, 1);
  const std::wstring versionText(reinterpret_cast<const wchar_t*>(version.data()),
                                 version.size() / 2);
  const size_t product = versionText.find(L"ProductName");
  ASSERT_NE(std::wstring::npos, product);
  EXPECT_NE(std::wstring::npos, versionText.find(L"Patchwell", product));
  const unsigned char signature[] = {0xBD, 0x04, 0xEF, 0xFE};  // VS_FIXEDFILEINFO, little-endian
  const auto fixed =
      std::search(version.begin(), version.end(), std::begin(signature), std::end(signature));
  ASSERT_LE(fixed + sizeof(VS_FIXEDFILEINFO), version.end());
  VS_FIXEDFILEINFO info;
  memcpy(&info, &*fixed, sizeof(info));
  EXPECT_EQ(0x00010000u, info.dwFileVersionMS);
  EXPECT_EQ(0x00010000u, info.dwFileVersionLS);
  EXPECT_EQ(0x00010000u, info.dwProductVersionMS);
}

}  // namespace
}  // namespace SkinUITest

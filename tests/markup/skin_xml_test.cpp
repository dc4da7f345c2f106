#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup_test_support.h"
#include "ui/markup/skin_xml.h"

using SkinUI::CSkinXml;
using SkinUI::CSkinXmlNode;

namespace {

std::wstring Text(const wchar_t* text) {
  return text ? text : L"<null>";
}

std::wstring Attribute(CSkinXmlNode node, const wchar_t* name) {
  wchar_t value[257] = {};
  if (!node.FindAttributeValue(name, value, 256)) return L"<missing>";
  return value;
}

std::vector<std::wstring> ChildNames(const CSkinXmlNode& node) {
  std::vector<std::wstring> names;
  for (CSkinXmlNode child = node.GetFirstChild(); child.IsValid(); child = child.GetNextSibling()) {
    names.push_back(child.GetName());
  }
  return names;
}

::testing::AssertionResult FailsWith(const wchar_t* markup, const std::wstring& message,
                                     const std::wstring& location) {
  CSkinXml xml;
  if (xml.LoadText(markup)) return ::testing::AssertionFailure() << "parsed";
  if (message != xml.GetLastErrorMessage()) {
    return ::testing::AssertionFailure()
           << "message " << ::testing::PrintToString(std::wstring(xml.GetLastErrorMessage()));
  }
  if (location != xml.GetLastErrorLocation()) {
    return ::testing::AssertionFailure()
           << "location " << ::testing::PrintToString(std::wstring(xml.GetLastErrorLocation()));
  }
  if (xml.GetRoot().IsValid() || xml.GetElementCount() != 0) {
    return ::testing::AssertionFailure() << "document not released";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST(SkinXml, EmptyElementWithBlankBeforeSlashHasItsAttributes) {
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(L"<Font name=\"Tahoma\" size=\"19\" />"));
  CSkinXmlNode font = xml.GetRoot();
  ASSERT_TRUE(font.IsValid());
  EXPECT_EQ(L"Font", Text(font.GetName()));
  EXPECT_FALSE(font.HasChildren());
  ASSERT_EQ(2, font.GetAttributeCount());
  EXPECT_EQ(L"name", Text(font.GetAttributeName(0)));
  EXPECT_EQ(L"Tahoma", Text(font.GetAttributeValue(0)));
  EXPECT_EQ(L"size", Text(font.GetAttributeName(1)));
  EXPECT_EQ(L"19", Text(font.GetAttributeValue(1)));
  EXPECT_EQ(L"", Text(font.GetValue()));
  EXPECT_FALSE(font.GetNextSibling().IsValid());
  EXPECT_EQ(2u, xml.GetElementCount());
}

TEST(SkinXml, SlashRightAfterTheNameOpensAStartTag) {
  CSkinXml xml;
  // The '/' that ends the name is consumed with it, so <Font/> must be closed.
  EXPECT_TRUE(FailsWith(L"<Window><Font/></Window>", L"Unmatched closing tag", L"Window>"));
  ASSERT_TRUE(xml.LoadText(L"<Window><Font/></Font><Font /></Window>"));
  EXPECT_EQ((std::vector<std::wstring>{L"Font", L"Font"}), ChildNames(xml.GetRoot()));
  EXPECT_EQ(0, xml.GetRoot().GetFirstChild().GetAttributeCount());
  // After an attribute the "/>" closes the element as usual.
  ASSERT_TRUE(xml.LoadText(L"<Window><Font name=\"Tahoma\" size=\"19\"/></Window>"));
  CSkinXmlNode font = xml.GetRoot().GetFirstChild();
  EXPECT_EQ(L"Font", Text(font.GetName()));
  EXPECT_EQ(2, font.GetAttributeCount());
  EXPECT_EQ(L"19", Attribute(font, L"size"));
}

TEST(SkinXml, DecodesTheFiveEntitiesAndLeavesEverythingElse) {
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(
      L"<a value=\"a &quot;b&quot;\" tab=\"x&#x09;y\" all=\"&amp;&lt;&gt;&quot;&apos;\" "
      L"odd=\"&unknown; & &amp &ampx;\" tail=\"end&\">text &lt;here&gt; &amp;&amp; more</a>"));
  CSkinXmlNode a = xml.GetRoot();
  ASSERT_EQ(5, a.GetAttributeCount());
  EXPECT_EQ(L"a \"b\"", Attribute(a, L"value"));
  EXPECT_EQ(L"x&#x09;y", Attribute(a, L"tab"));
  EXPECT_EQ(L"&<>\"'", Attribute(a, L"all"));
  EXPECT_EQ(L"&unknown; & &amp &ampx;", Attribute(a, L"odd"));
  EXPECT_EQ(L"end&", Attribute(a, L"tail"));
  EXPECT_EQ(L"text <here> && more", Text(a.GetValue()));
}

TEST(SkinXml, ShortenedValuesKeepTheFollowingAttributesReadable) {
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(
      L"<a first=\"&amp;&amp;&amp;\"second=\"&lt;&lt;\"  third = \"3\">&quot;x&quot;<b "
      L"c=\"&apos;\"/></a>"));
  CSkinXmlNode a = xml.GetRoot();
  ASSERT_EQ(3, a.GetAttributeCount());
  EXPECT_EQ(L"first", Text(a.GetAttributeName(0)));
  EXPECT_EQ(L"&&&", Text(a.GetAttributeValue(0)));
  EXPECT_EQ(L"second", Text(a.GetAttributeName(1)));
  EXPECT_EQ(L"<<", Text(a.GetAttributeValue(1)));
  EXPECT_EQ(L"third", Text(a.GetAttributeName(2)));
  EXPECT_EQ(L"3", Text(a.GetAttributeValue(2)));
  EXPECT_EQ(L"\"x\"", Text(a.GetValue()));
  CSkinXmlNode b = a.GetFirstChild();
  ASSERT_EQ(1, b.GetAttributeCount());
  EXPECT_EQ(L"'", Attribute(b, L"c"));
}

TEST(SkinXml, ReportsEachSyntaxErrorWithItsLocation) {
  EXPECT_TRUE(FailsWith(L"<a v='1' />", L"Expected attribute value", L"'1' />"));
  EXPECT_TRUE(FailsWith(L"<a><b />x</a>", L"Expected start tag", L"x</a>"));
  EXPECT_TRUE(FailsWith(L"<a><b/>x</a>", L"Unmatched closing tag", L"a>"));
  EXPECT_TRUE(FailsWith(L"<a v=\"1\" w />", L"Error while parsing attributes", L"/>"));
  EXPECT_TRUE(FailsWith(L"<a v=\"1 />", L"Error while parsing attribute string", L""));
  EXPECT_TRUE(FailsWith(L"<a v=", L"Expected attribute value", L""));
  EXPECT_TRUE(FailsWith(L"<a v=\"1\"/ >", L"Expected start-tag closing", L"/ >"));
  EXPECT_TRUE(FailsWith(L"<a v=\"1\"", L"Expected start-tag closing", L""));
  EXPECT_TRUE(FailsWith(L"<abc", L"Error parsing element name", L""));
  EXPECT_TRUE(FailsWith(L"<a></b>", L"Unmatched closing tag", L"b>"));
  EXPECT_TRUE(FailsWith(L"<a></ab>", L"Unmatched closing tag", L"b>"));
  EXPECT_TRUE(FailsWith(L"<a></a", L"Unmatched closing tag", L""));
  EXPECT_TRUE(FailsWith(L"text", L"Expected start tag", L"text"));
  EXPECT_TRUE(FailsWith(L"<a />trailing", L"Expected start tag", L"trailing"));
  EXPECT_TRUE(FailsWith(L"<a></a>x", L"Expected start tag", L"x"));
  // '-' and '.' end a name, so what follows reads as an attribute.
  EXPECT_TRUE(FailsWith(L"<my-name />", L"Error while parsing attributes", L"/>"));
  EXPECT_TRUE(FailsWith(L"<a.b />", L"Error while parsing attributes", L"/>"));
}

TEST(SkinXml, KeepsOnlyFortyNineCharactersOfTheErrorLocation) {
  const std::wstring tail(80, L'z');
  EXPECT_TRUE(FailsWith((L"<a></a>" + tail).c_str(), L"Expected start tag", tail.substr(0, 49)));
}

TEST(SkinXml, AcceptsUnclosedElementsOnlyAtTheTopTwoLevels) {
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(L"<Window>"));
  EXPECT_EQ(L"Window", Text(xml.GetRoot().GetName()));

  ASSERT_TRUE(xml.LoadText(L"<Window size=\"1,2\"><Container>"));
  EXPECT_EQ(L"Window", Text(xml.GetRoot().GetName()));
  EXPECT_EQ(L"1,2", Attribute(xml.GetRoot(), L"size"));
  EXPECT_EQ((std::vector<std::wstring>{L"Container"}), ChildNames(xml.GetRoot()));

  ASSERT_TRUE(xml.LoadText(L"<Window>hello &amp; bye"));
  EXPECT_EQ(L"Window", Text(xml.GetRoot().GetName()));
  EXPECT_EQ(L"hello & bye", Text(xml.GetRoot().GetValue()));

  ASSERT_TRUE(xml.LoadText(L"<Window><Container>text &lt;"));
  EXPECT_EQ(L"Container", Text(xml.GetRoot().GetFirstChild().GetName()));
  EXPECT_EQ(L"text <", Text(xml.GetRoot().GetFirstChild().GetValue()));

  EXPECT_TRUE(FailsWith(L"<Window><Container><Button>", L"Expected end-tag start", L""));
  EXPECT_TRUE(FailsWith(L"<Window><Container><Button />", L"Expected start tag", L""));
}

TEST(SkinXml, RefusesNestingDeeperThanAThousandLevelsWithoutRunningOutOfStack) {
  auto nested = [](int levels, bool closed) {
    std::wstring text;
    for (int i = 0; i < levels; ++i) text += L"<a>";
    if (closed) {
      for (int i = 0; i < levels; ++i) text += L"</a>";
    }
    return text;
  };

  // 120 KB of 40,000 open elements fails at the first element too deep.
  const std::wstring deep = nested(40000, false);
  ASSERT_EQ(120000u, deep.size());
  const std::wstring rest = deep.substr(3 * CSkinXml::kMaxNestingDepth);
  EXPECT_TRUE(FailsWith(deep.c_str(), L"Elements nested too deeply", rest.substr(0, 49)));

  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(nested(1000, true).c_str())) << xml.GetLastErrorMessage();
  EXPECT_EQ(1001u, xml.GetElementCount());
  CSkinXmlNode node = xml.GetRoot();
  int depth = 1;
  while (node.HasChildren()) {
    node = node.GetFirstChild();
    ++depth;
  }
  EXPECT_EQ(1000, depth);
  const std::wstring tooDeep = nested(1001, true);
  EXPECT_TRUE(FailsWith(tooDeep.c_str(), L"Elements nested too deeply", tooDeep.substr(3000, 49)));

  // The cap counts depth, not elements: a wide document of many siblings loads.
  std::wstring wide = L"<w>";
  for (int i = 0; i < 5000; ++i) wide += L"<a><b /></a>";
  ASSERT_TRUE(xml.LoadText((wide + L"</w>").c_str()));
  EXPECT_EQ(10002u, xml.GetElementCount());
}

TEST(SkinXml, EmptyOrCommentOnlyTextHasNoRoot) {
  for (const wchar_t* text : {L"", L"  \r\n\t ", L"<!-- nothing -->", L"<?xml version=\"1.0\"?>"}) {
    CSkinXml xml;
    EXPECT_TRUE(xml.LoadText(text)) << Text(text);
    EXPECT_FALSE(xml.GetRoot().IsValid());
    EXPECT_EQ(1u, xml.GetElementCount());
  }
}

TEST(SkinXml, ShowsNoMoreThanSixtyFourAttributes) {
  std::wstring markup = L"<a";
  for (int i = 0; i < 65; ++i)
    markup += L" n" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
  markup += L" />";
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(markup.c_str()));
  CSkinXmlNode a = xml.GetRoot();
  EXPECT_EQ(64, a.GetAttributeCount());
  EXPECT_EQ(L"n63", Text(a.GetAttributeName(63)));
  EXPECT_EQ(L"v63", Text(a.GetAttributeValue(63)));
  EXPECT_EQ(L"", Text(a.GetAttributeName(64)));
  EXPECT_EQ(L"", Text(a.GetAttributeValue(64)));
  EXPECT_EQ(L"", Text(a.GetAttributeName(-1)));
  EXPECT_EQ(L"<missing>", Attribute(a, L"n64"));
  EXPECT_EQ(L"v0", Attribute(a, L"n0"));
}

TEST(SkinXml, FindAttributeValueCopiesAtMostMaxChars) {
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(L"<a name=\"abcdef\" Name=\"other\" name=\"second\" />"));
  CSkinXmlNode a = xml.GetRoot();

  wchar_t cut[5] = {L'#', L'#', L'#', L'#', L'#'};
  EXPECT_TRUE(a.FindAttributeValue(L"name", cut, 3));
  // No terminator of its own when the value is longer: the caller's buffer of
  // maxChars + 1 zeros supplies it.
  EXPECT_EQ(std::wstring(L"abc##"), std::wstring(cut, 5));

  wchar_t exact[7] = {L'#', L'#', L'#', L'#', L'#', L'#', L'#'};
  EXPECT_TRUE(a.FindAttributeValue(L"name", exact, 6));
  EXPECT_EQ(std::wstring(L"abcdef#"), std::wstring(exact, 7));

  wchar_t roomy[10];
  std::fill(roomy, roomy + 10, L'#');
  EXPECT_TRUE(a.FindAttributeValue(L"Name", roomy, 9));
  EXPECT_EQ(std::wstring(L"other\0\0\0\0#", 10), std::wstring(roomy, 10));

  wchar_t missing[4] = {};
  EXPECT_FALSE(a.FindAttributeValue(L"NAME", missing, 3));
  EXPECT_FALSE(a.FindAttributeValue(nullptr, missing, 3));
  EXPECT_EQ(L"abcdef", Attribute(a, L"name"));  // the first of two
}

TEST(SkinXml, AttributeScanStopsAtTheElementText) {
  CSkinXml xml;
  // A blank before '>' of an unclosed top-level element whose text runs to the
  // end of the document: the scan must not run on into the text.
  ASSERT_TRUE(xml.LoadText(L"<a x=\"1\" >hello"));
  CSkinXmlNode a = xml.GetRoot();
  EXPECT_EQ(1, a.GetAttributeCount());
  EXPECT_EQ(L"1", Attribute(a, L"x"));
  EXPECT_EQ(L"hello", Text(a.GetValue()));

  ASSERT_TRUE(xml.LoadText(L"<a/>\"quoted\" text"));
  EXPECT_EQ(0, xml.GetRoot().GetAttributeCount());
}

TEST(SkinXml, LinksElementsAsAFlatTree) {
  CSkinXml xml;
  ASSERT_TRUE(
      xml.LoadText(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- skin -->\r\n"
                   L"<Window><Font /><!-- between --><Container><Button name=\"b1\"/><Button "
                   L"name=\"b2\"></Button></Container>\r\n<Default /></Window>\r\n<Second />"));
  CSkinXmlNode window = xml.GetRoot();
  EXPECT_EQ(L"Window", Text(window.GetName()));
  EXPECT_TRUE(window.HasChildren());
  EXPECT_EQ((std::vector<std::wstring>{L"Font", L"Container", L"Default"}), ChildNames(window));
  CSkinXmlNode container = window.GetFirstChild().GetNextSibling();
  EXPECT_EQ((std::vector<std::wstring>{L"Button", L"Button"}), ChildNames(container));
  EXPECT_EQ(L"b2", Attribute(container.GetFirstChild().GetNextSibling(), L"name"));
  EXPECT_FALSE(window.GetFirstChild().HasChildren());
  // A second top-level element follows the root as its sibling.
  EXPECT_EQ(L"Second", Text(window.GetNextSibling().GetName()));
  EXPECT_EQ(8u, xml.GetElementCount());
}

TEST(SkinXml, DoctypeWithoutDashSwallowsTheRest) {
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(L"<a /><!DOCTYPE skin><b />"));
  EXPECT_EQ(L"a", Text(xml.GetRoot().GetName()));
  EXPECT_FALSE(xml.GetRoot().GetNextSibling().IsValid());
}

TEST(SkinXml, CollapsesBlankRunsOnlyWhenWhitespaceIsNotPreserved) {
  const wchar_t* markup = L"<a v=\"x   \t y\" w=\"p\t  q\">one  \r\n two</a>";
  CSkinXml preserving;
  ASSERT_TRUE(preserving.LoadText(markup));
  EXPECT_EQ(L"x   \t y", Attribute(preserving.GetRoot(), L"v"));
  EXPECT_EQ(L"one  \r\n two", Text(preserving.GetRoot().GetValue()));

  CSkinXml collapsing(false);
  ASSERT_TRUE(collapsing.LoadText(markup));
  CSkinXmlNode a = collapsing.GetRoot();
  EXPECT_EQ(L"x y", Attribute(a, L"v"));
  EXPECT_EQ(L"p\t q", Attribute(a, L"w"));  // a run must start with a space
  EXPECT_EQ(L"one two", Text(a.GetValue()));
  EXPECT_EQ(2, a.GetAttributeCount());
}

TEST(SkinXml, GrowsTheElementTableByHalfPlusFiveHundred) {
  const auto capacityFor = [](int elements) {
    std::wstring markup = L"<r>";
    for (int i = 1; i < elements; ++i) markup += L"<e />";
    markup += L"</r>";
    CSkinXml xml;
    EXPECT_TRUE(xml.LoadText(markup.c_str()));
    EXPECT_EQ(static_cast<uint32_t>(elements + 1), xml.GetElementCount());
    return xml.GetElementCapacity();
  };
  EXPECT_EQ(500u, capacityFor(499));
  EXPECT_EQ(1250u, capacityFor(500));
  EXPECT_EQ(1250u, capacityFor(1249));
  EXPECT_EQ(2375u, capacityFor(1250));
  EXPECT_EQ(4062u, capacityFor(2375));
}

TEST(SkinXml, ConvertsTheThreeEncodings) {
  CSkinXml xml;
  const std::string utf8 = "<a v=\"gr\xC3\xBC\xC3\x9F \xE2\x82\xAC\" />";
  ASSERT_TRUE(xml.LoadBytes(utf8.data(), static_cast<DWORD>(utf8.size()), SkinUI::kSkinXmlUtf8));
  EXPECT_EQ(L"gr\u00FC\u00DF \u20AC", Attribute(xml.GetRoot(), L"v"));

  const std::string bom = "\xEF\xBB\xBF" + utf8;
  ASSERT_TRUE(xml.LoadBytes(bom.data(), static_cast<DWORD>(bom.size()), SkinUI::kSkinXmlUtf8));
  EXPECT_EQ(L"a", Text(xml.GetRoot().GetName()));
  EXPECT_EQ(L"gr\u00FC\u00DF \u20AC", Attribute(xml.GetRoot(), L"v"));

  ASSERT_TRUE(xml.LoadBytes("\xEF\xBB\xBF", 3, SkinUI::kSkinXmlUtf8));
  EXPECT_FALSE(xml.GetRoot().IsValid());
  ASSERT_TRUE(xml.LoadBytes("", 0, SkinUI::kSkinXmlUtf8));
  EXPECT_FALSE(xml.GetRoot().IsValid());

  const std::wstring wide = L"<b v=\"\u00FC\u20AC\" />";
  std::string little = "\xFF\xFE";
  std::string big = "\xFE\xFF";
  std::string bare;
  for (wchar_t c : wide) {
    little += static_cast<char>(c & 0xFF);
    little += static_cast<char>(c >> 8);
    big += static_cast<char>(c >> 8);
    big += static_cast<char>(c & 0xFF);
  }
  bare = little.substr(2);
  for (const std::string& bytes : {little, big, bare, little + "\x01", big + "\x3C"}) {
    ASSERT_TRUE(
        xml.LoadBytes(bytes.data(), static_cast<DWORD>(bytes.size()), SkinUI::kSkinXmlUtf16));
    EXPECT_EQ(L"b", Text(xml.GetRoot().GetName()));
    EXPECT_EQ(L"\u00FC\u20AC", Attribute(xml.GetRoot(), L"v"));
  }
  ASSERT_TRUE(xml.LoadBytes("\xFF", 1, SkinUI::kSkinXmlUtf16));
  EXPECT_FALSE(xml.GetRoot().IsValid());

  const std::string ascii = "<c v=\"plain\" />";
  ASSERT_TRUE(xml.LoadBytes(ascii.data(), static_cast<DWORD>(ascii.size()), SkinUI::kSkinXmlAnsi));
  EXPECT_EQ(L"plain", Attribute(xml.GetRoot(), L"v"));

  EXPECT_FALSE(xml.LoadBytes(ascii.data(), static_cast<DWORD>(ascii.size()), 7));
  EXPECT_FALSE(xml.GetRoot().IsValid());
}

// Whatever the bytes, a UTF-8 text reads as the platform converts it in one
// piece: broken, overlong and truncated sequences beside ASCII, and ASCII
// runs of every length around the widths a converter may take at once.
TEST(SkinXml, ReadsUtf8ExactlyAsThePlatformConvertsIt) {
  const char* const pieces[] = {"\xC3\xBC", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xE5",
                                "\xE5\x90", "\xC0\xAF",     "\xED\xA0\x80",     "\xFF",
                                "\x80",     "\xBF\xBF",     "\xF4\x90\x80\x80", "\xC3"};
  std::string body;
  for (int run = 0; run < 40; ++run) {
    body += pieces[run % (sizeof(pieces) / sizeof(pieces[0]))];
    body += std::string(static_cast<size_t>(run), static_cast<char>('a' + run % 26));
  }
  body += "\xE2\x82";  // cut short by the end of the text
  for (const std::string& text :
       {"<a v=\"" + body + "\">" + body + "</a>", "<a v=\"x\">" + body + "\xC3\xA9" + body}) {
    const int length = static_cast<int>(text.size());
    std::wstring expected(static_cast<size_t>(length), L'\0');
    expected.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), length, &expected[0], length)));
    const size_t open = expected.find(L'>');
    const size_t close = expected.find(L"</a>");
    const std::wstring content = expected.substr(
        open + 1, close == std::wstring::npos ? std::wstring::npos : close - open - 1);

    CSkinXml xml;
    ASSERT_TRUE(xml.LoadBytes(text.data(), static_cast<DWORD>(text.size())))
        << Text(xml.GetLastErrorMessage());
    EXPECT_EQ(content, Text(xml.GetRoot().GetValue()));
    if (close != std::wstring::npos) {
      EXPECT_EQ(expected.substr(6, open - 7), Text(xml.GetRoot().GetAttributeValue(0)));
    }
  }
}

TEST(SkinXml, NamesAndTextBeyondAsciiKeepEveryCharacter) {
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(
      L"<Gr\u00F6\u00DFe Ma\u00DF=\"1\" \u540D\u524D=\"\u00E9t\u00E9\">"
      L"<Kind>a\u0301 &amp; \xD83D\xDE00 e\u0301 \u00FF</Kind><\u00C4 /></Gr\u00F6\u00DFe>"));
  CSkinXmlNode root = xml.GetRoot();
  EXPECT_EQ(L"Gr\u00F6\u00DFe", Text(root.GetName()));
  ASSERT_EQ(2, root.GetAttributeCount());
  EXPECT_EQ(L"Ma\u00DF", Text(root.GetAttributeName(0)));
  EXPECT_EQ(L"\u540D\u524D", Text(root.GetAttributeName(1)));
  EXPECT_EQ(L"\u00E9t\u00E9", Text(root.GetAttributeValue(1)));
  EXPECT_EQ((std::vector<std::wstring>{L"Kind", L"\u00C4"}), ChildNames(root));
  // Decoding moves the text after the entity down over combining marks and
  // surrogate pairs alike.
  EXPECT_EQ(L"a\u0301 & \xD83D\xDE00 e\u0301 \u00FF", Text(root.GetFirstChild().GetValue()));

  // A UTF-8 text whose characters take several bytes each ends where its text ends.
  const std::string utf8 = "<w v=\"\xE5\x90\x8D\xE5\x89\x8D\">\xC3\xA9\xC3\xA9</w>";
  ASSERT_TRUE(xml.LoadBytes(utf8.data(), static_cast<DWORD>(utf8.size())));
  EXPECT_EQ(L"\u540D\u524D", Attribute(xml.GetRoot(), L"v"));
  EXPECT_EQ(L"\u00E9\u00E9", Text(xml.GetRoot().GetValue()));
}

// Surrogate pairs, lone surrogates and combining marks stand right beside
// the characters the parse stops at (quote, '&', '<', blank): none of them
// hides a stop or is lost from a value or a text.
TEST(SkinXml, OddCharactersBesideStopCharactersStayInPlace) {
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(
      L"<a p=\"\xD83D\xDE00\" q=\"&amp;\u0301\xD83D\" r=\"\xDE00&lt;\xD83D\xDE00&gt;\u0301\" "
      L"s=\"\u4E2D \u0301\xDBFF\xDFFF\" t=\"x\xFFFF\xFFFE\">\xD83D\xDE00&amp;\u0301 \xDE00"
      L"<b v=\"\u0300\" /></a>"));
  CSkinXmlNode a = xml.GetRoot();
  ASSERT_EQ(5, a.GetAttributeCount());
  EXPECT_EQ(L"\xD83D\xDE00", Attribute(a, L"p"));
  EXPECT_EQ(L"&\u0301\xD83D", Attribute(a, L"q"));
  EXPECT_EQ(L"\xDE00<\xD83D\xDE00>\u0301", Attribute(a, L"r"));
  EXPECT_EQ(L"\u4E2D \u0301\xDBFF\xDFFF", Attribute(a, L"s"));
  EXPECT_EQ(L"x\xFFFF\xFFFE", Attribute(a, L"t"));
  EXPECT_EQ(L"\xD83D\xDE00&\u0301 \xDE00", Text(a.GetValue()));
  EXPECT_EQ(L"\u0300", Attribute(a.GetFirstChild(), L"v"));

  // The same around collapsed blanks.
  CSkinXml collapsing(false);
  ASSERT_TRUE(collapsing.LoadText(L"<a v=\"\xD83D\xDE00  \u0301 &amp;  \xDE00\" />"));
  EXPECT_EQ(L"\xD83D\xDE00 \u0301 & \xDE00", Attribute(collapsing.GetRoot(), L"v"));
}

// Names and blanks advance by the platform's character step, so a mark that
// the platform joins to the character before it belongs to the name (or to
// the blank) and one it does not join ends the name.
TEST(SkinXml, NamesAndBlanksStepByThePlatformCharacter) {
  const wchar_t joined[] = L"a\u0301";
  const bool markJoins = CharNextW(joined) == joined + 2;
  CSkinXml xml;
  if (markJoins) {
    ASSERT_TRUE(xml.LoadText(L"<a\u0301b v=\"1\" />"));
    EXPECT_EQ(L"a\u0301b", Text(xml.GetRoot().GetName()));
    EXPECT_EQ(L"1", Attribute(xml.GetRoot(), L"v"));
    ASSERT_TRUE(xml.LoadText(L"<a \u0301v=\"2\" />"));
    EXPECT_EQ(L"2", Attribute(xml.GetRoot(), L"v"));
  } else {
    // The mark ends the name and is overwritten as its end, so "b" reads as
    // an attribute without "=".
    EXPECT_TRUE(
        FailsWith(L"<a\u0301b v=\"1\" />", L"Error while parsing attributes", L"v=\"1\" />"));
    EXPECT_TRUE(
        FailsWith(L"<a \u0301v=\"2\" />", L"Error while parsing attributes", L"\u0301v=\"2\" />"));
  }
  // A surrogate pair is no name character: its first half ends the name and
  // its second half stands where an attribute must start.
  EXPECT_TRUE(FailsWith(L"<ab\xD83D\xDE00 />", L"Error while parsing attributes", L"\xDE00 />"));
  // Blanks of every code from 1 to 32 separate the parts of a tag.
  std::wstring blanks;
  for (wchar_t c = 1; c <= 32; ++c) blanks += c;
  ASSERT_TRUE(xml.LoadText(
      (L"<a" + blanks + L"v" + blanks + L"=" + blanks + L"\"3\"" + blanks + L"/>" + blanks)
          .c_str()));
  EXPECT_EQ(L"3", Attribute(xml.GetRoot(), L"v"));
}

TEST(SkinXml, InvalidAndStaleNodesAnswerEmpty) {
  CSkinXmlNode none;
  EXPECT_FALSE(none.IsValid());
  EXPECT_EQ(nullptr, none.GetName());
  EXPECT_EQ(nullptr, none.GetAttributeName(0));
  EXPECT_EQ(nullptr, none.GetAttributeValue(0));
  EXPECT_EQ(0, none.GetAttributeCount());
  EXPECT_FALSE(none.HasAttributes());
  EXPECT_FALSE(none.HasChildren());
  EXPECT_FALSE(none.GetFirstChild().IsValid());
  EXPECT_FALSE(none.GetNextSibling().IsValid());
  wchar_t buffer[4] = {};
  EXPECT_FALSE(none.FindAttributeValue(L"x", buffer, 3));

  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(L"<a x=\"1\"><b /></a>"));
  CSkinXmlNode root = xml.GetRoot();
  EXPECT_TRUE(root.HasAttributes());
  xml.Release();
  EXPECT_EQ(nullptr, root.GetName());
  EXPECT_FALSE(root.GetFirstChild().IsValid());
  EXPECT_FALSE(xml.GetRoot().IsValid());
}

TEST(SkinXml, AReloadReplacesTheDocumentAndAFailureClearsIt) {
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadText(L"<first />"));
  ASSERT_TRUE(xml.LoadText(L"<second />"));
  EXPECT_EQ(L"second", Text(xml.GetRoot().GetName()));
  EXPECT_EQ(L"", Text(xml.GetLastErrorMessage()));
  EXPECT_FALSE(xml.LoadText(L"<broken"));
  EXPECT_FALSE(xml.GetRoot().IsValid());
  EXPECT_EQ(0u, xml.GetElementCount());
  ASSERT_TRUE(xml.LoadText(L"<third />"));
  EXPECT_EQ(L"", Text(xml.GetLastErrorMessage()));
  EXPECT_EQ(L"", Text(xml.GetLastErrorLocation()));
}

TEST(SkinXml, ReadsTheSampleSkin) {
  const std::string& skin = markup_test::SampleSkin();
  CSkinXml xml;
  ASSERT_TRUE(xml.LoadBytes(skin.data(), static_cast<DWORD>(skin.size())))
      << Text(xml.GetLastErrorMessage()) << " at " << Text(xml.GetLastErrorLocation());
  CSkinXmlNode window = xml.GetRoot();
  EXPECT_EQ(L"Window", Text(window.GetName()));
  EXPECT_EQ(L"650,400", Attribute(window, L"size"));
  EXPECT_EQ(L"5,6", Attribute(window, L"roundcorner"));
  std::vector<std::wstring> names = ChildNames(window);
  ASSERT_EQ(8u, names.size());
  EXPECT_EQ(L"Default", names[5]);
  CSkinXmlNode defaults = window.GetFirstChild();
  for (int i = 0; i < 5; ++i) defaults = defaults.GetNextSibling();
  const std::wstring scroll = Attribute(defaults, L"value");
  EXPECT_EQ(0u, scroll.find(L"button1normalimage=\"file='vscroll.png'&#x09;source='0,0,13,13'\""));
  CSkinXmlNode text1 = window.GetFirstChild();
  while (text1.IsValid() && std::wstring(text1.GetName()) != L"Container")
    text1 = text1.GetNextSibling();
  ASSERT_TRUE(text1.IsValid());
  for (text1 = text1.GetFirstChild(); text1.IsValid(); text1 = text1.GetNextSibling()) {
    if (Attribute(text1, L"name") == L"Text_1") break;
  }
  ASSERT_TRUE(text1.IsValid());
  EXPECT_EQ(L"Guickly and easily downloads & installs updates from microsoft",
            Attribute(text1, L"text"));
}

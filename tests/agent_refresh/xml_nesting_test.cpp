#include <gtest/gtest.h>

#include <string>

#include "agent_refresh/xml_nesting.h"

namespace {

constexpr int kHidden = 300000;

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<e>";
  for (int i = 0; i < depth; ++i) text += "</e>";
  return text;
}

std::string Repeated(const std::string& piece, int count) {
  std::string text;
  text.reserve(piece.size() * count);
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

TEST(IsAcceptableMarkup, CountsOnlyRealElementNesting) {
  EXPECT_TRUE(IsAcceptableMarkup(Nested(4), 4));
  EXPECT_FALSE(IsAcceptableMarkup(Nested(5), 4));
  EXPECT_TRUE(IsAcceptableMarkup("<a><b/><b/><b/><b/><b/></a>", 1));
  EXPECT_TRUE(
      IsAcceptableMarkup("<?xml version=\"1.0\"?><a><!-- <b><b><b> -->"
                         "<![CDATA[<c><c><c>]]><?pi <d><d> ?><b x='<d>' y=\"<d>\"/></a>",
                         1));
  EXPECT_TRUE(IsAcceptableMarkup("<a><b/></a><a><b/></a><a><b/></a>", 2));
  EXPECT_TRUE(IsAcceptableMarkup("", 0));
}

TEST(IsAcceptableMarkup, IsNotFooledByMarkupInsideAttributeValues) {
  // A reader takes each of these as an open element, whatever the quotes hold.
  std::string hidden;
  for (int i = 0; i < 10; ++i) hidden += "<a x=\"/>\" y='>'>";
  EXPECT_FALSE(IsAcceptableMarkup(hidden, 9));
  EXPECT_TRUE(IsAcceptableMarkup(hidden, 10));
}

TEST(IsAcceptableMarkup, RefusesDocumentTypeAndEntityDeclarations) {
  for (const char* declaration :
       {"<!DOCTYPE WURedist>", "<!DOCTYPE WURedist [ <!ENTITY e \"x\"> ]>", "<!ENTITY e \"x\">",
        "<!ELEMENT a ANY>", "<!ATTLIST a b CDATA #IMPLIED>", "<!doctype a>", "<!"}) {
    std::string text = std::string("<?xml version=\"1.0\"?>") + declaration + "<WURedist/>";
    EXPECT_FALSE(IsAcceptableMarkup(text, 32)) << declaration;
  }
  // The review's document: closing tags in the internal subset made room for
  // as many real levels of nesting.
  std::string review = "<!DOCTYPE WURedist [" + Repeated("</a>", kHidden) + "]><WURedist>" +
                       Repeated("<a>", kHidden) + Repeated("</a>", kHidden) + "</WURedist>";
  EXPECT_FALSE(IsAcceptableMarkup(review, 32));
}

TEST(IsAcceptableMarkup, ClosingTagsHiddenInSkippedMarkupMakeNoRoomForNesting) {
  const std::string deep = Repeated("<a>", kHidden) + Repeated("</a>", kHidden);
  for (const char* hiding : {"<!-- </a> -->", "<?pi </a> ?>", "<![CDATA[</a>]]>", "<b x=\"</a>\"/>",
                             "<b x='</a>'/>", "<b x='>' y=\"</a>\"/>"}) {
    std::string text = "<r>" + Repeated(hiding, kHidden) + deep + "</r>";
    EXPECT_FALSE(IsAcceptableMarkup(text, 32)) << hiding;
    EXPECT_TRUE(IsAcceptableMarkup("<r>" + Repeated(hiding, 100) + Nested(31) + "</r>", 32))
        << hiding;
  }
}

TEST(IsAcceptableMarkup, RefusesStrayClosingTagsAndUnterminatedMarkup) {
  EXPECT_FALSE(IsAcceptableMarkup("</a>" + Nested(3), 32));
  EXPECT_FALSE(IsAcceptableMarkup("<a></a></a><a><a></a></a>", 32));
  for (const char* open :
       {"<a x=\"unterminated", "<a><!-- never closed", "<a><?pi", "<a><![CDATA[ never", "<a></a"}) {
    EXPECT_FALSE(IsAcceptableMarkup(open, 32)) << open;
  }
}

}  // namespace

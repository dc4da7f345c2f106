#include <gtest/gtest.h>

#include <string>

#include "agent_refresh/xml_nesting.h"

namespace {

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<e>";
  for (int i = 0; i < depth; ++i) text += "</e>";
  return text;
}

TEST(IsNestedDeeperThan, CountsOnlyRealElementNesting) {
  EXPECT_FALSE(IsNestedDeeperThan(Nested(4), 4));
  EXPECT_TRUE(IsNestedDeeperThan(Nested(5), 4));
  EXPECT_FALSE(IsNestedDeeperThan("<a><b/><b/><b/><b/><b/></a>", 1));
  EXPECT_FALSE(
      IsNestedDeeperThan("<?xml version=\"1.0\"?><!DOCTYPE a><a><!-- <b><b><b> -->"
                         "<![CDATA[<c><c><c>]]><b x='<d>'/></a>",
                         1));
  EXPECT_FALSE(IsNestedDeeperThan("<a><b/></a><a><b/></a><a><b/></a>", 2));
}

TEST(IsNestedDeeperThan, IsNotFooledByMarkupInsideAttributeValues) {
  // A reader takes each of these as an open element, whatever the quotes hold.
  std::string hidden;
  for (int i = 0; i < 10; ++i) hidden += "<a x=\"/>\" y='>'>";
  EXPECT_TRUE(IsNestedDeeperThan(hidden, 9));
  EXPECT_FALSE(IsNestedDeeperThan(hidden, 10));
  EXPECT_FALSE(IsNestedDeeperThan("<a x=\"unterminated", 0));
  EXPECT_FALSE(IsNestedDeeperThan("", 0));
}

}  // namespace

#include "transform/documents/xml_error_place.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(FirstMalformedPlace, FindsTheFirstMistake) {
  const struct {
    const char* text;
    LONG line, column;  // 0: well-formed
  } cases[] = {
      {"<?xml version=\"1.0\"?>\r\n<a x='1'><b/>t&amp;<!-- c --><![CDATA[<]]></a>\r\n", 0, 0},
      {"<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", 0, 0},
      {"<a>\n  <b>text</c>\n</a>", 2, 10},  // an end tag that does not match
      {"<a>\n<b>", 2, 4},                   // left open at the end
      {"<a x=1/>", 1, 6},                   // a value without quotes
      {"<a x='<'/>", 1, 7},                 // "<" in a value
      {"<a>&amp</a>", 1, 4},                // a reference without ";"
      {"<a/><b/>", 1, 5},                   // a second document element
      {"<a/>text", 1, 5},                   // text after it
      {"<a><!-- open</a>", 1, 4},
      {"<a>\xD0\x96\xD0\x96</b>", 1, 6},  // columns count characters, not bytes
      {"", 1, 1},
  };
  for (const auto& c : cases) {
    const std::optional<TextPlace> place = FirstMalformedPlace(c.text);
    if (c.line == 0) {
      EXPECT_FALSE(place) << c.text;
    } else {
      ASSERT_TRUE(place) << c.text;
      EXPECT_EQ(place->line, c.line) << c.text;
      EXPECT_EQ(place->column, c.column) << c.text;
    }
  }
}

}  // namespace
}  // namespace rt

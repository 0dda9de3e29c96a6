#include "runtime/text/text_value.h"

#include <gtest/gtest.h>

#include "runtime/text/last_error.h"

namespace rt {
namespace {

TEST(StringField, AssignmentPadsAndCuts) {
  STRING<5> field;
  EXPECT_EQ(field.view(), u"     ");
  field = u"ab";
  EXPECT_EQ(field.view(), u"ab   ");
  field = u"abcdefgh";
  EXPECT_EQ(field.view(), u"abcde");
  field = u"";
  EXPECT_EQ(field.view(), u"     ");
}

TEST(StringField, AssignmentFromItsOwnText) {
  STRING<6> field(u"abcdef");
  field = SUB(field, 3, 3);
  EXPECT_EQ(field.view(), u"cde   ");
  field = TextView(field).substr(1);  // overlapping source
  EXPECT_EQ(field.view(), u"de    ");
}

TEST(CStringBuffer, HoldsAtMostSizeMinusOne) {
  CSTRING<5> buffer;
  EXPECT_EQ(buffer.view(), u"");
  buffer = u"OPEN";
  EXPECT_EQ(buffer.view(), u"OPEN");
  buffer = u"OPENED";
  EXPECT_EQ(buffer.view(), u"OPEN");
  EXPECT_EQ(buffer.c_str()[4], u'\0');
  CSTRING<1> empty(u"anything");
  EXPECT_EQ(empty.view(), u"");
}

TEST(Clip, RemovesTrailingBlanksOnly) {
  const struct {
    TextView in, out;
  } cases[] = {
      {u"", u""},         {u"    ", u""},    {u"C:\\IN\\   ", u"C:\\IN\\"},
      {u"  a  ", u"  a"}, {u"a\t ", u"a\t"}, {TextView(u"a\0 ", 3), TextView(u"a\0", 2)},
  };
  for (const auto& c : cases) EXPECT_EQ(CLIP(c.in), c.out);
  EXPECT_EQ(CLIP(STRING<1000>().view()), u"");
}

TEST(Len, CountsEveryCharacter) {
  EXPECT_EQ(LEN(u""), 0);
  EXPECT_EQ(LEN(u"ab  "), 4);
  EXPECT_EQ(LEN(STRING<1000>()), 1000);
  EXPECT_EQ(LEN(u"Путь"), 4);
}

TEST(Sub, StartAndLengthRules) {
  const struct {
    TextView text;
    LONG start, length;
    TextView expected;
  } cases[] = {
      {u"C:\\DATA\\FILE.XML", 3, 1, u"\\"},
      {u"abcdef", 1, 3, u"abc"},
      {u"abcdef", 0, 2, u"ab"},   // start 0 is 1
      {u"abcdef", 5, 10, u"ef"},  // length beyond the end
      {u"abcdef", 7, 1, u""},     // start beyond the end
      {u"abcdef", 100, 5, u""},
      {u"abcdef", -1, 1, u"f"},  // from the end
      {u"abcdef", -3, 2, u"de"},
      {u"abcdef", -10, 2, u"ab"},    // before the first character
      {u"abcdef", 2, -1, u"bcdef"},  // negative length: the rest
      {u"abcdef", 2, 0, u""},
      {u"", 1, 1, u""},
      {u"short", 28, 6, u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SUB(c.text, c.start, c.length), c.expected) << "start " << c.start << " length " << c.length;
  }
}

TEST(Comparison, ShorterTextIsExtendedWithBlanks) {
  const struct {
    TextView a, b;
    int order;
  } cases[] = {
      {u"\\", u"\\ ", 0}, {u"", u"   ", 0}, {u"", u"", 0},      {u"A", u"B", -1},
      {u"B", u"A", 1},    {u"AB", u"A", 1}, {u"A\t", u"A", -1},  // tab sorts below the blank
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareText(c.a, c.b), c.order);
    EXPECT_EQ(SameText(c.a, c.b), c.order == 0);
  }
  EXPECT_TRUE(SameText(SUB(u"ab", 5, 1), u" "));  // past the end equals a blank
}

TEST(Truth, FalseOnlyWhenEmptyOrBlank) {
  EXPECT_FALSE(TextIsTrue(u""));
  EXPECT_FALSE(TextIsTrue(u"     "));
  EXPECT_FALSE(TextIsTrue(STRING<1000>()));
  EXPECT_TRUE(TextIsTrue(u"0"));
  EXPECT_TRUE(TextIsTrue(u"  x"));
  EXPECT_TRUE(TextIsTrue(u"\t"));
}

TEST(Concat, KeepsEveryCharacter) {
  EXPECT_EQ(Concat({u"a ", u" b", u"", u"c"}), u"a  bc");
  EXPECT_EQ(Concat({}), u"");
}

TEST(LastError, SetAndCleared) {
  ClearErrorState();
  EXPECT_EQ(ERRORCODE(), 0);
  EXPECT_FALSE(TextIsTrue(ERROR()));
  SetErrorState(kPathNotFound);
  EXPECT_EQ(ERRORCODE(), 3);
  EXPECT_EQ(ERROR(), u"Path Not Found");
  ClearErrorState();
  EXPECT_FALSE(TextIsTrue(ERROR()));
}

}  // namespace
}  // namespace rt

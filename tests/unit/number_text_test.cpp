#include "runtime/text/number_text.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(TextToLong, ReadsTheLeadingNumber) {
  const struct {
    TextView text;
    LONG expected;
  } cases[] = {
      {u"001234", 1234},
      {u"000123", 123},
      {u" 12", 12},
      {u"12 34", 12},
      {u"12AB", 12},
      {u"AB12", 0},
      {u"AB", 0},
      {u"", 0},
      {u"-5", -5},
      {u"  -0042", -42},
      {u"+5", 0},
      {u"-", 0},
      {u"- 5", 0},
      {u"1.9e1", 19},
      {u"1.9", 1},
      {u"-1.9", -1},
      {u"1.5e-1", 0},
      {u"1.e5", 100000},
      {u"1e5", 1},
      {u".5e1", 5},
      {u"12.34E2", 1234},
      {u"  4321", 4321},
      {u"4321AB", 4321},
      {u"ABCDEF", 0},
      {u"12AB5", 12},
      {u"\t12", 0},
      {u"999999", 999999},
      {u"0", 0},
      {u"2147483647", 2147483647},
      {u"2147483648", 2147483647},  // held at the limit
      {u"-2147483648", -2147483647 - 1},
      {u"99999999999999999999", 2147483647},
      {u"1.0e99999", 2147483647},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToLong(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(TextToLong, ReadsOnlyTheFirst99Characters) {
  const Text blanks98(98, u' ');
  EXPECT_EQ(TextToLong(blanks98 + u"7"), 7);
  EXPECT_EQ(TextToLong(blanks98 + u" 7"), 0);
  EXPECT_EQ(TextToLong(Text(98, u'1') + u"1"), 2147483647);
}

TEST(Format, NumericPictures) {
  const struct {
    LONG value;
    TextView picture, expected;
  } cases[] = {
      {7, u"N06", u"000007"},
      {1234, u"N06", u"001234"},
      {123456, u"N06", u"123456"},
      {7, u"N05", u"00007"},
      {1234, u"N05", u"01234"},
      {12345, u"N05", u"12345"},
      {0, u"N05", u"00000"},
      {78, u"N05", u"00078"},
      {1234567, u"N06", u"######"},
      {100000, u"N05", u"#####"},
      {7, u"N_6", u"     7"},
      {1234, u"N_6", u"  1234"},
      {1234, u"N6", u" 1,234"},
      {1234567, u"N9", u"1,234,567"},
      {1234567, u"N8", u"########"},
      {-5, u"N05", u"-0005"},
      {-5, u"N_4", u"  -5"},
      {-12345, u"N05", u"#####"},
      {42, u"N", u"42"},
      {-2147483647 - 1, u"N_11", u"-2147483648"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FORMAT(c.value, c.picture), c.expected)
        << c.value << " with " << std::string(c.picture.begin(), c.picture.end());
  }
}

}  // namespace
}  // namespace rt

#include "runtime/text/console_decoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DecodingCase {
  std::string bytes;
  bool cut;
  std::size_t length;
  bool utf8;
};

TEST(ConsoleDecoding, CutCharacterIsLeftOutAndAnythingElseDecidesTheCodePage) {
  const DecodingCase cases[] = {
      {"", false, 0, true},
      {"plain ASCII\r\n", false, 13, true},
      {"\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0", false, 12, true},  // "Ошибка"
      {"ab\xD0\xAF", true, 4, true},                                          // cut right after "Я"
      {"ab\xD0", true, 2, true},                                              // cut inside "Я"
      {"ab\xD0", false, 3, false},                   // the whole output ends inside a character: not UTF-8
      {"x\xE2\x82", true, 1, true},                  // inside "€"
      {"\xF0\x9F\x98", true, 0, true},               // inside a four-byte character
      {"\x8E\xE8\xA8\xA1\xAA\xA0", true, 6, false},  // "Ошибка" in code page 866
      {"a\xC0", true, 2, false},                     // a byte that never starts a character
      {"a\xE0\x80", true, 3, false},                 // an overlong form, even cut
      {"\xED\xA0\x80", false, 3, false},             // a surrogate
      {"\xF4\x90\x80\x80", false, 4, false},         // beyond U+10FFFF
  };
  for (const DecodingCase& c : cases) {
    const rt::ConsoleDecoding decided = rt::DecideConsoleDecoding(c.bytes, c.cut);
    EXPECT_EQ(decided.length, c.length) << "bytes of \"" << c.bytes << "\", cut " << c.cut;
    EXPECT_EQ(decided.utf8, c.utf8) << "UTF-8 for \"" << c.bytes << "\", cut " << c.cut;
  }
}

}  // namespace

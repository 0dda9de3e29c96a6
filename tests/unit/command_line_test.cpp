#include "runtime/text/command_line.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(CommandLineArguments, ReadAsWindowsProgramsReadThem) {
  const struct {
    TextView line;
    std::vector<Text> arguments;
  } cases[] = {
      {u"vexilate.exe", {}},
      {u"\"C:\\Program Files\\Vexilate\\vexilate.exe\"  ", {}},
      {u"\"C:\\Program Files\\Vexilate\\vexilate.exe\" C:\\in\\a.XML", {u"C:\\in\\a.XML"}},
      {u"vexilate.exe \"C:\\Мои документы\\a b.XML\" \tC:\\in\\c.XML",
       {u"C:\\Мои документы\\a b.XML", u"C:\\in\\c.XML"}},
      // Send To and shortcuts quote a path ending in a backslash with the backslash doubled.
      {u"v.exe \"C:\\in dir\\\\\" next", {u"C:\\in dir\\", u"next"}},
      // Scripts quote it with one ("%~dp0"), at the end or before the next argument.
      {u"v.exe \"C:\\Входящие\\\" \"C:\\in\\a.XML\"", {u"C:\\Входящие\\", u"C:\\in\\a.XML"}},
      {u"v.exe \"C:\\in dir\\\\\\\"", {u"C:\\in dir\\\\"}},
      {u"v.exe C:\\in\\ \"\"", {u"C:\\in\\", u""}},
      {u"v.exe a\\\\\\\"b \"c\"\"d\" e\"f g\"h", {u"a\\\"b", u"c\"d", u"ef gh"}},
      {u"v.exe \"unclosed to the end ", {u"unclosed to the end "}},
      // The program's own name takes no escapes.
      {u"C:\\a\"b c\\vexilate.exe x", {u"c\\vexilate.exe", u"x"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CommandLineArguments(c.line), c.arguments) << std::string(c.line.begin(), c.line.end());
  }
}

TEST(CommandLineArguments, SwitchesByEitherMarkInAnyCase) {
  for (const TextView argument : {u"/new", u"-NEW", u"/New"}) EXPECT_TRUE(IsSwitch(argument, u"new"));
  for (const TextView argument : {u"new", u"/news", u"\\new", u"C:\\new", u"/"})
    EXPECT_FALSE(IsSwitch(argument, u"new"));
}

}  // namespace
}  // namespace rt

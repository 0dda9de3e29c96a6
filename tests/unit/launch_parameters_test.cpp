#include "convert/rules/launch_parameters.h"

#include <gtest/gtest.h>

#include "sample_file_names.h"

namespace convert {
namespace {

constexpr char16_t kName[] = u"00432112.345";

TEST(OutputPath, JoinsDirectoryAndNameWithOneSeparator) {
  const struct {
    rt::TextView directory, expected;
  } cases[] = {
      {u"D:\\DATA\\OUT\\", u"D:\\DATA\\OUT\\00432112.345"},
      {u"D:\\DATA\\OUT\\     ", u"D:\\DATA\\OUT\\00432112.345"},  // a blank-padded field
      {u"D:\\OUT", u"D:\\OUT\\00432112.345"},
      {u"D:\\OUT     ", u"D:\\OUT\\00432112.345"},
      {u"D:\\OUT/", u"D:\\OUT/00432112.345"},
      {u"D:\\", u"D:\\00432112.345"},
      {u"\\\\server\\share", u"\\\\server\\share\\00432112.345"},
      {u"C:\\Выходные файлы", u"C:\\Выходные файлы\\00432112.345"},
      {u"", u"00432112.345"},
      {u"    ", u"00432112.345"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OutputPath(c.directory, kName), c.expected)
        << "directory: " << ::testing::PrintToString(rt::Text(c.directory));
  }
  // The name comes from a blank-padded field too.
  EXPECT_EQ(OutputPath(u"D:\\OUT\\", rt::Concat({kName, rt::Text(988, u' ')})), u"D:\\OUT\\00432112.345");
}

// A path pasted with "Copy as path" or with blanks in front still names the directory; the
// entry itself keeps what was typed.
TEST(OutputPath, TakesTheDirectoryOutOfQuotesAndLeadingBlanks) {
  const struct {
    rt::TextView typed, expected;
  } cases[] = {
      {u"\"D:\\Out Dir\"", u"D:\\Out Dir\\00432112.345"},
      {u"\"D:\\Out Dir\\\"   ", u"D:\\Out Dir\\00432112.345"},
      {u"   D:\\OUT\\", u"D:\\OUT\\00432112.345"},
      {u"  \" D:\\OUT \"", u" D:\\OUT\\00432112.345"},
      {u"\"D:\\OUT", u"\"D:\\OUT\\00432112.345"},  // no closing quote: not a quoted path
      {u"\"\"", u"00432112.345"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OutputPath(c.typed, kName), c.expected) << "typed: " << ::testing::PrintToString(rt::Text(c.typed));
  }
}

TEST(ParameterText, QuotesOnlyPathsWithBlanksOrTabs) {
  const rt::Text name = samples::WorkedExampleName();
  const rt::Text inData = rt::Concat({u"D:\\DATA\\IN\\", name});
  const rt::Text inDocuments = rt::Concat({u"C:\\Мои документы\\", name});
  const struct {
    const char* what;
    rt::Text fileIn;
    rt::TextView pathOut;
    rt::Text expected;
  } cases[] = {
      {"worked example", inData, u"D:\\DATA\\OUT\\",
       rt::Concat({u" D:\\DATA\\IN\\", name, u" qRec7to4.xsl -o D:\\DATA\\OUT\\00432112.345"})},
      {"blank-padded fields", rt::Concat({inData, rt::Text(900, u' ')}), u"D:\\DATA\\OUT\\          ",
       rt::Concat({u" D:\\DATA\\IN\\", name, u" qRec7to4.xsl -o D:\\DATA\\OUT\\00432112.345"})},
      {"input path with a blank", inDocuments, u"D:\\OUT\\",
       rt::Concat({u" \"C:\\Мои документы\\", name, u"\" qRec7to4.xsl -o D:\\OUT\\00432112.345"})},
      {"output path with a blank", inData, u"C:\\Выходные файлы\\",
       rt::Concat({u" D:\\DATA\\IN\\", name, u" qRec7to4.xsl -o \"C:\\Выходные файлы\\00432112.345\""})},
      {"both paths with blanks", inDocuments, u"C:\\Выходные файлы",
       rt::Concat({u" \"C:\\Мои документы\\", name, u"\" qRec7to4.xsl -o \"C:\\Выходные файлы\\00432112.345\""})},
      {"input path with a tab", u"D:\\IN\\a\tb.XML", u"D:\\OUT\\",
       u" \"D:\\IN\\a\tb.XML\" qRec7to4.xsl -o D:\\OUT\\00432112.345"},
      {"output directory with a tab", u"D:\\IN\\a.XML", u"D:\\O\tUT\\",
       u" D:\\IN\\a.XML qRec7to4.xsl -o \"D:\\O\tUT\\00432112.345\""},
      {"a trailing tab is not clipped", u"D:\\IN\\a.XML\t", u"D:\\OUT\\",
       u" \"D:\\IN\\a.XML\t\" qRec7to4.xsl -o D:\\OUT\\00432112.345"},
      {"output directory without a separator", inData, u"D:\\OUT",
       rt::Concat({u" D:\\DATA\\IN\\", name, u" qRec7to4.xsl -o D:\\OUT\\00432112.345"})},
      {"output directory ending in a slash", inData, u"D:\\OUT/",
       rt::Concat({u" D:\\DATA\\IN\\", name, u" qRec7to4.xsl -o D:\\OUT/00432112.345"})},
      {"no directory in the input path", name, u"D:\\OUT\\",
       rt::Concat({u" ", name, u" qRec7to4.xsl -o D:\\OUT\\00432112.345"})},
      // A backslash before the closing quote would escape it: the processor would read on
      // into the next argument.
      {"quoted path ending in backslashes", u"C:\\a b\\\\", u"D:\\OUT\\",
       u" \"C:\\a b\\\\\\\\\" qRec7to4.xsl -o D:\\OUT\\00432112.345"},
      {"backslashes inside a quoted path stay single", u"C:\\a b\\\\c.XML", u"D:\\OUT\\",
       u" \"C:\\a b\\\\c.XML\" qRec7to4.xsl -o D:\\OUT\\00432112.345"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParameterText(c.fileIn, c.pathOut, kName), c.expected) << c.what;
  }
}

TEST(ParameterText, PassedWholeBeyond999Characters) {
  const rt::Text deepDirectory = rt::Concat({u"D:\\", rt::Text(950, u'A'), u"\\"});
  const rt::Text fileIn = rt::Concat({deepDirectory, samples::WorkedExampleName()});
  const rt::Text pathOut = rt::Concat({u"E:\\", rt::Text(300, u'B'), u"\\"});

  const rt::Text text = ParameterText(fileIn, pathOut, kName);

  EXPECT_EQ(text, rt::Concat({u" ", fileIn, u" qRec7to4.xsl -o ", pathOut, kName}));
  EXPECT_EQ(text.size(), 1u + 1022u + 17u + 304u + 12u);
  EXPECT_TRUE(text.ends_with(u"\\00432112.345")) << ::testing::PrintToString(text.substr(990));
}

}  // namespace
}  // namespace convert

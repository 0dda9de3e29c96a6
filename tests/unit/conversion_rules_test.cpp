// The decisions of a conversion in the order the Convert handler takes them: from the chosen
// path to the problem it shows or the output name and parameter text it launches with.
#include "convert/rules/conversion_rules.h"

#include <gtest/gtest.h>

#include <optional>

#include "convert/rules/batch_plan.h"
#include "sample_file_names.h"

namespace convert {
namespace {

using samples::SampleName;
using samples::WorkedExampleName;

struct Decision {
  NameProblem problem = NameProblem::None;
  rt::Text outputName;  // empty when the file is rejected
  rt::Text parameters;  // empty when the file is rejected
};

Decision Decide(rt::TextView fileIn, rt::TextView pathOut) {
  Decision decision;
  const NameFields fields = ReadNameFields(FileNamePart(fileIn));
  decision.problem = CheckNameFields(fields);
  if (decision.problem != NameProblem::None) return decision;
  decision.outputName = OutputName(fields);
  decision.parameters = ParameterText(fileIn, pathOut, decision.outputName);
  return decision;
}

TEST(Conversion, WorkedExample) {
  const rt::Text name = WorkedExampleName();
  ASSERT_EQ(name.size(), 68u);
  const rt::Text fileIn = rt::Concat({u"D:\\DATA\\IN\\", name});

  const Decision got = Decide(fileIn, u"D:\\DATA\\OUT\\");

  EXPECT_EQ(got.problem, NameProblem::None);
  EXPECT_EQ(got.outputName, u"00432112.345");
  EXPECT_EQ(got.parameters,
            u" D:\\DATA\\IN\\ABCDEFGHIJKLMNOPQRSTUVWXYZA004321VWXYZ12345ABCDEFGHIJKLMNOP00000.XML"
            u" qRec7to4.xsl -o D:\\DATA\\OUT\\00432112.345");
}

TEST(Conversion, FileNamesGiveTheirOutputNameOrTheirProblem) {
  using enum NameProblem;
  const struct {
    const char* what;
    rt::Text name;
    NameProblem problem;
    rt::TextView outputName;
  } cases[] = {
      {"worked example", WorkedExampleName(), None, u"00432112.345"},
      {"subdivision batch", SampleName(u"004321", u"00000", u"00078"), None, u"00432100.078"},
      {"both batches zero", SampleName(u"004321", u"00000", u"00000"), BatchNumber, u""},
      {"both batches non-zero", SampleName(u"004321", u"12345", u"00078"), BatchNumber, u""},
      {"shorter than 28 characters", u"ABCDEFGHIJKLMNOPQRSTUVW.XML", RegistrationNumber, u""},
      {"47 characters with an organisation batch",
       rt::Concat({samples::kLead, u"004321", samples::kGap, u"12345", u".XML"}), None, u"00432112.345"},
      {"47 characters without an organisation batch",
       rt::Concat({samples::kLead, u"004321", samples::kGap, u"00000", u".XML"}), BatchNumber, u""},
      {"registration 004321", SampleName(u"004321", u"12345", u"00000"), None, u"00432112.345"},
      {"registration after two blanks", SampleName(u"  4321", u"12345", u"00000"), None, u"00432112.345"},
      {"registration before letters", SampleName(u"4321AB", u"12345", u"00000"), None, u"00432112.345"},
      {"registration of letters", SampleName(u"ABCDEF", u"12345", u"00000"), RegistrationNumber, u""},
      {"registration of zeros", SampleName(u"000000", u"12345", u"00000"), RegistrationNumber, u""},
      {"batch 00001", SampleName(u"004321", u"00001", u"00000"), None, u"00432100.001"},
      {"batch 99999", SampleName(u"004321", u"99999", u"00000"), None, u"00432199.999"},
      {"subdivision batch 00001", SampleName(u"004321", u"00000", u"00001"), None, u"00432100.001"},
      {"registration 999999", SampleName(u"999999", u"12345", u"00000"), None, u"99999912.345"},
      {"negative registration", SampleName(u"-04321", u"12345", u"00000"), RegistrationNumber, u""},
      {"negative organisation batch", SampleName(u"004321", u"-0001", u"00000"), BatchNumber, u""},
      {"negative subdivision batch", SampleName(u"004321", u"00000", u"-0001"), BatchNumber, u""},
      {"negative batch beside a good one", SampleName(u"004321", u"12345", u"-0001"), BatchNumber, u""},
      {"negative registration before a batch problem", SampleName(u"-00001", u"00000", u"00000"), RegistrationNumber,
       u""},
      // An exponent lets a short field read beyond its digits.
      {"registration read through an exponent", SampleName(u"9.9e99", u"12345", u"00000"), RegistrationNumber, u""},
      {"registration of seven digits by exponent", SampleName(u"1.0e06", u"12345", u"00000"), RegistrationNumber, u""},
      {"batch read through an exponent", SampleName(u"004321", u"1.e99", u"00000"), BatchNumber, u""},
      {"batch of six digits by exponent", SampleName(u"004321", u"00000", u"1.0e5"), BatchNumber, u""},
      {"registration with a fraction", SampleName(u"4321.9", u"12345", u"00000"), None, u"00432112.345"},
  };
  for (const auto& c : cases) {
    const Decision got = Decide(rt::Concat({u"D:\\DATA\\IN\\", c.name}), u"D:\\DATA\\OUT\\");
    EXPECT_EQ(got.problem, c.problem) << c.what;
    EXPECT_EQ(got.outputName, c.outputName) << c.what;
  }
}

TEST(Conversion, PositionsCountInTheNameAloneWhateverTheDirectory) {
  const rt::Text name = SampleName(u"004321", u"00000", u"00078");
  const rt::TextView directories[] = {
      u"",
      u"D:\\DATA\\IN\\",
      u"C:\\",
      u"\\\\server\\share\\a\\b\\c\\",
      u"C:\\Мои документы\\Входящие 2024\\",
      // Digits where the fields would be if the path were counted from its start.
      u"C:\\000000000000000000000000999999\\0000099999\\",
      u"C:\\1\\",
  };
  for (const auto directory : directories) {
    const rt::Text fileIn = rt::Concat({directory, name});
    EXPECT_EQ(LastSeparator(fileIn), rt::LEN(directory)) << ::testing::PrintToString(fileIn);
    EXPECT_EQ(FileNamePart(fileIn), name) << ::testing::PrintToString(fileIn);
    const Decision got = Decide(fileIn, u"D:\\OUT\\");
    EXPECT_EQ(got.problem, NameProblem::None) << ::testing::PrintToString(fileIn);
    EXPECT_EQ(got.outputName, u"00432100.078") << ::testing::PrintToString(fileIn);
  }
}

TEST(Conversion, NameWithoutDirectoryIsTakenWhole) {
  const rt::Text name = WorkedExampleName();
  EXPECT_EQ(LastSeparator(name), 0);
  const Decision got = Decide(name, u"D:\\OUT");
  EXPECT_EQ(got.problem, NameProblem::None);
  EXPECT_EQ(got.parameters, rt::Concat({u" ", name, u" qRec7to4.xsl -o D:\\OUT\\00432112.345"}));
}

TEST(Conversion, PathsWithBlanksAreQuotedAndOthersAreNot) {
  const rt::Text name = WorkedExampleName();
  const struct {
    rt::TextView directoryIn, pathOut;
    rt::Text expected;
  } cases[] = {
      {u"D:\\DATA\\IN\\", u"D:\\DATA\\OUT\\",
       rt::Concat({u" D:\\DATA\\IN\\", name, u" qRec7to4.xsl -o D:\\DATA\\OUT\\00432112.345"})},
      {u"C:\\Мои документы\\", u"D:\\OUT\\",
       rt::Concat({u" \"C:\\Мои документы\\", name, u"\" qRec7to4.xsl -o D:\\OUT\\00432112.345"})},
      {u"D:\\IN\\", u"C:\\Мои документы\\Выход",
       rt::Concat({u" D:\\IN\\", name, u" qRec7to4.xsl -o \"C:\\Мои документы\\Выход\\00432112.345\""})},
  };
  for (const auto& c : cases) {
    const Decision got = Decide(rt::Concat({c.directoryIn, name}), c.pathOut);
    EXPECT_EQ(got.parameters, c.expected) << ::testing::PrintToString(rt::Text(c.directoryIn));
  }
}

// Names compared as Windows compares them: each letter of the BMP with a one-unit capital.
TEST(Conversion, NamesFoldedAsWindowsComparesThem) {
  const struct {
    rt::TextView name, folded;
  } cases[] = {
      {u"c:\\вхідні_é\\abc.xml", u"C:\\ВХІДНІ_É\\ABC.XML"},
      {u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя az", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ AZ"},
      {u"αβγάώς", u"ΑΒΓΆΏΣ"},
      {u"ąĄčČęşőžŀĿǆǄ", u"ĄĄČČĘŞŐŽĿĿǄǄ"},
      {u"straße ǅ", u"STRAßE Ǆ"},                // no one-unit capital; titlecase to capital
      {u"\U00010428 ａｚ", u"\U00010428 ＡＺ"},  // a surrogate pair as it is (Windows folds units)
  };
  for (const auto& c : cases) EXPECT_EQ(FoldedName(c.name), c.folded) << ::testing::PrintToString(rt::Text(c.name));
}

}  // namespace
}  // namespace convert

#include "convert/rules/name_fields.h"

#include <gtest/gtest.h>

#include "sample_file_names.h"

namespace convert {
namespace {

using samples::kLead;
using samples::SampleName;
using samples::WorkedExampleName;

TEST(LastSeparator, FindsTheLastBackslashOfTheClippedPath) {
  const struct {
    rt::TextView path;
    rt::LONG separator;
    rt::TextView name;
  } cases[] = {
      {u"D:\\DATA\\IN\\X.XML", 11, u"X.XML"},
      {u"D:\\DATA\\IN\\X.XML     ", 11, u"X.XML"},  // a blank-padded field
      {u"X.XML", 0, u"X.XML"},                      // no directory: the whole text
      {u"X.XML   ", 0, u"X.XML"},
      {u"", 0, u""},
      {u"     ", 0, u""},
      {u"\\", 1, u""},
      {u"D:\\DATA\\IN\\", 11, u""},
      {u"D:\\DATA\\IN\\   ", 11, u""},
      {u"D:/DATA/IN/X.XML", 0, u"D:/DATA/IN/X.XML"},  // only "\" separates
      {u"D:\\DATA/IN/X.XML", 3, u"DATA/IN/X.XML"},
      {u"\\\\server\\share\\X.XML", 15, u"X.XML"},
      {u"C:\\Мои документы\\файл 1.XML", 17, u"файл 1.XML"},
      {u"D:\\DATA\\a b   c.XML", 8, u"a b   c.XML"},  // blanks inside the name stay
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LastSeparator(c.path), c.separator) << "path: " << ::testing::PrintToString(rt::Text(c.path));
    EXPECT_EQ(FileNamePart(c.path), c.name) << "path: " << ::testing::PrintToString(rt::Text(c.path));
  }
}

TEST(ReadNameFields, ReadsThePositionsOfTheName) {
  const struct {
    const char* what;
    rt::Text name;
    NameFields expected;
  } cases[] = {
      {"worked example", WorkedExampleName(), {4321, 12345, 0}},
      {"subdivision batch", SampleName(u"004321", u"00000", u"00078"), {4321, 0, 78}},
      {"both batches zero", SampleName(u"004321", u"00000", u"00000"), {4321, 0, 0}},
      {"both batches non-zero", SampleName(u"004321", u"12345", u"00078"), {4321, 12345, 78}},
      {"registration after blanks", SampleName(u"  4321", u"12345", u"00000"), {4321, 12345, 0}},
      {"registration before letters", SampleName(u"4321AB", u"12345", u"00000"), {4321, 12345, 0}},
      {"registration of letters", SampleName(u"ABCDEF", u"12345", u"00000"), {0, 12345, 0}},
      {"largest registration", SampleName(u"999999", u"12345", u"00000"), {999999, 12345, 0}},
      {"negative registration", SampleName(u"-04321", u"12345", u"00000"), {-4321, 12345, 0}},
      {"negative organisation batch", SampleName(u"004321", u"-0001", u"00000"), {4321, -1, 0}},
      {"negative subdivision batch", SampleName(u"004321", u"00000", u"-0001"), {4321, 0, -1}},
      {"smallest batch", SampleName(u"004321", u"00001", u"00000"), {4321, 1, 0}},
      {"largest batch", SampleName(u"004321", u"99999", u"00000"), {4321, 99999, 0}},
      {"lowercase extension", SampleName(u"004321", u"12345", u"00000", u".xml"), {4321, 12345, 0}},
      {"no extension, 64 characters", SampleName(u"004321", u"00000", u"00078", u""), {4321, 0, 78}},
      {"a seventh registration digit is not read", SampleName(u"0043219", u"1234", u"00000"), {4321, 0, 0}},
      {"27 characters: no registration", rt::Text(kLead), {0, 0, 0}},
      {"27 characters and an extension", rt::Concat({kLead, u".XML"}), {0, 0, 0}},
      {"name of 10 characters", u"004321.XML", {0, 0, 0}},
      {"empty name", u"", {0, 0, 0}},
      {"30 characters: a cut registration", rt::Concat({kLead, u"043"}), {43, 0, 0}},
      {"33 characters: registration only", rt::Concat({kLead, u"004321"}), {4321, 0, 0}},
      {"47 characters: no subdivision batch",
       rt::Concat({kLead, u"004321", samples::kGap, u"12345", u".XML"}),
       {4321, 12345, 0}},
      {"40 characters: a cut organisation batch", rt::Concat({kLead, u"004321", samples::kGap, u"12"}), {4321, 12, 0}},
      {"59 characters: organisation batch zero",
       rt::Concat({kLead, u"004321", samples::kGap, u"00000", samples::kMiddle}),
       {4321, 0, 0}},
      {"62 characters: a cut subdivision batch",
       rt::Concat({kLead, u"004321", samples::kGap, u"00000", samples::kMiddle, u"078"}),
       {4321, 0, 78}},
  };
  for (const auto& c : cases) {
    const NameFields got = ReadNameFields(c.name);
    EXPECT_EQ(got.REGNUMB, c.expected.REGNUMB) << c.what << ": REGNUMB of " << ::testing::PrintToString(c.name);
    EXPECT_EQ(got.DCK1, c.expected.DCK1) << c.what << ": DCK1 of " << ::testing::PrintToString(c.name);
    EXPECT_EQ(got.DCK2, c.expected.DCK2) << c.what << ": DCK2 of " << ::testing::PrintToString(c.name);
  }
}

TEST(CheckNameFields, RegistrationFirstThenExactlyOneBatch) {
  constexpr rt::LONG kLongMax = 2147483647;
  constexpr rt::LONG kLongMin = -kLongMax - 1;
  const struct {
    NameFields fields;
    NameProblem expected;
  } cases[] = {
      {{4321, 12345, 0}, NameProblem::None},
      {{4321, 0, 78}, NameProblem::None},
      {{1, 1, 0}, NameProblem::None},
      {{999999, 0, 99999}, NameProblem::None},
      {{4321, 0, 0}, NameProblem::BatchNumber},
      {{4321, 12345, 78}, NameProblem::BatchNumber},
      {{4321, 1, 1}, NameProblem::BatchNumber},
      {{0, 12345, 0}, NameProblem::RegistrationNumber},
      {{0, 0, 0}, NameProblem::RegistrationNumber},  // the registration is checked first
      {{0, 1, 1}, NameProblem::RegistrationNumber},
      // Negative numbers are wrong numbers, whatever the other field holds.
      {{-4321, 12345, 0}, NameProblem::RegistrationNumber},
      {{-1, 0, 0}, NameProblem::RegistrationNumber},
      {{kLongMin, 12345, 0}, NameProblem::RegistrationNumber},
      {{4321, -1, 0}, NameProblem::BatchNumber},
      {{4321, 0, -1}, NameProblem::BatchNumber},
      {{4321, -1, 78}, NameProblem::BatchNumber},
      {{4321, 12345, -1}, NameProblem::BatchNumber},
      {{4321, -1, -1}, NameProblem::BatchNumber},
      {{4321, kLongMin, 0}, NameProblem::BatchNumber},
      // Numbers that the output name's digits cannot hold.
      {{1000000, 12345, 0}, NameProblem::RegistrationNumber},
      {{kLongMax, 12345, 0}, NameProblem::RegistrationNumber},
      {{4321, 100000, 0}, NameProblem::BatchNumber},
      {{4321, 0, 100000}, NameProblem::BatchNumber},
      {{4321, kLongMax, 0}, NameProblem::BatchNumber},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckNameFields(c.fields), c.expected)
        << "REGNUMB " << c.fields.REGNUMB << ", DCK1 " << c.fields.DCK1 << ", DCK2 " << c.fields.DCK2;
  }
}

TEST(OutputName, RegistrationThenTheNonZeroBatch) {
  const struct {
    NameFields fields;
    rt::TextView expected;
  } cases[] = {
      {{4321, 12345, 0}, u"00432112.345"}, {{4321, 0, 78}, u"00432100.078"},      {{4321, 1, 0}, u"00432100.001"},
      {{4321, 0, 1}, u"00432100.001"},     {{4321, 99999, 0}, u"00432199.999"},   {{999999, 12345, 0}, u"99999912.345"},
      {{1, 0, 99999}, u"00000199.999"},    {{123456, 10000, 0}, u"12345610.000"}, {{7, 0, 1234}, u"00000701.234"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OutputName(c.fields), c.expected)
        << "REGNUMB " << c.fields.REGNUMB << ", DCK1 " << c.fields.DCK1 << ", DCK2 " << c.fields.DCK2;
  }
}

}  // namespace
}  // namespace convert

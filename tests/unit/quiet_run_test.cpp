#include "convert/rules/quiet_run.h"

#include <gtest/gtest.h>

namespace convert {
namespace {

TEST(ReadRunRequest, SwitchesInAnyCaseAndPathsApart) {
  const struct {
    std::vector<rt::Text> arguments;
    bool quiet, newFiles;
    unsigned timeout;
    std::vector<rt::Text> paths;
    rt::Text wrong;
    bool retry = false;
  } cases[] = {
      {{u"/quiet", u"/NEW"}, true, true, kDefaultTimeoutSeconds, {}, u""},
      {{u"-Quiet", u"C:\\IN\\a.XML", u"/timeout", u"30", u"C:\\IN"},
       true,
       false,
       30,
       {u"C:\\IN\\a.XML", u"C:\\IN"},
       u""},
      {{u"/quiet", u"/timeout", u"0"}, true, false, kDefaultTimeoutSeconds, {u"0"}, u"/timeout"},
      {{u"/quiet", u"/timeout"}, true, false, kDefaultTimeoutSeconds, {}, u"/timeout"},
      {{u"/quiet", u"/news", u"-x1.XML"}, true, false, kDefaultTimeoutSeconds, {u"-x1.XML"}, u"/news"},
      {{u"/quiet", u"/Retry"}, true, true, kDefaultTimeoutSeconds, {}, u"", true},
      // Milliseconds of the longest limit still fit; one more digit would not.
      {{u"/quiet", u"/timeout", u"999999"}, true, false, 999999, {}, u""},
      {{u"/quiet", u"/timeout", u"4294968"}, true, false, kDefaultTimeoutSeconds, {u"4294968"}, u"/timeout"},
  };
  for (const auto& c : cases) {
    const RunRequest request = ReadRunRequest(c.arguments);
    EXPECT_EQ(request.quiet, c.quiet);
    EXPECT_EQ(request.newFiles, c.newFiles);
    EXPECT_EQ(request.timeoutSeconds, c.timeout);
    EXPECT_EQ(request.paths, c.paths);
    EXPECT_EQ(request.wrong, c.wrong);
    EXPECT_EQ(request.retry, c.retry);
  }
}

TEST(RunExitCode, AnyFileNotConvertedMakesOne) {
  const FileReport converted{u"a.XML", u"00000100.001", FileResult::Converted, {}, {}};
  const FileReport refused{
      u"b.XML", u"", FileResult::Refused, u"В выбранном файле отсутствует Регистрационный номер", {}};
  EXPECT_EQ(RunExitCode({}), kRunConvertedAll);
  EXPECT_EQ(RunExitCode(std::vector<FileReport>{converted, converted}), kRunConvertedAll);
  EXPECT_EQ(RunExitCode(std::vector<FileReport>{converted, refused}), kRunNotConverted);
  EXPECT_EQ(RunLine(refused), u"Отклонён\tb.XML\t\tВ выбранном файле отсутствует Регистрационный номер");
  EXPECT_EQ(RunLine(converted), u"Сконвертирован\ta.XML\t00000100.001\t");
  EXPECT_EQ(RunExitCode(std::vector<FileReport>{converted}, 1), kRunNotConverted);  // a failure left unchanged
  const std::vector<rt::Text> lines = FailedLeftLines(std::vector<rt::Text>(12, u"C:\\IN\\b.XML"));
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines.front(), u"Не удались прежде и с тех пор не менялись: 12 (повторить их: /retry)");
  EXPECT_EQ(lines[10], u"b.XML");
  EXPECT_EQ(lines.back(), u"… и ещё 2");
}

}  // namespace
}  // namespace convert

#include "convert/rules/conversion_outcome.h"

#include <gtest/gtest.h>

namespace convert {
namespace {

constexpr std::int64_t kLaunch = 133'000'000'000'000'000;

TEST(JudgeOutcome, NeedsExitCodeZeroAndAnOutputWrittenSinceTheLaunch) {
  const struct {
    std::uint32_t exitCode;
    std::optional<std::int64_t> written;
    Outcome expected;
  } cases[] = {
      {0, kLaunch + kFileTimeSecond, Outcome::Succeeded},
      {0, kLaunch - kFileTimeSlack, Outcome::Succeeded},  // a coarse clock on the output's disk
      {0, kLaunch - kFileTimeSlack - 1, Outcome::NoOutput},
      {0, std::nullopt, Outcome::NoOutput},
      {1, kLaunch + kFileTimeSecond, Outcome::ExitCode},
      {0xC000013A, std::nullopt, Outcome::ExitCode},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JudgeOutcome({c.exitCode, c.written}, kLaunch), c.expected)
        << "exit code " << c.exitCode << ", written " << (c.written ? *c.written - kLaunch : -1);
  }
}

TEST(MessageLines, NamesTheFileAndTheReasonALineEach) {
  const rt::Text lines[] = {
      FailureLine(u"a.XML", Outcome::ExitCode, 1, u"D:\\OUT\\x.345"),
      FailureLine(u"b.XML", Outcome::ExitCode, 0xC000013A, u""),
      FailureLine(u"c.XML", Outcome::NoOutput, 0, u"D:\\OUT\\00432112.345"),
      FailureLine(u"d.XML", Outcome::ExitCode, 0x7FFFFFFF, u""),
  };
  EXPECT_EQ(MessageLines(lines),
            u"Конвертация файла a.XML не удалась: msxsl.exe завершился с кодом 1.|"
            u"Конвертация файла b.XML не удалась: msxsl.exe завершился с кодом 0xC000013A.|"
            u"Конвертация файла c.XML не удалась: выходной файл D:\\OUT\\00432112.345 не создан.|"
            u"Конвертация файла d.XML не удалась: msxsl.exe завершился с кодом 2147483647.");
  EXPECT_EQ(ExitCodeText(0x80000000u), u"0x80000000");
}

}  // namespace
}  // namespace convert

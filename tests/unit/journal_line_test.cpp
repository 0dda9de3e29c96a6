#include "convert/journal/rules/journal_line.h"

#include <gtest/gtest.h>

namespace convert {
namespace {

// Written and read back: ";", quotes, line breaks and Cyrillic in fields; a header, empty lines,
// a line cut short in the middle (the next one on its own line) and at the end are skipped.
TEST(Journal, ReadsBackWhatItWritesAndSkipsWhatIsCutShort) {
  const JournalEntry entries[] = {
      {JournalTime(2026, 12, 8, 9, 5, 3), u"C:\\Вход;Я\\a \"b\".XML", 1234, u"2026-12-07 23:59:59",
       u"C:\\OUT\\00432112.345", JournalMethod::BuiltIn, JournalResult::Failed, u"Ошибка; строка 3\r\nвторая",
       u"2026-12-07T20:59:59Z"},
      {u"2026-12-08 09:15:04", u"C:\\IN\\b.XML", 0, u"2026-12-08 09:00:00", u"", JournalMethod::Processor,
       JournalResult::Refused, u"a lone \" and \U0001F600 beyond the BMP"},
  };
  EXPECT_EQ(JournalLine(entries[0]),
            "2026-12-08 09:05:03;\"C:\\Вход;Я\\a \"\"b\"\".XML\";1234;2026-12-07 23:59:59;C:\\OUT\\00432112.345;"
            "встроенный;ошибка;\"Ошибка; строка 3  вторая\";2026-12-07T20:59:59Z\r\n");
  EXPECT_EQ(JournalStart(),
            "\xEF\xBB\xBFВремя;Входной файл;Размер;Изменён;Выходной файл;Способ;Итог;Причина;Изменён (UTC)\r\n");
  const std::string cut = JournalLine(entries[1]).substr(0, 30);
  const std::string journal = JournalStart() + JournalLine(entries[0]) + cut + "\r\n\r\n" + JournalLine(entries[1]) +
                              JournalLine(entries[0]).substr(0, 60);
  const std::vector<JournalEntry> read = ReadJournal(journal);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].inputPath, entries[0].inputPath);
  EXPECT_EQ(read[0].size, 1234u);
  EXPECT_EQ(read[0].reason, u"Ошибка; строка 3  вторая");
  EXPECT_EQ(read[0].result, JournalResult::Failed);
  EXPECT_EQ(read[1].outputPath, u"");
  EXPECT_EQ(read[1].method, JournalMethod::Processor);
  EXPECT_EQ(read[1].result, JournalResult::Refused);
  EXPECT_EQ(read[1].reason, entries[1].reason);
  EXPECT_EQ(read[0].modifiedUtc, u"2026-12-07T20:59:59Z");
  EXPECT_EQ(read[1].modifiedUtc, u"");
}

// Sizes as a spreadsheet writes numbers, and its header written again; times of noon and midnight
// in an English locale, and of a file in UTC.
TEST(Journal, NumbersAndTimesAsASpreadsheetWritesThem) {
  const std::pair<std::string, std::uint64_t> sizes[] = {
      {"12345", 12345},  {"12 345", 12345},    {"12\u00A0345", 12345}, {"12\u202F345", 12345},
      {"12,345", 12345}, {"12,345.00", 12345}, {"1,2345E+04", 12345},  {"1 234 567,00", 1234567},
      {"1,5", 0},        {"12 34", 0},         {"1,2E+05", 0},         {"Размер", 0}};
  for (const auto& [size, bytes] : sizes) {  // 0 bytes: unreadable
    JournalEntry entry;
    const std::string line = "2026-12-08 09:00:00;C:\\IN\\a.XML;" + size + ";2026-12-07 10:00:00;;msxsl.exe;ошибка;;";
    const LineRead read = ReadJournalLine(line, JournalForm{}, {}, entry);
    EXPECT_EQ(read, bytes != 0 ? LineRead::Entry : size == "Размер" ? LineRead::Skipped : LineRead::Unreadable);
    EXPECT_EQ(read == LineRead::Entry ? entry.size : 0, bytes) << size;
  }
  for (const auto& [time, hour] : {std::pair{"12/7/2026 12:30 AM", 0}, {"12/7/2026 12:30 PM", 12}}) {
    EXPECT_EQ(ReadJournalTime(time, false).value_or(ClockTime{}).seconds, ClockSecondsAt(2026, 12, 7, hour, 30, 0));
  }
  constexpr std::int64_t kFileTime = 134411841030000000;  // 2026-12-08 06:15:03 UTC
  EXPECT_EQ(JournalUtcTime(kFileTime), u"2026-12-08T06:15:03Z");
  EXPECT_EQ(ClockSecondsOf(kFileTime), ClockSecondsAt(2026, 12, 8, 6, 15, 3));
}

}  // namespace
}  // namespace convert

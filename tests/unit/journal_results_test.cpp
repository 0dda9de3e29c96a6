#include "convert/journal/rules/journal_results.h"

#include <gtest/gtest.h>

namespace convert {
namespace {

// A report's row in the journal's words: its reason on one line, without the result's own word.
TEST(JournalResults, RowsOfTheReportInTheJournalsWords) {
  const FileReport failed{u"a", u"b", FileResult::Failed, u"Не удалось запустить msxsl.exe|Отказано в доступе.",
                          u"\r\n  Ошибка: разбор \r\nдалее"};
  EXPECT_EQ(JournalResultOf(failed.result), JournalResult::Failed);
  EXPECT_EQ(JournalReasonOf(failed), u"Не удалось запустить msxsl.exe: Отказано в доступе. Ошибка: разбор");
  const FileReport notConverted{u"a", u"b", FileResult::NotConverted, u"", u""};
  EXPECT_EQ(JournalResultOf(notConverted.result), JournalResult::NotConverted);
  EXPECT_EQ(JournalReasonOf(notConverted), u"конвертация остановлена");
}

// Each result in its own words and with its own icon, each method as itself.
TEST(JournalResults, WordsIconsAndMethods) {
  const struct {
    FileResult result;
    const char16_t* words;
    rt::RowStatus icon;
  } cases[] = {
      {FileResult::Converted, u"сконвертирован", rt::RowStatus::Converted},
      {FileResult::Refused, u"отклонён", rt::RowStatus::Refused},
      {FileResult::Failed, u"ошибка", rt::RowStatus::Failed},
      {FileResult::NotConverted, u"не сконвертирован", rt::RowStatus::NotConverted},
      {FileResult::Stopped, u"остановлен", rt::RowStatus::NotConverted},
      {FileResult::NotFormat, u"не соответствует формату", rt::RowStatus::Failed},
      {FileResult::NotSchema, u"не соответствует схеме", rt::RowStatus::Failed},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JournalResultWords(JournalResultOf(c.result)), c.words);
    EXPECT_EQ(StatusOf(JournalResultOf(c.result)), c.icon) << static_cast<int>(c.result);
  }
  EXPECT_EQ(JournalMethodWords(JournalMethodFor(u"C:\\W\\msxsl.exe")), u"msxsl.exe");
  EXPECT_EQ(JournalMethodWords(JournalMethodFor(u"")), u"встроенный");
}

}  // namespace
}  // namespace convert

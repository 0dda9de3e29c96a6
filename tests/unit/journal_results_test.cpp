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

}  // namespace
}  // namespace convert

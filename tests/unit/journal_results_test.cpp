#include "convert/journal/rules/journal_results.h"

#include <gtest/gtest.h>

#include "convert/rules/conversion_messages.h"
#include "convert/rules/conversion_outcome.h"
#include "runtime/text/utf8_text.h"
#include "transform/xslt/transform_reasons.h"

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

// A failure of the file's own (not new until it changes) or of its surroundings (tried again), by
// its result and each kind of reason; lines that tell no failure are neither.
TEST(JournalResults, FailuresOfTheFilesOwnAndOfItsSurroundings) {
  using enum JournalResult;
  using rt::ParsedDocument::kInput, rt::ParsedDocument::kStylesheet;
  const rt::TextView in = u"C:\\IN\\a.XML", out = u"C:\\OUT\\x", xsl = u"C:\\W\\q.xsl", xsd = u"C:\\W\\q.in.xsd";
  for (const JournalResult result : {Refused, NotFormat, NotSchema}) EXPECT_TRUE(FailedOfItsOwn(result, u"x"));
  for (const JournalResult result : {Converted, Stopped, NotConverted, Launched})
    EXPECT_FALSE(FailedOfItsOwn(result, u"x"));
  const rt::Text own[] = {u"",
                          FailureReason(Outcome::ExitCode, 2, out) + u" Ошибка разбора",
                          FailureReason(Outcome::ExitCode, 0x80004005, out),
                          rt::ParseErrorReason(kInput, in, 3, 5, u"x"),
                          rt::DtdRefusedReason(kInput, in),
                          rt::TransformFailedReason(in, u"x"),
                          rt::NoResultReason(in)};
  const rt::Text surroundings[] = {FailureReason(Outcome::ExitCode, 0xC0000005, out),
                                   FailureReason(Outcome::NoOutput, 0, out),
                                   OneLine(LaunchFailedMessage(u"Отказано в доступе.")),
                                   ResultKeptReason(rt::OutputNotWrittenReason(out, u"Занят."), u"C:\\OUT\\x.new"),
                                   rt::OutputNotWrittenReason(out, u"Недостаточно места на диске."),
                                   rt::WorkerEndedReason(in),
                                   rt::WorkerNotStartedReason(u"x"),
                                   rt::OutOfMemoryReason(in),
                                   rt::PreparationEndedReason(xsl),
                                   rt::StylesheetRejectedReason(xsl, u"x"),
                                   rt::ParseErrorReason(kStylesheet, xsl, 3, 5, u"x"),
                                   rt::StylesheetMissingReason(xsl),
                                   rt::SchemaRejectedReason(xsd, u"x"),
                                   rt::ScriptsRefusedReason(std::vector<rt::ScriptPlace>{{rt::Text(xsl), 3}}),
                                   rt::ReadRefusedReason(u"http://x", rt::NetworkPathWhy(), xsl, 3, u""),
                                   rt::FileBrokenReason(u"C:\\W\\d.xml", xsl, 3, u"x"),
                                   rt::UnreadableReason(in, u"x"),
                                   rt::InputMissingReason(in),
                                   rt::NotAFileReason(in)};
  for (const rt::Text& reason : own) EXPECT_TRUE(FailedOfItsOwn(Failed, reason)) << rt::Utf8Of(reason);
  for (const rt::Text& reason : surroundings) EXPECT_FALSE(FailedOfItsOwn(Failed, reason)) << rt::Utf8Of(reason);
}

}  // namespace
}  // namespace convert

#include "convert/journal/rules/new_files.h"

#include <gtest/gtest.h>

#include "convert/journal/rules/journal_view.h"

namespace convert {
namespace {

constexpr char16_t kTime[] = u"2026-12-07 10:00:00";

JournalEntry Converted(rt::TextView path, std::uint64_t size, rt::TextView modified,
                       JournalResult result = JournalResult::Converted) {
  return {u"2026-12-08 09:00:00", rt::Text(path),           size,   rt::Text(modified),
          u"C:\\OUT\\x",          JournalMethod::Processor, result, u""};
}

// Each file of the directory against the journal's line about it, read in two parts that cut a
// line in two.
TEST(NewFiles, ThoseWithoutAConversionOfTheSameFileAsItIsNow) {
  const struct {
    InputFile file;
    JournalEntry line;
    bool isNew;
  } cases[] = {
      {{u"C:\\IN\\Стар.XML", 10, kTime}, Converted(u"c:\\in\\стар.xml", 10, kTime), false},
      {{u"C:\\IN\\Bigger.XML", 11, kTime}, Converted(u"C:\\IN\\Bigger.XML", 10, kTime), true},
      {{u"C:\\IN\\Later.XML", 10, u"2026-12-07 10:00:01"}, Converted(u"C:\\IN\\Later.XML", 10, kTime), true},
      {{u"C:\\IN\\Failed.XML", 10, kTime}, Converted(u"C:\\IN\\Failed.XML", 10, kTime, JournalResult::Failed), true},
      {{u"C:\\IN\\Moved.XML", 10, kTime}, Converted(u"C:\\OLD\\Moved.XML", 10, kTime), true},
      {{u"C:\\IN\\notes.txt", 10, kTime}, Converted(u"C:\\IN\\other.XML", 1, kTime), false},
  };
  std::vector<InputFile> files;
  std::string journal = JournalStart();
  std::vector<rt::Text> expected;
  for (const auto& c : cases) {
    files.push_back(c.file);
    journal += JournalLine(c.line);
    if (c.isNew) expected.push_back(c.file.path);
  }
  NewFilesSearch search(files);
  const std::size_t taken = search.TakeJournal(std::string_view(journal).substr(0, journal.size() / 2));
  EXPECT_EQ(search.TakeJournal(std::string_view(journal).substr(taken)), journal.size() - taken);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(search.NewFiles(), expected);
}

// A row's line read from the journal's bytes, as the window reads it from the file.
JournalLineReader LinesOf(const std::string& journal) {
  return [&journal](std::uint64_t offset) {
    const std::string_view rest = std::string_view(journal).substr(offset);
    return rest.substr(0, rest.find('\n'));
  };
}

// Newest first, with and without the converted rows, also those that arrive while filtered; a line
// still being written waits for its end; the table copied is what the rows show, formulas as text.
TEST(JournalView, NewestFirstFilteredAndCopied) {
  const JournalEntry failed{u"2026-12-08 09:01:00", u"C:\\IN\\b.XML",   1, kTime, u"", JournalMethod::BuiltIn,
                            JournalResult::Failed,  u"=Ошибка\tв файле"};
  const std::string journal = JournalStart() + JournalLine(Converted(u"C:\\IN\\a.XML", 1, kTime)) + JournalLine(failed);
  const std::size_t last = journal.size() - JournalLine(failed).size();
  JournalView view(LinesOf(journal));
  JournalEntry scratch;
  std::vector<JournalLineMark> marks;
  EXPECT_EQ(MarkJournalLines(std::string_view(journal).substr(0, journal.size() - 5), 0, scratch, marks), last);
  view.Add(marks);
  view.ShowFailedOnly(true);
  marks.clear();
  EXPECT_EQ(MarkJournalLines(std::string_view(journal).substr(last), last, scratch, marks), journal.size() - last);
  view.Add(marks);
  EXPECT_EQ(view.Summary(), u"Записей: 2, неудачных: 1");
  EXPECT_EQ(view.Table({}),
            u"Время\tВходной файл\tВыходной файл\tИтог\tПричина\r\n"
            u"2026-12-08 09:01:00\tb.XML\t\tОшибка\t'=Ошибка в файле\r\n");
  view.ShowFailedOnly(false);
  ASSERT_EQ(view.RowCount(), 2u);
  EXPECT_EQ(view.Entry(0).inputPath, failed.inputPath);
  EXPECT_EQ(JournalView::Cells(view.Entry(1)),
            (std::vector<rt::Text>{u"2026-12-08 09:00:00", u"a.XML", u"x", u"Сконвертирован", u""}));
}

// A copied cell that a spreadsheet would take for a formula stays text; tabs become blanks.
TEST(JournalView, CellsCopiedAsPlainText) {
  const struct {
    rt::TextView cell, copied;
  } cases[] = {{u"=1+1", u"'=1+1"}, {u"+7", u"'+7"},       {u"-3", u"'-3"},
               {u"@A1", u"'@A1"},   {u"a=b\tc", u"a=b c"}, {u"", u""}};
  for (const auto& c : cases) EXPECT_EQ(PlainCell(c.cell), c.copied);
}

}  // namespace
}  // namespace convert

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

// Newest first, with and without the converted rows; a line still being written waits for its
// end; the table copied is what the rows show.
TEST(JournalView, NewestFirstFilteredAndCopied) {
  const JournalEntry failed{u"2026-12-08 09:01:00", u"C:\\IN\\b.XML",  1, kTime, u"", JournalMethod::BuiltIn,
                            JournalResult::Failed,  u"Ошибка\tв файле"};
  const std::string journal = JournalStart() + JournalLine(Converted(u"C:\\IN\\a.XML", 1, kTime)) + JournalLine(failed);
  JournalView view;
  EXPECT_EQ(view.Append(journal.substr(0, journal.size() - 5)), journal.size() - JournalLine(failed).size());
  EXPECT_EQ(view.Append(journal.substr(journal.size() - JournalLine(failed).size())), JournalLine(failed).size());
  ASSERT_EQ(view.RowCount(), 2u);
  EXPECT_EQ(view.Entry(0).inputPath, failed.inputPath);
  EXPECT_EQ(JournalView::Cells(view.Entry(1)),
            (std::vector<rt::Text>{u"2026-12-08 09:00:00", u"a.XML", u"x", u"Сконвертирован", u""}));
  view.ShowFailedOnly(true);
  EXPECT_EQ(view.Summary(), u"Записей: 2, неудачных: 1");
  EXPECT_EQ(view.Table({}),
            u"Время\tВходной файл\tВыходной файл\tИтог\tПричина\r\n"
            u"2026-12-08 09:01:00\tb.XML\t\tОшибка\tОшибка в файле\r\n");
}

}  // namespace
}  // namespace convert

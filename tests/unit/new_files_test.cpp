#include "convert/journal/rules/new_files.h"

#include <gtest/gtest.h>

#include "convert/journal/rules/journal_view.h"
#include "convert/rules/name_fields.h"
#include "runtime/text/number_text.h"

namespace convert {
namespace {

constexpr char16_t kTime[] = u"2026-12-07 10:00:00";
constexpr char16_t kUtc[] = u"2026-12-07T07:00:00Z";  // the same moment, three hours east of UTC
const std::int64_t kLocal = ClockSecondsAt(2026, 12, 7, 10, 0, 0);
const std::int64_t kUniversal = ClockSecondsAt(2026, 12, 7, 7, 0, 0);

// cp1251 for the letters the tests use; the rest as Latin-1.
rt::Text Cp1251(std::string_view bytes) {
  rt::Text text;
  for (const char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    text += b >= 0xC0 ? static_cast<char16_t>(0x410 + b - 0xC0) : b == 0xB8 ? u'ё' : static_cast<char16_t>(b);
  }
  return text;
}
const JournalLocale kRussian{&Cp1251, true};

JournalEntry Line(rt::TextView path, std::uint64_t size, rt::TextView modified, rt::TextView utc = u"",
                  JournalResult result = JournalResult::Converted, rt::TextView reason = u"",
                  rt::TextView time = u"2026-12-08 09:00:00") {
  return {rt::Text(time), rt::Text(path),   size,         rt::Text(modified), u"C:\\OUT\\x", JournalMethod::Processor,
          result,         rt::Text(reason), rt::Text(utc)};
}

InputFile File(rt::TextView path, std::uint64_t size = 10, std::int64_t local = kLocal,
               std::int64_t universal = kUniversal, bool localTimes = false) {
  return {rt::Text(path), size, universal, local, localTimes};
}

// Each file of the directory against the journal's lines about it, read in two parts that cut a
// line in two: new, converted as it is now, failed of its own as it is now (tried again only when
// asked), or held back by a line that could not be read, which is passed over.
TEST(NewFiles, ThoseWithoutAConversionOfTheSameFileAsItIsNow) {
  enum Is { New, Done, Failed, Held };
  const rt::Text held = u"Не удалось записать файл C:\\OUT\\x: занят. Результат сохранён в файле C:\\OUT\\x.new";
  const std::int64_t kLeap = ClockSecondsAt(2028, 2, 29, 7, 0, 0);
  const struct {
    InputFile file;
    std::vector<JournalEntry> lines;
    Is is;
  } cases[] = {
      {File(u"C:\\IN\\Стар.XML"), {Line(u"c:\\in\\стар.xml", 10, kTime)}, Done},
      {File(u"C:\\ВХІДНІ_É\\Ґ.XML"), {Line(u"c:\\вхідні_é\\ґ.xml", 10, kTime)}, Done},
      {File(u"C:\\IN\\Bigger.XML", 11), {Line(u"C:\\IN\\Bigger.XML", 10, kTime)}, New},
      {File(u"C:\\IN\\Later.XML", 10, kLocal + 1), {Line(u"C:\\IN\\Later.XML", 10, kTime)}, New},
      {File(u"C:\\IN\\Moved.XML"), {Line(u"C:\\OLD\\Moved.XML", 10, kTime)}, New},
      {File(u"C:\\IN\\notes.txt"), {}, Done},  // no XML: never listed
      // Failed or refused unchanged: not new; changed since: new; stopped, or failed for its surroundings (the
      // output held): as before it.
      {File(u"C:\\IN\\Failed.XML"), {Line(u"C:\\IN\\Failed.XML", 10, kTime, kUtc, JournalResult::Failed)}, Failed},
      {File(u"C:\\IN\\Refused.XML"), {Line(u"C:\\IN\\Refused.XML", 10, kTime, u"", JournalResult::Refused)}, Failed},
      {File(u"C:\\IN\\Schema.XML"), {Line(u"C:\\IN\\Schema.XML", 10, kTime, u"", JournalResult::NotSchema)}, Failed},
      {File(u"C:\\IN\\Format.XML"), {Line(u"C:\\IN\\Format.XML", 10, kTime, u"", JournalResult::NotFormat)}, Failed},
      {File(u"C:\\IN\\Held.XML"), {Line(u"C:\\IN\\Held.XML", 10, kTime, u"", JournalResult::Failed, held)}, New},
      // A line that cannot be read holds back the file it names; the lines after it are read.
      {File(u"C:\\IN\\Noted.XML"), {Line(u"C:\\IN\\Noted.XML", 10, kTime, u"", {}, u"", u"вчера")}, Held},
      {File(u"C:\\IN\\Fixed.XML", 12), {Line(u"C:\\IN\\Fixed.XML", 10, kTime, u"", JournalResult::Failed)}, New},
      {File(u"C:\\IN\\Stopped.XML"), {Line(u"C:\\IN\\Stopped.XML", 10, kTime, u"", JournalResult::Stopped)}, New},
      {File(u"C:\\IN\\Again.XML"),
       {Line(u"C:\\IN\\Again.XML", 10, kTime, u"", JournalResult::Failed), Line(u"C:\\IN\\Again.XML", 10, kTime),
        Line(u"C:\\IN\\Again.XML", 10, kTime, u"", JournalResult::NotConverted),
        Line(u"C:\\IN\\Again.XML", 10, kTime, u"", JournalResult::Failed, held)},
       Done},
      // In UTC, a change of time zone or of daylight saving moves nothing.
      {File(u"C:\\IN\\Zone.XML", 10, kLocal + 3600), {Line(u"C:\\IN\\Zone.XML", 10, kTime, kUtc)}, Done},
      {File(u"C:\\IN\\Edited.XML", 10, kLocal, kUniversal + 1), {Line(u"C:\\IN\\Edited.XML", 10, kTime, kUtc)}, New},
      // A volume of local 2-second times: rounded, and moved by whole hours when the clock is.
      {File(u"C:\\IN\\Fat.XML", 10, kLocal, kUniversal + 3602, true),
       {Line(u"C:\\IN\\Fat.XML", 10, kTime, kUtc)},
       Done},
      {File(u"C:\\IN\\Ntfs.XML", 10, kLocal, kUniversal + 3600), {Line(u"C:\\IN\\Ntfs.XML", 10, kTime, kUtc)}, New},
      {File(u"C:\\IN\\FatLater.XML", 10, kLocal, kUniversal + 600, true),
       {Line(u"C:\\IN\\FatLater.XML", 10, kTime, kUtc)},
       New},
      {File(u"C:\\IN\\Fat-.XML", 10, 0, kUniversal + 3598, true), {Line(u"C:\\IN\\Fat-.XML", 10, kTime, kUtc)}, Done},
      {File(u"C:\\IN\\Fat15.XML", 10, 0, kUniversal + 54000, true), {Line(u"C:\\IN\\Fat15.XML", 10, kTime, kUtc)}, New},
      // The last day of February in a leap year.
      {File(u"C:\\IN\\Leap.XML", 10, 0, kLeap), {Line(u"C:\\IN\\Leap.XML", 10, kTime, u"2028-02-29T07:00:00Z")}, Done},
      // A spreadsheet dropped the seconds: the minute is compared.
      {File(u"C:\\IN\\Excel.XML", 10, kLocal + 59), {Line(u"C:\\IN\\Excel.XML", 10, u"07.12.2026 10:00")}, Done},
      {File(u"C:\\IN\\ExcelUtc.XML", 10, kLocal, kUniversal + 59),
       {Line(u"C:\\IN\\ExcelUtc.XML", 10, kTime, u"07.12.2026 7:00")},
       Done},
  };
  std::vector<InputFile> files;
  std::string journal = JournalStart();
  std::vector<rt::Text> expected[4];
  for (const auto& c : cases) {
    files.push_back(c.file);
    for (const JournalEntry& line : c.lines) journal += JournalLine(line);
    if (c.file.path.ends_with(u".XML")) expected[c.is].push_back(c.file.path);
  }
  NewFilesSearch search(files, kRussian);
  search.StartJournal();
  const std::size_t taken = search.TakeJournal(std::string_view(journal).substr(0, journal.size() / 2));
  EXPECT_EQ(search.TakeJournal(std::string_view(journal).substr(taken)), journal.size() - taken);
  EXPECT_EQ(search.PassedOver().count, expected[Held].size());
  for (auto& list : expected) std::sort(list.begin(), list.end());
  EXPECT_EQ(search.NewFiles(), expected[New]);
  EXPECT_EQ(search.FailedFiles(), expected[Failed]);
}

// What a clerk's spreadsheet saves the journal as is read back by its header, also after a kept
// journal of another form; a line that is still no entry is passed over, a file that is no journal
// refused at its first line, so that nothing is taken for new.
TEST(NewFiles, JournalsAsASpreadsheetSavesThem) {
  const std::string ours = JournalLine(Line(u"C:\\IN\\a.XML", 10, kTime, kUtc));
  const std::string us = "Входной файл,Время,Размер,Изменён,Выходной файл,Способ,Итог,Причина,Изменён (UTC)\r\n";
  const struct {
    const char* form;
    std::string journal;
    bool dayFirst;
    std::uint64_t line;  // passed over, or 1 of no journal at all; 0: every line read, a.XML converted
    rt::TextView file = u"C:\\IN\\a.XML";
  } cases[] = {
      {"ours", JournalStart() + ours, true, 0},
      {"an earlier version's, without UTC",
       "\xEF\xBB\xBFВремя;Входной файл;Размер;Изменён;Выходной файл;Способ;Итог;Причина\r\n"
       "2026-12-08 09:00:00;C:\\IN\\a.XML;10;2026-12-07 10:00:00;C:\\OUT\\x;msxsl.exe;сконвертирован;\r\n",
       true, 0},
      {"ANSI with Excel's dates, \"?\" for a letter it lacks",
       "\xC2\xF0\xE5\xEC\xFF;\xC2\xF5\xEE\xE4\xED\xEE\xE9 \xF4\xE0\xE9\xEB;\xD0\xE0\xE7\xEC\xE5\xF0;\xC8\xE7\xEC\xE5"
       "\xED\xB8\xED;\xC2\xFB\xF5\xEE\xE4\xED\xEE\xE9 \xF4\xE0\xE9\xEB;\xD1\xEF\xEE\xF1\xEE\xE1;\xC8\xF2\xEE\xE3;"
       "\xCF\xF0\xE8\xF7\xE8\xED\xE0\r\n"
       "08.12.2026 9:00;C:\\IN\\ABCDEFGHIJKLMNOPQRSTUVWXYZ?000001BCDEF00001GHIJKLMNOPQRSTUV00000.XML;10;"
       "07.12.2026 10:00;C:\\OUT\\00000100.001;msxsl.exe;\xF1\xEA\xEE\xED\xE2\xE5\xF0\xF2\xE8\xF0\xEE\xE2\xE0\xED;\r\n",
       true, 0, u"C:\\IN\\ABCDEFGHIJKLMNOPQRSTUVWXYZü000001BCDEF00001GHIJKLMNOPQRSTUV00000.XML"},
      {"\",\" and columns swapped, US dates",
       us + "C:\\IN\\a.XML,12/8/2026 9:00 AM,10,12/7/2026 10:00 AM,C:\\OUT\\x,msxsl.exe,сконвертирован,\"a, b\",\r\n",
       false, 0},
      {"the header again", JournalStart() + ours + JournalStart().substr(3), true, 0},
      {"a line a spreadsheet cannot have meant",
       JournalStart() + ours + "2026-12-08 09:00:00;C:\\IN\\b.XML;десять;x;;msxsl.exe;сконвертирован;;\r\n", true, 3},
      {"no journal at all", "Имя;Фамилия\r\n" + ours, true, 1},
  };
  for (const auto& c : cases) {
    NewFilesSearch search({File(c.file)}, {&Cp1251, c.dayFirst});
    search.StartJournal();
    search.TakeJournal(us);
    search.StartJournal();
    search.TakeJournal(c.journal);
    EXPECT_EQ(search.NotAJournal() ? 1 : search.PassedOver().first[0], c.line) << c.form;
    if (search.NotAJournal()) continue;
    EXPECT_TRUE(search.NewFiles().empty()) << c.form;
    // The window's index reads it in the same form: one converted row, or the line passed over, named.
    JournalFileReading reading;
    reading.file = 7;
    JournalEntry scratch;
    std::vector<JournalLineMark> marks;
    PassedOverLines passed;
    MarkJournalLines(c.journal, reading, {&Cp1251, c.dayFirst}, scratch, marks, passed);
    EXPECT_EQ(passed.named,
              (c.line == 0 ? std::vector<PassedOverLines::Line>{} : std::vector<PassedOverLines::Line>{{7, c.line}}))
        << c.form;
    if (c.line != 0) continue;
    ASSERT_EQ(marks.size(), 1u) << c.form;
    EXPECT_TRUE(marks[0].converted) << c.form;
  }
}

// A row's line read from the journal's files, as the window reads it.
JournalLineReader LinesOf(const std::vector<std::string>& files) {
  return [&files](const JournalLinePlace& place, JournalEntry& entry) {
    const std::string_view rest = std::string_view(files.at(place.file)).substr(place.offset);
    return ReadJournalLine(rest.substr(0, rest.find('\n')), entry);
  };
}

rt::Text TableOf(const JournalView& view, const JournalLineReader& reader, std::size_t most = SIZE_MAX) {
  rt::Text table;
  WriteJournalTable(view.Rows(), {}, most, reader, [&](rt::TextView line) { return table += line, true; });
  return table;
}

// Newest first, with and without the converted rows, also those that arrive while filtered or after
// the journal was replaced; a line still being written waits for its end; the table copied is what
// the rows show, formulas as text.
TEST(JournalView, NewestFirstFilteredAndCopied) {
  const JournalEntry failed{u"2026-12-08 09:01:00", u"C:\\IN\\b.XML",   1, kTime, u"", JournalMethod::BuiltIn,
                            JournalResult::Failed,  u"=Ошибка\tв файле"};
  const std::string later = JournalLine(failed) + JournalLine(Line(u"C:\\IN\\c.XML", 1, kTime));
  const std::vector<std::string> files{JournalStart() + JournalLine(Line(u"C:\\IN\\a.XML", 1, kTime)) + later};
  const std::string_view journal = files[0];
  const std::size_t last = journal.size() - later.size();
  const JournalLineReader reader = LinesOf(files);
  JournalView view(reader);
  JournalFileReading reading;
  JournalEntry scratch;
  std::vector<JournalLineMark> marks;
  PassedOverLines passed;
  EXPECT_EQ(MarkJournalLines(journal.substr(0, last + 5), reading, {}, scratch, marks, passed), last);
  view.Add(marks);
  view.ShowFailedOnly(true);
  marks.clear();
  EXPECT_EQ(MarkJournalLines(journal.substr(last), reading, {}, scratch, marks, passed), journal.size() - last);
  view.Add(marks);
  EXPECT_EQ(view.Summary(), u"Записей: 3, неудачных: 1");
  EXPECT_EQ(TableOf(view, reader),
            u"Время\tВходной файл\tВыходной файл\tИтог\tПричина\r\n"
            u"2026-12-08 09:01:00\tb.XML\t\tОшибка\t'=Ошибка в файле\r\n");
  view.ShowFailedOnly(false);
  ASSERT_EQ(view.RowCount(), 3u);
  EXPECT_EQ(view.Entry(1).inputPath, failed.inputPath);
  EXPECT_EQ(JournalView::Cells(view.Entry(2)),
            (std::vector<rt::Text>{u"2026-12-08 09:00:00", u"a.XML", u"x", u"Сконвертирован", u""}));
  EXPECT_EQ(passed.count, 0u);
  view.ShowFailedOnly(true);
  view.Clear();  // the journal replaced: still filtered
  view.Add(marks);
  EXPECT_EQ(view.Summary(), u"Записей: 2, неудачных: 1");
}

// Rows of any number of the journal's files (one kept at each save in a spreadsheet, for years), each
// read from its own; the newest copied, as many as asked; typing finds a row however far down.
TEST(JournalView, RowsOfHundredsOfFilesCopiedAndFound) {
  std::vector<std::string> files;
  const JournalLineReader reader = LinesOf(files);
  JournalView view(reader);
  JournalEntry scratch;
  std::vector<JournalLineMark> marks;
  PassedOverLines passed;
  for (std::uint32_t file = 0; file < 300; ++file) {
    JournalEntry line = Line(rt::Concat({u"C:\\IN\\f", rt::DecimalText(file), u".XML"}), 1, kTime);
    if (file == 0) line.time = u"2026-01-05 08:00:00";
    files.push_back(JournalStart() + JournalLine(line));
    JournalFileReading reading;
    reading.file = file;
    MarkJournalLines(files.back(), reading, {}, scratch, marks, passed);
  }
  view.Add(marks);
  ASSERT_EQ(view.RowCount(), 300u);
  for (std::uint32_t row = 0; row < 300; ++row) {
    EXPECT_EQ(FileNamePart(view.Entry(row).inputPath), rt::Concat({u"f", rt::DecimalText(299 - row), u".XML"}));
  }
  EXPECT_EQ(TableOf(view, reader, 2).substr(TableOf(view, reader, 0).size()),
            u"2026-12-08 09:00:00\tf299.XML\tx\tСконвертирован\t\r\n"
            u"2026-12-08 09:00:00\tf298.XML\tx\tСконвертирован\t\r\n");

  std::vector<JournalLineMark> far(30001, marks[1]);
  far[0] = marks[0];
  view.Clear();
  view.Add(far);
  const std::atomic<bool> going{false}, stopped{true};
  EXPECT_EQ(FindJournalRow(view.Rows(), 0, u"2026-01", reader, going), 30000u);
  EXPECT_EQ(FindJournalRow(view.Rows(), 5, u"2026-12-08 09", reader, going), 5u);
  EXPECT_EQ(FindJournalRow(view.Rows(), 0, u"2026-01", reader, stopped), std::nullopt);
}

// The lines passed over, counted, the first few named by their file and line.
TEST(JournalView, LinesPassedOverNamed) {
  const std::vector<rt::Text> names{u"a.csv", u"b.csv"};
  const struct {
    std::vector<PassedOverLines::Line> lines;
    rt::TextView note;
  } cases[] = {
      {{}, u""},
      {{{1, 3}}, u"Пропущено строк, которые не похожи на запись журнала: 1 (b.csv: строка 3)"},
      {{{0, 2}, {0, 5}, {1, 1}, {1, 4}, {1, 6}, {1, 7}, {1, 9}},
       u"Пропущено строк, которые не похожи на запись журнала: 7 (a.csv: строки 2, 5; b.csv: строки 1, 4, 6 и ещё 2)"},
  };
  for (const auto& c : cases) {
    PassedOverLines passed;
    for (const auto& line : c.lines) passed.Add(line.file, line.number);
    EXPECT_EQ(PassedOverNote(passed, names), c.note);
  }
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

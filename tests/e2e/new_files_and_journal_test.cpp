// «Новые файлы», `/new` and «Журнал» against a journal the test writes beside the program: what
// counts as new, the question and the report; the journal newest first, filtered, copied, and
// growing while it is open.
#include <windows.h>
//
#include <commctrl.h>

#include "convert/journal/rules/journal_line.h"
#include "tests/driver/icon_match.h"
#include "tests/e2e/conversion_fixture.h"

namespace e2e {
namespace {

using convert::JournalResult;

const std::wstring kOld = DocumentName(L"000001", L"00001", L"00000");
const std::wstring kChanged = DocumentName(L"000002", L"00002", L"00000");
const std::wstring kFailed = DocumentName(L"000004", L"00004", L"00000");

rt::Text AsText(const std::wstring& text) { return rt::Text(text.begin(), text.end()); }

class NewFilesAndJournal : public ConversionTest {
 protected:
  // A line about the input file as it is now, its time read as the local clock shows it; in the
  // journal, or waiting beside it.
  void Journal(const std::wstring& name, JournalResult result, const std::wstring& time = L"2026-12-08 09:00:00",
               bool waiting = false) {
    const std::wstring path = InputDirectory() + L"\\" + name;
    WIN32_FILE_ATTRIBUTE_DATA file{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file);
    FILETIME local{};
    SYSTEMTIME at{};
    FileTimeToLocalFileTime(&file.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &at);
    const bool output = result != JournalResult::Refused;
    const std::string line =
        convert::JournalLine({AsText(time), AsText(path), file.nFileSizeLow,
                              convert::JournalTime(at.wYear, at.wMonth, at.wDay, at.wHour, at.wMinute, at.wSecond),
                              output ? AsText(OutputDirectory() + L"00000100.001") : u"",
                              convert::JournalMethod::Processor, result, output ? u"" : u"Это не файл XML"});
    if (waiting)
      return driver::WriteTextFile(AppDirectory() + L"\\Vexilate-journal.waiting.csv",
                                   journal_.substr(0, convert::JournalStart().size()) + line);
    journal_ += line;
    driver::WriteTextFile(AppDirectory() + L"\\Vexilate-journal.csv", journal_);
  }

  // The information message: its text, icon and one OK, after which the focus is on the button.
  void ExpectInformation(const std::wstring& text) {
    const driver::MessageDialog message = driver::WaitForMessageDialog(Program().Id(), L"Новые файлы");
    EXPECT_EQ(Utf8(message.text), Utf8(text));
    EXPECT_TRUE(driver::CompareWithSystemIcon(message.iconControl, IDI_INFORMATION).matches) << "information icon";
    ASSERT_EQ(message.buttons.size(), 1u);
    driver::PressMessageButton(message, 1);
    ExpectFocusOn(BUTTONNEWFILES);
  }

  // The first characters of the text on the clipboard.
  static std::wstring CopiedStart(std::size_t characters) {
    std::wstring start;
    if (!OpenClipboard(nullptr)) return start;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
        start.assign(text, wcsnlen(text, characters));
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
    return start;
  }

  std::string journal_ = convert::JournalStart();
};

// Converted and unchanged is not new, nor is failed and unchanged unless asked; changed since is;
// a file in a subfolder does not count. «Повторить неудачные» converts both as a batch; `/new`
// without asking.
TEST_F(NewFilesAndJournal, NewFilesAreThoseNotConvertedAsTheyAreNow) {
  for (const std::wstring& name : {kOld, kChanged, kFailed}) CreateInputFile(InputDirectory(), name);
  CreateInputFile(InputDirectory() + L"\\Вложенная", DocumentName(L"000005", L"00005", L"00000"));
  Journal(kOld, JournalResult::Converted);
  Journal(kChanged, JournalResult::Converted);
  Journal(kFailed, JournalResult::Failed);
  driver::WriteTextFile(InputDirectory() + L"\\" + kChanged,
                        "<?xml version=\"1.0\"?>\r\n<document>sent again</document>");
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  Press(BUTTONNEWFILES);
  const driver::MessageDialog question = driver::WaitForMessageDialog(Program().Id(), L"Новые файлы");
  EXPECT_EQ(Utf8(question.text),
            Utf8(L"Новых файлов: 1. Конвертировать?\r\nНе удались прежде и с тех пор не менялись: 1"));
  ASSERT_EQ(question.buttons.size(), 3u);
  driver::PressMessageButton(question, 16);  // «Повторить неудачные»: the failed one too
  const BatchReport report = ReadReport();
  ASSERT_EQ(report.rows.size(), 3u);
  EXPECT_EQ(Utf8(report.rows[1][0] + L" " + report.rows[1][2]), Utf8(kChanged + L" Сконвертирован"));
  EXPECT_EQ(Utf8(report.rows[2][0] + L" " + report.rows[2][2]), Utf8(kFailed + L" Сконвертирован"));

  Journal(kChanged, JournalResult::Converted);
  Journal(kFailed, JournalResult::Converted);
  Press(BUTTONNEWFILES);
  ExpectInformation(L"Новых файлов нет");
  TypeInto(PATHOUT, L"");
  Press(BUTTONNEWFILES);
  ExpectWarning(kEnterOutputPath, BUTTONLOOKUPPATHOUT);
  EXPECT_EQ(Exit(), 0u);

  driver::WriteTextFile(InputDirectory() + L"\\" + kOld, "<?xml version=\"1.0\"?>\r\n<document>changed</document>");
  Start({}, {}, {L"-New"});
  EXPECT_EQ(ReadReport().rows.size(), 2u) << "the changed file alone, without a question";
}

// The window's `/new` while a quiet `/new` converts the same folder: the window waits for it,
// saying so, and Cancel ends the wait; «Новые файлы» then looks at the folder once the quiet run
// is done and finds nothing new. Each file is converted once.
TEST_F(NewFilesAndJournal, WindowWaitsForAQuietRunOnTheSameFolder) {
  for (const std::wstring& name : {kOld, kChanged, kFailed}) CreateInputFile(InputDirectory(), name);
  WritePaths(InputDirectory(), OutputDirectory());
  const std::wstring gateName = L"vexilate-test-turn-" + std::to_wstring(GetCurrentProcessId());
  const HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, gateName.c_str());
  TellProcessor({{L"*", 0, 0, true, gateName, L""}});
  const driver::Process quiet =
      driver::Process::Launch(AppDirectory() + L"\\vexilate.exe", {L"/quiet", L"/new"}, WorkDirectory());
  NextRecord();  // its first file: it has the folder's turn
  Start({}, {}, {L"/new"});
  const auto waitForTurn = [&] {
    const driver::Window progress = Program().WaitForWindow(driver::kDialogClass, L"Конвертация файлов");
    driver::WaitUntil(
        [&] {
          return progress.Child(100).Text() == L"Ждёт, пока другой запуск закончит с папкой" &&
                 progress.Child(101).Text() == InputDirectory();
        },
        L"the progress window waiting for the folder", Program().Id());
    return progress;
  };
  waitForTurn().Child(IDCANCEL).Click();
  const BatchReport stopped = ReadReport();
  ASSERT_EQ(stopped.rows.size(), 4u);
  EXPECT_EQ(Utf8(stopped.rows[1][2]), Utf8(L"Не сконвертирован: конвертация остановлена"));
  // One file chosen waits for the folder just as well.
  PickFile(InputDirectory() + L"\\" + kOld);
  waitForTurn().Child(IDCANCEL).Click();
  EXPECT_EQ(ReadReport().rows.size(), 2u);

  Press(BUTTONNEWFILES);
  driver::PressMessageButton(driver::WaitForMessageDialog(Program().Id(), L"Новые файлы"), 2);  // Yes
  waitForTurn();
  SetEvent(gate);
  ExpectInformation(L"Новых файлов нет");
  EXPECT_EQ(quiet.WaitForExit(), 0u);
  EXPECT_EQ(Records().size(), 3u);
  CloseHandle(gate);
}

// Newest first; «Только неудачные» leaves out the converted rows; Copy takes the selected rows, all
// when none is; a line waiting beside the journal, written meanwhile, shows on top; Escape closes.
TEST_F(NewFilesAndJournal, JournalWindowNewestFirstFilteredCopiedAndKeptUpToDate) {
  for (const std::wstring& name : {kOld, kChanged, kFailed}) CreateInputFile(InputDirectory(), name);
  Journal(kOld, JournalResult::Converted, L"2026-12-08 09:00:00");
  Journal(kFailed, JournalResult::Refused, L"2026-12-08 09:02:00");
  Start();

  PutFocusOn(BUTTONCONVERT);
  driver::TypeText(MainWindow(), L"Ж");  // the button's letter (Wine matches a lower-case Cyrillic one to none)
  const driver::Window window = Program().WaitForWindow(driver::kDialogClass, L"Журнал конвертаций");
  const auto rows = [&] {
    std::wstring text;
    for (const auto& row : CopiedTable(window)) text += row.at(1) + L" " + row.at(3) + L"\n";
    return Utf8(text);
  };
  EXPECT_EQ(rows(), Utf8(L"Входной файл Итог\n" + kFailed + L" Отклонён\n" + kOld + L" Сконвертирован\n"));
  window.Child(100).Click();
  Journal(kChanged, JournalResult::Failed, L"2026-12-08 09:03:00", true);
  const std::string failedOnly = Utf8(L"Входной файл Итог\n" + kChanged + L" Ошибка\n" + kFailed + L" Отклонён\n");
  driver::WaitUntil([&] { return rows() == failedOnly; }, L"the line written meanwhile on top", Program().Id());

  DWORD_PTR selected = 0;
  SendMessageTimeoutW(window.handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window.Child(101).handle()), TRUE,
                      SMTO_ABORTIFHUNG, 5000, &selected);
  driver::PressKeys(window.Child(101), {driver::Key::Home});
  // Before Copy is clicked: the click is a posted message, taken before a key still queued.
  driver::WaitUntil(
      [&] {
        SendMessageTimeoutW(window.Child(101).handle(), LVM_GETSELECTEDCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
        return selected == 1;
      },
      L"the first row selected by Home", Program().Id());
  EXPECT_EQ(rows(), Utf8(L"Входной файл Итог\n" + kChanged + L" Ошибка\n")) << "the selected row alone";
  driver::PressKeys(window, {driver::Key::Escape});
  driver::WaitUntilGone(window);
}

// Three hundred journals kept beside the journal (one at each save in a spreadsheet), one with a line
// that cannot be read: every row read from its own file, the newest on top; the line passed over,
// named under the counts.
TEST_F(NewFilesAndJournal, JournalWindowOverHundredsOfKeptJournals) {
  CreateInputFile(InputDirectory(), kOld);
  for (int kept = 0; kept < 300; ++kept) {
    const std::wstring day = std::to_wstring(10000 + (kept / 28 + 1) * 100 + kept % 28 + 1).substr(1);
    const std::wstring name = L"Vexilate-journal.2026-" + day.substr(0, 2) + L"-" + day.substr(2) + L"-000000.csv";
    const std::string line = convert::JournalLine({u"2026-01-01 09:00:00",
                                                   AsText(L"C:\\IN\\kept" + std::to_wstring(kept)),
                                                   1,
                                                   u"2026-01-01 08:00:00",
                                                   u"",
                                                   {},
                                                   JournalResult::Refused,
                                                   u""});
    driver::WriteTextFile(
        AppDirectory() + L"\\" + name,
        convert::JournalStart() + line +
            (kept == 150 ? "2026-12-08 09:00:00;C:\\IN\\b.XML;десять;x;;msxsl.exe;сконвертирован;;\r\n" : ""));
  }
  Journal(kOld, JournalResult::Converted);
  Start();

  PutFocusOn(BUTTONCONVERT);
  driver::TypeText(MainWindow(), L"Ж");
  const driver::Window window = Program().WaitForWindow(driver::kDialogClass, L"Журнал конвертаций");
  driver::WaitUntil([&] { return window.Child(104).Text() == L"Записей: 301"; }, L"every line indexed", Program().Id());
  EXPECT_EQ(Utf8(window.Child(106).Text()),
            Utf8(L"Пропущено строк, которые не похожи на запись журнала: 1 (Vexilate-journal.2026-06-11-000000.csv: "
                 L"строка 3)"));
  const auto rows = CopiedTable(window);
  ASSERT_EQ(rows.size(), 302u);
  EXPECT_EQ(Utf8(rows[1].at(1) + L" " + rows[2].at(1) + L" " + rows[301].at(1)), Utf8(kOld + L" kept299 kept0"));
}

// Two million lines: the list fills while they are read, then filtered; typing finds the oldest row;
// Copy of every row offers the newest a spreadsheet takes, of the failed ones asks first, can be
// cancelled, and the program runs on with the rows on the clipboard, formulas copied as text.
TEST_F(NewFilesAndJournal, JournalOfMillionsOfLinesOpenedFilteredAndCopied) {
  constexpr int kPairs = 1'000'000;
  convert::JournalEntry entry{u"2026-12-08 09:00:00",
                              u"C:\\IN\\a.XML",
                              1,
                              u"2026-12-07 10:00:00",
                              u"C:\\OUT\\a",
                              {},
                              JournalResult::Converted,
                              u""};
  const std::string converted = convert::JournalLine(entry);
  entry.time = u"2026-01-05 08:00:00";
  journal_ += convert::JournalLine(entry);  // the oldest row, the one typing finds
  entry = {u"2026-12-08 09:01:00", u"C:\\IN\\b.XML", 1, u"2026-12-07 10:00:00", u"", {},
           JournalResult::Failed,  u"=1+1"};
  const std::string failed = convert::JournalLine(entry);
  journal_.reserve(journal_.size() + (kPairs + 1) * (converted.size() + failed.size()));
  for (int pair = 0; pair < kPairs; ++pair) journal_.append(converted).append(failed);
  driver::WriteTextFile(AppDirectory() + L"\\Vexilate-journal.csv", journal_);
  Start();

  PutFocusOn(BUTTONCONVERT);
  driver::TypeText(MainWindow(), L"Ж");
  const driver::Window window = Program().WaitForWindow(driver::kDialogClass, L"Журнал конвертаций");
  const auto summary = [&](const std::wstring& text) {
    driver::WaitUntil([&] { return window.Child(104).Text() == text; }, text, Program().Id(), std::chrono::seconds(60));
  };
  summary(L"Записей: 2000001");
  const auto question = [&](const std::wstring& text, int button) {
    window.Child(103).Click();
    const driver::MessageDialog asked = driver::ReadMessageDialog(driver::WaitForWindow(
        Program().Id(), [&](const driver::Window& w) { return GetWindow(w.handle(), GW_OWNER) == window.handle(); },
        L"the question over the journal's window"));
    EXPECT_EQ(Utf8(asked.text), Utf8(text));
    driver::PressMessageButton(asked, button);
  };
  question(
      L"Записей: 2000001, а Excel вставляет на лист не больше 1048576 строк. Скопировать 1048575 самых новых "
      L"записей (с заголовком — как раз столько строк)?\r\nЧтобы скопировать другие, выделите их или отметьте "
      L"«Только неудачные».",
      4);  // No
  DWORD_PTR focused = 0;
  SendMessageTimeoutW(window.handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window.Child(101).handle()), TRUE,
                      SMTO_ABORTIFHUNG, 5000, &focused);
  driver::TypeText(window.Child(101), L"2026-01");
  driver::WaitUntil(
      [&] {
        SendMessageTimeoutW(window.Child(101).handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED,
                            SMTO_ABORTIFHUNG, 5000, &focused);
        return focused == 2000000;
      },
      L"the oldest row found by its time", Program().Id(), std::chrono::seconds(60));
  window.Child(100).Click();
  summary(L"Записей: 2000001, неудачных: 1000000");
  const std::wstring copied =
      L"Время\tВходной файл\tВыходной файл\tИтог\tПричина\r\n"
      L"2026-12-08 09:01:00\tb.XML\t\tОшибка\t'=1+1\r\n2026";
  question(L"Скопировать в буфер обмена записей: 1000000?", 2);  // Yes, then Cancel
  const driver::Window progress = Program().WaitForWindow(driver::kDialogClass, L"Копирование записей");
  progress.Child(IDCANCEL).Click();
  driver::WaitUntilGone(progress);
  EXPECT_NE(CopiedStart(copied.size()), copied) << "a copy cancelled puts nothing on the clipboard";
  question(L"Скопировать в буфер обмена записей: 1000000?", 2);  // Yes
  driver::WaitUntil([&] { return CopiedStart(copied.size()) == copied; }, L"the rows copied, formulas as text",
                    Program().Id(), std::chrono::seconds(60));
  EXPECT_TRUE(Program().IsRunning());
  driver::PressKeys(window, {driver::Key::Escape});
  driver::WaitUntilGone(window);
}

}  // namespace
}  // namespace e2e

// Many files in one go: chosen together in the file dialog, converted one after another with
// the processor hidden, and reported file by file.
#include <windows.h>

#include <algorithm>

#include "convert/journal/rules/journal_line.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/temporary_name.h"
#include "tests/driver/file_drag.h"
#include "tests/e2e/conversion_fixture.h"
#include "tests/wine/test_paths.h"

namespace e2e {
namespace {

const std::wstring kGood1 = DocumentName(L"000001", L"00001", L"00000");
const std::wstring kGood2 = DocumentName(L"000002", L"00002", L"00000");
const std::wstring kBadBatch = DocumentName(L"000003", L"00000", L"00000");
const std::wstring kFailing = DocumentName(L"000004", L"00004", L"00000");
const std::wstring kCollides = DocumentName(L"1", L"00001", L"00000");  // 00000100.001 as kGood1
const std::wstring kBadRegistration = DocumentName(L"ABCDEF", L"00001", L"00000");

using ConversionBatch = ConversionTest;

TEST_F(ConversionBatch, SixFilesAreEachReportedOnce) {
  for (const auto& name : {kGood1, kGood2, kBadBatch, kFailing, kCollides, kBadRegistration}) {
    CreateInputFile(InputDirectory(), name);
  }
  TellProcessor({{L"000004", 2, 0, false, L"", L"Ошибка разбора таблицы стилей\r\nвторая строка"}});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  PickFiles({kBadRegistration, kGood2, kFailing, kGood1, kCollides, kBadBatch});
  const BatchReport report = ReadReport();
  EXPECT_EQ(Utf8(report.summary),
            Utf8(L"Сконвертировано: 2, отклонено: 3, с ошибкой: 1, не сконвертировано: 0 (всего файлов: 6)"));
  const std::vector<std::vector<std::wstring>> expected = {
      {L"Входной файл", L"Выходной файл", L"Результат"},
      {kGood1, L"00000100.001", L"Сконвертирован"},
      {kGood2, L"00000200.002", L"Сконвертирован"},
      {kBadBatch, L"", L"Отклонён: В выбранном файле неверно номер пачки организации/подразделения"},
      {kFailing, L"00000400.004", L"Ошибка: msxsl.exe завершился с кодом 2. Ошибка разбора таблицы стилей"},
      {kCollides, L"00000100.001", L"Отклонён: Имя выходного файла совпадает с именем для файла " + kGood1},
      {kBadRegistration, L"", L"Отклонён: В выбранном файле отсутствует Регистрационный номер"},
  };
  ASSERT_EQ(report.rows.size(), expected.size());
  for (std::size_t row = 0; row < expected.size(); ++row) {
    for (std::size_t cell = 0; cell < 3; ++cell) {
      EXPECT_EQ(Utf8(report.rows[row].at(cell)), Utf8(expected[row][cell])) << "row " << row << " column " << cell;
    }
  }

  const std::vector<driver::LaunchRecord> starts = Records();
  ASSERT_EQ(starts.size(), 3u) << "the processor starts once per file to convert";
  for (const driver::LaunchRecord& start : starts) {
    EXPECT_TRUE(start.usesShowWindow && start.showWindow == SW_HIDE) << "started without a window of its own";
    EXPECT_TRUE(driver::SamePath(start.workingDirectory, WorkDirectory())) << Utf8(start.workingDirectory);
  }
  EXPECT_EQ(driver::ReadTextFile(OutputDirectory() + L"00000100.001"),
            driver::ReadTextFile(InputDirectory() + L"\\" + kGood1));
  EXPECT_EQ(driver::ReadTextFile(OutputDirectory() + L"00000200.002"),
            driver::ReadTextFile(InputDirectory() + L"\\" + kGood2));
  ExpectFocusOn(BUTTONCONVERT);
}

// A processor that never ends by itself, in its ways of hanging.
struct HangingCase {
  const char* name;
  bool writesOutputFirst;  // an output half written when it is stopped
  bool startsPipeHolder;   // a program it started keeps the output pipe open
};

void PrintTo(const HangingCase& c, std::ostream* out) { *out << c.name; }

class HangingProcessor : public ConversionTest, public ::testing::WithParamInterface<HangingCase> {
 protected:
  // Three files, the second with an earlier output; the first converts at once, the second
  // hangs. Returns once the second runs as the case says.
  void StartHangingBatch() {
    for (const auto& name : kNames) CreateInputFile(InputDirectory(), name);
    driver::WriteTextFile(kEarlierOutput, kEarlierBytes);
    TellProcessor(
        {{L"000002", 0, driver::kForever, true, L"", L"", GetParam().writesOutputFirst, GetParam().startsPipeHolder}});
    WritePaths(InputDirectory(), OutputDirectory());
    Start();
    PickFiles({kNames[0], kNames[1], kNames[2]});
    driver::WaitForLaunchRecords(WorkDirectory() + L"\\" + driver::kLaunchRecordFile, 2);
    const std::size_t processes = GetParam().startsPipeHolder ? 2 : 1;
    driver::WaitUntil([&] { return RunningProcessors().size() == processes; }, L"the hanging processor running",
                      Program().Id());
    if (GetParam().writesOutputFirst) {
      driver::WaitUntil([&] { return TemporaryFiles(OutputDirectory()).size() == 1; }, L"its output half written",
                        Program().Id());
    }
  }

  // Nothing of the batch is left: no processor, no temporary file, the earlier output as it was.
  void ExpectNothingLeft() {
    driver::WaitUntil([&] { return RunningProcessors().empty(); }, L"every processor of the batch ended",
                      Program().Id());
    EXPECT_TRUE(TemporaryFiles(OutputDirectory()).empty()) << Utf8(TemporaryFiles(OutputDirectory()).front());
    EXPECT_EQ(driver::ReadTextFile(kEarlierOutput), kEarlierBytes) << "the earlier output, byte for byte";
  }

  const std::wstring kNames[3] = {DocumentName(L"000001", L"00001", L"00000"),
                                  DocumentName(L"000002", L"00002", L"00000"),
                                  DocumentName(L"000003", L"00003", L"00000")};
  const std::wstring kEarlierOutput = OutputDirectory() + L"00000200.002";
  const std::string kEarlierBytes = "<earlier>\r\n\x01\xFF</earlier>";
};

// Cancel ends the running processor: the report comes at once with that file stopped, the
// progress window having named it while it ran.
TEST_P(HangingProcessor, CancelEndsIt) {
  StartHangingBatch();
  const driver::Window progress = Program().WaitForWindow(driver::kDialogClass, L"Конвертация файлов");
  driver::WaitUntil(
      [&] { return progress.Child(100).Text() == L"Файл 2 из 3" && progress.Child(101).Text() == kNames[1]; },
      L"the progress window naming the second file", Program().Id());
  progress.Child(IDCANCEL).Click();

  const BatchReport report = ReadReport();
  EXPECT_EQ(Utf8(report.summary),
            Utf8(L"Сконвертировано: 1, отклонено: 0, с ошибкой: 0, не сконвертировано: 2 (всего файлов: 3)"));
  const std::vector<std::wstring> results = {L"Сконвертирован",
                                             L"Остановлен: конвертация файла прервана, выходной файл не изменён",
                                             L"Не сконвертирован: конвертация остановлена"};
  ASSERT_EQ(report.rows.size(), 4u);
  for (std::size_t row = 0; row < results.size(); ++row) {
    EXPECT_EQ(Utf8(report.rows[row + 1][2]), Utf8(results[row])) << Utf8(report.rows[row + 1][0]);
  }
  EXPECT_EQ(Records().size(), 2u) << "the third file is not started";
  ExpectNothingLeft();
}

// "Yes" at close ends the running processor before the program ends.
TEST_P(HangingProcessor, YesAtCloseEndsIt) {
  StartHangingBatch();
  MainWindow().PostClose();
  const driver::MessageDialog question = driver::WaitForMessageDialog(Program().Id(), kWarningCaption);
  driver::PressMessageButton(question, 2);  // Yes
  EXPECT_EQ(Program().WaitForExit(), 0u);
  ExpectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(Batch, HangingProcessor,
                         ::testing::Values(HangingCase{"Waits", false, false},
                                           HangingCase{"AfterWritingItsOutput", true, false},
                                           HangingCase{"WithAChildHoldingThePipe", true, true}),
                         [](const ::testing::TestParamInfo<HangingCase>& tested) {
                           return std::string(tested.param.name);
                         });

// A processor that fails after writing its output leaves an earlier output as it was; its
// text, cut at 64 KiB inside a character, is read as UTF-8 all the same and said to be cut.
// With the formats' schemas beside the stylesheet, one file chosen goes as a batch of one, the
// processor hidden: its result is checked before it could take the output's place.
TEST_F(ConversionBatch, OneFileGoesAsABatchWhenSchemasLieBeside) {
  const std::string head = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"";
  driver::WriteTextFile(WorkDirectory() + L"\\qRec7to4.in.xsd", head + "document\"/></xs:schema>");
  driver::WriteTextFile(WorkDirectory() + L"\\qRec7to4.out.xsd", head + "result\"/></xs:schema>");
  const std::wstring file = CreateInputFile(InputDirectory(), kGood1);
  driver::MakeDirectories(OutputDirectory());
  driver::WriteTextFile(OutputDirectory() + L"00000100.001", "earlier output");
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  PickFile(file);
  const BatchReport report = ReadReport();
  ASSERT_EQ(report.rows.size(), 2u);
  EXPECT_EQ(Utf8(report.rows[1].at(2))
                .find(Utf8(L"Не соответствует схеме: строка 2, /document: Корневой элемент «document»")),
            0u)
      << Utf8(report.rows[1].at(2));
  const std::vector<driver::LaunchRecord> starts = Records();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_TRUE(starts[0].usesShowWindow && starts[0].showWindow == SW_HIDE);
  EXPECT_EQ(driver::ReadTextFile(OutputDirectory() + L"00000100.001"), "earlier output");
  EXPECT_TRUE(driver::FileExists(OutputDirectory() + L"00000100.001.invalid"));
}

TEST_F(ConversionBatch, FailureKeepsTheEarlierOutputAndCutTextReadsRight) {
  const std::wstring later = DocumentName(L"000005", L"00005", L"00000");
  CreateInputFile(InputDirectory(), later);
  CreateInputFile(InputDirectory(), kFailing);
  const std::wstring earlier = OutputDirectory() + L"00000400.004";
  driver::WriteTextFile(earlier, "earlier output");
  // The two bytes of "Я" fall on both sides of the 65,536th byte.
  const std::wstring firstLine = L"Ошибка разбора таблицы стилей\r\n";
  std::wstring kept = firstLine;
  while (Utf8(kept).size() + 80 <= 65535) kept += std::wstring(78, L'x') + L"\r\n";
  kept += std::wstring(65535 - Utf8(kept).size(), L'x');
  const std::wstring text = kept + L"Яблоко" + std::wstring(1000, L'y');
  TellProcessor({{L"000004", 2, 0, true, L"", text}});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  PickFiles({later, kFailing});
  const BatchReport report = ReadReport();
  ASSERT_EQ(report.rows.size(), 3u);
  // The failing file's row comes first: its details show under the list.
  const std::wstring result = L"Ошибка: msxsl.exe завершился с кодом 2. Ошибка разбора таблицы стилей";
  EXPECT_EQ(Utf8(report.rows[1][2]), Utf8(result));
  EXPECT_EQ(Utf8(report.rows[2][2]), "Сконвертирован");
  EXPECT_EQ(Utf8(report.firstDetails),
            Utf8(result + L"\r\n\r\n" + kept + L"\r\n… (вывод обрезан: показаны первые 64 КБ)"));
  EXPECT_EQ(driver::ReadTextFile(earlier), "earlier output") << "the earlier output, byte for byte";
  EXPECT_TRUE(TemporaryFiles(OutputDirectory()).empty());
}

// Closing while a batch runs asks first: No keeps it going, Yes closes at once.
TEST_F(ConversionBatch, ClosingAsksWhileABatchRuns) {
  std::vector<std::wstring> names;
  for (int n = 1; n <= 5; ++n) {
    names.push_back(DocumentName(std::to_wstring(100000 + n), L"00001", L"00000"));
    CreateInputFile(InputDirectory(), names.back());
  }
  TellProcessor({{L"*", 0, 5000, true, L"", L""}});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  PickFiles(names);
  driver::WaitForLaunchRecords(WorkDirectory() + L"\\" + driver::kLaunchRecordFile, 1);
  constexpr int kYes = 2, kNo = 4;  // the message dialog's button bits
  for (const int answer : {kNo, kYes}) {
    MainWindow().PostClose();
    const driver::MessageDialog question = driver::WaitForMessageDialog(Program().Id(), kWarningCaption);
    EXPECT_EQ(Utf8(question.text), Utf8(L"Идёт конвертация файлов. Остановить её и закрыть программу?"));
    driver::PressMessageButton(question, answer);
    if (answer == kNo) {
      EXPECT_TRUE(Program().IsRunning()) << "No keeps the program and its batch";
      EXPECT_TRUE(Program().WaitForWindow(driver::kDialogClass, L"Конвертация файлов").IsVisible());
    }
  }
  EXPECT_EQ(Program().WaitForExit(driver::Timeout{3000}), 0u) << "Yes closes without waiting for the processor";
  EXPECT_LT(Records().size(), 5u);
}

// An output another program holds open is not replaced: its row tells the system's reason and
// where the result was kept. Temporary files left by a run of the program that was ended from
// outside go; those of a running copy, and of another computer's, stay.
TEST_F(ConversionBatch, HeldOutputAndLeftTemporaries) {
  CreateInputFile(InputDirectory(), kGood1);
  CreateInputFile(InputDirectory(), kGood2);
  const std::wstring held = OutputDirectory() + L"00000100.001";
  driver::WriteTextFile(held, "earlier output");
  const HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  GetComputerNameW(computer, &length);
  const std::uint32_t here = rt::ComputerDigest(rt::FromWide(computer, length));
  const std::uint32_t gone = 4'000'000'000u;  // no process has such an id
  std::vector<std::wstring> left;
  for (const rt::TemporaryOwner owner :
       {rt::TemporaryOwner{gone, here}, rt::TemporaryOwner{GetCurrentProcessId(), here},
        rt::TemporaryOwner{gone, here ^ 1}}) {
    const rt::Text name = rt::TemporaryName(owner, 1);
    left.emplace_back(name.begin(), name.end());
    driver::WriteTextFile(OutputDirectory() + left.back(), "left");
  }
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  PickFiles({kGood1, kGood2});
  const BatchReport report = ReadReport();
  CloseHandle(holder);
  ASSERT_EQ(report.rows.size(), 3u);
  const std::wstring row = report.rows[1][2], kept = held + L".new";
  EXPECT_TRUE(row.starts_with(L"Ошибка: Не удалось записать файл " + held + L": ")) << Utf8(row);
  EXPECT_TRUE(row.ends_with(L". Результат сохранён в файле " + kept)) << Utf8(row);
  EXPECT_EQ(driver::ReadTextFile(held), "earlier output");
  EXPECT_EQ(driver::ReadTextFile(kept), driver::ReadTextFile(InputDirectory() + L"\\" + kGood1));
  EXPECT_EQ(Utf8(report.rows[2][2]), "Сконвертирован");
  std::vector<std::wstring> stayed = TemporaryFiles(OutputDirectory());
  std::sort(stayed.begin(), stayed.end());
  std::sort(left.begin() + 1, left.end());
  EXPECT_EQ(stayed, std::vector<std::wstring>(left.begin() + 1, left.end()));
}

// Every row of a batch is journaled beside the settings file, with the input's facts: refused by
// its name, converted, failed, stopped and not converted after Cancel. A path with ";" and "Я" is
// quoted and reads back as it was; the inputs' last write time, long ago, is given in local time
// and in UTC.
TEST_F(ConversionBatch, EveryRowIsJournaled) {
  const std::wstring in = Path(L"Вход;Я"), stopped = DocumentName(L"000005", L"00005", L"00000"),
                     later = DocumentName(L"000006", L"00006", L"00000");
  SYSTEMTIME then{2025, 3, 2, 4, 5, 6, 7, 0}, local{};
  FILETIME past{};
  SystemTimeToFileTime(&then, &past);
  SystemTimeToTzSpecificLocalTime(nullptr, &then, &local);
  for (const auto& name : {kGood1, kFailing, kBadBatch, stopped, later}) {
    HANDLE input =
        CreateFileW(CreateInputFile(in, name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(input, nullptr, nullptr, &past);
    CloseHandle(input);
  }
  TellProcessor({{L"000004", 2, 0, false, L"", L"Ошибка разбора\r\nвторая строка"},
                 {L"000005", 0, driver::kForever, true, L"", L""}});
  WritePaths(in, OutputDirectory());
  Start();
  PickFiles({kGood1, kFailing, kBadBatch, stopped, later});
  driver::WaitForLaunchRecords(WorkDirectory() + L"\\" + driver::kLaunchRecordFile, 3);
  Program().WaitForWindow(driver::kDialogClass, L"Конвертация файлов").Child(IDCANCEL).Click();
  ReadReport();

  const std::string journal = driver::ReadTextFile(AppDirectory() + L"\\Vexilate-journal.csv");
  const rt::Text modified =
      convert::JournalTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
  const std::wstring size = std::to_wstring(driver::ReadTextFile(in + L"\\" + kGood1).size()), out = OutputDirectory();
  const std::string facts = Utf8(L";" + size + L";") + vxtest::Utf8(modified) + ";";
  const std::wstring expected[][3] = {
      {kBadBatch, L";msxsl.exe;отклонён;", L"В выбранном файле неверно номер пачки организации/подразделения"},
      {kGood1, out + L"00000100.001;msxsl.exe;сконвертирован;", L""},
      {kFailing, out + L"00000400.004;msxsl.exe;ошибка;", L"msxsl.exe завершился с кодом 2. Ошибка разбора"},
      {stopped, out + L"00000500.005;msxsl.exe;остановлен;", L"конвертация файла прервана, выходной файл не изменён"},
      {later, out + L"00000600.006;msxsl.exe;не сконвертирован;", L"конвертация остановлена"}};
  const std::vector<convert::JournalEntry> entries = convert::ReadJournal(journal);
  ASSERT_EQ(entries.size(), std::size(expected));
  for (std::size_t line = 0; line < entries.size(); ++line) {
    const auto& [name, result, reason] = expected[line];
    EXPECT_EQ(vxtest::Utf8(entries[line].inputPath), Utf8(in + L"\\" + name));
    const std::string written =
        Utf8(L";\"" + in + L"\\" + name + L"\"") + facts + Utf8(result + reason) + ";2025-03-04T05:06:07Z\r\n";
    EXPECT_NE(journal.find(written), std::string::npos) << written << " in\n" << journal;
  }
}

// Dropped from another program: a directory on the output entry is taken as if looked up, then
// files dropped on the window are converted, those that are not XML refused.
TEST_F(ConversionBatch, DroppedDirectoryAndFiles) {
  const std::wstring dropped = Path(L"DROPPED");
  driver::MakeDirectories(dropped);
  const std::wstring good = CreateInputFile(Path(L"elsewhere"), kGood1);
  const std::wstring text = Path(L"elsewhere\\notes.txt");
  driver::WriteTextFile(text, "not a document");
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  driver::DragFilesOnto(driver::CentreOf(ControlWindow(PATHOUT)), {dropped});
  driver::WaitUntil([&] { return ControlText(PATHOUT) == dropped + L"\\"; }, L"the dropped directory in the entry",
                    Program().Id());
  EXPECT_NE(Settings().value_or("").find("PathOut=" + Utf8(dropped) + "\\"), std::string::npos) << "remembered";

  driver::DragFilesOnto(driver::CentreOf(MainWindow()), {text, good});
  const BatchReport report = ReadReport();
  ASSERT_EQ(report.rows.size(), 3u);
  EXPECT_EQ(Utf8(report.rows[1][0] + L" " + report.rows[1][2]), Utf8(kGood1 + L" Сконвертирован"));
  EXPECT_EQ(Utf8(report.rows[2][0] + L" " + report.rows[2][2]), Utf8(L"notes.txt Отклонён: Это не файл XML"));
  EXPECT_EQ(driver::ReadTextFile(dropped + L"\\00000100.001"), driver::ReadTextFile(good));
}

// Paths on the command line as scripts and people write them: a folder that ends in "\", a short
// name, a wildcard, a file given twice or beside its folder, folders without XML files. Each
// file is converted once and by its long name; every such folder is named.
TEST_F(ConversionBatch, PathsOnTheCommandLine) {
  const std::wstring in = Path(L"Входящие"), empty = Path(L"Пусто 1"), otherEmpty = Path(L"Пусто 2");
  const std::wstring first = CreateInputFile(in, kGood1), second = CreateInputFile(in, kGood2);
  for (const std::wstring& directory : {empty, otherEmpty}) driver::MakeDirectories(directory);
  wchar_t shortName[MAX_PATH] = L"";
  ASSERT_LT(GetShortPathNameW(first.c_str(), shortName, MAX_PATH), first.size()) << "no short name to give";
  const std::wstring both = kGood1 + L" Сконвертирован\n" + kGood2 + L" Сконвертирован\n";
  const std::pair<std::vector<std::wstring>, std::wstring> cases[] = {
      {{in + L"\\"}, both},
      {{shortName, second}, both},
      {{L"..\\Входящие\\*.XML"}, both},
      {{first, in, first}, both},
      {{empty, second}, kGood2 + L" Сконвертирован\nПусто 1 Отклонён: В папке нет файлов XML\n"},
      {{empty, otherEmpty + L"\\"}, L"В этих папках нет файлов XML:\r\n" + empty + L"\r\n" + otherEmpty},
  };
  WritePaths(InputDirectory(), OutputDirectory());
  for (const auto& [arguments, told] : cases) {
    Start({}, {}, arguments);
    if (told.starts_with(L"В этих")) {
      ExpectWarning(told, BUTTONCONVERT);
    } else {
      const BatchReport report = ReadReport();
      std::wstring rows;
      for (std::size_t row = 1; row < report.rows.size(); ++row) {
        rows += report.rows[row][0] + L" " + report.rows[row][2] + L"\n";
      }
      EXPECT_EQ(Utf8(rows), Utf8(told)) << Utf8(arguments.front());
    }
    EXPECT_EQ(Exit(), 0u);
  }
}

}  // namespace
}  // namespace e2e

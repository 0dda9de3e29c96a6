// Many files in one go: chosen together in the file dialog, converted one after another with
// the processor hidden, and reported file by file.
#include <windows.h>

#include "tests/driver/file_drag.h"
#include "tests/e2e/conversion_fixture.h"

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

// Cancel starts no further file; the one running finishes and counts.
TEST_F(ConversionBatch, CancelStopsAfterTheRunningFile) {
  std::vector<std::wstring> names;
  for (int n = 1; n <= 20; ++n) {
    names.push_back(DocumentName(std::to_wstring(100000 + n), L"00001", L"00000"));
    CreateInputFile(InputDirectory(), names.back());
  }
  TellProcessor({{L"*", 0, 400, true, L"", L""}});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  PickFiles(names);
  driver::WaitForLaunchRecords(WorkDirectory() + L"\\" + driver::kLaunchRecordFile, 3);
  const driver::Window progress = Program().WaitForWindow(driver::kDialogClass, L"Конвертация файлов");
  // The window answers while the batch runs; Convert says why it cannot start another.
  PressConvert();
  const driver::MessageDialog busy = driver::WaitForMessageDialog(Program().Id(), kWarningCaption);
  EXPECT_EQ(Utf8(busy.text),
            Utf8(L"Идёт конвертация файлов. Дождитесь её окончания или остановите её кнопкой «Отмена»"));
  driver::PressMessageButton(busy, 1);
  progress.Child(IDCANCEL).Click();
  const std::size_t startedByCancel = Records().size();

  const BatchReport report = ReadReport();
  const std::size_t started = Records().size();
  EXPECT_LE(started, startedByCancel + 1) << "no file started after the cancel but the one on its way";
  EXPECT_LT(started, 20u);
  const std::wstring summary = L"Сконвертировано: " + std::to_wstring(started) +
                               L", отклонено: 0, с ошибкой: 0, не сконвертировано: " + std::to_wstring(20 - started) +
                               L" (всего файлов: 20)";
  EXPECT_EQ(Utf8(report.summary), Utf8(summary));
  EXPECT_EQ(report.rows.size(), 21u);
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

}  // namespace
}  // namespace e2e

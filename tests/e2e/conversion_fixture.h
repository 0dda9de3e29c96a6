// The Convert button of the real program, with the stand-in processor: a test directory with
// an input directory, an output directory and the processor beside the stylesheet where the
// program is started, and the steps a person takes (press Convert, pick a file, read a
// warning) together with what the processor was started with.
#pragma once

#include <string>
#include <vector>

#include "tests/driver/launch_record.h"
#include "tests/e2e/program_fixture.h"

namespace e2e {

inline constexpr wchar_t kProcessorName[] = L"msxsl.exe";
inline constexpr wchar_t kStylesheetName[] = L"qRec7to4.xsl";

// The warnings of the conversion, as the user reads them.
inline constexpr wchar_t kEnterInputPath[] = L"Укажите путь к входному файлу";
inline constexpr wchar_t kEnterOutputPath[] = L"Укажите путь для выходного файла";
inline constexpr wchar_t kNoFileChosen[] = L"Не выбран файл для конвертации";
inline constexpr wchar_t kNoRegistrationNumber[] = L"В выбранном файле отсутствует Регистрационный номер";
inline constexpr wchar_t kWrongBatchNumber[] = L"В выбранном файле неверно номер пачки организации/подразделения";
inline constexpr wchar_t kLaunchFailed[] = L"Не удалось запустить msxsl.exe";

// A 68-character name of the document format: 27 letters, the registration number (positions
// 28 to 33), 5 letters, the organisation's batch number (39 to 43), 16 letters, the
// subdivision's batch number (60 to 64) and ".XML". Fields shorter than their width are padded
// with letters, so a test can hand over a field exactly as it should stand.
std::wstring DocumentName(const std::wstring& registration, const std::wstring& organisation,
                          const std::wstring& subdivision);

// The stand-in processor's full path in the build.
std::wstring ProcessorDouble();

std::string Utf8(const std::wstring& text);

// A path as it must stand among the processor's arguments: in double quotes when it holds a
// blank or a tab, as it is otherwise.
std::wstring AsArgument(const std::wstring& path);

class ConversionTest : public ProgramTest {
 protected:
  // The processor and the stylesheet lie in the work directory, the input and output
  // directories exist; no settings file is written yet.
  ConversionTest();
  // Ends the stand-ins of the work directory that a failed test left running.
  ~ConversionTest() override;

  std::wstring InputDirectory() const { return Path(L"IN"); }
  // With its trailing backslash, as the output-directory lookup leaves it.
  std::wstring OutputDirectory() const { return Path(L"OUT") + L"\\"; }

  // Copies the stand-in processor into the directory; its records go beside it.
  void PlaceProcessor(const std::wstring& directory);
  // Where the records are read from: beside the processor in the work directory unless a
  // test placed it elsewhere and says so.
  void ReadRecordsFrom(const std::wstring& directory) { recordFile_ = directory + L"\\" + driver::kLaunchRecordFile; }
  void RemoveProcessorFromWorkDirectory() const;

  // Creates the directory (and its parents) and an XML file in it; returns the full path.
  std::wstring CreateInputFile(const std::wstring& directory, const std::wstring& name) const;
  // The settings file as the program writes it, in the ANSI code page.
  void WritePaths(const std::wstring& pathIn, const std::wstring& pathOut) const;
  // Types into an entry of the main window (the program takes it in as the text changes).
  void TypeInto(int entry, const std::wstring& text) const;

  // Moves the keyboard focus to a control of the main window, as a click or Tab would.
  void PutFocusOn(int number) const;
  // Presses Convert with the focus elsewhere than `awayFrom`, so that where the focus goes
  // afterwards is the program's doing.
  void PressConvert(int awayFrom = BUTTONCONVERT) const;
  // Presses Convert and waits for the file dialog.
  driver::Window OpenFileDialog() const;
  // Presses Convert and picks the file by typing its full path.
  void PickFile(const std::wstring& path) const;
  // Every start the processor recorded so far.
  std::vector<driver::LaunchRecord> Records() const { return driver::ReadLaunchRecords(recordFile_); }
  // Waits for the processor to record one more start than seen so far; returns that record.
  driver::LaunchRecord NextRecord();
  // Presses Convert and chooses these files of the input directory together.
  void PickFiles(const std::vector<std::wstring>& names) const;
  // The report that ends a batch, as the user reads it: the summary, and the rows as "Копировать"
  // puts them on the clipboard (a header row first). Closes it with "Закрыть".
  struct BatchReport {
    std::wstring summary;
    std::vector<std::vector<std::wstring>> rows;
    std::wstring firstDetails;  // the full text under the list for the first row, selected at first
  };
  BatchReport ReadReport(driver::Timeout timeout = driver::Timeout{60'000});
  // Presses the window's "Копировать" (control 103) and reads the clipboard: a row of cells each.
  static std::vector<std::vector<std::wstring>> CopiedTable(const driver::Window& window);
  // Picks the file and waits for the processor to record its start.
  driver::LaunchRecord Convert(const std::wstring& path);

  // Reads the warning on the screen: caption, text, the warning icon, one OK button, always on
  // top, the only dialog of the program; presses OK and checks where the focus went.
  void ExpectWarning(const std::wstring& text, int focus);
  // Picks the file and expects the warning instead of a launch.
  void ExpectRejected(const std::wstring& path, const std::wstring& text);

  // No processor started beyond the records the test has taken, after waiting long enough
  // for a processor started just before to have written its record.
  void ExpectNoFurtherLaunch() const;

  // What the stand-in processor is told to do from now on (its rules file beside it).
  void TellProcessor(const std::vector<driver::DoubleBehaviour>& rules) const;
  // The stand-ins of the work directory still running, by process id.
  std::vector<DWORD> RunningProcessors() const;
  // The temporary files ("*.tmp") in the directory.
  static std::vector<std::wstring> TemporaryFiles(const std::wstring& directory);
  // Waits until the processor of this record has ended.
  static void WaitForProcessorEnd(const driver::LaunchRecord& record);
  // The failure line of the conversion of `inputName`, as the user reads it.
  static std::wstring FailureLine(const std::wstring& inputName, const std::wstring& reason);
  // Nothing but the main window is on the screen, after long enough for a message to come.
  void ExpectNoMessage();

 private:
  std::wstring recordFile_;
  std::wstring behaviourFile_;
  std::size_t recordsSeen_ = 0;
};

// The launch as the processor saw it: the parameter text is the tail of its command line
// (how the shell writes the program itself may vary), then the rest of what it recorded.
void ExpectLaunch(const driver::LaunchRecord& record, const std::wstring& parameters,
                  const std::vector<std::wstring>& arguments, const std::wstring& workDirectory);

}  // namespace e2e

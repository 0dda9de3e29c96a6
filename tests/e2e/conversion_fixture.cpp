#include "tests/e2e/conversion_fixture.h"

#include <windows.h>

#include <thread>

#include "tests/driver/icon_match.h"
#include "tests/driver/utf8_text.h"
#include "tests/wine/test_paths.h"

namespace e2e {
namespace {

// A processor started just before has written its record well within this: from the file
// dialog's OK to the record takes 60 to 210 ms under Wine.
constexpr std::chrono::milliseconds kLaunchSettle{1000};
constexpr wchar_t kStylesheetText[] = L"<xsl:stylesheet version=\"1.0\"/>\r\n";

// A field of the name: as given, padded with letters to its width.
std::wstring Field(const std::wstring& text, std::size_t width) {
  return text.size() >= width ? text : text + std::wstring(width - text.size(), L'Q');
}

// The settings file as the program itself writes it: ANSI, code page 1251 here.
std::string Ansi(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

bool EndsWithProgram(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  const std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
  return _wcsicmp(name.c_str(), kProcessorName) == 0;
}

// What the command line holds in front of the program's parameter text, less the program
// itself (quoted or not): the shell's own separator.
std::wstring AfterProgram(const std::wstring& head) {
  if (!head.empty() && head.front() == L'"') {
    const std::size_t close = head.find(L'"', 1);
    if (close == std::wstring::npos || !EndsWithProgram(head.substr(1, close - 1))) return L"<no program>" + head;
    return head.substr(close + 1);
  }
  const std::size_t blank = head.find(L' ');
  const std::wstring program = head.substr(0, blank);
  if (!EndsWithProgram(program)) return L"<no program>" + head;
  return blank == std::wstring::npos ? std::wstring() : head.substr(blank);
}

// "[a] [b c] ": the arguments with their bounds visible.
std::string ArgumentList(const std::vector<std::wstring>& arguments) {
  std::string list;
  for (const std::wstring& argument : arguments) list.append("[").append(Utf8(argument)).append("] ");
  return list;
}

}  // namespace

std::string Utf8(const std::wstring& text) { return driver::ToUtf8(text); }

std::wstring AsArgument(const std::wstring& path) {
  return path.find_first_of(L" \t") == std::wstring::npos ? path : L"\"" + path + L"\"";
}

std::wstring DocumentName(const std::wstring& registration, const std::wstring& organisation,
                          const std::wstring& subdivision) {
  return L"ABCDEFGHIJKLMNOPQRSTUVWXYZA" + Field(registration, 6) + L"BCDEF" + Field(organisation, 5) +
         L"GHIJKLMNOPQRSTUV" + Field(subdivision, 5) + L".XML";
}

std::wstring ProcessorDouble() {
  const rt::Text path = vxtest::WinePathOf(MSXSL_DOUBLE_EXE);
  return std::wstring(path.begin(), path.end());
}

ConversionTest::ConversionTest()
    : recordFile_(WorkDirectory() + L"\\" + driver::kLaunchRecordFile),
      behaviourFile_(WorkDirectory() + L"\\" + driver::kBehaviourFile) {
  driver::MakeDirectories(InputDirectory());
  driver::MakeDirectories(OutputDirectory());
  PlaceProcessor(WorkDirectory());
  driver::WriteTextFile(WorkDirectory() + L"\\" + kStylesheetName, Utf8(kStylesheetText));
}

ConversionTest::~ConversionTest() { driver::EndProcessesOf(WorkDirectory() + L"\\" + kProcessorName); }

void ConversionTest::PlaceProcessor(const std::wstring& directory) {
  driver::MakeDirectories(directory);
  const std::wstring copy = directory + L"\\" + kProcessorName;
  if (!CopyFileW(ProcessorDouble().c_str(), copy.c_str(), FALSE)) {
    ADD_FAILURE() << "could not copy the stand-in processor " << Utf8(ProcessorDouble()) << " to " << Utf8(copy);
  }
}

void ConversionTest::RemoveProcessorFromWorkDirectory() const {
  const std::wstring copy = WorkDirectory() + L"\\" + kProcessorName;
  if (!DeleteFileW(copy.c_str())) ADD_FAILURE() << "could not remove " << Utf8(copy);
}

std::wstring ConversionTest::CreateInputFile(const std::wstring& directory, const std::wstring& name) const {
  driver::MakeDirectories(directory);
  const std::wstring path = directory + L"\\" + name;
  driver::WriteTextFile(path, "<?xml version=\"1.0\"?>\r\n<document/>\r\n");
  return path;
}

void ConversionTest::WritePaths(const std::wstring& pathIn, const std::wstring& pathOut) const {
  WriteSettings("[Paths]\r\nPathIn=" + Ansi(pathIn) + "\r\nPathOut=" + Ansi(pathOut) + "\r\n");
}

void ConversionTest::TypeInto(int entry, const std::wstring& text) const {
  ControlWindow(entry).SetText(text);
  driver::WaitUntil([&] { return ControlText(entry) == text; }, L"the entry to show the typed text",
                    MainWindow().ProcessId());
}

void ConversionTest::PutFocusOn(int number) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(MainWindow().handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ControlWindow(number).handle()),
                      TRUE, SMTO_ABORTIFHUNG, 5000, &result);
  driver::WaitUntil([&] { return FocusedControl() == number; }, L"the focus on control " + std::to_wstring(number),
                    MainWindow().ProcessId());
}

void ConversionTest::PressConvert(int awayFrom) const {
  PutFocusOn(awayFrom == PATHIN ? PATHOUT : awayFrom == BUTTONCONVERT ? PATHIN : BUTTONCONVERT);
  Press(BUTTONCONVERT);
}

driver::Window ConversionTest::OpenFileDialog() const {
  PressConvert();
  return driver::WaitForExplorerFileDialog(MainWindow().ProcessId(), kFileTitle);
}

void ConversionTest::PickFile(const std::wstring& path) const {
  driver::ChooseFileInExplorerDialog(OpenFileDialog(), path);
}

void ConversionTest::PickFiles(const std::vector<std::wstring>& names) const {
  driver::ChooseFilesInExplorerDialog(OpenFileDialog(), names);
}

ConversionTest::BatchReport ConversionTest::ReadReport(driver::Timeout timeout) {
  const driver::Window report = Program().WaitForWindow(driver::kDialogClass, L"Отчёт о конвертации", timeout);
  BatchReport read{report.Child(100).Text(), CopiedTable(report), report.Child(102).Text()};
  driver::PressAndWaitUntilGone(report, IDOK);
  return read;
}

std::vector<std::vector<std::wstring>> ConversionTest::CopiedTable(const driver::Window& window) {
  std::wstring table;
  for (int attempt = 0; attempt < 50 && table.empty(); ++attempt) {
    window.Child(103).Click();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!OpenClipboard(nullptr)) continue;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
        table = text;
        GlobalUnlock(data);
      }
    }
    EmptyClipboard();
    CloseClipboard();
  }
  std::vector<std::vector<std::wstring>> rows;
  for (std::size_t start = 0; start < table.size();) {
    std::size_t end = table.find(L"\r\n", start);
    if (end == std::wstring::npos) end = table.size();
    std::vector<std::wstring> cells;
    const std::wstring line = table.substr(start, end - start);
    for (std::size_t from = 0;;) {
      const std::size_t tab = line.find(L'\t', from);
      cells.push_back(line.substr(from, tab == std::wstring::npos ? std::wstring::npos : tab - from));
      if (tab == std::wstring::npos) break;
      from = tab + 1;
    }
    rows.push_back(cells);
    start = end + 2;
  }
  return rows;
}

driver::LaunchRecord ConversionTest::NextRecord() {
  const std::vector<driver::LaunchRecord> records = driver::WaitForLaunchRecords(recordFile_, recordsSeen_ + 1);
  recordsSeen_ = records.size();
  return records.back();
}

driver::LaunchRecord ConversionTest::Convert(const std::wstring& path) {
  PickFile(path);
  return NextRecord();
}

void ConversionTest::ExpectWarning(const std::wstring& text, int focus) {
  const driver::MessageDialog message = driver::WaitForMessageDialog(Program().Id(), kWarningCaption);
  EXPECT_EQ(Utf8(message.text), Utf8(text)) << "the warning's text";
  EXPECT_TRUE(message.window.ExStyle() & WS_EX_TOPMOST) << "the warning is system-modal: it stays on top";

  std::vector<std::wstring> dialogs;
  for (const driver::Window& window : Program().Windows()) {
    if (window.IsVisible() && window != MainWindow()) dialogs.push_back(driver::DescribeWindow(window));
  }
  EXPECT_EQ(dialogs.size(), 1u) << "only the warning is on the screen, found: "
                                << Utf8(driver::DescribeVisibleWindows(Program().Id()));

  ASSERT_TRUE(message.iconControl) << "the warning shows an icon";
  const driver::IconCheck icon = driver::CompareWithSystemIcon(message.iconControl, IDI_EXCLAMATION);
  EXPECT_TRUE(icon.matches) << "the warning icon, compared by " << Utf8(icon.method) << ": " << Utf8(icon.detail);

  ASSERT_EQ(message.buttons.size(), 1u) << "one button";
  EXPECT_EQ(message.buttons[0].bit, 1) << "the button is OK";
  EXPECT_EQ(Utf8(message.buttons[0].caption), "OK");
  driver::PressMessageButton(message, message.buttons[0].bit);
  ExpectFocusOn(focus);
}

void ConversionTest::ExpectRejected(const std::wstring& path, const std::wstring& text) {
  PickFile(path);
  ExpectWarning(text, BUTTONCONVERT);
}

void ConversionTest::ExpectNoFurtherLaunch() const {
  std::this_thread::sleep_for(kLaunchSettle);
  const std::vector<driver::LaunchRecord> records = driver::ReadLaunchRecords(recordFile_);
  EXPECT_EQ(records.size(), recordsSeen_)
      << "starts of the processor"
      << (records.size() > recordsSeen_ ? ", the last one with: " + Utf8(records.back().commandLine) : std::string());
}

void ConversionTest::TellProcessor(const std::vector<driver::DoubleBehaviour>& rules) const {
  driver::WriteTextFile(behaviourFile_, driver::FormatBehaviours(rules));
}

std::vector<DWORD> ConversionTest::RunningProcessors() const {
  return driver::ProcessesOf(WorkDirectory() + L"\\" + kProcessorName);
}

std::vector<std::wstring> ConversionTest::TemporaryFiles(const std::wstring& directory) {
  return driver::NamesMatching(directory + L"\\*.tmp");
}

void ConversionTest::WaitForProcessorEnd(const driver::LaunchRecord& record) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, record.processId);
  if (!process) return;  // already gone
  const DWORD waited = WaitForSingleObject(process, 20'000);
  CloseHandle(process);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "the processor " << record.processId << " did not end";
}

std::wstring ConversionTest::FailureLine(const std::wstring& inputName, const std::wstring& reason) {
  return L"Конвертация файла " + inputName + L" не удалась: " + reason;
}

void ConversionTest::ExpectNoMessage() {
  std::this_thread::sleep_for(kLaunchSettle);
  for (const driver::Window& window : Program().Windows()) {
    if (window.IsVisible() && window != MainWindow()) {
      ADD_FAILURE() << "the program shows another window: " << Utf8(driver::DescribeWindow(window));
    }
  }
}

void ExpectLaunch(const driver::LaunchRecord& record, const std::wstring& parameters,
                  const std::vector<std::wstring>& arguments, const std::wstring& workDirectory) {
  const std::wstring& line = record.commandLine;
  const bool hasTail = line.size() >= parameters.size() && line.ends_with(parameters);
  EXPECT_TRUE(hasTail) << "the command line should end in the parameter text\n  expected tail: [" << Utf8(parameters)
                       << "]\n  command line:  [" << Utf8(line) << "]";
  if (hasTail) {
    // The shell puts one blank between the program and its parameters; the parameter text
    // brings its own leading blank besides.
    EXPECT_EQ(Utf8(AfterProgram(line.substr(0, line.size() - parameters.size()))), " ")
        << "in front of the parameter text only the program and the shell's blank, command line: [" << Utf8(line)
        << "]";
  }
  EXPECT_EQ(ArgumentList(record.arguments), ArgumentList(arguments)) << "the processor's arguments";
  EXPECT_TRUE(driver::SamePath(record.workingDirectory, workDirectory))
      << "working directory: expected " << Utf8(workDirectory) << ", got " << Utf8(record.workingDirectory);
  EXPECT_TRUE(record.usesShowWindow) << "the show state is given";
  EXPECT_EQ(record.showWindow, SW_SHOWMAXIMIZED) << "the processor's window is maximised";
  EXPECT_TRUE(record.stylesheetPresent) << "the stylesheet is found in the working directory";
}

}  // namespace e2e

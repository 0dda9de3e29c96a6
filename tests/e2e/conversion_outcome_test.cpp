// How a started conversion ends: the processor's exit code and its output decide, a failure
// is told once, never over another dialog of the program's, and the window answers meanwhile.
#include <windows.h>

#include <chrono>
#include <thread>

#include "tests/e2e/conversion_fixture.h"

namespace e2e {
namespace {

const std::wstring kFirstName = DocumentName(L"004321", L"12345", L"00000");
const std::wstring kSecondName = DocumentName(L"000777", L"00000", L"00078");

std::wstring ExitReason(const std::wstring& code) { return L"msxsl.exe завершился с кодом " + code + L"."; }
std::wstring NoOutputReason(const std::wstring& output) { return L"выходной файл " + output + L" не создан."; }

struct OutcomeCase {
  const char* name;
  driver::DoubleBehaviour processor;
  bool staleOutput;         // an output of the same name from long ago is there before
  const wchar_t* exitCode;  // the code in the message; null: the output is missing; "": success
};

void PrintTo(const OutcomeCase& c, std::ostream* out) { *out << c.name; }

class ConversionOutcome : public ConversionTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(ConversionOutcome, IsToldOnlyWhenItFailed) {
  const OutcomeCase& c = GetParam();
  const std::wstring file = CreateInputFile(InputDirectory(), kFirstName);
  const std::wstring output = OutputDirectory() + L"00432112.345";
  if (c.staleOutput) {
    driver::WriteTextFile(output, "old");
    HANDLE handle = CreateFileW(output.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER hourAgo{{now.dwLowDateTime, now.dwHighDateTime}};
    hourAgo.QuadPart -= 3600ull * 10'000'000ull;
    const FILETIME then{hourAgo.LowPart, hourAgo.HighPart};
    SetFileTime(handle, nullptr, nullptr, &then);
    CloseHandle(handle);
  }
  TellProcessor({c.processor});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  WaitForProcessorEnd(Convert(file));
  if (c.exitCode && *c.exitCode == L'\0') {
    ExpectNoMessage();
    EXPECT_EQ(driver::ReadTextFile(output), driver::ReadTextFile(file)) << "the processor's output";
  } else {
    ExpectWarning(FailureLine(kFirstName, c.exitCode ? ExitReason(c.exitCode) : NoOutputReason(output)), BUTTONCONVERT);
  }
  EXPECT_EQ(Exit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Conversion, ConversionOutcome,
    ::testing::Values(OutcomeCase{"Success", {}, false, L""}, OutcomeCase{"SuccessOverAnOldOutput", {}, true, L""},
                      OutcomeCase{"ExitCode1", {L"*", 1, 0, false, L"", L""}, false, L"1"},
                      OutcomeCase{"ExitCode1WithOutput", {L"*", 1, 0, true, L"", L""}, false, L"1"},
                      OutcomeCase{"ClosedConsole", {L"*", 0xC000013A, 0, false, L"", L""}, false, L"0xC000013A"},
                      OutcomeCase{"NoOutput", {L"*", 0, 0, false, L"", L""}, false, nullptr},
                      OutcomeCase{"OnlyAnOldOutput", {L"*", 0, 0, false, L"", L""}, true, nullptr}),
    [](const ::testing::TestParamInfo<OutcomeCase>& tested) { return std::string(tested.param.name); });

using ConversionEnd = ConversionTest;

// A slow processor is not waited for: the window answers while it runs, the message follows its end.
TEST_F(ConversionEnd, SlowProcessorIsToldAfterItsEnd) {
  const std::wstring file = CreateInputFile(InputDirectory(), kFirstName);
  TellProcessor({{L"*", 1, 5000, false, L"", L""}});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  const driver::LaunchRecord record = Convert(file);
  const driver::Window lookup = [&] {
    Press(BUTTONLOOKUPPATHOUT);
    return driver::WaitForClassicFileDialog(Program().Id(), kLookupTitle);
  }();
  driver::CancelDialog(lookup);
  TypeInto(PATHIN, InputDirectory() + L"\\");
  HANDLE processor = OpenProcess(SYNCHRONIZE, FALSE, record.processId);
  ASSERT_NE(processor, nullptr);
  EXPECT_EQ(WaitForSingleObject(processor, 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the processor should still run while the window answers";
  CloseHandle(processor);
  ExpectNoMessage();

  WaitForProcessorEnd(record);
  ExpectWarning(FailureLine(kFirstName, ExitReason(L"1")), BUTTONCONVERT);
}

// A failure that ends while the file dialog of the next conversion is open waits for it.
TEST_F(ConversionEnd, FailureWaitsForTheOpenFileDialog) {
  const std::wstring first = CreateInputFile(InputDirectory(), kFirstName);
  const std::wstring second = CreateInputFile(InputDirectory(), kSecondName);
  TellProcessor({{L"004321", 2, 1500, false, L"", L""}});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  const driver::LaunchRecord failing = Convert(first);
  const driver::Window dialog = OpenFileDialog();
  WaitForProcessorEnd(failing);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  for (const driver::Window& window : Program().Windows()) {
    if (window.IsVisible() && window != MainWindow() && window != dialog) {
      ADD_FAILURE() << "shown over the file dialog: " << Utf8(driver::DescribeWindow(window));
    }
  }
  driver::ChooseFileInExplorerDialog(dialog, second);
  WaitForProcessorEnd(NextRecord());
  ExpectWarning(FailureLine(kFirstName, ExitReason(L"2")), BUTTONCONVERT);
  ExpectNoMessage();
}

// Failures that end together are told in one message, a line each.
TEST_F(ConversionEnd, FailuresEndingTogetherShareOneMessage) {
  const std::wstring gateName = L"vexilate-test-gate-" + std::to_wstring(GetCurrentProcessId());
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, gateName.c_str());
  ASSERT_NE(gate, nullptr);
  const std::wstring first = CreateInputFile(InputDirectory(), kFirstName);
  const std::wstring second = CreateInputFile(InputDirectory(), kSecondName);
  TellProcessor({{L"004321", 1, 0, false, gateName, L""}, {L"000777", 0, 0, false, gateName, L""}});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  const driver::LaunchRecord one = Convert(first);
  const driver::LaunchRecord two = Convert(second);
  SetEvent(gate);
  WaitForProcessorEnd(one);
  WaitForProcessorEnd(two);
  ExpectWarning(FailureLine(kFirstName, ExitReason(L"1")) + L"\r\n" +
                    FailureLine(kSecondName, NoOutputReason(OutputDirectory() + L"00077700.078")),
                BUTTONCONVERT);
  ExpectNoMessage();
  CloseHandle(gate);
}

// Closing does not wait for a running processor, which still writes its output.
TEST_F(ConversionEnd, ClosingLeavesTheProcessorRunning) {
  const std::wstring file = CreateInputFile(InputDirectory(), kFirstName);
  const std::wstring output = OutputDirectory() + L"00432112.345";
  TellProcessor({{L"*", 0, 4000, true, L"", L""}});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  const driver::LaunchRecord record = Convert(file);
  HANDLE processor = OpenProcess(SYNCHRONIZE, FALSE, record.processId);
  ASSERT_NE(processor, nullptr);
  EXPECT_EQ(Exit(), 0u);
  EXPECT_EQ(WaitForSingleObject(processor, 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the program should have ended before its processor";
  CloseHandle(processor);
  EXPECT_FALSE(driver::FileExists(output)) << "the output before the processor ended";
  WaitForProcessorEnd(record);
  EXPECT_EQ(driver::ReadTextFile(output), driver::ReadTextFile(file)) << "the output written after the program ended";
}

// A processor still running when the program closes is journaled as launched. A journal that
// cannot be written stops no conversion and is told once, with its path and the system's reason.
TEST_F(ConversionEnd, JournalAtCloseAndAJournalThatCannotBeWritten) {
  const std::wstring file = CreateInputFile(InputDirectory(), kFirstName);
  const std::wstring journal = AppDirectory() + L"\\Vexilate-journal.csv";
  TellProcessor({{L"*", 0, driver::kForever, true, L"", L""}});
  WritePaths(InputDirectory(), OutputDirectory());
  Start();
  Convert(file);
  EXPECT_EQ(Exit(), 0u);
  const std::string line = driver::ReadTextFile(journal);
  EXPECT_NE(line.find("\\OUT\\00432112.345;msxsl.exe;запущен;;20"), std::string::npos) << line;

  DeleteFileW(journal.c_str());
  driver::MakeDirectories(journal);  // in its place, a folder
  TellProcessor({});
  Start();
  WaitForProcessorEnd(Convert(file));
  const driver::MessageDialog message = driver::WaitForMessageDialog(Program().Id(), kWarningCaption);
  const std::wstring told = L"Не удалось записать журнал конвертаций " + journal + L"\r\n";
  EXPECT_EQ(Utf8(message.text.substr(0, told.size())), Utf8(told));
  EXPECT_GT(message.text.size(), told.size()) << "the system's reason on the second line";
  driver::PressMessageButton(message, 1);
  WaitForProcessorEnd(Convert(file));  // conversions go on
  ExpectNoMessage();
}

}  // namespace
}  // namespace e2e

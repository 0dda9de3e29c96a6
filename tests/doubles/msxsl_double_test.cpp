// The stand-in msxsl.exe started through the shell as the program starts the real one, and
// the launch record it leaves.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <string>
#include <vector>

#include "tests/driver/file_dialogs.h"
#include "tests/driver/launch_record.h"
#include "tests/driver/test_files.h"
#include "tests/driver/utf8_text.h"

namespace driver {
namespace {

std::string Utf8(const std::wstring& text) { return ToUtf8(text); }

std::string Shown(const std::vector<std::wstring>& list) {
  std::string shown;
  for (const std::wstring& item : list) shown.append("[").append(Utf8(item)).append("] ");
  return shown;
}

TEST(MsxslDouble, RecordsEachStartThroughTheShell) {
  TempDirectory temp;
  const std::wstring bin = temp / L"bin";
  const std::wstring work = temp / L"work dir";
  MakeDirectories(bin);
  MakeDirectories(work);
  // A copy of its own, so that the record file beside it belongs to this test alone.
  const std::wstring program = bin + L"\\msxsl.exe";
  ASSERT_TRUE(CopyFileW(BesideExecutable(L"msxsl.exe").c_str(), program.c_str(), FALSE))
      << "msxsl.exe is built beside the test";
  const std::wstring recordFile = bin + L"\\" + kLaunchRecordFile;

  const struct {
    bool withStylesheet;
    std::wstring parameters;
    std::vector<std::wstring> arguments;
  } cases[] = {
      // The program's own form: a leading blank, no quotes, so a path with blanks splits.
      {true,
       L" C:\\Входящие файлы\\name.XML qRec7to4.xsl -o C:\\out\\00432112.345",
       {L"C:\\Входящие", L"файлы\\name.XML", L"qRec7to4.xsl", L"-o", L"C:\\out\\00432112.345"}},
      {false,
       L"\"C:\\in dir\\a.XML\" qRec7to4.xsl -o \"C:\\out dir\\x.345\" say \\\"hi\\\"",
       {L"C:\\in dir\\a.XML", L"qRec7to4.xsl", L"-o", L"C:\\out dir\\x.345", L"say", L"\"hi\""}},
  };
  const std::wstring stylesheet = work + L"\\qRec7to4.xsl";
  std::size_t started = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.parameters));
    if (c.withStylesheet) {
      WriteTextFile(stylesheet, "<xsl:stylesheet/>");
    } else {
      DeleteFileW(stylesheet.c_str());
    }

    SHELLEXECUTEINFOW launch{};
    launch.cbSize = sizeof launch;
    launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    launch.lpVerb = L"open";
    launch.lpFile = program.c_str();
    launch.lpParameters = c.parameters.c_str();
    launch.lpDirectory = work.c_str();
    launch.nShow = SW_SHOWMAXIMIZED;
    ASSERT_TRUE(ShellExecuteExW(&launch)) << "error " << GetLastError();
    ASSERT_NE(launch.hProcess, nullptr);
    const DWORD waited = WaitForSingleObject(launch.hProcess, 10'000);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(launch.hProcess, &exitCode);
    const DWORD processId = GetProcessId(launch.hProcess);
    CloseHandle(launch.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "msxsl.exe did not end within 10 s";
    EXPECT_EQ(exitCode, 0u);
    ++started;

    const std::vector<LaunchRecord> records = WaitForLaunchRecords(recordFile, started);
    ASSERT_EQ(records.size(), started) << "one record per start, appended";
    const LaunchRecord& record = records.back();
    EXPECT_EQ(record.processId, processId);
    EXPECT_EQ(record.arguments, c.arguments) << "got " << Shown(record.arguments);
    EXPECT_NE(record.commandLine.find(c.parameters.substr(c.parameters.find_first_not_of(L' '))), std::wstring::npos)
        << "the command line \"" << Utf8(record.commandLine) << "\" carries the parameters";
    EXPECT_TRUE(SamePath(record.workingDirectory, work))
        << "expected \"" << Utf8(work) << "\", got \"" << Utf8(record.workingDirectory) << "\"";
    EXPECT_TRUE(record.usesShowWindow) << "STARTF_USESHOWWINDOW";
    EXPECT_EQ(record.showWindow, SW_SHOWMAXIMIZED);
    EXPECT_EQ(record.stylesheetPresent, c.withStylesheet);
  }
}

LaunchRecord Tricky() {
  LaunchRecord record;
  record.processId = 4294967295u;
  record.commandLine = L"\"C:\\a b\\msxsl.exe\" x%41y\nend\nargument=z \r\t=";
  record.arguments = {L"", L"end", L"argument=z", L"100%", L"Вход\\файл.XML", L"line\nbreak"};
  record.workingDirectory = L"C:\\Рабочая папка";
  record.usesShowWindow = true;
  record.showWindow = 3;
  record.stylesheetPresent = true;
  return record;
}

TEST(LaunchRecord, ReadsBackWhatWasWritten) {
  const LaunchRecord plain{};
  const std::string text = FormatLaunchRecord(Tricky()) + FormatLaunchRecord(plain);
  const std::vector<LaunchRecord> read = ParseLaunchRecords(text);
  ASSERT_EQ(read.size(), 2u) << text;
  EXPECT_TRUE(read[0] == Tricky()) << text;
  EXPECT_EQ(read[0].arguments, Tricky().arguments) << Shown(read[0].arguments);
  EXPECT_EQ(read[0].commandLine, Tricky().commandLine);
  EXPECT_TRUE(read[1] == plain) << text;
}

TEST(LaunchRecord, AnUnfinishedRecordIsLeftOut) {
  const std::string whole = FormatLaunchRecord(Tricky());
  for (const std::size_t cut : {whole.size() - 1, whole.size() - 4, whole.size() / 2, std::size_t{3}}) {
    std::string text = whole;
    text.append(whole, 0, cut);
    EXPECT_EQ(ParseLaunchRecords(text).size(), 1u) << "with the second record cut after " << cut << " bytes";
  }
}

TEST(LaunchRecord, MalformedLinesAreReported) {
  const std::string cases[] = {
      "process_id=12a\nend\n",     "no equals sign\nend\n",   "colour=red\nend\n",
      "uses_show_window=2\nend\n", "command_line=50%\nend\n", "command_line=%4G\nend\n",
  };
  for (const std::string& text : cases) {
    EXPECT_THROW(ParseLaunchRecords(text), DriverError) << text;
  }
}

TEST(LaunchRecord, AMissingFileHoldsNoRecords) {
  TempDirectory temp;
  EXPECT_TRUE(ReadLaunchRecords(temp / L"none.txt").empty());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(WaitForLaunchRecords(temp / L"none.txt", 1, std::chrono::milliseconds{300}), DriverError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds{2000});
}

}  // namespace
}  // namespace driver

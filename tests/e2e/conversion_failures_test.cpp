// What the user sees when a conversion cannot go ahead: one warning, the focus on the control
// to use next, and no processor started.
#include <windows.h>

#include "tests/e2e/conversion_fixture.h"

namespace e2e {
namespace {

// How the directories come to be blank: as the settings file left them, or typed over.
struct DirectoriesCase {
  const char* name;
  bool inputSet;
  bool outputSet;
  const wchar_t* typedIn;   // typed into PATHIN after the start, when not null
  const wchar_t* typedOut;  // typed into PATHOUT after the start, when not null
  const wchar_t* message;
  int focus;
};

void PrintTo(const DirectoriesCase& c, std::ostream* out) { *out << c.name; }

class MissingDirectories : public ConversionTest, public ::testing::WithParamInterface<DirectoriesCase> {};

TEST_P(MissingDirectories, AskForTheDirectoryFirst) {
  const DirectoriesCase& c = GetParam();
  WritePaths(c.inputSet ? InputDirectory() : L"", c.outputSet ? OutputDirectory() : L"");
  Start();
  if (c.typedIn) TypeInto(PATHIN, c.typedIn);
  if (c.typedOut) TypeInto(PATHOUT, c.typedOut);

  PressConvert(c.focus);
  ExpectWarning(c.message, c.focus);
  ExpectNoFurtherLaunch();
  EXPECT_EQ(Exit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Conversion, MissingDirectories,
    ::testing::Values(
        DirectoriesCase{"InputEmpty", false, true, nullptr, nullptr, kEnterInputPath, BUTTONLOOKUPPATHIN},
        DirectoriesCase{"InputBlanks", true, true, L"    ", nullptr, kEnterInputPath, BUTTONLOOKUPPATHIN},
        DirectoriesCase{"OutputEmpty", true, false, nullptr, nullptr, kEnterOutputPath, BUTTONLOOKUPPATHOUT},
        DirectoriesCase{"OutputBlanks", true, true, nullptr, L"  ", kEnterOutputPath, BUTTONLOOKUPPATHOUT},
        // Only the input directory is asked for while both are missing.
        DirectoriesCase{"BothEmpty", false, false, nullptr, nullptr, kEnterInputPath, BUTTONLOOKUPPATHIN},
        DirectoriesCase{"BothBlanks", true, true, L" ", L" ", kEnterInputPath, BUTTONLOOKUPPATHIN}),
    [](const ::testing::TestParamInfo<DirectoriesCase>& tested) { return std::string(tested.param.name); });

using ConversionFailure = ConversionTest;

TEST_F(ConversionFailure, CancelledFileDialog) {
  WritePaths(InputDirectory(), OutputDirectory());
  CreateInputFile(InputDirectory(), DocumentName(L"004321", L"12345", L"00000"));
  Start();

  driver::CancelDialog(OpenFileDialog());
  ExpectWarning(kNoFileChosen, BUTTONCONVERT);
  ExpectNoFurtherLaunch();
}

// A file whose numbers are wrong: the warning of the number, with the focus on Convert.
struct RejectedCase {
  const char* name;
  std::wstring fileName;
  const wchar_t* message;
};

void PrintTo(const RejectedCase& c, std::ostream* out) { *out << c.name << " " << Utf8(c.fileName); }

class RejectedFile : public ConversionTest, public ::testing::WithParamInterface<RejectedCase> {};

TEST_P(RejectedFile, WarnsAndStartsNothing) {
  WritePaths(InputDirectory(), OutputDirectory());
  const std::wstring file = CreateInputFile(InputDirectory(), GetParam().fileName);
  Start();

  ExpectRejected(file, GetParam().message);
  ExpectNoFurtherLaunch();
  ExpectCurrentDirectory(WorkDirectory(), "after a rejected file");
}

INSTANTIATE_TEST_SUITE_P(
    Conversion, RejectedFile,
    ::testing::Values(
        RejectedCase{"RegistrationLetters", DocumentName(L"ABCDEF", L"12345", L"00000"), kNoRegistrationNumber},
        RejectedCase{"BothBatchNumbersZero", DocumentName(L"004321", L"00000", L"00000"), kWrongBatchNumber},
        RejectedCase{"BothBatchNumbersSet", DocumentName(L"004321", L"12345", L"00078"), kWrongBatchNumber}),
    [](const ::testing::TestParamInfo<RejectedCase>& tested) { return std::string(tested.param.name); });

// The system's own words for an error, as the program is expected to pass them on.
std::wstring SystemDescription(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

// A processor that is there but cannot start keeps the launch-failure message: only a missing
// one makes the program convert by itself.
TEST_F(ConversionFailure, ProcessorThatCannotStart) {
  RemoveProcessorFromWorkDirectory();
  driver::WriteTextFile(WorkDirectory() + L"\\" + kProcessorName, "not a program");
  WritePaths(InputDirectory(), OutputDirectory());
  const std::wstring file = CreateInputFile(InputDirectory(), DocumentName(L"004321", L"12345", L"00000"));
  Start({}, {{L"PATH", L"C:\\windows\\system32;C:\\windows"}});

  PickFile(file);
  const std::wstring description = SystemDescription(ERROR_BAD_EXE_FORMAT);
  ASSERT_FALSE(description.empty()) << "the system describes its error 193";
  // The program's own warning, and no box of the shell's before or beside it.
  ExpectWarning(std::wstring(kLaunchFailed) + L"\r\n" + description, BUTTONCONVERT);
  ExpectCurrentDirectory(WorkDirectory(), "after a failed launch");
  EXPECT_EQ(Exit(), 0u);
}

}  // namespace
}  // namespace e2e

// Without msxsl.exe anywhere the program converts through the system XML library itself: the
// same output name, the stylesheet from where it was started, every failure told.
#include <windows.h>

#include "tests/e2e/conversion_fixture.h"

namespace e2e {
namespace {

const std::wstring kName = DocumentName(L"004321", L"12345", L"00000");
constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
const std::string kIvanov = "\xC8\xE2\xE0\xED\xEE\xE2";  // "Иванов" in windows-1251
const std::string kInput = std::string(kDeclaration) + "\r\n<document><name>" + kIvanov + "</name></document>\r\n";
const std::string kStylesheet =
    "<?xml version=\"1.0\"?>\r\n<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\r\n"
    "<xsl:output method=\"xml\" encoding=\"windows-1251\"/>\r\n"
    "<xsl:template match=\"/\"><result><xsl:value-of select=\"document/name\"/></result></xsl:template>\r\n"
    "</xsl:stylesheet>\r\n";

class BuiltInConversion : public ConversionTest {
 protected:
  BuiltInConversion() {
    RemoveProcessorFromWorkDirectory();
    driver::WriteTextFile(WorkDirectory() + L"\\" + kStylesheetName, kStylesheet);
  }
  std::wstring Output() const { return OutputDirectory() + L"00432112.345"; }
  void StartWithoutProcessor() { Start({}, {{L"PATH", L"C:\\windows\\system32;C:\\windows"}}); }
  // The files of the output directory, the output's name included when it is there.
  std::size_t FilesInOutput() const {
    std::size_t count = 0;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((OutputDirectory() + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
  }
};

TEST_F(BuiltInConversion, WritesTheStylesheetsBytesAndSaysSo) {
  const std::wstring file = CreateInputFile(InputDirectory(), kName);
  driver::WriteTextFile(file, kInput);
  WritePaths(InputDirectory(), OutputDirectory());
  StartWithoutProcessor();

  PickFile(file);
  const driver::MessageDialog told = driver::WaitForMessageDialog(Program().Id(), L"Конвертация");
  EXPECT_EQ(Utf8(told.text), Utf8(L"Файл " + kName + L" сконвертирован в " + Output() + L"."));
  driver::PressMessageButton(told, 1);
  EXPECT_EQ(driver::ReadTextFile(Output()), std::string(kDeclaration) + "<result>" + kIvanov + "</result>");
  EXPECT_EQ(FilesInOutput(), 1u) << "nothing but the output";
}

// Each failure is told with its reason; an earlier output stays byte for byte, and nothing
// else is left in the output directory.
struct FailureCase {
  const char* name;
  std::string input;
  bool removeStylesheet;
  std::wstring outputDirectory;  // relative to the test's directory; empty: the usual one
  std::wstring reason;           // a part of the message
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class BuiltInFailure : public BuiltInConversion, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BuiltInFailure, IsToldAndKeepsTheEarlierOutput) {
  const FailureCase& c = GetParam();
  const std::wstring file = CreateInputFile(InputDirectory(), kName);
  driver::WriteTextFile(file, c.input);
  driver::WriteTextFile(Output(), "earlier output");
  if (c.removeStylesheet) DeleteFileW((WorkDirectory() + L"\\" + kStylesheetName).c_str());
  WritePaths(InputDirectory(), c.outputDirectory.empty() ? OutputDirectory() : Path(c.outputDirectory) + L"\\");
  StartWithoutProcessor();

  PickFile(file);
  const driver::MessageDialog message = driver::WaitForMessageDialog(Program().Id(), kWarningCaption);
  const std::wstring reason = c.removeStylesheet ? WorkDirectory() + L"\\" + kStylesheetName : c.reason;
  EXPECT_TRUE(message.text.starts_with(L"Конвертация файла " + kName + L" не удалась: ")) << Utf8(message.text);
  EXPECT_NE(message.text.find(reason), std::wstring::npos) << Utf8(message.text) << "\nshould hold " << Utf8(reason);
  driver::PressMessageButton(message, 1);
  ExpectFocusOn(BUTTONCONVERT);
  EXPECT_EQ(driver::ReadTextFile(Output()), "earlier output");
  EXPECT_EQ(FilesInOutput(), 1u) << "no temporary file left";
}

INSTANTIATE_TEST_SUITE_P(
    Conversion, BuiltInFailure,
    ::testing::Values(
        FailureCase{"MalformedInput", std::string(kDeclaration) + "\r\n<document>\r\n  <name>x</nam>\r\n</document>",
                    false, L"", L"строка 3, позиция 10"},
        FailureCase{"StylesheetMissing", kInput, true, L"", L""},
        FailureCase{"OutputDirectoryMissing", kInput, false, L"нет такой папки", L"нет такой папки"},
        FailureCase{"ExternalEntity",
                    "<?xml version=\"1.0\"?>\r\n<!DOCTYPE document [<!ENTITY s SYSTEM \"../secret.txt\">]>\r\n"
                    "<document><name>&s;</name></document>",
                    false, L"", L"объявление DTD"}),
    [](const ::testing::TestParamInfo<FailureCase>& tested) { return std::string(tested.param.name); });

TEST_F(BuiltInConversion, BatchIsReportedAsForTheProcessor) {
  std::vector<std::wstring> names;
  for (int n = 1; n <= 5; ++n) {
    names.push_back(DocumentName(L"00000" + std::to_wstring(n), L"00001", L"00000"));
    driver::WriteTextFile(CreateInputFile(InputDirectory(), names.back()), kInput);
  }
  WritePaths(InputDirectory(), OutputDirectory());
  StartWithoutProcessor();

  PickFiles(names);
  const BatchReport report = ReadReport();
  EXPECT_EQ(Utf8(report.summary),
            Utf8(L"Сконвертировано: 5, отклонено: 0, с ошибкой: 0, не сконвертировано: 0 (всего файлов: 5)"));
  for (int n = 1; n <= 5; ++n) {
    EXPECT_EQ(driver::ReadTextFile(OutputDirectory() + L"00000" + std::to_wstring(n) + L"00.001"),
              std::string(kDeclaration) + "<result>" + kIvanov + "</result>");
  }
}

}  // namespace
}  // namespace e2e

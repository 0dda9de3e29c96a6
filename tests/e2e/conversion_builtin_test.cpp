// Without msxsl.exe anywhere the program converts through the system XML library itself: the
// same output name, the stylesheet from where it was started, every failure told.
#include <windows.h>

#include <algorithm>

#include "tests/e2e/conversion_fixture.h"

namespace e2e {
namespace {

const std::wstring kName = DocumentName(L"004321", L"12345", L"00000");
constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
const std::string kIvanov = "\xC8\xE2\xE0\xED\xEE\xE2";  // "Иванов" in windows-1251
const std::string kInput = std::string(kDeclaration) + "\r\n<document><name>" + kIvanov + "</name></document>\r\n";
// What the stylesheet below makes of it, as the library writes it to a file.
const std::string kResult = std::string(kDeclaration) + "\n<result>" + kIvanov + "</result>\n";
const std::string kStylesheet =
    "<?xml version=\"1.0\"?>\r\n<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\r\n"
    "<xsl:output method=\"xml\" encoding=\"windows-1251\"/>\r\n"
    "<xsl:template match=\"/\"><result><xsl:value-of select=\"document/name\"/></result></xsl:template>\r\n"
    "</xsl:stylesheet>\r\n";

// The stylesheet with more top-level elements in front of its own (xsl:import must come first).
std::string StylesheetWith(const std::string& elements) {
  std::string text = kStylesheet;
  return text.insert(text.find("<xsl:output"), elements + "\r\n");
}

// A transformation that takes seconds: each of the input's items looks at all before it.
const std::string kSlowStylesheet =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:output method=\"text\" "
    "encoding=\"windows-1251\"/>"
    "<xsl:template match=\"/\"><xsl:value-of select=\"count(document/i[count(preceding-sibling::i) &gt;= 0])\"/>"
    "</xsl:template></xsl:stylesheet>";
std::string SlowInput(int items) {
  std::string input = std::string(kDeclaration) + "<document>";
  for (int i = 0; i < items; ++i) input += "<i/>";
  return input + "</document>";
}

// A module for xsl:include or xsl:import: the XSLT namespace, more namespaces, its elements.
std::string Module(const std::string& namespaces, const std::string& elements) {
  return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"" + namespaces + ">" +
         elements + "</xsl:stylesheet>";
}

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
  // Waits until the conversion writes its temporary file, or until it has gone.
  void WaitForTemporaryFile(bool there) {
    driver::WaitUntil([&] { return TemporaryFiles(OutputDirectory()).empty() != there; },
                      there ? L"the conversion's temporary file" : L"no temporary file", Program().Id(),
                      driver::Timeout{30'000});
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
  EXPECT_EQ(driver::ReadTextFile(Output()), kResult);
  EXPECT_EQ(FilesInOutput(), 1u) << "nothing but the output";
}

// The start directory, the input and the output lie where "#", "%", blanks and Cyrillic letters
// would break a URL, the start directory and the output path over 200 characters long; a module
// is included beside the stylesheet. (An input path beyond 260 characters is more than the file
// dialog takes under Wine.)
TEST_F(BuiltInConversion, PathsWithMarksAndLength) {
  std::wstring start = Path(L"Папка # %41 % с пробелами ");
  start += std::wstring(start.size() < 205 ? 205 - start.size() : 0, L'я');
  driver::MakeDirectories(start + L"\\parts");
  driver::WriteTextFile(start + L"\\" + kStylesheetName,
                        Module("",
                               "<xsl:include href=\"parts/name.xsl\"/><xsl:output encoding=\"windows-1251\"/>"
                               "<xsl:template match=\"/\"><result><xsl:call-template name=\"n\"/></result>"
                               "</xsl:template>"));
  driver::WriteTextFile(start + L"\\parts\\name.xsl",
                        Module("", "<xsl:template name=\"n\"><xsl:value-of select=\"document/name\"/></xsl:template>"));
  const std::wstring input = Path(L"Вход #%41 с пробелами");
  const std::wstring file = CreateInputFile(input, kName);
  driver::WriteTextFile(file, kInput);
  const std::wstring output = start + L"\\OUT #%41\\";
  driver::MakeDirectories(output);
  WritePaths(input, output);
  Start(start, {{L"PATH", L"C:\\windows\\system32;C:\\windows"}});

  PickFile(file);
  const driver::MessageDialog told = driver::WaitForMessageDialog(Program().Id(), L"Конвертация");
  EXPECT_EQ(Utf8(told.text), Utf8(L"Файл " + kName + L" сконвертирован в " + output + L"00432112.345."));
  driver::PressMessageButton(told, 1);
  EXPECT_EQ(driver::ReadTextFile(output + L"00432112.345"), kResult);
}

// Closing while the program converts by itself asks as during a batch: No lets the conversion
// end and say so; Yes ends the program at once. Yes, or the program ended from outside, keeps
// the earlier output and leaves nothing behind.
TEST_F(BuiltInConversion, ClosingAsksAndEndingLeavesNothing) {
  driver::WriteTextFile(WorkDirectory() + L"\\" + kStylesheetName, kSlowStylesheet);
  const std::wstring file = CreateInputFile(InputDirectory(), kName);
  WritePaths(InputDirectory(), OutputDirectory());
  enum Way { kNo = 4, kYes = 2, kKilled = 0 };  // No and Yes: the message dialog's button bits
  for (const Way way : {kKilled, kNo, kYes}) {
    if (way != kYes) StartWithoutProcessor();
    // Long enough to be running still when the question is answered, longer for Yes.
    driver::WriteTextFile(file, SlowInput(way == kNo ? 30000 : 80000));
    driver::WriteTextFile(Output(), "earlier output");
    PickFile(file);
    WaitForTemporaryFile(true);
    if (way == kKilled) {
      Program().Kill();
      WaitForTemporaryFile(false);
      EXPECT_EQ(driver::ReadTextFile(Output()), "earlier output");
      continue;
    }
    MainWindow().PostClose();
    const driver::MessageDialog question = driver::WaitForMessageDialog(Program().Id(), kWarningCaption);
    EXPECT_EQ(Utf8(question.text), Utf8(L"Идёт конвертация файлов. Остановить её и закрыть программу?"));
    driver::PressMessageButton(question, way);
    if (way == kNo) {
      driver::PressMessageButton(driver::WaitForMessageDialog(Program().Id(), L"Конвертация", driver::Timeout{180'000}),
                                 1);
      EXPECT_EQ(driver::ReadTextFile(Output()), "30000");
    }
  }
  EXPECT_EQ(Program().WaitForExit(driver::Timeout{5000}), 0u) << "Yes closes without waiting for the conversion";
  WaitForTemporaryFile(false);
  EXPECT_EQ(driver::ReadTextFile(Output()), "earlier output");
  EXPECT_EQ(FilesInOutput(), 1u);
}

// The private copies of stylesheet modules ("vxs…") in the temporary directory.
std::size_t ModuleCopies() {
  wchar_t temporary[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temporary);
  return driver::NamesMatching(std::wstring(temporary) + L"vxs*").size();
}

// Cancel, and Yes at close, end a built-in batch at once, as they end the processor: the running
// file is stopped long before its transformation could end by itself, its earlier output stays
// byte for byte, and no temporary file or copy of a module is left.
TEST_F(BuiltInConversion, CancelAndYesStopABatchAtOnce) {
  const std::size_t copiesBefore = ModuleCopies();
  driver::WriteTextFile(WorkDirectory() + L"\\" + kStylesheetName, kSlowStylesheet);
  const std::vector<std::wstring> names = {kName, DocumentName(L"004322", L"12345", L"00000")};
  driver::WriteTextFile(CreateInputFile(InputDirectory(), names[0]), SlowInput(80000));
  driver::WriteTextFile(CreateInputFile(InputDirectory(), names[1]), kInput);
  WritePaths(InputDirectory(), OutputDirectory());
  for (const bool cancel : {true, false}) {
    driver::WriteTextFile(Output(), "earlier output");
    StartWithoutProcessor();
    PickFiles(names);
    WaitForTemporaryFile(true);
    if (cancel) {
      Program().WaitForWindow(driver::kDialogClass, L"Конвертация файлов").Child(IDCANCEL).Click();
      const BatchReport report = ReadReport(driver::Timeout{10'000});
      ASSERT_EQ(report.rows.size(), 3u);
      EXPECT_EQ(Utf8(report.rows[1][2]), "Остановлен: конвертация файла прервана, выходной файл не изменён");
      EXPECT_EQ(Utf8(report.rows[2][2]), "Не сконвертирован: конвертация остановлена");
      MainWindow().PostClose();
    } else {
      MainWindow().PostClose();
      driver::PressMessageButton(driver::WaitForMessageDialog(Program().Id(), kWarningCaption), 2);  // Yes
    }
    EXPECT_EQ(Program().WaitForExit(driver::Timeout{10'000}), 0u);
    EXPECT_TRUE(TemporaryFiles(OutputDirectory()).empty()) << (cancel ? "Cancel" : "Yes");
    EXPECT_EQ(driver::ReadTextFile(Output()), "earlier output") << (cancel ? "Cancel" : "Yes");
    EXPECT_EQ(ModuleCopies(), copiesBefore) << (cancel ? "Cancel" : "Yes");
  }
}

// Each failure is told with its reason; an earlier output stays byte for byte, and nothing
// else is left in the output directory.
struct FailureCase {
  const char* name;
  std::string input;
  bool removeStylesheet;
  std::wstring outputDirectory;  // relative to the test's directory; empty: the usual one
  std::wstring reason;           // a part of the message; "<work>", "<input>" and "<root>" stand for those paths
  std::string stylesheet = {};   // instead of the usual one
  std::vector<std::pair<std::wstring, std::string>> modules = {};  // by their paths in the work directory
};

std::wstring WithPaths(std::wstring text, const std::wstring& work, const std::wstring& input,
                       const std::wstring& root) {
  for (const auto& [mark, path] : {std::pair{std::wstring(L"<work>"), work}, std::pair{std::wstring(L"<input>"), input},
                                   std::pair{std::wstring(L"<root>"), root}}) {
    for (std::size_t at = text.find(mark); at != std::wstring::npos; at = text.find(mark, at + path.size())) {
      text.replace(at, mark.size(), path);
    }
  }
  return text;
}

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class BuiltInFailure : public BuiltInConversion, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BuiltInFailure, IsToldAndKeepsTheEarlierOutput) {
  const FailureCase& c = GetParam();
  const std::wstring file = CreateInputFile(InputDirectory(), kName);
  driver::WriteTextFile(file, c.input);
  driver::WriteTextFile(Output(), "earlier output");
  if (c.removeStylesheet) DeleteFileW((WorkDirectory() + L"\\" + kStylesheetName).c_str());
  // "<work-url>" and "<root-url>" stand for the work directory and the one that holds it as file:
  // URLs; a secret lies in each, the work directory's inside the stylesheet's folder.
  const auto url = [](const std::wstring& path) {
    std::string text = "file:///" + Utf8(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
  };
  std::wstring root = Path(L"");
  root.pop_back();
  const auto withUrls = [&](std::string text) {
    for (const auto& [mark, value] :
         {std::pair{std::string("<work-url>"), url(WorkDirectory())}, std::pair{std::string("<root-url>"), url(root)},
          std::pair{std::string("<root-path>"), Utf8(root)}}) {
      if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, mark.size(), value);
    }
    return text;
  };
  driver::WriteTextFile(WorkDirectory() + L"\\secret.xml", "<s>SECRET-7f3a</s>");
  driver::WriteTextFile(Path(L"secret.xml"), "<s>SECRET-7f3a</s>");
  const std::string stylesheet = withUrls(c.stylesheet);
  if (!stylesheet.empty()) driver::WriteTextFile(WorkDirectory() + L"\\" + kStylesheetName, stylesheet);
  for (const auto& [path, text] : c.modules) {
    const std::wstring full = WorkDirectory() + L"\\" + path;
    driver::MakeDirectories(full.substr(0, full.find_last_of(L'\\')));
    driver::WriteTextFile(full, withUrls(text));
  }
  WritePaths(InputDirectory(), c.outputDirectory.empty() ? OutputDirectory() : Path(c.outputDirectory) + L"\\");
  StartWithoutProcessor();

  PickFile(file);
  const driver::MessageDialog message = driver::WaitForMessageDialog(Program().Id(), kWarningCaption);
  const std::wstring reason =
      c.removeStylesheet ? WorkDirectory() + L"\\" + kStylesheetName : WithPaths(c.reason, WorkDirectory(), file, root);
  EXPECT_TRUE(message.text.starts_with(L"Конвертация файла " + kName + L" не удалась: ")) << Utf8(message.text);
  EXPECT_NE(message.text.find(reason), std::wstring::npos) << Utf8(message.text) << "\nshould hold " << Utf8(reason);
  EXPECT_EQ(message.text.find(L"SECRET"), std::wstring::npos) << Utf8(message.text);
  EXPECT_FALSE(driver::FileExists(WorkDirectory() + L"\\written.xml")) << "the stylesheet wrote a file";
  driver::PressMessageButton(message, 1);
  ExpectFocusOn(BUTTONCONVERT);
  EXPECT_EQ(driver::ReadTextFile(Output()), "earlier output");
  EXPECT_EQ(FilesInOutput(), 1u) << "no temporary file left";
}

INSTANTIATE_TEST_SUITE_P(
    Conversion, BuiltInFailure,
    ::testing::Values(
        FailureCase{"MalformedInput", std::string(kDeclaration) + "\r\n<document>\r\n  <name>x</nam>\r\n</document>",
                    false, L"", L"строка 3, позиция 16: Файл не является правильным XML: элемент «name» из строки 3"},
        FailureCase{"StylesheetMissing", kInput, true, L"", L""},
        FailureCase{"OutputDirectoryMissing", kInput, false, L"нет такой папки", L"нет такой папки"},
        FailureCase{"ExternalEntity",
                    "<?xml version=\"1.0\"?>\r\n<!DOCTYPE document [<!ENTITY s SYSTEM \"../secret.txt\">]>\r\n"
                    "<document><name>&s;</name></document>",
                    false, L"", L"объявление DTD"},
        // Refused before it is parsed: the mistake behind it is never reached.
        FailureCase{"InputWithDoctype",
                    std::string(kDeclaration) + "\r\n<!DOCTYPE document>\r\n<document><name>x</nam></document>", false,
                    L"", L"В файле <input> есть объявление DTD"},
        FailureCase{"IncludedModuleWithScript",
                    kInput,
                    false,
                    L"",
                    L"Таблица стилей <work>\\common.xsl использует сценарии",
                    StylesheetWith("<xsl:include href=\"common.xsl\"/>"),
                    {{L"common.xsl", Module(" xmlns:ms=\"urn:schemas-microsoft-com:xslt\" xmlns:u=\"urn:u\"",
                                            "<ms:script language=\"JScript\" implements-prefix=\"u\">"
                                            "function f() { return 1; }</ms:script>")}}},
        // A secret beside the stylesheet's folder, asked for by a module it imports.
        FailureCase{"SecretOutsideTheFolder",
                    kInput,
                    false,
                    L"",
                    L"Таблица стилей <work>\\lib\\deep.xsl (строка 1) обращается к <root>\\secret.xml, а это "
                    L"запрещено: файл лежит вне папки таблицы стилей",
                    StylesheetWith("<xsl:import href=\"lib/first.xsl\"/>"),
                    {{L"lib\\first.xsl", Module("", "<xsl:import href=\"deep.xsl\"/>")},
                     {L"lib\\deep.xsl",
                      Module("", "<xsl:variable name=\"v\" select=\"document('<root-url>/secret.xml')\"/>")}}},
        FailureCase{
            "WriteByTheStylesheet", kInput, false, L"",
            L"обращается к <work>\\written.xml, а это запрещено: таблица стилей не может записывать файлы",
            StylesheetWith("<xsl:template match=\"/\" priority=\"2\"><xsl:document href=\"<work-url>/written.xml\">"
                           "<w/></xsl:document></xsl:template>")},
        FailureCase{"EncodingTheLibraryDoesNotRead", kInput, false, L"",
                    L"Ошибка в таблице стилей <work>\\qRec7to4.xsl",
                    "<?xml version=\"1.0\" encoding=\"GBK\"?><xsl:stylesheet version=\"1.0\" "
                    "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template match=\"/\"><out "
                    "a=\"{\xB0} | document('<work-url>/secret.xml')}\"/></xsl:template></xsl:stylesheet>"},
        FailureCase{
            "InputOfAnotherFormat",
            kInput,
            false,
            L"",
            L"Не соответствует формату: строка 2, /document: Корневой элемент «document» не описан в схеме",
            "",
            {{L"qRec7to4.in.xsd",
              "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"Файл\"/></xs:schema>"}}},
        FailureCase{"ModuleThatCannotBeRead", kInput, false, L"", L"unable to load <work>\\missing.xsl",
                    StylesheetWith("<xsl:include href=\"missing.xsl\"/>")},
        // As a stylesheet written for Windows spells it: outside the folder, refused with its line.
        FailureCase{"WindowsPathOutside", kInput, false, L"",
                    L"Таблица стилей <work>\\qRec7to4.xsl (строка 3) обращается к <root>\\secret.xml, а это "
                    L"запрещено: файл лежит вне папки таблицы стилей",
                    StylesheetWith("<xsl:variable name=\"v\" select=\"document('<root-path>\\secret.xml')\"/>")},
        // Never an empty set that converts "successfully".
        FailureCase{"DataFileCutShort",
                    kInput,
                    false,
                    L"",
                    L"Файл <work>\\codes.xml (его читает таблица стилей <work>\\qRec7to4.xsl, строка 3) не удалось "
                    L"прочитать: строка 1: Файл обрывается",
                    StylesheetWith("<xsl:variable name=\"v\" select=\"document('codes.xml')\"/>"),
                    {{L"codes.xml", "<codes><k>1</k>"}}}),
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
    EXPECT_EQ(driver::ReadTextFile(OutputDirectory() + L"00000" + std::to_wstring(n) + L"00.001"), kResult);
  }
}

}  // namespace
}  // namespace e2e

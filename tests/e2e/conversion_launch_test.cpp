// What the processor is started with: the parameter text, the working directory and the show
// state, for the worked example and for the paths that need care.
#include "tests/e2e/conversion_fixture.h"

namespace e2e {
namespace {

using ConversionLaunch = ConversionTest;

TEST_F(ConversionLaunch, WorkedExample) {
  const std::wstring name = L"ABCDEFGHIJKLMNOPQRSTUVWXYZA004321BCDEF12345GHIJKLMNOPQRSTUV00000.XML";
  ASSERT_EQ(name.size(), 68u);
  const std::wstring file = CreateInputFile(InputDirectory(), name);
  WritePaths(InputDirectory() + L"\\", OutputDirectory());
  Start();

  const driver::Window dialog = OpenFileDialog();
  EXPECT_EQ(Utf8(driver::ExplorerFolderName(dialog)), "IN") << "the dialog starts in the input directory";
  driver::ChooseFileInExplorerDialog(dialog, file);
  const driver::LaunchRecord record = NextRecord();

  const std::wstring output = OutputDirectory() + L"00432112.345";
  ExpectLaunch(record, L" " + file + L" qRec7to4.xsl -o " + output, {file, L"qRec7to4.xsl", L"-o", output},
               WorkDirectory());
  ExpectNoFurtherLaunch();
  ExpectCurrentDirectory(WorkDirectory(), "after the launch");
  EXPECT_EQ(Exit(), 0u);
}

TEST_F(ConversionLaunch, ProcessorOnTheSearchPath) {
  const std::wstring bin = Path(L"bin");
  RemoveProcessorFromWorkDirectory();
  PlaceProcessor(bin);
  ReadRecordsFrom(bin);
  const std::wstring file = CreateInputFile(InputDirectory(), DocumentName(L"004321", L"12345", L"00000"));
  WritePaths(InputDirectory(), OutputDirectory());
  Start({}, {{L"PATH", bin + L";C:\\windows\\system32;C:\\windows"}});

  const driver::LaunchRecord record = Convert(file);
  const std::wstring output = OutputDirectory() + L"00432112.345";
  // The stylesheet is still read where the program was started.
  ExpectLaunch(record, L" " + file + L" qRec7to4.xsl -o " + output, {file, L"qRec7to4.xsl", L"-o", output},
               WorkDirectory());
}

// One file and a batch find the same processor: in the start directory first (before the
// program's own directory), then on the search path.
struct SearchCase {
  const char* name;
  bool inWorkDirectory;
  bool besideTheProgram;
  bool onTheSearchPath;
  const wchar_t* found;  // the directory, under the test's, of the copy that should run
};

void PrintTo(const SearchCase& c, std::ostream* out) { *out << c.name; }

class ProcessorSearch : public ConversionTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(ProcessorSearch, OneFileAndABatchRunTheSameCopy) {
  const SearchCase& c = GetParam();
  if (!c.inWorkDirectory) RemoveProcessorFromWorkDirectory();
  if (c.besideTheProgram) PlaceProcessor(AppDirectory());
  if (c.onTheSearchPath) PlaceProcessor(Path(L"bin"));
  const std::wstring found = Path(c.found);
  ReadRecordsFrom(found);
  const std::wstring first = CreateInputFile(InputDirectory(), DocumentName(L"004321", L"12345", L"00000"));
  const std::wstring second = DocumentName(L"000007", L"00000", L"00001");
  CreateInputFile(InputDirectory(), second);
  WritePaths(InputDirectory(), OutputDirectory());
  Start({}, {{L"PATH", Path(L"bin") + L";C:\\windows\\system32;C:\\windows"}});

  const std::wstring output = OutputDirectory() + L"00432112.345";
  ExpectLaunch(Convert(first), L" " + first + L" qRec7to4.xsl -o " + output, {first, L"qRec7to4.xsl", L"-o", output},
               WorkDirectory());
  PickFiles({DocumentName(L"004321", L"12345", L"00000"), second});
  EXPECT_EQ(Utf8(ReadReport().summary),
            Utf8(L"Сконвертировано: 2, отклонено: 0, с ошибкой: 0, не сконвертировано: 0 (всего файлов: 2)"));
  EXPECT_EQ(Records().size(), 3u) << "every start by the copy in " << Utf8(found);
}

INSTANTIATE_TEST_SUITE_P(Conversion, ProcessorSearch,
                         ::testing::Values(SearchCase{"StartDirectoryFirst", true, true, true, L"work"},
                                           SearchCase{"ProgramDirectoryBeforeSearchPath", false, true, true, L"app"},
                                           SearchCase{"SearchPath", false, false, true, L"bin"}),
                         [](const ::testing::TestParamInfo<SearchCase>& tested) {
                           return std::string(tested.param.name);
                         });

// Blanks in the input or output path: each path is quoted, so it arrives as one argument.
TEST_F(ConversionLaunch, PathsWithBlanksArriveWhole) {
  const std::wstring inputDirectory = Path(L"Мои документы\\Входящие 7");
  const std::wstring outputDirectory = Path(L"Выходные документы") + L"\\";
  driver::MakeDirectories(outputDirectory);
  const std::wstring file = CreateInputFile(inputDirectory, DocumentName(L"004321", L"12345", L"00000"));
  WritePaths(inputDirectory, outputDirectory);
  Start();

  const driver::LaunchRecord record = Convert(file);
  const std::wstring output = outputDirectory + L"00432112.345";
  ExpectLaunch(record, L" \"" + file + L"\" qRec7to4.xsl -o \"" + output + L"\"",
               {file, L"qRec7to4.xsl", L"-o", output}, WorkDirectory());
}

// Only the path with a blank is quoted; the other stays as it is.
TEST_F(ConversionLaunch, OnlyThePathWithABlankIsQuoted) {
  const std::wstring plainInput = CreateInputFile(InputDirectory(), DocumentName(L"004321", L"12345", L"00000"));
  const std::wstring blankInput = CreateInputFile(Path(L"Мои документы"), DocumentName(L"000007", L"00000", L"00001"));
  const std::wstring blankOutput = Path(L"Выход 4") + L"\\";
  driver::MakeDirectories(blankOutput);
  WritePaths(InputDirectory(), blankOutput);
  Start();

  const driver::LaunchRecord first = Convert(plainInput);
  const std::wstring firstOutput = blankOutput + L"00432112.345";
  ExpectLaunch(first, L" " + plainInput + L" qRec7to4.xsl -o \"" + firstOutput + L"\"",
               {plainInput, L"qRec7to4.xsl", L"-o", firstOutput}, WorkDirectory());

  TypeInto(PATHOUT, OutputDirectory());
  const driver::LaunchRecord second = Convert(blankInput);
  const std::wstring secondOutput = OutputDirectory() + L"00000700.001";
  ExpectLaunch(second, L" \"" + blankInput + L"\" qRec7to4.xsl -o " + secondOutput,
               {blankInput, L"qRec7to4.xsl", L"-o", secondOutput}, WorkDirectory());
}

// An output directory typed without a separator at its end still gets the name inside it.
TEST_F(ConversionLaunch, OutputDirectoryTypedWithoutSeparator) {
  const std::wstring file = CreateInputFile(InputDirectory(), DocumentName(L"004321", L"12345", L"00000"));
  const std::wstring out = Path(L"OUT");
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  const struct {
    std::wstring typed;
    std::wstring output;
  } cases[] = {
      {out, out + L"\\00432112.345"},
      {out + L"\\", out + L"\\00432112.345"},
      {out + L"/", out + L"/00432112.345"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("typed PATHOUT " + Utf8(c.typed));
    TypeInto(PATHOUT, c.typed);
    const driver::LaunchRecord record = Convert(file);
    ExpectLaunch(record, L" " + file + L" qRec7to4.xsl -o " + c.output, {file, L"qRec7to4.xsl", L"-o", c.output},
                 WorkDirectory());
  }
}

// A directory pasted in quotes ("Copy as path") or with blanks in front still receives the
// output, while the entry keeps what was typed.
TEST_F(ConversionLaunch, OutputDirectoryPastedInQuotesOrAfterBlanks) {
  const std::wstring file = CreateInputFile(InputDirectory(), DocumentName(L"004321", L"12345", L"00000"));
  const std::wstring blankOutput = Path(L"Выход 4");
  driver::MakeDirectories(blankOutput);
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  for (const std::wstring& typed :
       {L"\"" + blankOutput + L"\"", L"   " + blankOutput, L"  \"" + blankOutput + L"\\\""}) {
    SCOPED_TRACE("typed PATHOUT " + Utf8(typed));
    TypeInto(PATHOUT, typed);
    const std::wstring output = blankOutput + L"\\00432112.345";
    const driver::LaunchRecord record = Convert(file);
    ExpectLaunch(record, L" " + file + L" qRec7to4.xsl -o \"" + output + L"\"", {file, L"qRec7to4.xsl", L"-o", output},
                 WorkDirectory());
    EXPECT_EQ(Utf8(ControlText(PATHOUT)), Utf8(typed)) << "the entry keeps what was typed";
  }
}

// The parameter text is passed whole however long. The input file must exist for the dialog,
// whose name box takes no path beyond the platform's usual limit (Wine's open dialog even
// crashes on one), so the input path stays under it and the output directory, which nobody
// checks, makes up the rest (within the 1000 characters of its field).
TEST_F(ConversionLaunch, LongParameterTextPassedWhole) {
  const std::wstring name = DocumentName(L"004321", L"12345", L"00000");
  const std::wstring level(40, L'D');
  std::wstring inputDirectory = Path(L"IN");
  while (inputDirectory.size() + 1 + level.size() + 1 + name.size() < 260) inputDirectory += L"\\" + level;
  const std::wstring file = CreateInputFile(inputDirectory, name);
  std::wstring outputDirectory = Path(L"OUT");
  while (outputDirectory.size() < 900) outputDirectory += L"\\" + std::wstring(50, L'O');
  outputDirectory += L"\\";
  WritePaths(InputDirectory(), outputDirectory);
  Start();

  const std::wstring output = outputDirectory + L"00432112.345";
  const std::wstring parameters = L" " + file + L" qRec7to4.xsl -o " + output;
  ASSERT_GT(parameters.size(), 999u) << "the case needs a parameter text over 999 characters";

  const driver::LaunchRecord record = Convert(file);
  ExpectLaunch(record, parameters, {file, L"qRec7to4.xsl", L"-o", output}, WorkDirectory());
}

TEST_F(ConversionLaunch, TwoConversionsInARow) {
  const std::wstring first = CreateInputFile(InputDirectory(), DocumentName(L"004321", L"12345", L"00000"));
  const std::wstring second = CreateInputFile(InputDirectory(), DocumentName(L"000777", L"00000", L"00078"));
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  const driver::LaunchRecord one = Convert(first);
  const driver::LaunchRecord two = Convert(second);
  ExpectLaunch(one, L" " + first + L" qRec7to4.xsl -o " + OutputDirectory() + L"00432112.345",
               {first, L"qRec7to4.xsl", L"-o", OutputDirectory() + L"00432112.345"}, WorkDirectory());
  ExpectLaunch(two, L" " + second + L" qRec7to4.xsl -o " + OutputDirectory() + L"00077700.078",
               {second, L"qRec7to4.xsl", L"-o", OutputDirectory() + L"00077700.078"}, WorkDirectory());
  EXPECT_NE(one.processId, two.processId) << "two processors were started";
  ExpectNoFurtherLaunch();
}

}  // namespace
}  // namespace e2e

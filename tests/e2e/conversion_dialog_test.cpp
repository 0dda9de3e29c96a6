// The file dialog of the conversion: where it starts, what it offers, what a cancel leaves.
#include "tests/e2e/conversion_fixture.h"

namespace e2e {
namespace {

using ConversionDialog = ConversionTest;

// An input directory that cannot be entered: the dialog opens where the program started.
TEST_F(ConversionDialog, MissingInputDirectoryStartsInStartDirectory) {
  const std::wstring name = DocumentName(L"004321", L"12345", L"00000");
  CreateInputFile(WorkDirectory(), name);
  WritePaths(Path(L"нет такой папки"), OutputDirectory());
  Start();

  const driver::Window dialog = OpenFileDialog();
  EXPECT_EQ(Utf8(driver::ExplorerFolderName(dialog)), "work") << "the dialog's folder";
  // The name alone is found in the folder the dialog shows.
  driver::ChooseFileInExplorerDialog(dialog, name);
  const driver::LaunchRecord record = NextRecord();
  const std::wstring file = WorkDirectory() + L"\\" + name;
  const std::wstring output = OutputDirectory() + L"00432112.345";
  ExpectLaunch(record, L" " + file + L" qRec7to4.xsl -o " + output, {file, L"qRec7to4.xsl", L"-o", output},
               WorkDirectory());
}

// The previous choice is offered again, a cancel in between included, and OK takes it as it
// is. It lies outside the input directory, so only the whole previous path finds it.
TEST_F(ConversionDialog, CancelKeepsThePreviousFileOffered) {
  const std::wstring name = DocumentName(L"004321", L"12345", L"00000");
  const std::wstring file = CreateInputFile(Path(L"OTHER"), name);
  CreateInputFile(InputDirectory(), DocumentName(L"000001", L"00001", L"00000"));
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  const driver::LaunchRecord first = Convert(file);

  driver::Window dialog = OpenFileDialog();
  // The platform shows the previous path or just its name in the folder it opens.
  const std::wstring offered = driver::ExplorerFileName(dialog);
  EXPECT_TRUE(offered == file || offered == name) << "the dialog offers " << Utf8(offered);
  driver::CancelDialog(dialog);
  ExpectWarning(kNoFileChosen, BUTTONCONVERT);

  dialog = OpenFileDialog();
  const std::wstring offeredAgain = driver::ExplorerFileName(dialog);
  EXPECT_TRUE(offeredAgain == file || offeredAgain == name)
      << "after a cancel the dialog offers " << Utf8(offeredAgain);
  driver::PressAndWaitUntilGone(dialog, IDOK);
  const driver::LaunchRecord again = NextRecord();
  const std::wstring output = OutputDirectory() + L"00432112.345";
  for (const driver::LaunchRecord& record : {first, again}) {
    ExpectLaunch(record, L" " + file + L" qRec7to4.xsl -o " + output, {file, L"qRec7to4.xsl", L"-o", output},
                 WorkDirectory());
  }
  ExpectNoFurtherLaunch();
}

// A file picked in another folder than the input directory is converted from its full path.
TEST_F(ConversionDialog, FileFromAnotherFolder) {
  CreateInputFile(InputDirectory(), DocumentName(L"000001", L"00001", L"00000"));
  const std::wstring file = CreateInputFile(Path(L"Другая папка\\XML"), DocumentName(L"004321", L"12345", L"00000"));
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  const driver::LaunchRecord record = Convert(file);
  const std::wstring output = OutputDirectory() + L"00432112.345";
  ExpectLaunch(record, L" \"" + file + L"\" qRec7to4.xsl -o " + output, {file, L"qRec7to4.xsl", L"-o", output},
               WorkDirectory());
  ExpectCurrentDirectory(WorkDirectory(), "after a file from another folder");
}

// The dialog starts in the input directory; whatever happens in it, the program is back where
// it started afterwards, a cancel included, and the processor starts there.
TEST_F(ConversionDialog, CurrentDirectoryGoesBackAfterCancel) {
  const std::wstring file = CreateInputFile(InputDirectory(), DocumentName(L"004321", L"12345", L"00000"));
  WritePaths(InputDirectory(), OutputDirectory());
  Start();
  ExpectCurrentDirectory(WorkDirectory(), "at the start");

  const driver::Window dialog = OpenFileDialog();
  ExpectCurrentDirectory(InputDirectory(), "while the file dialog is open");
  driver::CancelDialog(dialog);
  ExpectWarning(kNoFileChosen, BUTTONCONVERT);
  ExpectCurrentDirectory(WorkDirectory(), "after the cancel");

  const driver::LaunchRecord record = Convert(file);
  EXPECT_TRUE(driver::SamePath(record.workingDirectory, WorkDirectory()))
      << "the processor starts in " << Utf8(record.workingDirectory);
  ExpectCurrentDirectory(WorkDirectory(), "after the conversion");
}

}  // namespace
}  // namespace e2e

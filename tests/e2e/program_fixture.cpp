#include "tests/e2e/program_fixture.h"

#include <windows.h>

#include "tests/driver/utf8_text.h"
#include "tests/e2e/process_current_directory.h"
#include "tests/wine/test_paths.h"

namespace e2e {

const std::wstring kMainTitle = L"Конвертация файлов из 7 формата в 4" + std::wstring(50, L' ') + L"версия 1.0";

namespace {

std::wstring ProgramPath() {
  const rt::Text path = vxtest::WinePathOf(VEXILATE_EXE);
  return std::wstring(path.begin(), path.end());
}

}  // namespace

ProgramTest::ProgramTest() : appDirectory_(root_ / L"app"), workDirectory_(root_ / L"work") {
  driver::MakeDirectories(appDirectory_);
  driver::MakeDirectories(workDirectory_);
  const std::wstring program = ProgramPath();
  const std::wstring copy = appDirectory_ + L"\\vexilate.exe";
  if (!CopyFileW(program.c_str(), copy.c_str(), FALSE)) {
    ADD_FAILURE() << "could not copy vexilate.exe from "
                  << vxtest::Utf8(std::u16string(program.begin(), program.end()));
  }
}

std::optional<std::string> ProgramTest::Settings() const {
  if (!driver::FileExists(SettingsFile())) return std::nullopt;
  return driver::ReadTextFile(SettingsFile());
}

void ProgramTest::WriteSettings(const std::string& bytes) const { driver::WriteTextFile(SettingsFile(), bytes); }

driver::Window ProgramTest::Start(const std::wstring& currentDirectory,
                                  const std::vector<driver::EnvironmentVariable>& environment,
                                  const std::vector<std::wstring>& arguments) {
  process_.emplace(driver::Process::Launch(appDirectory_ + L"\\vexilate.exe", arguments,
                                           currentDirectory.empty() ? workDirectory_ : currentDirectory, environment));
  main_ = process_->WaitForWindow(driver::kDialogClass, kMainTitle);
  return main_;
}

int ProgramTest::FocusedControl() const {
  const driver::Window focused = process_->FocusedControl();
  if (!focused || focused.Parent() != main_) return 0;
  const int id = focused.Id();
  return id > kControlIdBase && id <= kControlIdBase + BUTTONJOURNAL ? id - kControlIdBase : 0;
}

void ProgramTest::ExpectFocusOn(int number) const {
  try {
    driver::WaitUntil([&] { return FocusedControl() == number; }, L"the focus on control " + std::to_wstring(number),
                      process_->Id(), driver::Timeout{3000});
  } catch (const driver::DriverError& error) {
    ADD_FAILURE() << error.what() << " (it is on control " << FocusedControl() << ")";
  }
}

void ProgramTest::LookUp(int button, const std::wstring& directory) {
  Press(button);
  const driver::Window dialog = driver::WaitForClassicFileDialog(process_->Id(), kLookupTitle);
  driver::ChooseDirectoryInClassicDialog(dialog, directory);
}

DWORD ProgramTest::Exit() {
  Press(BUTTONEXIT);
  return process_->WaitForExit();
}

std::wstring ProgramTest::ProgramCurrentDirectory() {
  const std::optional<std::wstring> directory = ProcessCurrentDirectory(Program().Handle());
  if (!directory) ADD_FAILURE() << "cannot read the program's current directory";
  return directory.value_or(L"");
}

void ProgramTest::ExpectCurrentDirectory(const std::wstring& directory, const std::string& when) {
  const std::wstring current = ProgramCurrentDirectory();
  EXPECT_TRUE(driver::SamePath(current, directory))
      << when << ": the current directory should be " << driver::ToUtf8(directory) << ", it is "
      << driver::ToUtf8(current);
}

}  // namespace e2e

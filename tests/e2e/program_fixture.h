// The real vexilate.exe as a person meets it: copied into a directory of its own (so its
// settings file lies there), started, its main window found and operated with the driver.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/driver/file_dialogs.h"
#include "tests/driver/keyboard_input.h"
#include "tests/driver/message_dialog.h"
#include "tests/driver/process_control.h"
#include "tests/driver/test_files.h"
#include "tests/driver/window_driver.h"

namespace e2e {

// The main window's title: 50 blanks between the name and the version mark.
extern const std::wstring kMainTitle;
inline constexpr wchar_t kSettingsFileName[] = L"Vexilate.INI";
inline constexpr wchar_t kLookupTitle[] = L"Выбор директории входящих документов";
inline constexpr wchar_t kFileTitle[] = L"Выберите файл для конвертации";
inline constexpr wchar_t kWarningCaption[] = L"Внимание!!!";

// Control numbers of the main window; the dialog identifier is 1000 + number.
enum Control : int {
  BUTTONLOOKUPPATHIN = 1,
  PATHIN = 2,
  BUTTONLOOKUPPATHOUT = 3,
  PATHOUT = 4,
  BUTTONCONVERT = 5,
  BUTTONEXIT = 6,
  BUTTONNEWFILES = 7,
  BUTTONJOURNAL = 8,
};
inline constexpr int kControlIdBase = 1000;

// Each test gets a fresh directory: "app\" holds the executable (and its settings file),
// "work\" is where the program is started unless the test says otherwise.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest();

  const std::wstring& AppDirectory() const { return appDirectory_; }
  const std::wstring& WorkDirectory() const { return workDirectory_; }
  // A path inside the test's own directory.
  std::wstring Path(const std::wstring& relative) const { return root_ / relative; }
  std::wstring SettingsFile() const { return appDirectory_ + L"\\" + kSettingsFileName; }
  // The settings file's bytes; nothing when there is no file.
  std::optional<std::string> Settings() const;
  void WriteSettings(const std::string& bytes) const;

  // Starts the program (in the work directory unless given another), with the arguments on its
  // command line, and waits for its window.
  driver::Window Start(const std::wstring& currentDirectory = {},
                       const std::vector<driver::EnvironmentVariable>& environment = {},
                       const std::vector<std::wstring>& arguments = {});
  // From now on the program is the one in this directory (an installed one), with its settings.
  void RunFrom(const std::wstring& directory) { appDirectory_ = directory; }
  driver::Process& Program() { return *process_; }
  driver::Window MainWindow() const { return main_; }
  driver::Window ControlWindow(int number) const { return main_.Child(kControlIdBase + number); }
  std::wstring ControlText(int number) const { return ControlWindow(number).Text(); }
  // The control number that has the keyboard focus, 0 when it is none of the window's.
  int FocusedControl() const;
  // Waits until the given control has the focus; fails the test (not throws) when it does not.
  void ExpectFocusOn(int number) const;

  // Presses a button of the main window (posted, so a dialog it opens does not block the test).
  void Press(int number) const { ControlWindow(number).Click(); }
  // Chooses a directory with a lookup button: waits for the dialog, goes there, OK.
  void LookUp(int button, const std::wstring& directory);
  // Presses Exit, waits for the process to end and returns its exit code.
  DWORD Exit();

  // The program's current directory, read from its process.
  std::wstring ProgramCurrentDirectory();
  void ExpectCurrentDirectory(const std::wstring& directory, const std::string& when);

 private:
  driver::TempDirectory root_;
  std::wstring appDirectory_;
  std::wstring workDirectory_;
  std::optional<driver::Process> process_;
  driver::Window main_;
};

}  // namespace e2e

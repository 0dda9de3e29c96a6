// The window driver against a small program of its own: finding, reading, clicking, typing,
// keystrokes, the file dialogs, message boxes and a wait that runs out of time.
#include "tests/driver/window_driver.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "tests/driver/file_dialogs.h"
#include "tests/driver/icon_match.h"
#include "tests/driver/keyboard_input.h"
#include "tests/driver/message_dialog.h"
#include "tests/driver/process_control.h"
#include "tests/driver/test_files.h"
#include "tests/driver/utf8_text.h"

namespace driver {
namespace {

constexpr wchar_t kTargetTitle[] = L"Driver Target";
constexpr int kEditId = 13;
constexpr int kFirstId = 11;
constexpr int kSecondId = 12;
constexpr int kStatusId = 14;

std::wstring TargetProgram() { return BesideExecutable(L"driver_target.exe"); }

Process LaunchTarget(const std::vector<std::wstring>& arguments, const std::wstring& directory = ExecutableDirectory(),
                     const std::vector<EnvironmentVariable>& environment = {}) {
  return Process::Launch(TargetProgram(), arguments, directory, environment);
}

std::string Utf8(const std::wstring& text) { return ToUtf8(text); }

// Waits until the target dialog's status text reads `expected`.
void ExpectStatus(const Process& process, const Window& dialog, const std::wstring& expected) {
  const Window status = dialog.Child(kStatusId);
  WaitUntil([&] { return status.Text() == expected; }, L"the status to read \"" + expected + L"\"", process.Id());
}

TEST(WindowDriver, ReadsTheControlsOfADialog) {
  Process target = LaunchTarget({L"dialog"});
  const Window dialog = target.WaitForWindow(L"#32770", kTargetTitle);

  const struct {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    RECT rect;
  } expected[] = {
      {kEditId, L"Edit", L"", {10, 10, 210, 34}},
      {kFirstId, L"Button", L"First", {10, 44, 100, 72}},
      {kSecondId, L"Button", L"Second", {120, 44, 210, 72}},
      {kStatusId, L"Static", L"ready", {10, 84, 310, 104}},
  };
  const std::vector<ChildInfo> children = dialog.Children();
  ASSERT_EQ(children.size(), std::size(expected)) << "children of the target dialog";
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ChildInfo& child = children[i];
    SCOPED_TRACE("child " + std::to_string(i) + " id " + std::to_string(child.id));
    EXPECT_EQ(child.id, expected[i].id);
    EXPECT_EQ(child.className, expected[i].className);
    EXPECT_EQ(child.text, expected[i].text);
    EXPECT_TRUE(child.visible);
    EXPECT_EQ(child.rect.left, expected[i].rect.left);
    EXPECT_EQ(child.rect.top, expected[i].rect.top);
    EXPECT_EQ(child.rect.right, expected[i].rect.right);
    EXPECT_EQ(child.rect.bottom, expected[i].rect.bottom);
  }
  EXPECT_EQ(dialog.Child(kFirstId).Style() & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "First is the default button";
  EXPECT_EQ(dialog.Child(kSecondId).Style() & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_TRUE(dialog.IsVisible());
  EXPECT_TRUE(dialog.IsEnabled());
  EXPECT_FALSE(dialog.IsMinimized());
  EXPECT_EQ(target.FocusedControl(), dialog.Child(kEditId)) << "the edit has the focus at the start";

  const std::vector<Window> windows = target.Windows();
  EXPECT_NE(std::find(windows.begin(), windows.end(), dialog), windows.end()) << "TopLevelWindows lists the dialog";

  dialog.PostClose();
  EXPECT_EQ(target.WaitForExit(), static_cast<DWORD>(IDCANCEL)) << "WM_CLOSE cancels the dialog";
}

TEST(WindowDriver, ClicksButtonsAndTypesIntoAnEdit) {
  Process target = LaunchTarget({L"dialog"});
  const Window dialog = target.WaitForWindow(L"#32770", kTargetTitle);

  dialog.Child(kFirstId).Click();
  ExpectStatus(target, dialog, L"First 1");
  dialog.Child(kEditId).SetText(L"путь к файлу");
  ExpectStatus(target, dialog, L"Changed:путь к файлу");
  EXPECT_EQ(dialog.Child(kEditId).Text(), L"путь к файлу");
  dialog.Child(kSecondId).Click();
  ExpectStatus(target, dialog, L"Second:путь к файлу");

  dialog.SystemClose();
  EXPECT_EQ(target.WaitForExit(), static_cast<DWORD>(IDCANCEL)) << "the system menu's Close cancels the dialog";
}

TEST(WindowDriver, KeystrokesTravelTheProgramsMessageLoop) {
  Process target = LaunchTarget({L"dialog"});
  const Window dialog = target.WaitForWindow(L"#32770", kTargetTitle);
  const Window edit = dialog.Child(kEditId), first = dialog.Child(kFirstId), second = dialog.Child(kSecondId);
  const auto expectFocus = [&](const Window& control, const std::wstring& name) {
    WaitUntil([&] { return target.FocusedControl() == control; }, L"the focus on " + name, target.Id());
  };

  expectFocus(edit, L"the edit");
  PressKeys(dialog, {Key::Tab});
  expectFocus(first, L"First after Tab");
  PressKeys(dialog, {Key::Tab});
  expectFocus(second, L"Second after Tab");
  PressKeys(dialog, {Key::ShiftTab, Key::ShiftTab});
  expectFocus(edit, L"the edit after Shift+Tab twice");

  TypeText(dialog, L"abc");
  ExpectStatus(target, dialog, L"Changed:abc");
  PressKeys(dialog, {Key::Enter});
  ExpectStatus(target, dialog, L"First 1");

  PressKeys(dialog, {Key::AltF4});
  EXPECT_EQ(target.WaitForExit(), static_cast<DWORD>(IDCANCEL)) << "Alt+F4 closes the dialog";
}

TEST(WindowDriver, WaitForAWindowThatNeverComesFailsInTime) {
  Process target = LaunchTarget({L"dialog"});
  target.WaitForWindow(L"#32770", kTargetTitle);

  const auto start = std::chrono::steady_clock::now();
  std::string message;
  try {
    target.WaitForWindow(L"#32770", L"Never shown", Timeout{1000});
  } catch (const DriverError& error) {
    message = error.what();
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds{1000});
  EXPECT_LT(elapsed, std::chrono::milliseconds{3000}) << "the wait must end soon after its limit";
  EXPECT_NE(message.find("Never shown"), std::string::npos) << "the message names what was waited for: " << message;
  EXPECT_NE(message.find("Driver Target"), std::string::npos) << "the message lists the windows: " << message;

  EXPECT_THROW(target.WaitForExit(Timeout{200}), DriverError) << "the target is still running";
}

TEST(WindowDriver, LaunchesWithDirectoryEnvironmentAndArguments) {
  TempDirectory temp;
  const std::wstring result = temp / L"report.txt";
  const std::vector<std::wstring> extra = {L"two words", L"a \"quoted\" word", L"C:\\dir with blank\\", L""};
  std::vector<std::wstring> arguments = {L"report", result};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  Process target = LaunchTarget(arguments, temp.path(), {{L"VEXILATE_DRIVER_PROBE", L"значение с пробелом"}});
  ASSERT_EQ(target.WaitForExit(), 0u);

  std::wstring expected = L"directory=" + temp.path() + L"\nprobe=значение с пробелом\n";
  for (const std::wstring& argument : extra) expected += L"argument=" + argument + L"\n";
  EXPECT_EQ(ReadTextFile(result), Utf8(expected));
}

TEST(WindowDriver, ExplorerOpenDialogReturnsTheTypedPath) {
  TempDirectory temp;
  const std::wstring chosen = temp / L"sample file.xml";
  WriteTextFile(chosen, "<x/>");
  const std::wstring result = temp / L"result.txt";
  Process target = LaunchTarget({L"open", result}, temp.path());

  const Window dialog = WaitForExplorerFileDialog(target.Id(), L"Target Open");
  EXPECT_EQ(ExplorerFileName(dialog), L"start.xml") << "the name box starts with the initial name";
  const std::wstring folder = temp.path().substr(temp.path().find_last_of(L'\\') + 1);
  EXPECT_EQ(ExplorerFolderName(dialog), folder) << "the dialog starts in the current directory";
  ChooseFileInExplorerDialog(dialog, chosen);

  EXPECT_EQ(target.WaitForExit(), 1u) << "GetOpenFileNameW reports OK";
  EXPECT_EQ(ReadTextFile(result), Utf8(chosen));
}

TEST(WindowDriver, ClassicDialogReachesDirectories) {
  TempDirectory temp;
  const std::wstring deeper = temp / L"data\\in";
  MakeDirectories(deeper);
  const struct {
    std::wstring directory;
    std::wstring answer;
  } cases[] = {
      {L"C:\\", L"C:\\XXYZZY.NIG"},
      {deeper, deeper + L"\\XXYZZY.NIG"},
      {temp.path(), temp.path() + L"\\XXYZZY.NIG"},  // where it starts
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.directory));
    const std::wstring result = temp / L"result.txt";
    Process target = LaunchTarget({L"classic", result}, temp.path());
    const Window dialog = WaitForClassicFileDialog(target.Id(), L"Target Directory");
    EXPECT_TRUE(ClassicDialogShows(dialog, temp.path()))
        << "starts in the current directory, shows \"" << Utf8(ClassicDialogDirectory(dialog)) << "\"";
    ChooseDirectoryInClassicDialog(dialog, c.directory);
    EXPECT_EQ(target.WaitForExit(), 1u) << "GetSaveFileNameW reports OK";
    const std::wstring answer = FromUtf8(ReadTextFile(result));
    EXPECT_TRUE(SamePath(answer, c.answer)) << "expected \"" << Utf8(c.answer) << "\", got \"" << Utf8(answer) << "\"";
  }
}

TEST(WindowDriver, CancelledFileDialogsReturnNothing) {
  for (const wchar_t* mode : {L"open", L"classic"}) {
    SCOPED_TRACE(Utf8(mode));
    TempDirectory temp;
    const std::wstring result = temp / L"result.txt";
    Process target = LaunchTarget({mode, result}, temp.path());
    const Window dialog =
        std::wstring(mode) == L"open" ? WaitForExplorerFileDialog(target.Id()) : WaitForClassicFileDialog(target.Id());
    CancelDialog(dialog);
    EXPECT_EQ(target.WaitForExit(), 0u) << "the dialog reports Cancel, not an error";
    EXPECT_TRUE(FileExists(result));
    EXPECT_EQ(ReadTextFile(result), "");
  }
}

TEST(WindowDriver, MessageBoxTextIconAndEnter) {
  Process target = LaunchTarget({L"message-box"});
  const Window box = target.WaitForWindow(L"#32770", L"Target Message");

  Window icon;
  std::vector<std::wstring> texts;
  std::vector<int> buttons;
  for (const ChildInfo& child : box.Children()) {
    if (!child.visible) continue;
    if (child.className == L"Static" && (child.style & SS_TYPEMASK) == SS_ICON) icon = Window(child.handle);
    if (child.className == L"Static" && (child.style & SS_TYPEMASK) != SS_ICON) texts.push_back(child.text);
    if (child.className == L"Button" && !child.text.empty()) buttons.push_back(child.id);
  }
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"First line\nSecond line"), texts.end());
  // The captions follow the system's language; the ids do not.
  EXPECT_EQ(buttons, (std::vector<int>{IDOK, IDCANCEL})) << "buttons with captions, by id";
  ASSERT_TRUE(icon) << "the box shows an icon";
  const IconCheck exclamation = CompareWithSystemIcon(icon, IDI_EXCLAMATION);
  EXPECT_TRUE(exclamation.matches) << "by " << Utf8(exclamation.method) << ": " << Utf8(exclamation.detail);
  const IconCheck hand = CompareWithSystemIcon(icon, IDI_HAND, Timeout{300});
  EXPECT_FALSE(hand.matches) << "the error icon must not match the warning icon (by " << Utf8(hand.method) << ")";

  PressKeys(box, {Key::Enter});
  EXPECT_EQ(target.WaitForExit(), static_cast<DWORD>(IDOK)) << "Enter presses the default button OK";
}

TEST(WindowDriver, ReadsAndAnswersAMessageDialog) {
  Process target = LaunchTarget({L"message-dialog"});
  const MessageDialog message = WaitForMessageDialog(target.Id(), L"Внимание!!!");

  EXPECT_EQ(message.text, L"Укажите путь\r\nк входному файлу");
  ASSERT_EQ(message.buttons.size(), 2u);
  EXPECT_EQ(message.buttons[0].bit, 1);
  EXPECT_EQ(message.buttons[0].caption, L"OK");
  EXPECT_TRUE(message.buttons[0].isDefault);
  EXPECT_EQ(message.buttons[1].bit, 64);
  EXPECT_EQ(message.buttons[1].caption, L"Cancel");
  EXPECT_FALSE(message.buttons[1].isDefault);
  ASSERT_TRUE(message.iconControl);
  EXPECT_NE(message.icon, nullptr);
  const IconCheck check = CompareWithSystemIcon(message.iconControl, IDI_EXCLAMATION);
  EXPECT_TRUE(check.matches) << "by " << Utf8(check.method) << ": " << Utf8(check.detail);

  PressMessageButton(message, 64);
  EXPECT_EQ(target.WaitForExit(), 64u) << "the dialog's result is the pressed button's bit";
}

TEST(QuoteArgument, ReadsBackAsTheSameArgument) {
  const std::wstring cases[] = {
      L"plain",    L"two words", L"",          L"a\"b", L"C:\\dir\\", L"C:\\dir with blank\\",
      L"ends\\\\", L"\\\"x\\\"", L"tab\there",
  };
  for (const std::wstring& argument : cases) {
    const std::wstring line = L"program.exe " + QuoteArgument(argument);
    int count = 0;
    wchar_t** read = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(count, 2) << Utf8(line);
    EXPECT_EQ(std::wstring(read[1]), argument) << Utf8(line);
    LocalFree(read);
  }
}

}  // namespace
}  // namespace driver

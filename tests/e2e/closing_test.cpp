// Every way of closing the main window ends the program with exit code 0 and writes nothing,
// also when the entries hold text the user typed.
#include "tests/e2e/main_window_checks.h"

namespace e2e {
namespace {

// A closed window ends the program at once; a wait this long means it stayed.
constexpr driver::Timeout kExitTimeout{5000};

enum class Way { ExitButton, SystemMenuClose, AltF4, EnterOnExit, SpaceOnExit };

struct ClosingWay {
  const char* name;
  Way way;
};

void PrintTo(const ClosingWay& way, std::ostream* out) { *out << way.name; }

class MainWindowClosing : public MainWindowTest, public ::testing::WithParamInterface<ClosingWay> {
 protected:
  void Close() {
    switch (GetParam().way) {
      case Way::ExitButton:
        Press(BUTTONEXIT);
        break;
      case Way::SystemMenuClose:
        MainWindow().SystemClose();
        break;
      case Way::AltF4:
        driver::PressKeys(MainWindow(), {driver::Key::AltF4});
        break;
      case Way::EnterOnExit:
        FocusExit();
        driver::PressKeys(MainWindow(), {driver::Key::Enter});
        break;
      case Way::SpaceOnExit:
        FocusExit();
        driver::PressKeys(MainWindow(), {driver::Key::Space});
        break;
    }
  }

 private:
  // Shift+Tab from the first control wraps round to the last one, Exit.
  void FocusExit() {
    ExpectFocusOn(BUTTONLOOKUPPATHIN);
    driver::PressKeys(MainWindow(), {driver::Key::ShiftTab});
    ExpectFocusOn(BUTTONEXIT);
  }
};

TEST_P(MainWindowClosing, EndsWithCodeZeroAndWritesNothing) {
  const std::wstring input = Path(L"Вход");
  driver::MakeDirectories(input);
  // Written loosely on purpose: a rewrite by the platform would tidy it.
  const std::string settings = AnsiBytes(L"[Paths]\r\nPathIn = " + input + L"\\ \r\n\r\n");
  WriteSettings(settings);
  Start();
  ExpectShows(PATHIN, input + L"\\");
  ControlWindow(PATHIN).SetText(L"C:\\набрано");
  ControlWindow(PATHOUT).SetText(L"C:\\тоже набрано");

  Close();

  const DWORD code = Program().WaitForExit(kExitTimeout);
  EXPECT_EQ(code, 0u) << "exit code after " << GetParam().name;
  ExpectSettings(settings);
}

INSTANTIATE_TEST_SUITE_P(Ways, MainWindowClosing,
                         ::testing::Values(ClosingWay{"ExitButton", Way::ExitButton},
                                           ClosingWay{"SystemMenuClose", Way::SystemMenuClose},
                                           ClosingWay{"AltF4", Way::AltF4}, ClosingWay{"EnterOnExit", Way::EnterOnExit},
                                           ClosingWay{"SpaceOnExit", Way::SpaceOnExit}),
                         CaseName<ClosingWay>);

}  // namespace
}  // namespace e2e

// The main window from the keyboard alone: Tab and Shift+Tab walk the controls in number
// order and wrap round; Escape neither closes the window nor opens anything.
#include "tests/e2e/main_window_checks.h"

namespace e2e {
namespace {

class MainWindowKeyboard : public MainWindowTest {
 protected:
  void SetUp() override {
    Start();
    ExpectFocusOn(BUTTONLOOKUPPATHIN);
  }

  // Presses the key once per step and expects the focus on each control in turn.
  void Walk(driver::Key key, std::initializer_list<int> order) {
    for (const int expected : order) {
      driver::PressKeys(MainWindow(), {key});
      SCOPED_TRACE(Utf8(driver::KeyName(key)) + " towards control " + std::to_string(expected));
      ExpectFocusOn(expected);
      if (HasFailure()) return;  // the later steps would only repeat it
    }
  }
};

TEST_F(MainWindowKeyboard, TabWalksTheControlsInNumberOrderAndWrapsRound) {
  Walk(driver::Key::Tab, {PATHIN, BUTTONLOOKUPPATHOUT, PATHOUT, BUTTONCONVERT, BUTTONEXIT, BUTTONLOOKUPPATHIN});
}

TEST_F(MainWindowKeyboard, ShiftTabWalksBackwards) {
  Walk(driver::Key::ShiftTab, {BUTTONEXIT, BUTTONCONVERT, PATHOUT, BUTTONLOOKUPPATHOUT, PATHIN, BUTTONLOOKUPPATHIN});
}

TEST_F(MainWindowKeyboard, EscapeDoesNothing) {
  // On a button, then in an entry that holds typed text.
  driver::PressKeys(MainWindow(), {driver::Key::Escape});
  ASSERT_NO_FATAL_FAILURE(ExpectOnlyMainWindow());
  ExpectFocusOn(BUTTONLOOKUPPATHIN);

  driver::PressKeys(MainWindow(), {driver::Key::Tab});
  ExpectFocusOn(PATHIN);
  driver::TypeText(MainWindow(), L"C:\\Вход");
  ExpectShows(PATHIN, L"C:\\Вход");
  driver::PressKeys(MainWindow(), {driver::Key::Escape});
  ASSERT_NO_FATAL_FAILURE(ExpectOnlyMainWindow());
  ExpectFocusOn(PATHIN);
  ExpectShows(PATHIN, L"C:\\Вход");

  ExpectSettings(std::nullopt);
  EXPECT_EQ(Exit(), 0u) << "the program should still answer its Exit button";
  ExpectSettings(std::nullopt);
}

}  // namespace
}  // namespace e2e

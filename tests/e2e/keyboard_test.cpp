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

// Coming back to the window leaves an entry as the user left it: its text is not written
// again, which would move the caret to the start and lose the undo.
TEST_F(MainWindowKeyboard, ComingBackKeepsTheEntrysUndo) {
  driver::PressKeys(MainWindow(), {driver::Key::Tab});
  ExpectFocusOn(PATHIN);
  driver::TypeText(MainWindow(), L"C:\\Вход");
  ExpectShows(PATHIN, L"C:\\Вход");
  const auto canUndo = [&] {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(ControlWindow(PATHIN).handle(), EM_CANUNDO, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    return result != 0;
  };
  ASSERT_TRUE(canUndo()) << "typing leaves something to undo";

  HWND elsewhere = CreateWindowExW(0, L"STATIC", L"elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                   nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(elsewhere, nullptr);
  for (int round = 0; round < 3; ++round) {
    driver::BringToForeground(driver::Window(elsewhere));
    driver::BringToForeground(MainWindow());
  }
  DestroyWindow(elsewhere);
  ASSERT_NO_FATAL_FAILURE(ExpectOnlyMainWindow());
  EXPECT_TRUE(canUndo()) << "the entry was written again when the window became active";
  ExpectShows(PATHIN, L"C:\\Вход");
}

}  // namespace
}  // namespace e2e

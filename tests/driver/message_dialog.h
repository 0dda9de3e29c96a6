// The program's own message dialog: a "#32770" built in memory with its text in static 100,
// its icon in static 101 and one button per bit, id 1000 + bit.
#pragma once

#include <string>
#include <vector>

#include "tests/driver/window_driver.h"

namespace driver {

inline constexpr int kMessageTextId = 100;
inline constexpr int kMessageIconId = 101;
inline constexpr int kMessageButtonBase = 1000;

struct MessageButton {
  int bit = 0;  // the dialog's result when this button is pressed
  std::wstring caption;
  bool isDefault = false;  // BS_DEFPUSHBUTTON
  Window window;
};

struct MessageDialog {
  Window window;
  std::wstring caption;
  std::wstring text;   // "|" of the program's text arrives as CR LF
  Window iconControl;  // empty when the dialog has no icon
  HICON icon = nullptr;
  std::vector<MessageButton> buttons;  // left to right
};

// Reads a message dialog that is on the screen.
MessageDialog ReadMessageDialog(const Window& dialog, Timeout timeout = kDefaultTimeout);

// Waits for a message dialog of the process with this caption and reads it.
MessageDialog WaitForMessageDialog(DWORD processId, const std::wstring& caption, Timeout timeout = kDefaultTimeout);

// Presses the button of this bit and waits until the dialog has gone.
void PressMessageButton(const MessageDialog& dialog, int bit, Timeout timeout = kDefaultTimeout);

}  // namespace driver

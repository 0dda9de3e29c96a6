// Real keystrokes: SendInput after bringing the target's window to the foreground, so the
// keys travel the program's own message loop as typed keys do (posted key messages do not).
#pragma once

#include <initializer_list>
#include <string>

#include "tests/driver/window_driver.h"

namespace driver {

enum class Key { Tab, ShiftTab, Enter, Space, Escape, AltF4, Up, Down, Left, Right, Home, End, Backspace, Delete };

// "Shift+Tab": how a key is named in messages.
std::wstring KeyName(Key key);

// Makes the top-level window that holds `target` the foreground window and waits until it is.
void BringToForeground(const Window& target, Timeout timeout = kDefaultTimeout);

// Brings the target's top-level window forward and presses the keys in order. The keys go to
// whatever control of that window has the focus, as a person's keys would.
void PressKeys(const Window& target, std::initializer_list<Key> keys, Timeout timeout = kDefaultTimeout);

// Types the characters (KEYEVENTF_UNICODE) into the focused control of the target's window.
void TypeText(const Window& target, const std::wstring& text, Timeout timeout = kDefaultTimeout);

}  // namespace driver

#include "tests/driver/keyboard_input.h"

#include <vector>

namespace driver {
namespace {

struct Chord {
  WORD modifier;  // 0 when the key is pressed alone
  WORD key;
  const wchar_t* name;
};

Chord ChordOf(Key key) {
  switch (key) {
    case Key::Tab:
      return {0, VK_TAB, L"Tab"};
    case Key::ShiftTab:
      return {VK_SHIFT, VK_TAB, L"Shift+Tab"};
    case Key::Enter:
      return {0, VK_RETURN, L"Enter"};
    case Key::Space:
      return {0, VK_SPACE, L"Space"};
    case Key::Escape:
      return {0, VK_ESCAPE, L"Escape"};
    case Key::AltF4:
      return {VK_MENU, VK_F4, L"Alt+F4"};
    case Key::Up:
      return {0, VK_UP, L"Up"};
    case Key::Down:
      return {0, VK_DOWN, L"Down"};
    case Key::Left:
      return {0, VK_LEFT, L"Left"};
    case Key::Right:
      return {0, VK_RIGHT, L"Right"};
    case Key::Home:
      return {0, VK_HOME, L"Home"};
    case Key::End:
      return {0, VK_END, L"End"};
    case Key::Backspace:
      return {0, VK_BACK, L"Backspace"};
    case Key::Delete:
      return {0, VK_DELETE, L"Delete"};
  }
  return {0, 0, L"?"};
}

bool IsExtended(WORD key) {
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
    case VK_DELETE:
      return true;
    default:
      return false;
  }
}

INPUT KeyEvent(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0u) | (IsExtended(key) ? KEYEVENTF_EXTENDEDKEY : 0u);
  return input;
}

INPUT CharacterEvent(wchar_t c, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = static_cast<WORD>(c);
  input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0u);
  return input;
}

void Send(std::vector<INPUT>& inputs, const std::wstring& what) {
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size()) {
    throw DriverError(L"SendInput delivered " + std::to_wstring(sent) + L" of " + std::to_wstring(inputs.size()) +
                      L" events for " + what + L" (error " + std::to_wstring(GetLastError()) + L")");
  }
}

}  // namespace

std::wstring KeyName(Key key) { return ChordOf(key).name; }

void BringToForeground(const Window& target, Timeout timeout) {
  const HWND root = GetAncestor(target.handle(), GA_ROOT);
  const Window window(root);
  WaitUntil(
      [&] {
        if (GetForegroundWindow() == root) return true;
        SetForegroundWindow(root);
        return GetForegroundWindow() == root;
      },
      DescribeWindow(window) + L" to become the foreground window", window.ProcessId(), timeout);
}

void PressKeys(const Window& target, std::initializer_list<Key> keys, Timeout timeout) {
  BringToForeground(target, timeout);
  std::vector<INPUT> inputs;
  std::wstring names;
  for (const Key key : keys) {
    const Chord chord = ChordOf(key);
    if (chord.modifier != 0) inputs.push_back(KeyEvent(chord.modifier, false));
    inputs.push_back(KeyEvent(chord.key, false));
    inputs.push_back(KeyEvent(chord.key, true));
    if (chord.modifier != 0) inputs.push_back(KeyEvent(chord.modifier, true));
    names += (names.empty() ? L"" : L", ") + std::wstring(chord.name);
  }
  Send(inputs, L"keys " + names);
}

void TypeText(const Window& target, const std::wstring& text, Timeout timeout) {
  BringToForeground(target, timeout);
  std::vector<INPUT> inputs;
  for (const wchar_t c : text) {
    inputs.push_back(CharacterEvent(c, false));
    inputs.push_back(CharacterEvent(c, true));
  }
  Send(inputs, L"the text \"" + text + L"\"");
}

}  // namespace driver

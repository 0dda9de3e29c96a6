#include "tests/driver/message_dialog.h"

#include <algorithm>

#include "tests/driver/file_dialogs.h"

namespace driver {

MessageDialog ReadMessageDialog(const Window& dialog, Timeout timeout) {
  MessageDialog read;
  read.window = dialog;
  read.caption = dialog.Text(timeout);
  for (const ChildInfo& child : dialog.Children(timeout)) {
    if (child.id == kMessageTextId) {
      read.text = child.text;
    } else if (child.id == kMessageIconId && (child.style & SS_TYPEMASK) == SS_ICON) {
      read.iconControl = Window(child.handle);
      read.icon = read.iconControl.StaticIcon(timeout);
    } else if (child.id > kMessageButtonBase && _wcsicmp(child.className.c_str(), L"Button") == 0) {
      const bool isDefault = (child.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      read.buttons.push_back(MessageButton{child.id - kMessageButtonBase, child.text, isDefault, Window(child.handle)});
    }
  }
  std::sort(read.buttons.begin(), read.buttons.end(), [](const MessageButton& a, const MessageButton& b) {
    return a.window.ScreenRect().left < b.window.ScreenRect().left;
  });
  return read;
}

MessageDialog WaitForMessageDialog(DWORD processId, const std::wstring& caption, Timeout timeout) {
  return ReadMessageDialog(WaitForWindow(processId, kDialogClass, caption, timeout), timeout);
}

void PressMessageButton(const MessageDialog& dialog, int bit, Timeout timeout) {
  PressAndWaitUntilGone(dialog.window, kMessageButtonBase + bit, timeout);
}

}  // namespace driver

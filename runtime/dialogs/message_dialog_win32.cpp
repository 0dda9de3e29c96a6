// The program's own message dialog: laid out from its text, so a long message wraps
// instead of running off the screen, and with the buttons the caller asks for.
#include "runtime/dialogs/message_dialog_win32.h"

#include <vector>

#include "runtime/dialogs/message_dialog_content.h"
#include "runtime/system/win32_api.h"
#include "runtime/window/dialog_services.h"
#include "runtime/window/dialog_template_win32.h"
#include "runtime/window/window_state_win32.h"

namespace rt {
namespace {

constexpr int kTextId = 100;
constexpr int kIconId = 101;
constexpr int kButtonIdBase = 1000;  // + the button's bit

struct MessageDialog {
  Text text;
  HICON icon = nullptr;
  std::vector<MessageButton> buttons;
  LONG defaultButton = 0;
  bool systemModal = false;
};

HICON LoadMessageIcon(TextView icon) {
  if (icon.empty()) return nullptr;
  if (const auto number = SystemIconNumber(icon)) {
    return LoadIconW(nullptr, MAKEINTRESOURCEW(*number));
  }
  const Text name(icon);
  const int size = GetSystemMetrics(SM_CXICON);
  if (HANDLE resource = LoadImageW(GetModuleHandleW(nullptr), Wide(name), IMAGE_ICON, size, size, LR_SHARED)) {
    return static_cast<HICON>(resource);
  }
  return static_cast<HICON>(LoadImageW(nullptr, Wide(name), IMAGE_ICON, size, size, LR_LOADFROMFILE));
}

// Places the controls in pixels once the dialog's font is known.
void Layout(HWND dialog, const MessageDialog& message) {
  auto dialogUnits = [dialog](int x, int y) {
    RECT rect{0, 0, x, y};
    MapDialogRect(dialog, &rect);
    return SIZE{rect.right, rect.bottom};
  };
  const SIZE margin = dialogUnits(kMessageMargin, kMessageMargin);
  const SIZE wrap = dialogUnits(kMessageWrapWidth, 0);
  const SIZE button = dialogUnits(kMessageButtonWidth, kMessageButtonHeight);
  const SIZE gap = dialogUnits(kMessageButtonGap, kMessageButtonGap);

  HWND textControl = GetDlgItem(dialog, kTextId);
  HDC dc = GetDC(textControl);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  RECT textRect{0, 0, wrap.cx, 0};
  DrawTextW(dc, Wide(message.text), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, previous);
  ReleaseDC(textControl, dc);

  int left = margin.cx;
  int contentHeight = textRect.bottom;
  HWND iconControl = GetDlgItem(dialog, kIconId);
  if (message.icon) {
    const int iconSize = GetSystemMetrics(SM_CXICON);
    SetWindowPos(iconControl, nullptr, margin.cx, margin.cy, iconSize, iconSize, SWP_NOZORDER);
    SendMessageW(iconControl, STM_SETICON, reinterpret_cast<WPARAM>(message.icon), 0);
    left += iconSize + margin.cx;
    contentHeight = std::max<int>(contentHeight, iconSize);
  } else {
    ShowWindow(iconControl, SW_HIDE);
  }
  const int textTop = margin.cy + (contentHeight - textRect.bottom) / 2;
  SetWindowPos(textControl, nullptr, left, textTop, textRect.right, textRect.bottom, SWP_NOZORDER);

  // A caption longer than a button's width widens its button.
  std::vector<int> widths;
  int rowWidth = -gap.cx;
  HDC buttonDc = GetDC(dialog);
  HGDIOBJ buttonFont = SelectObject(buttonDc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  for (const auto& b : message.buttons) {
    const Text caption(b.caption);
    RECT captionRect{0, 0, 0, 0};
    DrawTextW(buttonDc, Wide(caption), -1, &captionRect, DT_CALCRECT | DT_SINGLELINE);
    widths.push_back(std::max<int>(button.cx, captionRect.right + 2 * margin.cx));
    rowWidth += widths.back() + gap.cx;
  }
  SelectObject(buttonDc, buttonFont);
  ReleaseDC(dialog, buttonDc);
  const int clientWidth = std::max<int>(left + textRect.right + margin.cx, rowWidth + 2 * margin.cx);
  const int buttonTop = margin.cy + contentHeight + margin.cy;
  const int clientHeight = buttonTop + button.cy + margin.cy;
  int x = (clientWidth - rowWidth) / 2;
  for (std::size_t index = 0; index < message.buttons.size(); ++index) {
    SetWindowPos(GetDlgItem(dialog, kButtonIdBase + message.buttons[index].bit), nullptr, x, buttonTop, widths[index],
                 button.cy, SWP_NOZORDER);
    x += widths[index] + gap.cx;
  }

  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;

  // Centred over the owner, or over the work area when there is none.
  RECT area{};
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER);
}

// Escape and the close box choose Cancel when there is one, the only button otherwise.
LONG CancelChoice(const MessageDialog& message) {
  for (const auto& b : message.buttons) {
    if (b.bit == BUTTON_CANCEL) return b.bit;
  }
  return message.buttons.size() == 1 ? message.buttons.front().bit : 0;
}

INT_PTR CALLBACK MessageProcedure(HWND dialog, UINT code, WPARAM wParam, LPARAM lParam) {
  if (code == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    const auto* message = reinterpret_cast<const MessageDialog*>(lParam);
    Layout(dialog, *message);
    // What DS_SYSMODAL means since 32-bit Windows; not every platform derives it by itself.
    if (message->systemModal) SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetFocus(GetDlgItem(dialog, kButtonIdBase + message->defaultButton));
    SetForegroundWindow(dialog);
    return FALSE;  // the focus is set
  }
  const auto* message = reinterpret_cast<const MessageDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!message || code != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  if (id >= kButtonIdBase) {
    EndDialog(dialog, id - kButtonIdBase);
    return TRUE;
  }
  if (id == IDCANCEL) {
    if (const LONG choice = CancelChoice(*message)) EndDialog(dialog, choice);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

LONG ShowMessage(TextView text, TextView caption, TextView icon, TextView buttons, LONG defaultButton, LONG modal,
                 TextView retryCaption) {
  HWND owner = CurrentWindowHandle();
  return ShowMessageOver(owner ? owner : GetActiveWindow(), text, caption, icon, buttons, defaultButton, modal,
                         retryCaption);
}

LONG ShowMessageOver(HWND owner, TextView text, TextView caption, TextView icon, TextView buttons, LONG defaultButton,
                     LONG modal, TextView retryCaption) {
  MessageDialog message;
  message.text = MessageLines(text);
  message.icon = LoadMessageIcon(icon);
  message.buttons = MessageButtons(buttons);
  for (MessageButton& button : message.buttons) {
    if (button.bit == BUTTON_RETRY && !retryCaption.empty()) button.caption = retryCaption;
  }
  message.defaultButton = DefaultButton(message.buttons, defaultButton);
  message.systemModal = modal != 0;

  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  if (modal) style |= DS_SYSMODAL;
  DialogTemplate dialog(style, caption, 100, 50, u"MS Shell Dlg", 8, FW_NORMAL);
  dialog.AddControl(kIconId, ControlClass::Static, WS_VISIBLE | SS_ICON, u"", 0, 0, 0, 0);
  dialog.AddControl(kTextId, ControlClass::Static, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, message.text, 0, 0, 1, 1);
  for (const auto& b : message.buttons) {
    const DWORD buttonStyle =
        WS_VISIBLE | WS_TABSTOP | (b.bit == message.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    dialog.AddControl(static_cast<DWORD>(kButtonIdBase + b.bit), ControlClass::Button, buttonStyle, b.caption, 0, 0, 1,
                      1);
  }

  HWND focus = GetFocus();
  INT_PTR result = 0;
  {
    OwnModalDialog ownDialog;
    result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, &MessageProcedure,
                                     reinterpret_cast<LPARAM>(&message));
  }
  if (focus && IsWindow(focus)) SetFocus(focus);
  return result > 0 ? static_cast<LONG>(result) : 0;
}

}  // namespace rt

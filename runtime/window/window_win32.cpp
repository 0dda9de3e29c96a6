// A window built from a definition table, run as a modeless dialog so that dialog units,
// the font and the keyboard (Tab, Shift+Tab, Enter, Space, Alt+F4) work as in any dialog.
#include <algorithm>

#include "runtime/window/dialog_template_win32.h"
#include "runtime/window/window_class_win32.h"
#include "runtime/window/window_state_win32.h"

namespace rt {
namespace {

// Room a button needs around its caption, in dialog units.
constexpr int kButtonPadding = 12;

int g_ownModalDepth = 0;
bool (*g_closeQuery)() = nullptr;

std::size_t PictureLength(TextView picture) {
  // "s255": a string picture with its length.
  if (picture.empty() || (picture[0] != u's' && picture[0] != u'S')) return 0;
  const LONG length = TextToLong(picture.substr(1));
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}

Text WindowText(HWND handle) {
  const int length = GetWindowTextLengthW(handle);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(handle, text.data(), length + 1);
  return FromWide(text.c_str(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

}  // namespace

Window::Window(const WindowDefinition& definition, std::initializer_list<FieldSpan> variables)
    : definition_(definition) {
  auto variable = variables.begin();
  for (const auto& controlDefinition : definition.controls) {
    Control control{controlDefinition, nullptr, {}, 0};
    if (controlDefinition.kind == ControlKind::Entry && variable != variables.end()) {
      control.variable = *variable++;
      control.limit = PictureLength(controlDefinition.text);
    }
    controls_.push_back(control);
  }

  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  if (definition.minimizeBox) style |= WS_MINIMIZEBOX;
  DialogTemplate dialog(style, definition.title, static_cast<short>(definition.width),
                        static_cast<short>(definition.height), definition.font.face,
                        static_cast<WORD>(definition.font.points), static_cast<WORD>(definition.font.weight));
  for (const auto& control : controls_) {
    const ControlDefinition& c = control.definition;
    const bool button = c.kind == ControlKind::Button;
    const DWORD controlStyle = WS_VISIBLE | (c.tabStop ? DWORD{WS_TABSTOP} : 0) |
                               (button ? DWORD{BS_PUSHBUTTON} : DWORD{WS_BORDER | ES_AUTOHSCROLL});
    // A default width is settled once the font is known (Initialise).
    const int width = c.width == kDefault ? 1 : c.width;
    const int height = c.height == kDefault ? 14 : c.height;
    dialog.AddControl(static_cast<DWORD>(kControlIdBase + c.number), button ? ControlClass::Button : ControlClass::Edit,
                      controlStyle, button ? c.text : TextView(), static_cast<short>(c.x), static_cast<short>(c.y),
                      static_cast<short>(width), static_cast<short>(height));
  }
  handle_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, &Window::Procedure,
                                       reinterpret_cast<LPARAM>(this));
}

Window::~Window() {
  if (handle_ && IsWindow(handle_)) DestroyWindow(handle_);
}

Control* Window::FindControl(LONG number) {
  for (auto& control : controls_) {
    if (control.definition.number == number) return &control;
  }
  return nullptr;
}

void Window::Redisplay(Control& control, bool force) {
  if (!control.handle) return;
  if (control.definition.kind != ControlKind::Entry) {
    if (force) InvalidateRect(control.handle, nullptr, TRUE);
    return;
  }
  if (control.variable.empty()) return;
  Text shown = CLIP(TextView(control.variable.data(), control.variable.size()));
  if (control.limit > 0 && shown.size() > control.limit) shown.resize(control.limit);
  // Rewriting the same text would move the caret to the start and clear the undo.
  if (WindowText(control.handle) == shown) return;
  redisplaying_ = true;
  SetWindowTextW(control.handle, Wide(shown));
  redisplaying_ = false;
}

void Window::Initialise() {
  // Centred on the desktop: the window has no parent.
  RECT window{};
  GetWindowRect(handle_, &window);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(handle_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  if (!definition_.iconResource.empty()) {
    const Text name(definition_.iconResource);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto load = [&](int sizeMetric) {
      const int size = GetSystemMetrics(sizeMetric);
      return reinterpret_cast<LPARAM>(LoadImageW(instance, Wide(name), IMAGE_ICON, size, size, LR_SHARED));
    };
    SendMessageW(handle_, WM_SETICON, ICON_BIG, load(SM_CXICON));
    SendMessageW(handle_, WM_SETICON, ICON_SMALL, load(SM_CXSMICON));
  }

  HFONT font = reinterpret_cast<HFONT>(SendMessageW(handle_, WM_GETFONT, 0, 0));
  HDC dc = GetDC(handle_);
  HGDIOBJ previous = SelectObject(dc, font);
  for (auto& control : controls_) {
    control.handle = GetDlgItem(handle_, kControlIdBase + control.definition.number);
    if (control.definition.kind == ControlKind::Entry && control.limit > 0) {
      SendMessageW(control.handle, EM_SETLIMITTEXT, control.limit, 0);
    }
    if (control.definition.kind == ControlKind::Button && control.definition.width == kDefault) {
      const Text caption(control.definition.text);
      SIZE extent{};
      GetTextExtentPoint32W(dc, Wide(caption), static_cast<int>(caption.size()), &extent);
      RECT padding{0, 0, kButtonPadding, 0};
      MapDialogRect(handle_, &padding);
      RECT rect{};
      GetWindowRect(control.handle, &rect);
      MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&rect), 2);
      SetWindowPos(control.handle, nullptr, 0, 0, extent.cx + padding.right, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER);
    }
  }
  SelectObject(dc, previous);
  ReleaseDC(handle_, dc);
  RedisplayAll(true);
}

INT_PTR CALLBACK Window::Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(handle, DWLP_USER, lParam);
    auto* window = reinterpret_cast<Window*>(lParam);
    window->handle_ = handle;
  }
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(handle, DWLP_USER));
  return window ? window->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      return FALSE;  // the focus is the application's to place
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      if (g_closeQuery && !g_closeQuery()) return TRUE;
      closed_ = true;
      ShowWindow(handle_, SW_HIDE);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && g_ownModalDepth == 0) Queue({EVENT_GainFocus, 0, KeyState()});
      return FALSE;  // the dialog manager puts the focus back where it was
    case kTaskEndedMessage:
      Queue({EVENT_TaskEnded, 0, KeyState()});
      return TRUE;
    case kFilesDroppedMessage: {
      const auto number = static_cast<LONG>(wParam);
      Queue({EVENT_Dropped, FindControl(number) ? number : 0, KeyState()});
      return TRUE;
    }
    case WM_ACTIVATEAPP:
      if (wParam && g_ownModalDepth == 0) Queue({EVENT_GainFocus, 0, KeyState()});
      return FALSE;
    case WM_CTLCOLOREDIT: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      const Control* control = FindControl(id - kControlIdBase);
      if (!control || !control->definition.textColour) return FALSE;
      const Colour colour = *control->definition.textColour;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RGB(colour.red, colour.green, colour.blue));
      SetBkColor(dc, GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    }
    default:
      return FALSE;
  }
}

void Window::OnCommand(int id, int code) {
  Control* control = FindControl(id - kControlIdBase);
  if (!control) return;  // Enter or Escape with nothing to press: nothing happens
  if (control->definition.kind == ControlKind::Entry) {
    if (code == EN_CHANGE && !redisplaying_ && !control->variable.empty()) {
      AssignField(control->variable, WindowText(control->handle));
    }
    return;
  }
  if (code != BN_CLICKED) return;
  if (control->definition.standardAction == kStandardClose) {
    SendMessageW(handle_, WM_CLOSE, 0, 0);
    return;
  }
  Queue({EVENT_Accepted, control->definition.number, KeyState()});
}

void SetCloseQuery(bool (*query)()) { g_closeQuery = query; }

OwnModalDialog::OwnModalDialog() { ++g_ownModalDepth; }
OwnModalDialog::~OwnModalDialog() { --g_ownModalDepth; }

}  // namespace rt

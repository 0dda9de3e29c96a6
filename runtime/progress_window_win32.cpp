#include "runtime/dialog_template_win32.h"
#include "runtime/progress_window.h"
#include "runtime/win32_api.h"
#include "runtime/window_state_win32.h"

namespace rt {
namespace {

constexpr int kCounterId = 100;
constexpr int kItemId = 101;
constexpr int kBarId = 102;
}  // namespace

class ProgressWindow {
 public:
  explicit ProgressWindow(std::atomic<bool>& cancelled) : cancelled_(cancelled) {}
  HWND handle = nullptr;

  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
      case WM_INITDIALOG: {
        RECT owner{}, own{};
        GetWindowRect(GetWindow(dialog, GW_OWNER), &owner);
        GetWindowRect(dialog, &own);
        SetWindowPos(dialog, nullptr, (owner.left + owner.right - (own.right - own.left)) / 2,
                     (owner.top + owner.bottom - (own.bottom - own.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
      }
      case WM_COMMAND:
        // The one button answers to Enter and Escape as well.
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
          self->cancelled_.store(true);
          EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        }
        return TRUE;
      case WM_CLOSE:
        return TRUE;  // only Cancel stops the work
      default:
        return FALSE;
    }
  }

 private:
  std::atomic<bool>& cancelled_;
};

ProgressWindow* OpenProgressWindow(TextView title, TextView cancelCaption, std::atomic<bool>& cancelled) {
  RegisterCommonControls();
  DialogTemplate dialog(WS_POPUP | WS_CAPTION | DS_MODALFRAME | WS_VISIBLE, title, 220, 74, u"MS Shell Dlg", 8,
                        FW_NORMAL);
  dialog.AddControl(kCounterId, ControlClass::Static, SS_LEFT | WS_VISIBLE, u"", 7, 7, 206, 9);
  dialog.AddControl(kItemId, ControlClass::Static, SS_LEFT | SS_ENDELLIPSIS | WS_VISIBLE, u"", 7, 18, 206, 9);
  dialog.AddControl(kBarId, u"msctls_progress32", WS_VISIBLE | WS_BORDER, u"", 7, 31, 206, 10);
  dialog.AddControl(IDCANCEL, ControlClass::Button, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP, cancelCaption, 85, 51,
                    50, 14);
  auto* window = new ProgressWindow(cancelled);
  window->handle = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), CurrentWindowHandle(),
                                              &ProgressWindow::Procedure, reinterpret_cast<LPARAM>(window));
  if (!window->handle) {
    delete window;
    return nullptr;
  }
  AddModelessDialog(window->handle);
  return window;
}

void ShowProgress(ProgressWindow* window, TextView counter, TextView item, LONG done, LONG total) {
  if (!window) return;
  const Text counterText(counter), itemText(item);
  SetDlgItemTextW(window->handle, kCounterId, Wide(counterText));
  SetDlgItemTextW(window->handle, kItemId, Wide(itemText));
  SendDlgItemMessageW(window->handle, kBarId, PBM_SETRANGE32, 0, total);
  SendDlgItemMessageW(window->handle, kBarId, PBM_SETPOS, static_cast<WPARAM>(done), 0);
}

void CloseProgressWindow(ProgressWindow* window) {
  if (!window) return;
  RemoveModelessDialog(window->handle);
  DestroyWindow(window->handle);
  delete window;
}

}  // namespace rt

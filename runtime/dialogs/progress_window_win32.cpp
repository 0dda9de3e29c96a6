#include <chrono>

#include "runtime/dialogs/progress_window.h"
#include "runtime/system/win32_api.h"
#include "runtime/window/dialog_template_win32.h"
#include "runtime/window/window_state_win32.h"

namespace rt {
namespace {

constexpr int kCounterId = 100;
constexpr int kItemId = 101;
constexpr int kBarId = 102;
constexpr UINT_PTR kPaceTimer = 1;
constexpr std::chrono::milliseconds kPace{100};

}  // namespace

class ProgressWindow {
 public:
  explicit ProgressWindow(StopSignal& stop) : stop_(stop) {}
  HWND handle = nullptr;

  void Show(TextView counter, TextView item, LONG done, LONG total) {
    counter_ = counter;
    item_ = item;
    done_ = done;
    total_ = total;
    if (waiting_) return;  // the timer draws it
    const auto since = std::chrono::steady_clock::now() - drawn_;
    if (since >= kPace) return Draw();
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(kPace - since);
    waiting_ = SetTimer(handle, kPaceTimer, static_cast<UINT>(left.count()), nullptr) != 0;
    if (!waiting_) Draw();
  }

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
          self->stop_.Set();
          EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        }
        return TRUE;
      case WM_TIMER:
        if (wParam != kPaceTimer) return FALSE;
        KillTimer(dialog, kPaceTimer);
        self->waiting_ = false;
        self->Draw();
        return TRUE;
      case WM_CLOSE:
        return TRUE;  // only Cancel stops the work
      default:
        return FALSE;
    }
  }

 private:
  void Draw() {
    drawn_ = std::chrono::steady_clock::now();
    SetDlgItemTextW(handle, kCounterId, Wide(counter_));
    SetDlgItemTextW(handle, kItemId, Wide(item_));
    SendDlgItemMessageW(handle, kBarId, PBM_SETRANGE32, 0, total_);
    SendDlgItemMessageW(handle, kBarId, PBM_SETPOS, static_cast<WPARAM>(done_), 0);
  }

  StopSignal& stop_;
  Text counter_, item_;  // the latest step, drawn or waiting for the timer
  LONG done_ = 0, total_ = 0;
  std::chrono::steady_clock::time_point drawn_{};
  bool waiting_ = false;
};

ProgressWindow* OpenProgressWindow(TextView title, TextView cancelCaption, StopSignal& stop, HandleValue owner) {
  RegisterCommonControls();
  DialogTemplate dialog(WS_POPUP | WS_CAPTION | DS_MODALFRAME | WS_VISIBLE, title, 220, 74, u"MS Shell Dlg", 8,
                        FW_NORMAL);
  dialog.AddControl(kCounterId, ControlClass::Static, SS_LEFT | WS_VISIBLE, u"", 7, 7, 206, 9);
  dialog.AddControl(kItemId, ControlClass::Static, SS_LEFT | SS_ENDELLIPSIS | WS_VISIBLE, u"", 7, 18, 206, 9);
  dialog.AddControl(kBarId, u"msctls_progress32", WS_VISIBLE | WS_BORDER, u"", 7, 31, 206, 10);
  dialog.AddControl(IDCANCEL, ControlClass::Button, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP, cancelCaption, 85, 51,
                    50, 14);
  auto* window = new ProgressWindow(stop);
  window->handle = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(),
                                              owner ? reinterpret_cast<HWND>(owner) : CurrentWindowHandle(),
                                              &ProgressWindow::Procedure, reinterpret_cast<LPARAM>(window));
  if (!window->handle) {
    delete window;
    return nullptr;
  }
  AddModelessDialog(window->handle);
  return window;
}

void ShowProgress(ProgressWindow* window, TextView counter, TextView item, LONG done, LONG total) {
  if (window) window->Show(counter, item, done, total);
}

void CloseProgressWindow(ProgressWindow* window) {
  if (!window) return;
  RemoveModelessDialog(window->handle);
  DestroyWindow(window->handle);
  delete window;
}

}  // namespace rt

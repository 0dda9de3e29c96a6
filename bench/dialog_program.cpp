#include "bench/dialog_program.h"

#include <chrono>
#include <utility>

#include "bench/bench_figures.h"
#include "tests/driver/driver_error.h"
#include "tests/driver/file_dialogs.h"

namespace bench {
namespace {

constexpr DWORD kShowTimeoutMs = 20000;
constexpr DWORD kDialogTimeoutMs = 20000;
constexpr DWORD kAnswerTimeoutMs = 10000;
constexpr DWORD kCloseTimeoutMs = 5000;
// Long enough for the repainting that follows a closed dialog; the same for every program.
constexpr DWORD kSettleMs = 150;

struct DialogSearch {
  DWORD processId;
  HWND found;
};

// The Explorer-style dialog: a "#32770" with the name box. Read without sending the program a
// message, so that the watch does not wait on the thread it watches.
BOOL CALLBACK FindFileDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != driver::kDialogClass || !GetDlgItem(window, driver::kNameCombo)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

DialogProgram::DialogProgram(std::string label, const std::wstring& program, const std::wstring& directory,
                             int buttonId)
    : label_(std::move(label)), child_(program, directory) {
  if (!child_.started()) {
    throw driver::DriverError("Cannot start " + label_ + " (error " + std::to_string(child_.startError()) + ")");
  }
  if (child_.WaitUntilShown(kShowTimeoutMs) < 0) {
    throw driver::DriverError(label_ + " showed no window within " + std::to_string(kShowTimeoutMs) + " ms");
  }
  window_ = driver::Window(child_.window());
  button_ = window_.Child(buttonId);
}

void DialogProgram::Settle() const {
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutW(window_.handle(), WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &ignored)) {
    throw driver::DriverError(label_ + " does not answer within " + std::to_string(kAnswerTimeoutMs) + " ms");
  }
  Sleep(kSettleMs);
}

DialogShown DialogProgram::PressForFileDialog() const {
  const Clock::time_point start = Clock::now();
  button_.Click();
  for (;;) {
    DialogSearch search{processId(), nullptr};
    EnumWindows(&FindFileDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return {driver::Window(search.found), MillisecondsSince(start)};
    if (MillisecondsSince(start) > kDialogTimeoutMs) {
      throw driver::DriverError(L"No file dialog within " + std::to_wstring(kDialogTimeoutMs) +
                                L" ms of the press; visible windows: " + driver::DescribeVisibleWindows(processId()));
    }
    Sleep(1);
  }
}

bool DialogProgram::Close() { return child_.Close(kCloseTimeoutMs); }

}  // namespace bench

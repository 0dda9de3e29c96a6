// The baseline of the file-dialog benchmark: one window with one button that opens the same
// Explorer-style open dialog as Convert, built the same way, and does nothing with the answer.
// Like the product it loads the common dialog library on its first press, so that the first
// press of each program pays the same.
#include <windows.h>  // with the common dialogs: WIN32_LEAN_AND_MEAN is not defined here

namespace {

// The button's dialog id, as the benchmark presses it.
constexpr int kOpenButtonId = 1005;
// The product's file-name field holds 1000 characters; its buffer one more.
constexpr DWORD kFileBufferLength = 1001;

using DialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);

DialogFunction OpenFileDialogFunction() {
  static DialogFunction function = nullptr;
  if (!function) {
    HMODULE library = LoadLibraryW(L"comdlg32.dll");
    if (library)
      function = reinterpret_cast<DialogFunction>(reinterpret_cast<void*>(GetProcAddress(library, "GetOpenFileNameW")));
  }
  return function;
}

void ShowFileDialog(HWND owner) {
  const DialogFunction show = OpenFileDialogFunction();
  if (!show) return;
  static wchar_t file[kFileBufferLength];
  file[0] = L'\0';
  wchar_t currentDirectory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, currentDirectory);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"*.XML\0*.XML\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = kFileBufferLength;
  dialog.lpstrTitle = L"Выберите файл для конвертации";
  dialog.lpstrInitialDir = currentDirectory;
  dialog.Flags =
      OFN_HIDEREADONLY | OFN_SHAREAWARE | OFN_LONGNAMES | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  show(&dialog);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kOpenButtonId && HIWORD(wParam) == BN_CLICKED) ShowFileDialog(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"BareFileDialog";
  if (!RegisterClassW(&windowClass)) return 1;

  HWND window = CreateWindowW(L"BareFileDialog", L"Bare file dialog", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              570, 220, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  CreateWindowW(L"BUTTON", L"Открыть", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 100, 26, window,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOpenButtonId)), instance, nullptr);
  ShowWindow(window, show);

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

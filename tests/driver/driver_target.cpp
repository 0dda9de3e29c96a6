// A small program for the window driver's own tests. The first argument says what it shows:
//   dialog                 "Driver Target": an edit (13), buttons "First" (11, default) and
//                          "Second" (12), a status text (14) saying what happened last
//   open <result>          an Explorer-style open dialog; writes the chosen path to <result>
//   classic <result>       a classic save dialog with a hook; writes the answer to <result>
//   message-box            a MessageBoxW with OK and Cancel and the warning icon
//   message-dialog         a dialog laid out like the program's own message dialog
//   report <result> ...    writes its current directory, VEXILATE_DRIVER_PROBE and the further
//                          arguments to <result>
// The exit code is the dialog's result (see each mode).
#include <windows.h>
// After windows.h, which they build on.
#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kEditId = 13;
constexpr int kFirstId = 11;
constexpr int kSecondId = 12;
constexpr int kStatusId = 14;
constexpr int kMessageTextId = 100;
constexpr int kMessageIconId = 101;
constexpr int kMessageButtonBase = 1000;
constexpr int kButtonOk = 1;
constexpr int kButtonCancel = 64;

void WriteUtf8(const std::wstring& path, const std::wstring& text) {
  std::string bytes;
  if (!text.empty()) {
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// An empty dialog template in memory; the controls are created in WM_INITDIALOG.
std::vector<WORD> EmptyDialogTemplate(const std::wstring& title, DWORD style, short width, short height) {
  DLGTEMPLATE header{};
  header.style = style;
  header.x = 20;
  header.y = 20;
  header.cx = width;
  header.cy = height;
  std::vector<WORD> words(sizeof header / sizeof(WORD));
  std::memcpy(words.data(), &header, sizeof header);
  words.push_back(0);  // no menu
  words.push_back(0);  // the standard dialog class
  for (const wchar_t c : title) words.push_back(static_cast<WORD>(c));
  words.push_back(0);
  return words;
}

HWND AddControl(HWND dialog, const wchar_t* className, const wchar_t* text, DWORD style, int id, int x, int y,
                int width, int height) {
  HWND control = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return control;
}

INT_PTR CALLBACK TargetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static int firstPresses = 0;
  switch (message) {
    case WM_INITDIALOG: {
      HWND edit = AddControl(dialog, L"Edit", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kEditId, 10, 10, 200, 24);
      AddControl(dialog, L"Button", L"First", WS_TABSTOP | BS_DEFPUSHBUTTON, kFirstId, 10, 44, 90, 28);
      AddControl(dialog, L"Button", L"Second", WS_TABSTOP | BS_PUSHBUTTON, kSecondId, 120, 44, 90, 28);
      AddControl(dialog, L"Static", L"ready", SS_LEFT, kStatusId, 10, 84, 300, 20);
      SendMessageW(dialog, DM_SETDEFID, kFirstId, 0);
      SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_INFORMATION)));
      SetFocus(edit);
      return FALSE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      HWND status = GetDlgItem(dialog, kStatusId);
      if (id == kFirstId && code == BN_CLICKED) {
        SetWindowTextW(status, (L"First " + std::to_wstring(++firstPresses)).c_str());
      } else if (id == kSecondId && code == BN_CLICKED) {
        SetWindowTextW(status, (L"Second:" + TextOf(GetDlgItem(dialog, kEditId))).c_str());
      } else if (id == kEditId && code == EN_CHANGE) {
        SetWindowTextW(status, (L"Changed:" + TextOf(GetDlgItem(dialog, kEditId))).c_str());
      } else if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND icon = AddControl(dialog, L"Static", L"", SS_ICON, kMessageIconId, 10, 10, 32, 32);
      SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_EXCLAMATION)), 0);
      AddControl(dialog, L"Static", L"Укажите путь\r\nк входному файлу", SS_LEFT, kMessageTextId, 52, 10, 220, 40);
      HWND ok = AddControl(dialog, L"Button", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, kMessageButtonBase + kButtonOk, 60,
                           60, 80, 26);
      AddControl(dialog, L"Button", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, kMessageButtonBase + kButtonCancel, 150, 60,
                 80, 26);
      SetFocus(ok);
      return FALSE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id > kMessageButtonBase) EndDialog(dialog, id - kMessageButtonBase);
      if (id == IDCANCEL) EndDialog(dialog, 0);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

UINT_PTR CALLBACK ClassicHook(HWND, UINT, WPARAM, LPARAM) { return 0; }

int ShowTargetDialog() {
  const std::vector<WORD> dialog =
      EmptyDialogTemplate(L"Driver Target", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 180, 90);
  return static_cast<int>(DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), nullptr, TargetDialogProc, 0));
}

int ShowMessageDialog() {
  const std::vector<WORD> dialog =
      EmptyDialogTemplate(L"Внимание!!!", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SYSMODAL, 160, 70);
  return static_cast<int>(DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), nullptr, MessageDialogProc, 0));
}

// 1 and the chosen path written to the result file on OK; 0 and an empty file on Cancel.
int ShowFileDialog(const std::wstring& result, bool classic) {
  wchar_t file[1001] = {};
  wchar_t directory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, directory);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hInstance = GetModuleHandleW(nullptr);
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = 1001;
  BOOL chosen = FALSE;
  if (classic) {
    wcscpy(file, L"XXYZZY.NIG");
    dialog.lpstrFilter = L"*.*\0*.*\0";
    dialog.lpstrTitle = L"Target Directory";
    dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_PATHMUSTEXIST | OFN_NOTESTFILECREATE | OFN_LONGNAMES;
    dialog.lpfnHook = ClassicHook;
    chosen = GetSaveFileNameW(&dialog);
  } else {
    wcscpy(file, L"start.xml");
    dialog.lpstrFilter = L"XML\0*.XML\0";
    dialog.lpstrTitle = L"Target Open";
    dialog.lpstrInitialDir = directory;
    dialog.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_SHAREAWARE | OFN_LONGNAMES;
    chosen = GetOpenFileNameW(&dialog);
  }
  WriteUtf8(result, chosen ? std::wstring(file) : std::wstring());
  return chosen ? 1 : (CommDlgExtendedError() == 0 ? 0 : 3);
}

int Report(const std::wstring& result, const std::vector<std::wstring>& arguments) {
  wchar_t directory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, directory);
  wchar_t variable[256] = {};
  const DWORD length = GetEnvironmentVariableW(L"VEXILATE_DRIVER_PROBE", variable, 256);
  std::wstring report = std::wstring(L"directory=") + directory + L"\nprobe=" +
                        (length == 0 ? std::wstring(L"(unset)") : std::wstring(variable)) + L"\n";
  for (const std::wstring& argument : arguments) report += L"argument=" + argument + L"\n";
  WriteUtf8(result, report);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::wstring mode = count > 1 ? arguments[1] : L"";
  const std::wstring result = count > 2 ? arguments[2] : L"";
  const std::vector<std::wstring> rest(arguments + (count > 3 ? 3 : count), arguments + count);
  LocalFree(arguments);

  if (mode == L"dialog") return ShowTargetDialog();
  if (mode == L"open") return ShowFileDialog(result, false);
  if (mode == L"classic") return ShowFileDialog(result, true);
  if (mode == L"message-box") {
    return MessageBoxW(nullptr, L"First line\nSecond line", L"Target Message", MB_OKCANCEL | MB_ICONEXCLAMATION);
  }
  if (mode == L"message-dialog") return ShowMessageDialog();
  if (mode == L"report") return Report(result, rest);
  return 100;
}

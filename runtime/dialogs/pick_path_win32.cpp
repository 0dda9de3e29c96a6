// The file dialog and the directory dialog (a classic save dialog whose template hides the
// file controls). The common dialog library is loaded on first use: starting the program
// does not wait for it.
#include <vector>

#include "runtime/dialogs/pick_path_rules.h"
#include "runtime/system/system_library_win32.h"
#include "runtime/system/win32_api.h"
#include "runtime/window/dialog_services.h"
#include "runtime/window/window_state_win32.h"

namespace rt {
namespace {

constexpr int kDirectoryEditId = 100;
constexpr UINT_PTR kRefreshTimer = 100;
constexpr UINT kRefreshMilliseconds = 100;
constexpr int kDirectoryTextLimit = 255;

using DialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);

static_assert(ofn::kOverwritePrompt == OFN_OVERWRITEPROMPT && ofn::kHideReadOnly == OFN_HIDEREADONLY &&
              ofn::kNoChangeDir == OFN_NOCHANGEDIR && ofn::kEnableHook == OFN_ENABLEHOOK &&
              ofn::kEnableTemplate == OFN_ENABLETEMPLATE && ofn::kAllowMultiSelect == OFN_ALLOWMULTISELECT &&
              ofn::kPathMustExist == OFN_PATHMUSTEXIST && ofn::kFileMustExist == OFN_FILEMUSTEXIST &&
              ofn::kShareAware == OFN_SHAREAWARE && ofn::kNoTestFileCreate == OFN_NOTESTFILECREATE &&
              ofn::kExplorer == OFN_EXPLORER && ofn::kLongNames == OFN_LONGNAMES);

void StartRefresh(HWND dialog) { SetTimer(dialog, kRefreshTimer, kRefreshMilliseconds, nullptr); }

// Shows the directory the dialog is in; the platform keeps it in a static we hide.
void ShowDialogDirectory(HWND dialog) {
  wchar_t text[kDirectoryTextLimit + 1] = {};
  GetDlgItemTextW(dialog, stc1, text, kDirectoryTextLimit + 1);
  if (text[0] == L'\0') GetCurrentDirectoryW(kDirectoryTextLimit + 1, text);
  SetDlgItemTextW(dialog, kDirectoryEditId, text);
}

UINT_PTR CALLBACK DirectoryHook(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      for (const int id : {stc1, stc3, edt1, lst1, stc2, cmb1}) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
      ShowDialogDirectory(dialog);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const bool selectionChanged = HIWORD(wParam) == 1 && (id == lst2 || id == cmb2);
      // OK with a directory typed as the name moves the dialog there; show it too.
      if (selectionChanged || id == IDOK) StartRefresh(dialog);
      return 0;
    }
    case WM_MOUSEACTIVATE:
      StartRefresh(dialog);
      return 0;
    case WM_TIMER:
      if (wParam != kRefreshTimer) return 0;
      KillTimer(dialog, kRefreshTimer);
      if (GetFocus() != GetDlgItem(dialog, kDirectoryEditId)) ShowDialogDirectory(dialog);
      return 1;
    default:
      return 0;
  }
}

// Runs the open or save dialog as one of the program's own. A choice that does not fit the
// buffer is not a cancel: the caller learns it from the last error.
bool ShowFileDialog(OPENFILENAMEW& dialog, bool save) {
  const auto show = LoadSystemFunction<DialogFunction>(L"comdlg32.dll", save ? "GetSaveFileNameW" : "GetOpenFileNameW");
  if (!show) return false;
  BOOL chosen = FALSE;
  {
    OwnModalDialog ownDialog;
    chosen = show(&dialog);
  }
  if (chosen) return true;
  using ErrorFunction = DWORD(WINAPI*)();
  const auto dialogError = LoadSystemFunction<ErrorFunction>(L"comdlg32.dll", "CommDlgExtendedError");
  if (dialogError && dialogError() == FNERR_BUFFERTOOSMALL) SetErrorState(kNameTooLong);
  return false;
}

// A buffer of `size` characters for the dialog's answer, holding the target's text as the
// starting name when the dialog can take it.
std::vector<wchar_t> AnswerBuffer(FieldSpan target, std::size_t size) {
  const Text initial = CLIP(TextView(target.data(), target.size()));
  std::vector<wchar_t> buffer(size, L'\0');
  if (NameCanStartDialog(initial)) std::copy(initial.begin(), initial.end(), buffer.begin());
  return buffer;
}

// What every use of the dialog sets alike: the owner, the filter and the answer's buffer.
OPENFILENAMEW DialogFor(const Text& filterText, std::vector<wchar_t>& buffer) {
  OPENFILENAMEW dialog{};
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  dialog.hwndOwner = CurrentWindowHandle();
  dialog.lpstrFilter = Wide(filterText);
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  return dialog;
}

// The classic dialog's own hook: the platform's behaviour, unchanged.
UINT_PTR CALLBACK ClassicHook(HWND, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace

LONG PickPath(TextView title, FieldSpan target, TextView filter, LONG flags) {
  ClearErrorState();
  const Text titleText(title.substr(0, kTitleLimit));
  const bool directoryMode = (flags & kPickDirectory) != 0;
  const Text filterText = directoryMode ? DialogFilter(u"*.*|*.*") : DialogFilter(filter);

  std::vector<wchar_t> buffer = AnswerBuffer(target, target.size() + 1);
  OPENFILENAMEW dialog = DialogFor(filterText, buffer);
  dialog.Flags = DialogFlags(flags);
  Text initialDirectory;
  wchar_t currentDirectory[MAX_PATH] = {};
  if (directoryMode) {
    initialDirectory = FromWide(buffer.data());
    const Text dummy(kDirectoryDummyName);
    std::fill(buffer.begin(), buffer.end(), L'\0');
    std::copy(dummy.begin(), dummy.end(), buffer.begin());
    dialog.lpstrInitialDir = initialDirectory.empty() ? nullptr : Wide(initialDirectory);
    dialog.lpstrTitle = Wide(titleText);
    dialog.hInstance = GetModuleHandleW(nullptr);
    dialog.lpTemplateName = L"CHOOSEDIR";
    dialog.lpfnHook = &DirectoryHook;
  } else if (flags & kPickExplorer) {
    if (!titleText.empty()) dialog.lpstrTitle = Wide(titleText);
    GetCurrentDirectoryW(MAX_PATH, currentDirectory);
    dialog.lpstrInitialDir = currentDirectory;
  } else {
    dialog.lpfnHook = &ClassicHook;
  }
  if (!ShowFileDialog(dialog, UsesSaveDialog(flags))) return 0;

  const TextView answer(reinterpret_cast<const char16_t*>(buffer.data()), buffer.size());
  Text result;
  if (directoryMode) {
    result = DirectoryOfAnswer(FromWide(buffer.data()));
  } else if ((flags & kPickMultiple) && (flags & kPickExplorer)) {
    result = JoinMultipleSelection(answer);
  } else {
    result = FromWide(buffer.data());
  }
  AssignField(target, result);
  return 1;
}

LONG PickFiles(TextView title, FieldSpan target, TextView filter, std::vector<Text>& files) {
  ClearErrorState();
  const Text titleText(title.substr(0, kTitleLimit));
  const Text filterText = DialogFilter(filter);
  std::vector<wchar_t> buffer = AnswerBuffer(target, kPickFilesRoom);
  OPENFILENAMEW dialog = DialogFor(filterText, buffer);
  dialog.Flags = DialogFlags(kPickExplorer | kPickMultiple);
  if (!titleText.empty()) dialog.lpstrTitle = Wide(titleText);
  wchar_t currentDirectory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, currentDirectory);
  dialog.lpstrInitialDir = currentDirectory;
  if (!ShowFileDialog(dialog, false)) return 0;

  files = SelectedFiles(TextView(reinterpret_cast<const char16_t*>(buffer.data()), buffer.size()));
  if (files.empty()) return 0;
  // The one file goes where a single choice goes, and is offered again next time.
  if (files.size() == 1 && files.front().size() > target.size()) {
    SetErrorState(kNameTooLong);
    return 0;
  }
  AssignField(target, files.front());
  return static_cast<LONG>(files.size());
}

}  // namespace rt

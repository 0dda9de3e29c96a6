#include "tests/driver/file_dialogs.h"

namespace driver {
namespace {

bool HasChild(const Window& window, int id) { return GetDlgItem(window.handle(), id) != nullptr; }

bool TitleMatches(const Window& window, const std::wstring& title) {
  return title.empty() || window.Text(Timeout{1000}) == title;
}

std::wstring TitleClause(const std::wstring& title) { return title.empty() ? L"" : L" titled \"" + title + L"\""; }

std::wstring Normalized(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  std::wstring result = (length == 0 || length >= MAX_PATH * 2) ? path : std::wstring(full, length);
  while (result.size() > 3 && result.back() == L'\\') result.pop_back();
  return result;
}

}  // namespace

bool SamePath(const std::wstring& a, const std::wstring& b) {
  const std::wstring left = Normalized(a), right = Normalized(b);
  return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                              static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

void PressAndWaitUntilGone(const Window& dialog, int buttonId, Timeout timeout) {
  dialog.Child(buttonId).Click();
  WaitUntilGone(dialog, timeout);
}

void CancelDialog(const Window& dialog, Timeout timeout) { PressAndWaitUntilGone(dialog, IDCANCEL, timeout); }

Window WaitForExplorerFileDialog(DWORD processId, const std::wstring& title, Timeout timeout) {
  return WaitForWindow(
      processId,
      [&](const Window& window) {
        return window.ClassName() == kDialogClass && HasChild(window, kNameCombo) && TitleMatches(window, title);
      },
      L"an Explorer-style file dialog" + TitleClause(title), timeout);
}

Window ExplorerNameEdit(const Window& dialog) {
  // The name box is a combo box with an edit inside; Wine wraps it in a ComboBoxEx32 as well.
  const Window edit = dialog.Child(kNameCombo).DescendantOfClass(L"Edit");
  if (!edit) throw DriverError(L"The name box of " + DescribeWindow(dialog) + L" has no edit control");
  return edit;
}

std::wstring ExplorerFileName(const Window& dialog) { return ExplorerNameEdit(dialog).Text(); }

std::wstring ExplorerFolderName(const Window& dialog) { return dialog.Child(kDriveCombo).Text(); }

void ChooseFileInExplorerDialog(const Window& dialog, const std::wstring& fullPath, Timeout timeout) {
  ExplorerNameEdit(dialog).SetText(fullPath, timeout);
  PressAndWaitUntilGone(dialog, IDOK, timeout);
}

void ChooseFilesInExplorerDialog(const Window& dialog, const std::vector<std::wstring>& names, Timeout timeout) {
  std::wstring quoted;
  for (const std::wstring& name : names) quoted += (quoted.empty() ? L"\"" : L" \"") + name + L"\"";
  ExplorerNameEdit(dialog).SetText(quoted, timeout);
  PressAndWaitUntilGone(dialog, IDOK, timeout);
}

Window WaitForClassicFileDialog(DWORD processId, const std::wstring& title, Timeout timeout) {
  return WaitForWindow(
      processId,
      [&](const Window& window) {
        return window.ClassName() == kDialogClass && HasChild(window, kNameEdit) && HasChild(window, kDirectoryText) &&
               HasChild(window, kDirectoryList) && TitleMatches(window, title);
      },
      L"a classic file dialog" + TitleClause(title), timeout);
}

std::wstring ClassicDialogDirectory(const Window& dialog) { return dialog.Child(kDirectoryText).Text(); }

bool ClassicDialogShows(const Window& dialog, const std::wstring& directory) {
  if (SamePath(ClassicDialogDirectory(dialog), directory)) return true;
  const HWND edit = GetDlgItem(dialog.handle(), kDirectoryEdit);
  return edit != nullptr && SamePath(Window(edit).Text(), directory);
}

void GoToDirectoryInClassicDialog(const Window& dialog, const std::wstring& directory, Timeout timeout) {
  // Already there, a person goes nowhere. Pressing OK anyway would leave a click in flight that
  // the next text typed into the name box could overtake.
  if (ClassicDialogShows(dialog, directory)) return;
  dialog.Child(kNameEdit).SetText(directory, timeout);
  dialog.Child(IDOK).Click();
  WaitUntil([&] { return ClassicDialogShows(dialog, directory); },
            L"the classic dialog to show the directory \"" + directory + L"\"", dialog.ProcessId(), timeout);
}

void ChooseDirectoryInClassicDialog(const Window& dialog, const std::wstring& directory, const std::wstring& fileName,
                                    Timeout timeout) {
  GoToDirectoryInClassicDialog(dialog, directory, timeout);
  dialog.Child(kNameEdit).SetText(fileName, timeout);
  PressAndWaitUntilGone(dialog, IDOK, timeout);
}

}  // namespace driver

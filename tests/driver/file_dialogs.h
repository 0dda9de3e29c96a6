// The platform's file dialogs as a person uses them: the Explorer-style open dialog (type the
// full path, press OK) and the classic dialog used to choose a directory (type the directory,
// OK to go there, then the file name alone and OK).
#pragma once

#include <string>
#include <vector>

#include "tests/driver/window_driver.h"

namespace driver {

// Control ids of the common dialogs.
inline constexpr int kNameCombo = 0x47C;      // cmb13: the Explorer dialog's name box
inline constexpr int kNameEdit = 0x480;       // edt1: the classic dialog's name box
inline constexpr int kDirectoryText = 0x440;  // stc1: the classic dialog's current directory
inline constexpr int kDirectoryList = 0x461;  // lst2
inline constexpr int kDriveCombo = 0x471;     // cmb2: drives (classic), "Look in" (Explorer)
inline constexpr int kDirectoryEdit = 100;    // the directory template's own copy of stc1
inline constexpr wchar_t kDialogClass[] = L"#32770";
inline constexpr wchar_t kDummyFileName[] = L"XXYZZY.NIG";

// Presses a dialog's Cancel button (id 2) and waits until the dialog has gone.
void CancelDialog(const Window& dialog, Timeout timeout = kDefaultTimeout);
// Presses the button with this id and waits until the dialog has gone.
void PressAndWaitUntilGone(const Window& dialog, int buttonId, Timeout timeout = kDefaultTimeout);

// --- Explorer-style open dialog

// A visible "#32770" of the process with the name box 0x47C; any title when `title` is empty.
Window WaitForExplorerFileDialog(DWORD processId, const std::wstring& title = {}, Timeout timeout = kDefaultTimeout);
// The edit control inside the name box.
Window ExplorerNameEdit(const Window& dialog);
// What the name box holds (the initial file name while nobody has typed).
std::wstring ExplorerFileName(const Window& dialog);
// The "Look in" box: the name of the folder the dialog shows.
std::wstring ExplorerFolderName(const Window& dialog);
// Types the full path into the name box, presses OK and waits until the dialog has gone.
void ChooseFileInExplorerDialog(const Window& dialog, const std::wstring& fullPath, Timeout timeout = kDefaultTimeout);

// Chooses several files of the folder the dialog shows, as Ctrl-clicking them would: their
// names, quoted, into the name box, then OK; waits until the dialog has gone.
void ChooseFilesInExplorerDialog(const Window& dialog, const std::vector<std::wstring>& names,
                                 Timeout timeout = kDefaultTimeout);

// --- Classic dialog choosing a directory

// A visible "#32770" of the process with the classic name edit, directory text and directory
// list; any title when `title` is empty.
Window WaitForClassicFileDialog(DWORD processId, const std::wstring& title = {}, Timeout timeout = kDefaultTimeout);
// The dialog's current directory as the platform shows it (stc1; lower case under Wine).
std::wstring ClassicDialogDirectory(const Window& dialog);
// Whether the dialog shows `directory` as its current one (stc1 or, with the directory
// template, edit 100), compared as paths: case and a trailing backslash do not count.
bool ClassicDialogShows(const Window& dialog, const std::wstring& directory);
// Types the directory into the name box and presses OK; waits until the dialog shows it.
// Does nothing when the dialog shows it already.
void GoToDirectoryInClassicDialog(const Window& dialog, const std::wstring& directory,
                                  Timeout timeout = kDefaultTimeout);
// Goes to the directory, puts the file name alone back into the name box, presses OK and
// waits until the dialog has gone: the dialog then answers directory\fileName.
void ChooseDirectoryInClassicDialog(const Window& dialog, const std::wstring& directory,
                                    const std::wstring& fileName = kDummyFileName, Timeout timeout = kDefaultTimeout);

// Paths compared as the file system does: full form, case-insensitive, no trailing backslash
// except a drive root's.
bool SamePath(const std::wstring& a, const std::wstring& b);

}  // namespace driver

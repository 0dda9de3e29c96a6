// What the window services share with the program's own modal dialogs.
#pragma once

#include "runtime/system/win32_api.h"

namespace rt {

// Posted to the current window from any thread when a watched task has ended; the window
// turns it into EVENT_TaskEnded.
inline constexpr UINT kTaskEndedMessage = WM_APP + 1;

// Posted to the current window when files have been dropped on it; wParam is the number of
// the control under the drop point, 0 elsewhere. The window turns it into EVENT_Dropped.
inline constexpr UINT kFilesDroppedMessage = WM_APP + 2;

// Modeless dialogs beside the current window (a progress window): the event loop gives them
// their keyboard handling (Tab, Enter, Escape) as it does the window's own.
void AddModelessDialog(HWND dialog);
void RemoveModelessDialog(HWND dialog);

// A function of the common controls' library, loaded on first use; null when there is none.
FARPROC CommonControlsFunction(const char* name);

// Registers the common controls' classes (progress bar, list view) the first time.
void RegisterCommonControls();

// The current window's handle, or null.
HWND CurrentWindowHandle();

// Held while one of the program's own modal dialogs runs: the activation that the window
// underneath gets when the dialog closes is not an event of the window.
class OwnModalDialog {
 public:
  OwnModalDialog();
  ~OwnModalDialog();
  OwnModalDialog(const OwnModalDialog&) = delete;
  OwnModalDialog& operator=(const OwnModalDialog&) = delete;
};

}  // namespace rt

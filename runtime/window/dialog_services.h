// Dialogs and window services: the file and directory dialog, the message dialog, and a
// window built from a definition table with its event loop, focus and redisplay.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

#include "runtime/system/system_services.h"
#include "runtime/text/text_value.h"

namespace rt {

// Event codes as EVENT returns them.
inline constexpr LONG EVENT_Accepted = 1;
inline constexpr LONG EVENT_NewSelection = 2;
inline constexpr LONG EVENT_Rejected = 26;
inline constexpr LONG EVENT_Selected = 257;
inline constexpr LONG EVENT_CloseWindow = 513;
inline constexpr LONG EVENT_CloseDown = 514;
inline constexpr LONG EVENT_OpenWindow = 515;
inline constexpr LONG EVENT_OpenFailed = 516;
inline constexpr LONG EVENT_LoseFocus = 517;
inline constexpr LONG EVENT_GainFocus = 518;
// A watched process or worker has ended (FIELD 0); several ends may come as one event.
inline constexpr LONG EVENT_TaskEnded = 1024;
// Files were dropped on the window; FIELD is the number of the control under the drop point,
// 0 elsewhere.
inline constexpr LONG EVENT_Dropped = 1025;

// Key code of a right mouse button press.
inline constexpr LONG MouseRight = 2;

// Standard action of a button that closes its window.
inline constexpr LONG kStandardClose = 15;

// A window's control n has the dialog identifier kControlIdBase + n, clear of IDOK and
// IDCANCEL, which Enter and Escape send.
inline constexpr int kControlIdBase = 1000;

// A size or position the runtime chooses itself.
inline constexpr int kDefault = -1;

enum class ControlKind { Button, Entry };

struct Colour {
  std::uint8_t red, green, blue;
};

// One control of a window definition. Positions and sizes are in dialog units.
struct ControlDefinition {
  LONG number;  // 1, 2, ...: what FIELD and SelectControl use
  ControlKind kind;
  const char* name;  // "?BUTTONEXIT": for the reader and for diagnostics
  TextView text;     // a button's caption, or an entry's picture ("s255")
  int x, y, width, height;
  std::optional<Colour> textColour;
  LONG standardAction = 0;  // kStandardClose or 0
  bool tabStop = true;      // false: reached by the mouse and its letter (an "&" in the caption) only
};

struct FontDefinition {
  TextView face;
  int points;
  int weight;  // 400 normal, 700 bold
};

// A window: fixed dialog frame, centred on the desktop, controls in number order.
struct WindowDefinition {
  TextView title;
  int width, height;  // dialog units
  FontDefinition font;
  TextView iconResource;  // name of an icon resource of the executable, or empty
  bool minimizeBox;
  std::span<const ControlDefinition> controls;
};

class Window;

// Creates the window, not yet shown, and binds the entries to the given fields in control
// order. The window becomes the current window.
Window* OpenWindow(const WindowDefinition& definition, std::initializer_list<FieldSpan> variables);

// Shows the window the first time; "EVENT:OpenWindow" is the first event it delivers.
void DisplayWindow(Window* window);

// Finishes the previous event (every control shows its variable again) and waits, without
// using the processor, for the next one. False once the window has closed. `handled` is 1
// when the handler has dealt with the event itself (message shown, focus moved).
bool NextEvent(LONG handled);

LONG EVENT();
LONG FIELD();
LONG KEYCODE();
void SetKeyCode(LONG code);

// Moves the keyboard focus to the control; control 0 sets the select-all flag instead.
void SelectControl(LONG control, LONG a = 0, LONG b = 0);
bool SelectAllPending();

// Shows the variables again in controls first..last: (0, any) all, (n, 0) n alone.
void RedisplayControls(LONG first, LONG last);

// The platform handle of the current window, 0 when none is open.
HandleValue WindowHandle();

// Sound 150 is the standard beep; nothing sounds when either argument is 0.
void Beep(LONG sound, LONG enable);

// Asked when the user closes the current window (Exit, the system menu's Close, Alt+F4):
// false keeps it open. Without one the window closes.
void SetCloseQuery(bool (*query)());

// Calls `work` once on this thread when it next has nothing else to do, painting included (a
// dialog that has just opened has shown itself by then). Replaces work still waiting; 0 cancels.
void WhenIdle(void (*work)());

// Dispatches the window's pending paint messages.
void FlushPaint(Window* window);

// Paints what is pending, then closes and destroys the window.
void CloseWindow(Window* window);

// PickPath flag bits.
inline constexpr LONG kPickSave = 1;
inline constexpr LONG kPickKeepDirectory = 2;
inline constexpr LONG kPickNoChecks = 4;
inline constexpr LONG kPickMultiple = 8;
inline constexpr LONG kPickExplorer = 16;
inline constexpr LONG kPickDirectory = 32;

// The file dialog, or (kPickDirectory) the directory dialog whose answer ends in "\".
// On OK assigns the target and returns non-zero; on Cancel returns 0, target unchanged.
// A choice longer than the target holds also returns 0, with ERRORCODE kNameTooLong.
LONG PickPath(TextView title, FieldSpan target, TextView filter, LONG flags);

// Room for the names of a multiple choice: a thousand full-length paths.
inline constexpr std::size_t kPickFilesRoom = 1000 * 261 + 261;

// The Explorer open dialog with several files allowed (Ctrl and Shift click, Ctrl+A), starting
// in the current directory and offering the target's file. On OK the chosen files' full paths
// in `files`, the first of them assigned to the target, and their number returned. 0 on Cancel;
// 0 with ERRORCODE kNameTooLong when the names do not fit kPickFilesRoom (`files` empty) or
// the one path chosen does not fit the target (`files` holds it).
LONG PickFiles(TextView title, FieldSpan target, TextView filter, std::vector<Text>& files);

// The icon text of the system warning icon: FF 01 and the number 32516 (IDI_EXCLAMATION + 1).
inline constexpr char16_t kWarningIconChars[] = {0xFF, 0x01, 0x04, 0x7F};
inline constexpr TextView kWarningIcon(kWarningIconChars, 4);
// The system information icon: FF 01 and 32517 (IDI_INFORMATION + 1).
inline constexpr char16_t kInformationIconChars[] = {0xFF, 0x01, 0x05, 0x7F};
inline constexpr TextView kInformationIcon(kInformationIconChars, 4);

// Message dialog buttons (also the results).
inline constexpr LONG BUTTON_OK = 1;
inline constexpr LONG BUTTON_YES = 2;
inline constexpr LONG BUTTON_NO = 4;
inline constexpr LONG BUTTON_ABORT = 8;
inline constexpr LONG BUTTON_RETRY = 16;
inline constexpr LONG BUTTON_IGNORE = 32;
inline constexpr LONG BUTTON_CANCEL = 64;
inline constexpr LONG BUTTON_HELP = 128;

// A modal message dialog of the program's own: "|" breaks the line, the text wraps at 200
// dialog units. `buttons` is a number as text (empty: OK alone). Returns the pressed bit.
// `retryCaption`, when given, is what the Retry button says; a button is as wide as its caption.
LONG ShowMessage(TextView text, TextView caption, TextView icon, TextView buttons, LONG defaultButton, LONG modal,
                 TextView retryCaption = {});

}  // namespace rt

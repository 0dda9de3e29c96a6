// Windows of another process, found, read and operated the way a person would. Every wait
// has a time limit and ends in DriverError, whose message lists the process's windows.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tests/driver/driver_error.h"

namespace driver {

using Timeout = std::chrono::milliseconds;
inline constexpr Timeout kDefaultTimeout{10'000};

class Window;

// One child control as a dialog test needs it; `rect` is in the parent's client coordinates.
struct ChildInfo {
  HWND handle = nullptr;
  int id = 0;
  std::wstring className;
  std::wstring text;
  LONG_PTR style = 0;
  bool visible = false;
  RECT rect{};
};

// A window handle with the reads and actions a test uses. It may belong to any process;
// texts travel through WM_GETTEXT, which the system carries across processes.
class Window {
 public:
  Window() = default;
  explicit Window(HWND handle) : handle_(handle) {}

  HWND handle() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  bool operator==(const Window& other) const { return handle_ == other.handle_; }

  bool Exists() const;
  DWORD ProcessId() const;
  DWORD ThreadId() const;

  std::wstring ClassName() const;
  // The window's or control's text (WM_GETTEXT through SendMessageTimeoutW).
  std::wstring Text(Timeout timeout = kDefaultTimeout) const;
  int Id() const;
  LONG_PTR Style() const;
  LONG_PTR ExStyle() const;
  bool IsVisible() const;
  bool IsEnabled() const;
  bool IsMinimized() const;
  bool IsMaximized() const;
  RECT ScreenRect() const;
  // The rectangle in the client coordinates of the parent (of the screen for a top-level window).
  RECT RectInParent() const;
  Window Parent() const;

  // Direct children in Z order, with their texts.
  std::vector<ChildInfo> Children(Timeout timeout = kDefaultTimeout) const;
  // The direct child with this control id; DriverError when there is none.
  Window Child(int id) const;
  // The first child, grandchild and so on of this class ("Edit"), or an empty Window.
  Window DescendantOfClass(const std::wstring& className) const;

  // STM_GETICON of a static icon control; the handle belongs to the window's process.
  HICON StaticIcon(Timeout timeout = kDefaultTimeout) const;
  // WM_GETICON, falling back to the class icon (GCLP_HICON / GCLP_HICONSM). Under Wine neither
  // crosses processes (WM_GETICON is refused, the class icon reads 0): the answer is then null.
  HICON BigIcon(Timeout timeout = kDefaultTimeout) const;
  HICON SmallIcon(Timeout timeout = kDefaultTimeout) const;

  // Presses a button with a posted BM_CLICK (a sent one would wait while the dialog that the
  // click opens stays open). DriverError when the button is disabled or hidden.
  void Click() const;
  // Replaces the text of an edit control (WM_SETTEXT; the edit then sends EN_CHANGE).
  void SetText(const std::wstring& text, Timeout timeout = kDefaultTimeout) const;
  // Posts WM_CLOSE.
  void PostClose() const;
  // The system menu's Close: WM_SYSCOMMAND with SC_CLOSE, posted for the same reason as Click.
  void SystemClose() const;

 private:
  HWND handle_ = nullptr;
};

// Top-level windows of the process, visible or not, in Z order.
std::vector<Window> TopLevelWindows(DWORD processId);
// The visible ones, as they appear in DriverError messages: class "#32770" title "Open", ...
std::wstring DescribeVisibleWindows(DWORD processId);

// The control that has the keyboard focus in the thread (GetGUIThreadInfo), or an empty Window.
Window FocusedControl(DWORD threadId);
// The thread's active window, or an empty Window.
Window ActiveWindow(DWORD threadId);

// Polls the condition until it holds; DriverError naming `what` (and the process's windows)
// when the limit passes first.
void WaitUntil(const std::function<bool()>& condition, const std::wstring& what, DWORD processId,
               Timeout timeout = kDefaultTimeout);

// A visible top-level window of the process with this class and this exact title.
Window WaitForWindow(DWORD processId, const std::wstring& className, const std::wstring& title,
                     Timeout timeout = kDefaultTimeout);
// A visible top-level window of the process that satisfies the predicate; `what` describes it.
Window WaitForWindow(DWORD processId, const std::function<bool(const Window&)>& matches, const std::wstring& what,
                     Timeout timeout = kDefaultTimeout);
// Until the window has been destroyed or hidden.
void WaitUntilGone(const Window& window, Timeout timeout = kDefaultTimeout);

// "class \"Edit\" id 13 text \"abc\"": how a window is named in messages.
std::wstring DescribeWindow(const Window& window);

}  // namespace driver

#include "tests/driver/window_driver.h"

#include <thread>

#include "tests/driver/utf8_text.h"

namespace driver {
namespace {

using Clock = std::chrono::steady_clock;

constexpr Timeout kPollInterval{20};
// Texts shown in an error message: a hung process must not stop the report.
constexpr Timeout kDescribeTimeout{500};
// A title read while searching; a window that does not answer is simply not the one.
constexpr Timeout kTitleTimeout{1000};

UINT Milliseconds(Timeout timeout) { return static_cast<UINT>(timeout.count() < 0 ? 0 : timeout.count()); }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Names the window without asking it for its text: it has just failed to answer.
DriverError NoAnswer(const Window& window, const wchar_t* messageName, Timeout timeout, DWORD error) {
  std::wstring silent = L"class " + Quoted(window.ClassName());
  if (window.Style() & WS_CHILD) silent += L" id " + std::to_wstring(window.Id());
  return DriverError(std::wstring(L"No answer to ") + messageName + L" from " + silent + L" within " +
                     std::to_wstring(timeout.count()) + L" ms (error " + std::to_wstring(error) + L")");
}

// SendMessageTimeoutW, with DriverError when the window does not answer in time.
LRESULT SendOrThrow(const Window& window, UINT message, WPARAM wParam, LPARAM lParam, Timeout timeout,
                    const wchar_t* messageName) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window.handle(), message, wParam, lParam, SMTO_ABORTIFHUNG, Milliseconds(timeout),
                           &result)) {
    throw NoAnswer(window, messageName, timeout, GetLastError());
  }
  return static_cast<LRESULT>(result);
}

HICON WindowIcon(const Window& window, WPARAM which, int classIndex, Timeout timeout) {
  DWORD_PTR icon = 0;
  if (!SendMessageTimeoutW(window.handle(), WM_GETICON, which, 0, SMTO_ABORTIFHUNG, Milliseconds(timeout), &icon)) {
    // Wine refuses WM_GETICON across processes at once (error 0); only running out of time is
    // an error here.
    const DWORD error = GetLastError();
    if (error == ERROR_TIMEOUT) throw NoAnswer(window, L"WM_GETICON", timeout, error);
    icon = 0;
  }
  if (icon != 0) return reinterpret_cast<HICON>(icon);
  return reinterpret_cast<HICON>(GetClassLongPtrW(window.handle(), classIndex));
}

BOOL CALLBACK CollectTopLevel(HWND handle, LPARAM context) {
  auto* found = reinterpret_cast<std::pair<DWORD, std::vector<Window>*>*>(context);
  DWORD processId = 0;
  GetWindowThreadProcessId(handle, &processId);
  if (processId == found->first) found->second->push_back(Window(handle));
  return TRUE;
}

}  // namespace

bool Window::Exists() const { return handle_ != nullptr && IsWindow(handle_); }

DWORD Window::ProcessId() const {
  DWORD processId = 0;
  GetWindowThreadProcessId(handle_, &processId);
  return processId;
}

DWORD Window::ThreadId() const { return GetWindowThreadProcessId(handle_, nullptr); }

std::wstring Window::ClassName() const {
  wchar_t name[256] = {};
  const int length = GetClassNameW(handle_, name, 256);
  return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::wstring Window::Text(Timeout timeout) const {
  const LRESULT length = SendOrThrow(*this, WM_GETTEXTLENGTH, 0, 0, timeout, L"WM_GETTEXTLENGTH");
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = SendOrThrow(*this, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                     reinterpret_cast<LPARAM>(text.data()), timeout, L"WM_GETTEXT");
  text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
  return text;
}

int Window::Id() const { return GetDlgCtrlID(handle_); }

LONG_PTR Window::Style() const { return GetWindowLongPtrW(handle_, GWL_STYLE); }

LONG_PTR Window::ExStyle() const { return GetWindowLongPtrW(handle_, GWL_EXSTYLE); }

bool Window::IsVisible() const { return IsWindowVisible(handle_) != FALSE; }

bool Window::IsEnabled() const { return IsWindowEnabled(handle_) != FALSE; }

bool Window::IsMinimized() const { return IsIconic(handle_) != FALSE; }

bool Window::IsMaximized() const { return IsZoomed(handle_) != FALSE; }

RECT Window::ScreenRect() const {
  RECT rect{};
  GetWindowRect(handle_, &rect);
  return rect;
}

RECT Window::RectInParent() const {
  RECT rect = ScreenRect();
  const HWND parent = (Style() & WS_CHILD) ? GetParent(handle_) : nullptr;
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

Window Window::Parent() const { return Window(GetAncestor(handle_, GA_PARENT)); }

std::vector<ChildInfo> Window::Children(Timeout timeout) const {
  std::vector<ChildInfo> children;
  for (HWND child = GetWindow(handle_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const Window control(child);
    children.push_back(ChildInfo{child, control.Id(), control.ClassName(), control.Text(timeout), control.Style(),
                                 control.IsVisible(), control.RectInParent()});
  }
  return children;
}

Window Window::Child(int id) const {
  for (HWND child = GetWindow(handle_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == id) return Window(child);
  }
  throw DriverError(L"No control with id " + std::to_wstring(id) + L" in " + DescribeWindow(*this));
}

Window Window::DescendantOfClass(const std::wstring& className) const {
  for (HWND child = GetWindow(handle_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const Window control(child);
    if (control.ClassName() == className) return control;
    if (const Window found = control.DescendantOfClass(className)) return found;
  }
  return Window();
}

HICON Window::StaticIcon(Timeout timeout) const {
  return reinterpret_cast<HICON>(SendOrThrow(*this, STM_GETICON, 0, 0, timeout, L"STM_GETICON"));
}

HICON Window::BigIcon(Timeout timeout) const { return WindowIcon(*this, ICON_BIG, GCLP_HICON, timeout); }

HICON Window::SmallIcon(Timeout timeout) const { return WindowIcon(*this, ICON_SMALL, GCLP_HICONSM, timeout); }

void Window::Click() const {
  if (!IsVisible() || !IsEnabled()) {
    throw DriverError(L"Cannot click " + DescribeWindow(*this) + L": it is " + (IsVisible() ? L"disabled" : L"hidden") +
                      L". Visible windows: " + DescribeVisibleWindows(ProcessId()));
  }
  if (!PostMessageW(handle_, BM_CLICK, 0, 0)) {
    throw DriverError(L"Cannot post BM_CLICK to " + DescribeWindow(*this));
  }
}

void Window::SetText(const std::wstring& text, Timeout timeout) const {
  if (!SendOrThrow(*this, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), timeout, L"WM_SETTEXT")) {
    throw DriverError(L"WM_SETTEXT " + Quoted(text) + L" was refused by " + DescribeWindow(*this));
  }
}

void Window::PostClose() const {
  if (!PostMessageW(handle_, WM_CLOSE, 0, 0)) throw DriverError(L"Cannot post WM_CLOSE to " + DescribeWindow(*this));
}

void Window::SystemClose() const {
  if (!PostMessageW(handle_, WM_SYSCOMMAND, SC_CLOSE, 0)) {
    throw DriverError(L"Cannot post WM_SYSCOMMAND SC_CLOSE to " + DescribeWindow(*this));
  }
}

std::vector<Window> TopLevelWindows(DWORD processId) {
  std::vector<Window> windows;
  std::pair<DWORD, std::vector<Window>*> context{processId, &windows};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&context));
  return windows;
}

std::wstring DescribeWindow(const Window& window) {
  if (!window.Exists()) return L"a window that no longer exists";
  std::wstring text;
  try {
    text = window.Text(kDescribeTimeout);
  } catch (const DriverError&) {
    text = L"(no answer)";
  }
  std::wstring description = L"class " + Quoted(window.ClassName());
  if (window.Style() & WS_CHILD) description += L" id " + std::to_wstring(window.Id());
  return description + L" text " + Quoted(text);
}

std::wstring DescribeVisibleWindows(DWORD processId) {
  std::wstring list;
  for (const Window& window : TopLevelWindows(processId)) {
    if (!window.IsVisible()) continue;
    if (!list.empty()) list += L"; ";
    list += DescribeWindow(window);
  }
  return list.empty() ? L"none" : list;
}

Window FocusedControl(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(threadId, &info)) return Window();
  return Window(info.hwndFocus);
}

Window ActiveWindow(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(threadId, &info)) return Window();
  return Window(info.hwndActive);
}

void WaitUntil(const std::function<bool()>& condition, const std::wstring& what, DWORD processId, Timeout timeout) {
  const auto deadline = Clock::now() + timeout;
  std::wstring lastFailure;
  for (;;) {
    try {
      if (condition()) return;
    } catch (const DriverError& error) {
      // A window may vanish between two looks at it; keep trying, and say so if time runs out.
      lastFailure = FromUtf8(error.what());
    }
    if (Clock::now() >= deadline) break;
    std::this_thread::sleep_for(kPollInterval);
  }
  std::wstring message = L"Timed out after " + std::to_wstring(timeout.count()) + L" ms waiting for " + what + L".";
  if (!lastFailure.empty()) message += L" Last failure: " + lastFailure + L".";
  message += L" Visible top-level windows of process " + std::to_wstring(processId) + L": " +
             DescribeVisibleWindows(processId);
  throw DriverError(message);
}

Window WaitForWindow(DWORD processId, const std::function<bool(const Window&)>& matches, const std::wstring& what,
                     Timeout timeout) {
  Window found;
  WaitUntil(
      [&] {
        for (const Window& window : TopLevelWindows(processId)) {
          if (window.IsVisible() && matches(window)) {
            found = window;
            return true;
          }
        }
        return false;
      },
      what, processId, timeout);
  return found;
}

Window WaitForWindow(DWORD processId, const std::wstring& className, const std::wstring& title, Timeout timeout) {
  return WaitForWindow(
      processId,
      [&](const Window& window) { return window.ClassName() == className && window.Text(kTitleTimeout) == title; },
      L"a window of class " + Quoted(className) + L" titled " + Quoted(title), timeout);
}

void WaitUntilGone(const Window& window, Timeout timeout) {
  const DWORD processId = window.ProcessId();
  const std::wstring description = DescribeWindow(window);
  WaitUntil([&] { return !window.Exists() || !window.IsVisible(); }, description + L" to close", processId, timeout);
}

}  // namespace driver

// The current window's services: its event loop, the event being handled, focus and redisplay.
#include <algorithm>
#include <memory>
#include <vector>

#include "runtime/window/window_class_win32.h"
#include "runtime/window/window_state_win32.h"

namespace rt {
namespace {

LONG g_keyState = 0;  // the last key or mouse button, read when no event is current

Window* g_window = nullptr;  // the current window
Event g_event;               // the event being handled
std::vector<HWND> g_modeless;

bool ModelessDialogMessage(MSG& message) {
  return std::ranges::any_of(g_modeless, [&](HWND dialog) { return IsDialogMessageW(dialog, &message) != 0; });
}

}  // namespace

LONG KeyState() { return g_keyState; }

HWND CurrentWindowHandle() { return g_window ? g_window->handle() : nullptr; }

void AddModelessDialog(HWND dialog) { g_modeless.push_back(dialog); }
void RemoveModelessDialog(HWND dialog) { std::erase(g_modeless, dialog); }

Window* OpenWindow(const WindowDefinition& definition, std::initializer_list<FieldSpan> variables) {
  auto window = std::make_unique<Window>(definition, variables);
  if (!window->handle()) return nullptr;
  g_window = window.release();
  g_event = {};
  return g_window;
}

void DisplayWindow(Window* window) {
  if (!window) return;
  window->QueueFirst({EVENT_OpenWindow, 0, g_keyState});
  ShowWindow(window->handle(), SW_SHOWNORMAL);
  SetForegroundWindow(window->handle());
}

bool NextEvent(LONG /*handled*/) {
  Window* window = g_window;
  if (!window) return false;
  if (g_event.code != 0 && !window->closed()) window->RedisplayAll(false);
  g_event = {};
  for (;;) {
    if (window->closed()) return false;
    Event next;
    if (window->TakeEvent(next)) {
      g_event = next;
      window->selectAll = false;
      return true;
    }
    MSG message{};
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    switch (message.message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        g_keyState = static_cast<LONG>(message.wParam & 0x7FF);
        break;
      case WM_LBUTTONDOWN:
        g_keyState = 1;  // MouseLeft
        break;
      case WM_RBUTTONDOWN:
        g_keyState = MouseRight;
        break;
      default:
        break;
    }
    if (!IsDialogMessageW(window->handle(), &message) && !ModelessDialogMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

LONG EVENT() { return g_event.code; }
LONG FIELD() { return g_event.field; }
LONG KEYCODE() { return (g_event.code != 0 ? g_event.keyCode : g_keyState) & 0x7FF; }

void SetKeyCode(LONG code) {
  const LONG low = code & 0x7FF;
  g_event.keyCode = (g_event.keyCode & ~0x7FF) | low;
  g_keyState = (g_keyState & ~0x7FF) | low;
}

void SelectControl(LONG control, LONG /*a*/, LONG /*b*/) {
  Window* window = g_window;
  if (!window) return;
  if (control == 0) {
    window->selectAll = true;
    return;
  }
  if (window->selectAll && control != g_event.field) return;
  window->selectAll = false;
  if (Control* target = window->FindControl(control); target && target->handle) {
    SendMessageW(window->handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target->handle), TRUE);
  }
}

bool SelectAllPending() { return g_window && g_window->selectAll; }

void RedisplayControls(LONG first, LONG last) {
  Window* window = g_window;
  if (!window) return;
  if (first == 0) {
    window->RedisplayAll(true);
    return;
  }
  if (last == 0) last = first;
  if (first > last) std::swap(first, last);
  for (LONG number = first; number <= last; ++number) {
    if (Control* control = window->FindControl(number)) window->Redisplay(*control, true);
  }
}

HandleValue WindowHandle() { return reinterpret_cast<HandleValue>(CurrentWindowHandle()); }

void FlushPaint(Window* window) {
  if (!window) return;
  MSG message{};
  while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&message);
}

void CloseWindow(Window* window) {
  if (!window) return;
  FlushPaint(window);
  if (g_window == window) {
    g_window = nullptr;
    g_event = {};
  }
  delete window;
}

}  // namespace rt

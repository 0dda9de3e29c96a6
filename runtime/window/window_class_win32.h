// The window built from a definition table, as the window services and its own procedure share
// it: the events it queues, its controls and their variables.
#pragma once

#include <deque>
#include <vector>

#include "runtime/system/win32_api.h"
#include "runtime/window/dialog_services.h"

namespace rt {

struct Event {
  LONG code = 0;
  LONG field = 0;
  LONG keyCode = 0;
};

struct Control {
  ControlDefinition definition;
  HWND handle = nullptr;
  FieldSpan variable;     // entries only
  std::size_t limit = 0;  // characters an entry accepts (its picture)
};

class Window {
 public:
  Window(const WindowDefinition& definition, std::initializer_list<FieldSpan> variables);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND handle() const { return handle_; }
  bool closed() const { return closed_; }

  void Queue(Event event) {
    // Activation of the window and of the application arrive together: one event. Ended tasks
    // waiting together are looked at together.
    if ((event.code == EVENT_GainFocus && !queue_.empty() && queue_.back().code == EVENT_GainFocus) ||
        (event.code == EVENT_TaskEnded &&
         std::ranges::any_of(queue_, [](const Event& queued) { return queued.code == EVENT_TaskEnded; }))) {
      return;
    }
    queue_.push_back(event);
  }
  void QueueFirst(Event event) { queue_.push_front(event); }
  bool TakeEvent(Event& event) {
    if (queue_.empty()) return false;
    event = queue_.front();
    queue_.pop_front();
    return true;
  }

  Control* FindControl(LONG number);
  void Redisplay(Control& control, bool force);
  void RedisplayAll(bool force) {
    for (auto& control : controls_) Redisplay(control, force);
  }

  bool selectAll = false;

 private:
  static INT_PTR CALLBACK Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  void Initialise();

  WindowDefinition definition_;
  std::vector<Control> controls_;
  std::deque<Event> queue_;
  HWND handle_ = nullptr;
  bool closed_ = false;
  bool redisplaying_ = false;  // our own text changes are not the user's typing
};

// The last key or mouse button, read when no event is current.
LONG KeyState();

}  // namespace rt

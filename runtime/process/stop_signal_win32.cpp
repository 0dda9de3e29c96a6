#include "runtime/process/stop_signal.h"
#include "runtime/system/win32_api.h"

namespace rt {

StopSignal::StopSignal() : event_(reinterpret_cast<HandleValue>(CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

StopSignal::~StopSignal() {
  if (event_) CloseHandle(reinterpret_cast<HANDLE>(event_));
}

void StopSignal::Set() {
  set_.store(true);
  if (event_) SetEvent(reinterpret_cast<HANDLE>(event_));
}

void StopSignal::Reset() {
  if (event_) ResetEvent(reinterpret_cast<HANDLE>(event_));
  set_.store(false);
}

namespace {

void CALLBACK SetWhenDue(void* stop, BOOLEAN) { static_cast<StopSignal*>(stop)->Set(); }

}  // namespace

StopDeadline::StopDeadline(StopSignal& stop, unsigned milliseconds) {
  HANDLE timer = nullptr;
  if (CreateTimerQueueTimer(&timer, nullptr, &SetWhenDue, &stop, milliseconds, 0, WT_EXECUTEONLYONCE)) {
    timer_ = reinterpret_cast<HandleValue>(timer);
  }
}

// Waits for a callback under way, so that the signal is not set after this is gone.
StopDeadline::~StopDeadline() {
  if (timer_) DeleteTimerQueueTimer(nullptr, reinterpret_cast<HANDLE>(timer_), INVALID_HANDLE_VALUE);
}

}  // namespace rt

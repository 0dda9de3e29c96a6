// Set by one thread, seen by another: how the window tells a worker to stop what it is doing,
// also in the middle of a wait (the worker waits on the signal beside what it waits for).
#pragma once

#include <atomic>

#include "runtime/system/system_services.h"

namespace rt {

class StopSignal {
 public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  void Set();
  // Armed again, for the next piece of work.
  void Reset();
  bool IsSet() const { return set_.load(); }
  // An event object that becomes signalled when it is set; 0 when none could be made.
  HandleValue Event() const { return event_; }

 private:
  std::atomic<bool> set_{false};
  HandleValue event_ = 0;
};

// Sets a stop signal once a time has passed, unless it goes first: a limit on a piece of work
// that nobody is there to stop.
class StopDeadline {
 public:
  StopDeadline(StopSignal& stop, unsigned milliseconds);
  ~StopDeadline();
  StopDeadline(const StopDeadline&) = delete;
  StopDeadline& operator=(const StopDeadline&) = delete;

 private:
  HandleValue timer_ = 0;
};

}  // namespace rt

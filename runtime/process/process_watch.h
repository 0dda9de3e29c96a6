// Being told when a started process ends, without waiting for it: the process is waited for
// by the system's thread pool, and its end reaches the current window as an event of its own
// loop (EVENT_TaskEnded). Nothing polls; the program may close meanwhile and the process goes on.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "runtime/system/system_services.h"

namespace rt {

// Tells the window, from any thread, that a task has moved on: it receives EVENT_TaskEnded.
void PostTaskEnded(HandleValue window);

// Takes over the process handle and watches it; returns the watch's number, or 0 when the
// process cannot be watched (the handle is closed then).
LONG WatchProcess(HandleValue process);

struct EndedProcess {
  LONG watch = 0;
  std::uint32_t exitCode = 0;
};

// Every watched process that has ended by now, in the order they were watched; each is
// given once and then forgotten, its handle closed. When some have ended, others still running
// are given up to `together` to end as well, so that ends that belong together are taken
// together (a bounded wait on their handles, no polling).
std::vector<EndedProcess> TakeEndedProcesses(std::chrono::milliseconds together = std::chrono::milliseconds{0});

}  // namespace rt

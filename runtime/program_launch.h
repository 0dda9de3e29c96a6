// Starting another program through the shell, as double-clicking it would.
#pragma once

#include "runtime/system_services.h"

namespace rt {

inline constexpr LONG kShowMaximized = 3;

struct LaunchResult {
  bool started = false;
  Text errorText;  // the system's description of why it did not start
};

// Starts `file` with the verb and parameters in `directory` (empty: the current directory).
// The shell shows no error box of its own; a failure comes back to the caller.
LaunchResult LaunchProgram(HandleValue owner, TextView verb, TextView file, TextView parameters, TextView directory,
                           LONG show);

}  // namespace rt

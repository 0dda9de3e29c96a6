// Starting another program through the shell, as double-clicking it would; Explorer on a file.
#pragma once

#include "runtime/system/system_error.h"
#include "runtime/system/system_services.h"

namespace rt {

inline constexpr LONG kShowMaximized = 3;

struct LaunchResult {
  bool started = false;
  HandleValue process = 0;        // the started process, the caller's to watch or close; 0 when none
  std::uint32_t systemError = 0;  // the system's error code when it did not start
  Text errorText;                 // the system's description of why it did not start
};

// Starts `file` with the verb and parameters in `directory` (empty: the current directory)
// and keeps the started process. The shell shows no error box of its own; a failure comes
// back to the caller.
LaunchResult LaunchProgram(HandleValue owner, TextView verb, TextView file, TextView parameters, TextView directory,
                           LONG show);

// Opens Explorer on the folder that holds the file, the file selected; on a directory, opens it.
// False when Explorer could not be started.
bool ShowInExplorer(HandleValue owner, TextView path, bool isDirectory);

}  // namespace rt

// A run without anyone at the desk (`/quiet`, for the Task Scheduler or a script): the new files
// of the remembered input directory, or the files and folders given, converted as a batch with no
// window and nothing that waits for a person; a line per file on the console it was started
// from, every file journaled, and an exit code to act on.
#pragma once

#include "convert/rules/quiet_run.h"

namespace convert {

// With the settings read into the globals, the paths made full and the current directory where
// the run works (its stylesheet and processor); returns the exit code.
int RunQuietly(const RunRequest& request);

}  // namespace convert

// A run without anyone at the desk (a scheduled task, a script): what its command line asks for,
// what it writes to a console, and the exit code it ends with.
#pragma once

#include <span>
#include <vector>

#include "convert/rules/batch_report.h"
#include "runtime/text/text_value.h"

namespace convert {

// Exit codes a script or the Task Scheduler can act on.
inline constexpr int kRunConvertedAll = 0;  // every file converted, or nothing new
inline constexpr int kRunNotConverted = 1;  // a file failed, was refused or stopped
inline constexpr int kRunNotDone = 2;       // the run could not be done at all

inline constexpr unsigned kDefaultTimeoutSeconds = 600;

// What the arguments ask for. Switches ("/quiet", "-New", "/retry", "/timeout 30") in any case,
// with "/" or "-"; every other argument is a path.
struct RunRequest {
  bool quiet = false;
  bool newFiles = false;
  bool retry = false;  // also the files whose last try failed, unchanged since ("/retry" asks for /new too)
  unsigned timeoutSeconds = kDefaultTimeoutSeconds;
  std::vector<rt::Text> paths;
  rt::Text wrong;  // the first switch that is unknown or lacks its value; empty when none
};

RunRequest ReadRunRequest(std::span<const rt::Text> arguments);

// The exit code of a run whose files ended so, with `failedLeft` files of the folder that failed of
// their own before, unchanged since and not tried again: the folder is done only without them.
int RunExitCode(std::span<const FileReport> files, std::size_t failedLeft = 0);

// The last lines of a run that left such files: how many, then their names, at most ten, then how
// many more.
std::vector<rt::Text> FailedLeftLines(std::span<const rt::Text> paths);

// A file's line on the console: its result, input name, output name and reason, tab-separated.
rt::Text RunLine(const FileReport& file);

}  // namespace convert

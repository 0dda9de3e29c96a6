// Running a program without a window of its own and waiting for it, with what it writes to
// its standard output and error captured: for work the user follows in the program's own
// window instead of a console. The program and everything it starts run in a job of their
// own, so that stopping it leaves nothing behind.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/process/stop_signal.h"
#include "runtime/system/system_services.h"

namespace rt {

struct HiddenRun {
  bool started = false;
  bool stopped = false;           // ended by the stop signal before it ended by itself
  std::uint32_t systemError = 0;  // why it did not start
  std::uint32_t exitCode = 0;
  std::string captured;  // the first `captureLimit` bytes of standard output and error together
  bool cut = false;      // it wrote more than that
};

// The one search for a program given by its bare name, for every way of starting it: the
// current directory, then the system's search path. Empty when it is nowhere.
Text FindProgram(TextView name);

// Starts `program` (a full path) with the parameter text in `directory` (empty: the current
// one), hidden, reads its output and waits for it to end, or for `stop`: then it is ended,
// with every process it started, within moments. Processes it started that are still running
// when it ends are ended too. Blocks: for a worker thread.
HiddenRun RunHidden(TextView program, TextView parameters, TextView directory, std::size_t captureLimit,
                    const StopSignal& stop);

// Captured console text as text: UTF-8 when it is UTF-8 (a character cut off at the end of a
// capture that was `cut` left out), otherwise the console's code page.
Text ConsoleText(const std::string& bytes, bool cut);

}  // namespace rt

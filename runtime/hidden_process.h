// Running a program without a window of its own and waiting for it, with what it writes to
// its standard output and error captured: for work the user follows in the program's own
// window instead of a console.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/system_services.h"

namespace rt {

struct HiddenRun {
  bool started = false;
  std::uint32_t systemError = 0;  // why it did not start
  std::uint32_t exitCode = 0;
  std::string captured;  // the first `captureLimit` bytes of standard output and error together
};

// The program as the shell would find it for a bare name: in the current directory, then on
// the system's search path. Empty when it is nowhere.
Text FindProgram(TextView name);

// Starts `program` (a full path) with the parameter text in `directory` (empty: the current
// one), hidden, reads its output to the end and waits for it. Blocks: for a worker thread.
HiddenRun RunHidden(TextView program, TextView parameters, TextView directory, std::size_t captureLimit);

// Captured console text as text: UTF-8 when it is valid UTF-8, otherwise the console's code page.
Text ConsoleText(const std::string& bytes);

}  // namespace rt

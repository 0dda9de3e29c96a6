// Starts another program the way a person's shell would and waits for it, with a time limit.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/text/text_value.h"

namespace vxtest {

// What to do with the windows a running program shows.
enum class ProgramWindows {
  kLeave,  // leave them; the program is expected to end by itself
  kClose,  // close each, as a person would with its system menu's Close
};

struct ProgramRun {
  bool started = false;          // CreateProcessW succeeded
  bool finished = false;         // ended within the time limit (otherwise it was killed)
  std::uint32_t exitCode = 0;    // meaningful when finished
  std::uint32_t startError = 0;  // GetLastError of a failed start
  std::string output;            // what it wrote to its standard output, as bytes
  int windowsClosed = 0;         // top-level windows asked to close (ProgramWindows::kClose)
};

// Runs the program with no arguments in the given current directory, its standard output
// caught in a file. A program still running after timeoutMs is killed.
ProgramRun RunProgram(const rt::Text& program, const rt::Text& currentDirectory, std::uint32_t timeoutMs,
                      ProgramWindows windows = ProgramWindows::kLeave);

}  // namespace vxtest

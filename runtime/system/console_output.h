// Lines for the console the program was started from (cmd, PowerShell, a .bat file), for a
// program with a window of its own that may also run without one: to the console itself, in its
// own characters; where the output is redirected to a file or a pipe, as the console's own
// programs write it there (in the console's code page, which `type` and `findstr` read back), or,
// started by no console program, as UTF-8 that begins a new file with a byte order mark; nowhere
// when there is nobody (started by the Task Scheduler, or from the desktop).
#pragma once

#include "runtime/text/text_value.h"

namespace rt {

class ConsoleOutput {
 public:
  ConsoleOutput();  // takes the redirected output, or the parent's console
  ~ConsoleOutput();
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;

  void WriteLine(TextView line);

 private:
  void* handle_ = nullptr;
  bool console_ = false;        // a console's screen, written as text; otherwise bytes
  unsigned codePage_ = 65001;   // of the bytes
  bool byteOrderMark_ = false;  // still to be written before the first line
  bool attached_ = false;
};

}  // namespace rt

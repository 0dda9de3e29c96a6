// Lines for the console the program was started from (cmd, PowerShell, a .bat file), for a
// program with a window of its own that may also run without one: to the console itself, in its
// own characters, or as UTF-8 where the output is redirected to a file or a pipe; nowhere when
// there is none (started by the Task Scheduler, or from the desktop).
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
  bool console_ = false;  // a console's screen, written as text; otherwise bytes of UTF-8
  bool attached_ = false;
};

}  // namespace rt

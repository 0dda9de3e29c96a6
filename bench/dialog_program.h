// A program whose button opens the file dialog, started for a benchmark: the press timed until
// the dialog shows, the waits between presses, and the program's memory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "bench/bench_child.h"
#include "tests/driver/window_driver.h"

namespace bench {

struct DialogShown {
  driver::Window dialog;
  double milliseconds = 0;  // from the press until the dialog is visible
};

class DialogProgram {
 public:
  // Starts the program in the directory and waits for its window. DriverError when it does
  // not start, shows no window or has no such button.
  DialogProgram(std::string label, const std::wstring& program, const std::wstring& directory, int buttonId);

  const std::string& label() const { return label_; }
  DWORD processId() const { return window_.ProcessId(); }

  // Waits until the program's thread takes messages again, then a little longer, so that every
  // press finds the program idle and the previous dialog's repainting done.
  void Settle() const;
  // Presses the button and polls every millisecond for a visible Explorer-style file dialog of
  // the program. DriverError when none shows in time.
  DialogShown PressForFileDialog() const;

  MemoryFigures Memory() const { return child_.Memory(); }
  std::size_t Handles() const { return child_.Handles(); }
  double ProcessorMilliseconds() const { return child_.ProcessorMilliseconds(); }
  const driver::Window& window() const { return window_; }
  std::vector<std::wstring> Modules() const { return child_.Modules(); }
  // Closes the program as a person would; false when it had to be ended.
  bool Close();

 private:
  std::string label_;
  ChildProcess child_;
  driver::Window window_;
  driver::Window button_;
};

}  // namespace bench

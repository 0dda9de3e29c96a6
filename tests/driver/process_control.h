// A program started for a test: launched with CreateProcessW, waited for with a limit, and
// killed when the test ends while it still runs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/driver/window_driver.h"

namespace driver {

struct EnvironmentVariable {
  std::wstring name;
  std::wstring value;
};

// One argument as CommandLineToArgvW reads it back: quoted when it holds blanks or quotes.
std::wstring QuoteArgument(const std::wstring& argument);

class Process {
 public:
  // Starts the executable (a full Windows path) in `currentDirectory` with the quoted arguments
  // and the test's environment plus (replacing same-named ones) `extraEnvironment`. The
  // STARTUPINFO is the default one, unless `output` (inheritable) is given: then it is the
  // standard output and error, as a shell's redirection makes it. DriverError when the process
  // cannot be created.
  static Process Launch(const std::wstring& executable, const std::vector<std::wstring>& arguments,
                        const std::wstring& currentDirectory,
                        const std::vector<EnvironmentVariable>& extraEnvironment = {}, HANDLE output = nullptr);

  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  // Kills the process if it still runs.
  ~Process();

  DWORD Id() const { return processId_; }
  DWORD ThreadId() const { return threadId_; }
  HANDLE Handle() const { return process_; }

  bool IsRunning() const;
  // The exit code; DriverError (with the windows it still shows) when it does not end in time.
  DWORD WaitForExit(Timeout timeout = kDefaultTimeout) const;
  void Kill();

  std::vector<Window> Windows() const { return TopLevelWindows(processId_); }
  Window WaitForWindow(const std::wstring& className, const std::wstring& title,
                       Timeout timeout = kDefaultTimeout) const {
    return driver::WaitForWindow(processId_, className, title, timeout);
  }
  Window WaitForWindow(const std::function<bool(const Window&)>& matches, const std::wstring& what,
                       Timeout timeout = kDefaultTimeout) const {
    return driver::WaitForWindow(processId_, matches, what, timeout);
  }
  // The control that has the focus in the process's first thread (the user-interface thread
  // of a single-threaded program).
  Window FocusedControl() const { return driver::FocusedControl(threadId_); }

 private:
  Process(HANDLE process, DWORD processId, DWORD threadId)
      : process_(process), processId_(processId), threadId_(threadId) {}
  void Release();

  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
};

// The running processes started from this executable file (a full path), by their ids.
std::vector<DWORD> ProcessesOf(const std::wstring& executable);
// Ends every one of them: what a test started and a failure left running.
void EndProcessesOf(const std::wstring& executable);

}  // namespace driver

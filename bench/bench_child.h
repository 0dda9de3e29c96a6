// A program started by a benchmark: launched, watched until its window shows, measured from
// outside (processor time, memory, loaded modules) and closed as a person would close it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct MemoryFigures {
  std::uint64_t peakWorkingSet = 0;  // bytes
  std::uint64_t privateUsage = 0;    // bytes committed for the process alone
  std::uint64_t workingSet = 0;      // bytes resident now
};

// Where a program's standard output and error go: the benchmark's own, or nowhere, as for a
// program started by a scheduler (a quiet run would otherwise write to the benchmark's console).
enum class ChildOutput { Inherited, Nowhere };

class ChildProcess {
 public:
  // Starts the program in the given current directory, with the arguments (already quoted)
  // after its name. The start-up clock starts just before CreateProcessW.
  ChildProcess(const std::wstring& program, const std::wstring& currentDirectory, const std::wstring& arguments = {},
               ChildOutput output = ChildOutput::Inherited);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD startError() const { return startError_; }

  // Waits until the program waits for input with a visible top-level window, and returns
  // the milliseconds from the start, or a negative number when that does not happen in time.
  double WaitUntilShown(DWORD timeoutMs);
  HWND window() const { return window_; }
  // Milliseconds from the start until now, on the clock of WaitUntilShown.
  double MillisecondsSinceStart() const;
  // Milliseconds from the start to a moment of the system clock: the creation time of another
  // process, say, as GetProcessTimes gives it.
  double MillisecondsUntil(const FILETIME& moment) const;

  // Processor time used so far by its threads, user and kernel, in milliseconds.
  double ProcessorMilliseconds() const;
  MemoryFigures Memory() const;
  // Handles the program holds, from the system's handle table (Wine reports no per-process
  // handle count otherwise); 0 when the table cannot be read.
  std::size_t Handles() const;
  // Full paths of the modules loaded in the program, in load order.
  std::vector<std::wstring> Modules() const;

  // Its exit code once it has ended (STILL_ACTIVE before).
  DWORD ExitCode() const;

  // Asks the window to close and waits; kills the program when it does not end in time.
  // True when it ended by itself.
  bool Close(DWORD timeoutMs);

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  DWORD startError_ = 0;
  HWND window_ = nullptr;
  LARGE_INTEGER startTicks_{};
  FILETIME startTime_{};  // the system clock at the same moment
};

// The directory that holds the running executable, with a trailing backslash.
std::wstring ExecutableDirectory();

// A directory of its own under the temporary directory, removed with its files at the end.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::wstring& path() const { return path_; }  // with a trailing backslash
  // Copies the file into the directory and returns the copy's full path, or "" on failure.
  std::wstring Copy(const std::wstring& file);

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

// The last component of a path.
std::wstring FileName(const std::wstring& path);

// Text for the console (UTF-8), and a command-line argument (UTF-8) as text.
std::string Utf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& bytes);

}  // namespace bench

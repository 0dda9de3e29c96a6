#include "tests/wine/run_program.h"

#include <set>

#include "runtime/system/win32_api.h"
#include "tests/wine/test_paths.h"

namespace vxtest {
namespace {

struct WindowSearch {
  DWORD processId;
  std::set<HWND>* asked;
  int count;
};

BOOL CALLBACK CloseIfOwned(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window) && search->asked->insert(window).second) {
    // Posted, not sent: the program may be busy, and the test must not wait on it here.
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ++search->count;
  }
  return TRUE;
}

// Waits for the process to end, closing its visible top-level windows once each.
bool WaitClosingWindows(const PROCESS_INFORMATION& process, DWORD timeoutMs, int& closed) {
  constexpr DWORD kPoll = 100;
  std::set<HWND> asked;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (WaitForSingleObject(process.hProcess, kPoll) == WAIT_OBJECT_0) return true;
    if (GetTickCount64() >= deadline) return false;
    WindowSearch search{process.dwProcessId, &asked, 0};
    EnumWindows(CloseIfOwned, reinterpret_cast<LPARAM>(&search));
    closed += search.count;
  }
}

}  // namespace

ProgramRun RunProgram(const rt::Text& program, const rt::Text& currentDirectory, std::uint32_t timeoutMs,
                      ProgramWindows windows) {
  ProgramRun run;
  TempDirectory outputPlace;
  const rt::Text outputPath = outputPlace / u"stdout.bin";

  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE output = CreateFileW(rt::Wide(outputPath), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) {
    run.startError = GetLastError();
    return run;
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION process{};
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  rt::Text commandLine = u"\"" + program + u"\"";
  run.started = CreateProcessW(rt::Wide(program), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr,
                               TRUE, 0, nullptr, rt::Wide(currentDirectory), &startup, &process) != 0;
  if (!run.started) run.startError = GetLastError();
  CloseHandle(output);
  if (!run.started) return run;

  run.finished = windows == ProgramWindows::kClose ? WaitClosingWindows(process, timeoutMs, run.windowsClosed)
                                                   : WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (run.finished) {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.exitCode = code;
  } else {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  run.output = ReadBytes(outputPath).value_or(std::string());
  return run;
}

}  // namespace vxtest

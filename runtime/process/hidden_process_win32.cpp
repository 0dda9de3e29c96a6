#include "runtime/process/hidden_process.h"
#include "runtime/process/output_pipe_win32.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/owned_handle_win32.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/console_decoding.h"

namespace rt {
namespace {

// The exit code the processes of a stopped run are given.
constexpr UINT kStoppedExitCode = 0xC000013A;
// Once the job is ended, the processes are gone within moments; these bound the waits only
// against the unforeseen (a handle to the pipe held outside the job).
constexpr DWORD kEndWait = 5000;
constexpr DWORD kDrainWait = 2000;

// A job that ends every process in it when it is closed, as when this program ends.
OwnedHandle KillingJob() {
  OwnedHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) job.Reset();
  return job;
}

// Reads the output while waiting for the program's end or the stop; true when it ended.
bool AwaitEnd(HANDLE process, OutputPipe& pipe, const StopSignal& stop) {
  for (;;) {
    HANDLE waits[3] = {process};
    DWORD count = 1;
    if (stop.Event()) waits[count++] = reinterpret_cast<HANDLE>(stop.Event());
    const DWORD readIndex = count;
    if (pipe.Reading()) waits[count++] = pipe.ReadDone();
    const DWORD woken = WaitForMultipleObjects(count, waits, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken == WAIT_OBJECT_0 + readIndex) {
      pipe.TakeRead();
      continue;
    }
    return false;  // stopped, or the wait itself failed
  }
}

}  // namespace

Text FindProgram(TextView name) {
  const Text current = CurrentDirectory();
  const Text here = Concat({current, current.ends_with(u'\\') ? u"" : u"\\", name});
  if (IsFile(here)) return here;
  const Text wanted(name);
  wchar_t found[32768];
  const DWORD length = SearchPathW(nullptr, Wide(wanted), nullptr, 32768, found, nullptr);
  if (length == 0 || length >= 32768) return {};
  return FromWide(found, length);
}

HiddenRun RunHidden(TextView program, TextView parameters, TextView directory, std::size_t captureLimit,
                    const StopSignal& stop) {
  HiddenRun run;
  OutputPipe pipe(captureLimit);
  const OwnedHandle job = KillingJob();
  if (!pipe.Open() || !job) {
    run.systemError = GetLastError();
    return run;
  }

  // The command line as the shell writes it: the quoted program, then the parameter text.
  Text commandLine = Concat({u"\"", program, u"\"", parameters});
  const Text programText(program), directoryText(directory);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = pipe.WriteEnd();
  startup.hStdError = pipe.WriteEnd();
  PROCESS_INFORMATION process{};
  // Suspended until it is in the job, so that nothing it starts escapes the job.
  if (!CreateProcessW(Wide(programText), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr, TRUE,
                      CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                      directoryText.empty() ? nullptr : Wide(directoryText), &startup, &process)) {
    run.systemError = GetLastError();
    return run;
  }
  const OwnedHandle processHandle(process.hProcess), threadHandle(process.hThread);
  // A program that runs in a job of its own which allows no other (Windows 7 without
  // breakaway) cannot put it in ours; then the processor alone can be ended.
  const bool inJob = AssignProcessToJobObject(job.get(), process.hProcess);
  ResumeThread(process.hThread);
  run.started = true;
  pipe.StartReading();

  run.stopped = !AwaitEnd(process.hProcess, pipe, stop);
  // Whatever is left of the job goes: the program itself when it was stopped, otherwise what
  // it started and left running. With them goes every holder of the pipe.
  if (inJob) {
    TerminateJobObject(job.get(), kStoppedExitCode);
  } else if (run.stopped) {
    TerminateProcess(process.hProcess, kStoppedExitCode);
  }
  WaitForSingleObject(process.hProcess, kEndWait);
  pipe.Drain(kDrainWait);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  run.exitCode = code;
  run.captured = pipe.kept();
  run.cut = pipe.cut();
  return run;
}

Text ConsoleText(const std::string& bytes, bool cut) {
  const ConsoleDecoding decoding = DecideConsoleDecoding(bytes, cut);
  if (decoding.length == 0) return {};
  const int size = static_cast<int>(decoding.length);
  const UINT codePage = decoding.utf8 ? CP_UTF8 : CP_OEMCP;
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
  return FromWide(text.c_str(), text.size());
}

}  // namespace rt

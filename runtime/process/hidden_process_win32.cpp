#include "runtime/process/hidden_process.h"
#include "runtime/process/hidden_start_win32.h"
#include "runtime/process/output_pipe_win32.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/owned_handle_win32.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/console_decoding.h"

namespace rt {
namespace {

// The exit code the processes of a stopped run are given.
constexpr UINT kStoppedExitCode = 0xC000013A;
// Bounds the wait for the output only against the unforeseen (a handle to the pipe held
// outside the job).
constexpr DWORD kDrainWait = 2000;

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
  if (!pipe.Open()) {
    run.systemError = GetLastError();
    return run;
  }
  const HiddenStart started = StartHidden(program, parameters, directory, nullptr, pipe.WriteEnd(), pipe.WriteEnd());
  if (!started.process) {
    run.systemError = started.error;
    return run;
  }
  run.started = true;
  pipe.StartReading();

  run.stopped = !AwaitEnd(started.process.get(), pipe, stop);
  // Whatever is left of the job goes: the program itself when it was stopped, otherwise what
  // it started and left running. With them goes every holder of the pipe.
  EndHidden(started, kStoppedExitCode);
  pipe.Drain(kDrainWait);
  DWORD code = 0;
  GetExitCodeProcess(started.process.get(), &code);
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

#include "runtime/process/hidden_start_win32.h"

namespace rt {
namespace {

// Once the job is ended, the processes are gone within moments; this bounds the wait only
// against the unforeseen.
constexpr DWORD kEndWait = 5000;

OwnedHandle KillingJob(std::size_t memoryLimit) {
  OwnedHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (memoryLimit != 0) {
    limits.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limits.ProcessMemoryLimit = memoryLimit;
  }
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) job.Reset();
  return job;
}

}  // namespace

HiddenStart StartHidden(TextView program, TextView parameters, TextView directory, HANDLE input, HANDLE output,
                        HANDLE error, std::size_t memoryLimit) {
  HiddenStart started;
  started.job = KillingJob(memoryLimit);
  if (!started.job) {
    started.error = GetLastError();
    return started;
  }
  // The command line as the shell writes it: the quoted program, then the parameter text.
  Text commandLine = Concat({u"\"", program, u"\"", parameters});
  const Text programText(program), directoryText(directory);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(Wide(programText), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr, TRUE,
                      CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                      directoryText.empty() ? nullptr : Wide(directoryText), &startup, &process)) {
    started.error = GetLastError();
    return started;
  }
  started.process = OwnedHandle(process.hProcess);
  const OwnedHandle thread(process.hThread);
  started.id = process.dwProcessId;
  started.inJob = AssignProcessToJobObject(started.job.get(), process.hProcess);
  ResumeThread(process.hThread);
  return started;
}

void EndHidden(const HiddenStart& started, UINT exitCode) {
  if (!started.process) return;
  if (started.inJob) {
    TerminateJobObject(started.job.get(), exitCode);
  } else {
    TerminateProcess(started.process.get(), exitCode);
  }
  WaitForSingleObject(started.process.get(), kEndWait);
}

}  // namespace rt
